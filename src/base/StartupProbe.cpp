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

void StartupProbe::Watch(QObject *window, const char *pageSignal)
{
    if (!m_bOn)
        return;
    connect(window, SIGNAL(afterSynchronizing()), this, SLOT(frameSynced()), Qt::DirectConnection);
    connect(window, SIGNAL(frameSwapped()), this, SLOT(frameSwapped()), Qt::DirectConnection);
    if (pageSignal)
        connect(window, pageSignal, this, SLOT(pageComplete()));
    else
        pageComplete();
}

void StartupProbe::frameSwapped()
{
    // Stamped here, printed on this object's thread, which owns the rest of the state.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (!m_bFrameSeen.exchange(true))
        QMetaObject::invokeMethod(
            this, [this, ms] { Shown(ms); }, Qt::QueuedConnection);
    if (m_bPageSynced && !m_bCompleteSeen.exchange(true))
        QMetaObject::invokeMethod(
            this, [this, ms] { Complete(ms); }, Qt::QueuedConnection);
}

void StartupProbe::frameSynced()
{
    if (m_bPageDone)
        m_bPageSynced = true;
}

void StartupProbe::loaded()
{
    if (!m_bOn || m_bLoaded)
        return;
    m_bLoaded = true;
    PrintLine("loaded", QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
    if (m_bComplete)
        Finish();
}

void StartupProbe::pageComplete()
{
    m_bPageDone = true;
}

void StartupProbe::Shown(qint64 ms)
{
    PrintLine("shown", QByteArray::number(ms));
}

void StartupProbe::Complete(qint64 ms)
{
    PrintLine("complete", QByteArray::number(ms));
    m_bComplete = true;
    if (m_bLoaded)
        Finish();
}

void StartupProbe::Finish()
{
    PrintLine("ready", QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
    PrintLine("peak-kb", PeakResidentKb());
    QCoreApplication::exit(0);
}
