#pragma once

#include "core/PrintMaterial.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <future>
#include <vector>

// What a recovery copy holds: the records as they are (derived fields untouched, so that a restore
// changes nothing the user did not), and a last line that says what else the library knew and how
// many records come before it, so that a copy cut short is told from a whole one.
struct RecoveryContent
{
    std::vector<FlatMaterial> materials;
    QByteArray trailer; // one line of JSON, without its line end
};

// A copy of a library with unsaved changes, kept in a file so that a crash loses nothing. It is
// written a moment after the last change from a snapshot of the records (flat: the
// window's thread only copies blocks), on a thread of its own
// so that the window never waits for the disk, and atomically, so that a crash while writing
// leaves the previous copy. A clean end removes it.
class RecoveryFile : public QObject
{
    Q_OBJECT
public:
    using Snapshot = std::function<RecoveryContent()>;
    RecoveryFile(const QString &path, Snapshot snapshot, QObject *parent = nullptr);
    // Waits for a write in progress; the file stays (an end without a clean end keeps it).
    ~RecoveryFile() override;

    QString Path() const { return m_path; }
    // There are unsaved changes (again): a copy is written within the delay after the last call.
    void Changed();
    // A clean end, or nothing unsaved any more: no copy is written and the file is removed.
    void Remove();
    // Holds writes back while a copy of an earlier run waits for the user's answer.
    void SetPaused(bool paused) { m_paused = paused; }
    // Writes any pending copy now and waits for it (for tests and benchmarks).
    bool Flush();
    // What a write starts from, taken on the caller's thread (for the benchmark).
    RecoveryContent TakeSnapshot() const { return m_snapshot(); }

    // The milliseconds between the last change and the write.
    static constexpr int kDelayMs = 1000;

signals:
    // A copy could not be written, and why; once until a copy is written again.
    void writeFailed(const QString &reason);

private:
    void Write();
    void Written(const QString &error);
    bool Busy() const;

    QString m_path;
    Snapshot m_snapshot;
    QTimer m_timer;
    std::future<QString> m_writing; // why the write failed, "" when it did not
    bool m_paused = false;
    bool m_failing = false;
};
