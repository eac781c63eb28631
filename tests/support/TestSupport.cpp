#include "TestSupport.h"

#include "base/Log.h"

#include <QFile>
#include <QtTest>

TempDataHome::TempDataHome()
    : m_oldData(qgetenv("XDG_DATA_HOME")), m_oldConfig(qgetenv("XDG_CONFIG_HOME"))
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

bool LogCapture::contains(const QString &text) const
{
    for (const QString &line : m_lines) {
        if (line.contains(text))
            return true;
    }
    return false;
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

QString fixture(const QString &name)
{
    return QStringLiteral(CORVANE_TEST_DATA "/") + name;
}
