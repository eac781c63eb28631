#include "StartupProbe.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <cstdio>

namespace {
// VmHWM of /proc/self/status, in kB as written there; "unknown" where there is none.
QByteArray PeakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).replace("kB", "").trimmed();
        }
    }
    return "unknown";
}

void PrintLine(const char *what, const QByteArray &value)
{
    std::printf("startup-probe %s %s\n", what, value.constData());
    std::fflush(stdout);
}
} // namespace

StartupProbe::StartupProbe(QObject *parent)
    : QObject(parent), m_bOn(qEnvironmentVariableIsSet("CORVANE_STARTUP_PROBE"))
{
}

void StartupProbe::frameSwapped()
{
    if (!m_bOn || m_bFrameSeen.exchange(true))
        return;
    // Stamped here, printed on this object's thread, which owns the rest of the state.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    QMetaObject::invokeMethod(
        this, [this, ms] { Shown(ms); }, Qt::QueuedConnection);
}

void StartupProbe::loaded()
{
    if (!m_bOn || m_bLoaded)
        return;
    m_bLoaded = true;
    if (m_bShown)
        Finish();
}

void StartupProbe::Shown(qint64 ms)
{
    PrintLine("shown", QByteArray::number(ms));
    m_bShown = true;
    if (m_bLoaded)
        Finish();
}

void StartupProbe::Finish()
{
    PrintLine("ready", QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
    PrintLine("peak-kb", PeakResidentKb());
    QCoreApplication::exit(0);
}
