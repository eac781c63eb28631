#include "FuzzSupport.h"

#include "base/PlatformPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace FuzzSupport {
namespace {
QString &root()
{
    static QString s_root;
    return s_root;
}

void removeRoot()
{
    if (!root().isEmpty())
        QDir(root()).removeRecursively();
}

// Debug messages (the import's "Could not open file" among them) would cost more than a run.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

void InitQt(int *argc, char ***argv)
{
    const char *base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/corvane-fuzz-XXXXXX";
    if (!mkdtemp(&templ[0])) {
        std::perror("mkdtemp");
        std::abort();
    }
    root() = QString::fromLocal8Bit(templ.c_str());
    std::atexit(removeRoot);

    // Before anything asks QStandardPaths: the real data and config folders are never touched.
    setenv("XDG_DATA_HOME", (templ + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (templ + "/config").c_str(), 1);
    QDir().mkpath(root() + QStringLiteral("/data"));
    QDir().mkpath(root() + QStringLiteral("/config"));
    QDir().mkpath(ShippedDir() + QStringLiteral("/Lang"));
    QDir().mkpath(ShippedDir() + QStringLiteral("/DB"));
    PlatformPaths::SetShippedDataDir(ShippedDir());
    if (!DataDir().startsWith(root() + QLatin1Char('/'))) {
        std::fprintf(stderr, "the data directory %s is not the private one\n", qPrintable(DataDir()));
        std::abort();
    }

    // The library writes a log line per material; on a terminal that would dominate every run.
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        std::fflush(stdout);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    qInstallMessageHandler(quietHandler);

    static int s_argc = *argc;
    static QCoreApplication *s_app = new QCoreApplication(s_argc, *argv);
    Q_UNUSED(s_app);
}

QString Root()
{
    return root();
}

QString DataDir()
{
    return PlatformPaths::GroupDataDir();
}

QString ShippedDir()
{
    return root() + QStringLiteral("/shipped");
}

bool WriteFile(const QString &path, const void *data, size_t size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 written = file.write(static_cast<const char *>(data), qint64(size));
    return written == qint64(size) && file.flush();
}

void Fail(const char *condition, const char *file, int line, const std::string &detail)
{
    std::fprintf(stderr, "\n%s:%d: invariant broken: %s\n", file, line, condition);
    if (!detail.empty())
        std::fprintf(stderr, "%s\n", detail.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace FuzzSupport
