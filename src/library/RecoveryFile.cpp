#include "RecoveryFile.h"

#include "base/Log.h"
#include "core/MaterialFileWriter.h"

#include <QFile>

#include <chrono>

RecoveryFile::RecoveryFile(const QString &path, Snapshot snapshot, QObject *parent)
    : QObject(parent), m_path(path), m_snapshot(std::move(snapshot))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryFile::Write);
}

RecoveryFile::~RecoveryFile()
{
    if (m_writing.valid())
        m_writing.wait();
}

bool RecoveryFile::Busy() const
{
    return m_writing.valid() && m_writing.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

void RecoveryFile::Changed()
{
    if (!m_paused)
        m_timer.start();
}

void RecoveryFile::Write()
{
    // One write at a time; the newest changes follow once the running one is done.
    if (Busy()) {
        m_timer.start();
        return;
    }
    if (m_writing.valid())
        m_writing.get();
    RecoveryContent content = m_snapshot();
    m_writing = std::async(std::launch::async, [this, path = m_path, content = std::move(content)]() {
        MaterialFileWriter writer(path);
        bool ok = writer.Open();
        for (size_t i = 0; ok && i < content.materials.size(); ++i)
            ok = writer.WriteAsIs(content.materials[i].ToRecord());
        ok = ok && writer.WriteRaw(content.trailer.toStdString() + '\n') && writer.Commit();
        const QString error = ok ? QString() : writer.ErrorString();
        // Told on the window's thread; a copy destroyed first waits for this write to end, and
        // its queued calls go with it.
        QMetaObject::invokeMethod(
            this, [this, error]() { Written(error); }, Qt::QueuedConnection);
        return error;
    });
}

void RecoveryFile::Written(const QString &error)
{
    if (error.isEmpty()) {
        m_failing = false;
        return;
    }
    CVLOG << "Could not keep the recovery copy " << m_path << ": " << error;
    if (!m_failing)
        emit writeFailed(error);
    m_failing = true;
}

bool RecoveryFile::Flush()
{
    if (m_timer.isActive()) {
        m_timer.stop();
        Write();
    }
    return !m_writing.valid() || m_writing.get().isEmpty();
}

void RecoveryFile::Remove()
{
    m_timer.stop();
    if (m_writing.valid())
        m_writing.wait();
    if (QFile::exists(m_path) && !QFile::remove(m_path))
        CVLOG << "Could not remove the recovery copy " << m_path;
}
