#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

#include <sys/resource.h>

class CPrintMaterial;

// A private data home for one test: XDG_DATA_HOME and XDG_CONFIG_HOME point into a temporary
// folder for the life of the object, so nothing touches the user's real folders.
class TempDataHome
{
public:
    TempDataHome();
    ~TempDataHome();
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldData;
    QByteArray m_oldConfig;
};

// Collects the diagnostic log lines written while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const { return m_lines; }
    bool contains(const QString &text) const { return !m_lines.filter(text).isEmpty(); } // in some line

private:
    QStringList m_lines;
};

// Limits the size of files this process writes while it lives, as a full disk would: a write past
// the limit fails instead of ending the process. RLIM_INFINITY leaves the limit as it is.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

// Reads or writes a whole file as bytes; empty on failure.
QByteArray readAll(const QString &path);
bool writeAll(const QString &path, const QByteArray &bytes);

// A fixture from tests/data.
QString fixture(const QString &name);

// The editor's worked example, "PLA" with one print set, as the compact JSON text it writes.
QByteArray exampleJson();
// The JSON text as a line of a material file.
QByteArray hexLine(const QByteArray &json);
// The material's line with its derived values as they stand (a writer would bring them up to date).
QByteArray rawLine(const CPrintMaterial &mat);

// A program run to its end, or killed after two minutes, and what it wrote; system messages in English.
struct ToolRun
{
    bool ranWell = false; // finished in time, not ended by a signal
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

struct ToolOptions
{
    QByteArray input; // standard input, unless stdinFile names a file for it
    QString stdinFile = {};
    QString stdoutFile = {}; // empty: standard output is collected
    int memoryLimitKb = 0;   // address space, 0 for no limit; none under AddressSanitizer, which
                             // reserves far more for itself
};
ToolRun runTool(const QString &program, const QStringList &args, const ToolOptions &options = {});
