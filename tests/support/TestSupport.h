#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

// A private data home for one test: XDG_DATA_HOME and XDG_CONFIG_HOME point into a temporary
// folder for the life of the object, so nothing touches the user's real folders.
class TempDataHome
{
public:
    TempDataHome();
    ~TempDataHome();
    QString path() const { return m_dir.path(); }
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
    bool contains(const QString &text) const; // some line contains the text

private:
    QStringList m_lines;
};

// Reads or writes a whole file as bytes; empty on failure.
QByteArray readAll(const QString &path);
bool writeAll(const QString &path, const QByteArray &bytes);

// A fixture from tests/data.
QString fixture(const QString &name);
