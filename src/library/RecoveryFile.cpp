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
    if (m_writing.valid() && !m_writing.get())
        CVLOG << "Could not keep the recovery copy " << m_path;
    RecoveryContent content = m_snapshot();
    m_writing = std::async(std::launch::async, [path = m_path, content = std::move(content)]() {
        MaterialFileWriter writer(path);
        bool ok = writer.Open();
        for (size_t i = 0; ok && i < content.materials.size(); ++i)
            ok = writer.WriteAsIs(content.materials[i].ToRecord());
        return ok && writer.WriteRaw(content.trailer.toStdString() + '\n') && writer.Commit();
    });
}

bool RecoveryFile::Flush()
{
    if (m_timer.isActive()) {
        m_timer.stop();
        Write();
    }
    return !m_writing.valid() || m_writing.get();
}

void RecoveryFile::Remove()
{
    m_timer.stop();
    if (m_writing.valid())
        m_writing.wait();
    if (QFile::exists(m_path) && !QFile::remove(m_path))
        CVLOG << "Could not remove the recovery copy " << m_path;
}
