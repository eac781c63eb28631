#include "TestSupport.h"

#include "base/Log.h"
#include "core/MaterialFormat.h"

#include <QFile>
#include <QtTest>

#include <csignal>

TempDataHome::TempDataHome() : m_oldData(qgetenv("XDG_DATA_HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
{
    QVERIFY2(m_dir.isValid(), "temporary folder");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
}

TempDataHome::~TempDataHome()
{
    qputenv("XDG_DATA_HOME", m_oldData);
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
}

LogCapture::LogCapture()
{
    LogLine::SetObserver([this](const std::string &line) { m_lines << QString::fromStdString(line); });
}

LogCapture::~LogCapture()
{
    LogLine::SetObserver(nullptr);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {bytes == RLIM_INFINITY ? m_old.rlim_cur : bytes, m_old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray rawLine(const CPrintMaterial &mat)
{
    return hexLine(QByteArray::fromStdString(MaterialJsonText(mat)));
}

QString fixture(const QString &name)
{
    return QStringLiteral(CORVANE_TEST_DATA "/") + name;
}

QByteArray exampleJson()
{
    return readAll(fixture(QStringLiteral("example_material.json"))).trimmed();
}

QByteArray hexLine(const QByteArray &json)
{
    return json.toHex() + '\n';
}

ToolRun runTool(const QString &program, const QStringList &args, const ToolOptions &options)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    if (!options.stdoutFile.isEmpty())
        process.setStandardOutputFile(options.stdoutFile);
    if (!options.stdinFile.isEmpty())
        process.setStandardInputFile(options.stdinFile);
    QString command = program;
    QStringList arguments = args;
#if !defined(__SANITIZE_ADDRESS__)
    if (options.memoryLimitKb > 0) {
        const QString limited =
            QStringLiteral("ulimit -v %1 && exec \"$0\" \"$@\"").arg(options.memoryLimitKb);
        command = QStringLiteral("/bin/sh");
        arguments = QStringList{QStringLiteral("-c"), limited, program} + args;
    }
#endif
    process.start(command, arguments);
    ToolRun run;
    if (!process.waitForStarted())
        return run;
    if (options.stdinFile.isEmpty())
        process.write(options.input);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(120000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    run.ranWell = finished && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
