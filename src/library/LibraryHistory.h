#pragma once

#include "LibraryStep.h"
#include "RecoveryFile.h"

#include <QObject>
#include <QUndoStack>

#include <functional>
#include <memory>
#include <set>

class MaterialLibrary;

// The history of changes: every change of the library's content is a step that can be undone and
// redone, within a bounded memory; whether the library holds changes the user library does not
// have yet; which materials changed since it was loaded or saved; and the recovery copy that
// keeps those changes through a crash.
class LibraryHistory : public QObject
{
    Q_OBJECT
public:
    // Puts a step's entries back as they were before it (undo) or after it; the history calls it
    // for every undo and redo, and once when a step is recorded.
    using Apply = std::function<void(const LibraryStep &step, bool undo)>;
    LibraryHistory(Apply apply, const QString &recoveryPath, RecoveryFile::Snapshot snapshot,
                   QObject *parent = nullptr);
    ~LibraryHistory() override;

    // Records a change and makes it: the library must hold the entries as they were before it.
    // A change of nothing is no step.
    void Record(std::vector<EntryChange> changes, const Selection &before, const Selection &after,
                StepPage page, StepText text, bool guarded);
    const LibraryStep *UndoStep() const;
    const LibraryStep *RedoStep() const;
    QString UndoText() const;
    QString RedoText() const;
    void Undo();
    void Redo();
    // Why undoing (or redoing) the step now would edit a material behind its password, or "": a
    // guarded step waits for the material to be current and unlocked, but the step that set the
    // lock is undone without the password.
    static QString Refusal(const LibraryStep &step, bool undo, const MaterialLibrary &library, int currentID,
                           bool locked);

    // Whether there are changes that the user library does not have.
    bool IsModified() const { return !m_stack.isClean() || m_unsavedOutside; }
    // The library now is what the user library holds.
    void MarkSaved();
    // The library was replaced by what no step holds (a restored copy): unsaved, no history.
    void Restart(bool unsaved);
    // Materials changed since the library was loaded or saved, by their keys.
    bool IsDirty(quint64 key) const { return m_dirty.count(key) != 0; }
    void MarkDirty(quint64 key) { m_dirty.insert(key); }

    // The memory the steps that can still be undone keep, and their number.
    size_t Bytes() const;
    int Steps() const;

    RecoveryFile &Recovery() { return *m_recovery; }
    // A copy of an earlier run waits for the user's answer: nothing overwrites or removes it.
    bool RecoveryPending() const { return m_recoveryPending; }
    void SetRecoveryPending(bool pending);
    // Nothing of the folder's own is written or removed (another editor holds it).
    void SetReadOnly();
    // A clean end: the recovery copy goes, unless one of an earlier run waits.
    void EndCleanly();

signals:
    // The undo and redo texts may have changed.
    void moved();
    void modifiedChanged(bool modified);

private:
    const LibraryStep *StepAt(int index) const;
    void Moved();

    Apply m_apply;
    QUndoStack m_stack;
    std::unique_ptr<RecoveryFile> m_recovery;
    bool m_unsavedOutside = false;
    bool m_modifiedShown = false;
    bool m_recoveryPending = false;
    bool m_readOnly = false;
    std::set<quint64> m_dirty;
};
