#include "LibraryHistory.h"

#include "MaterialLibrary.h"
#include "base/Log.h"
#include "base/TLanguage.h"

#include <QFile>

namespace {
// The history keeps at least the latest step; older ones give their records up beyond this.
constexpr size_t kHistoryBytes = size_t(64) << 20;
// Older steps than this many fall off the history.
constexpr int kHistorySteps = 1000;
} // namespace

LibraryHistory::LibraryHistory(Apply apply, const QString &recoveryPath, RecoveryFile::Snapshot snapshot,
                               QObject *parent)
    : QObject(parent), m_apply(std::move(apply)),
      m_recovery(std::make_unique<RecoveryFile>(recoveryPath, std::move(snapshot)))
{
    // Set while the stack is empty, as it must be.
    m_stack.setUndoLimit(kHistorySteps);
    connect(&m_stack, &QUndoStack::indexChanged, this, [this]() {
        Moved();
        emit moved();
    });
    connect(&m_stack, &QUndoStack::cleanChanged, this, [this]() { Moved(); });
    m_recoveryPending = QFile::exists(m_recovery->Path());
    m_recovery->SetPaused(m_recoveryPending);
}

LibraryHistory::~LibraryHistory()
{
    // The stack clears itself as it goes, and signals it: nothing here should answer then.
    disconnect(&m_stack, nullptr, this, nullptr);
}

const LibraryStep *LibraryHistory::StepAt(int index) const
{
    return static_cast<const LibraryStep *>(m_stack.command(index));
}

const LibraryStep *LibraryHistory::UndoStep() const
{
    const LibraryStep *step = StepAt(m_stack.index() - 1);
    return step && !step->Expired() ? step : nullptr;
}

const LibraryStep *LibraryHistory::RedoStep() const
{
    return m_stack.canRedo() ? StepAt(m_stack.index()) : nullptr;
}

QString LibraryHistory::UndoText() const
{
    return UndoStep() ? LangTr("Undo %1").arg(UndoStep()->Describe()) : LangTr("Undo");
}

QString LibraryHistory::RedoText() const
{
    return RedoStep() ? LangTr("Redo %1").arg(RedoStep()->Describe()) : LangTr("Redo");
}

void LibraryHistory::Undo()
{
    if (UndoStep())
        m_stack.undo();
}

void LibraryHistory::Redo()
{
    if (RedoStep())
        m_stack.redo();
}

void LibraryHistory::Record(std::vector<EntryChange> changes, const Selection &before, const Selection &after,
                            StepPage page, StepText text, bool guarded)
{
    if (changes.empty())
        return;
    for (const EntryChange &change : changes)
        MarkDirty(change.after ? change.after->key : change.before->key);
    auto *step = new LibraryStep(m_apply, std::move(changes), before, after, page, std::move(text), guarded);
    CVLOG << "Step: " << step->Describe();
    m_stack.push(step); // which makes the change
    // Beyond its share of memory, the older steps give their records up (the latest never does).
    size_t bytes = 0;
    bool full = false;
    for (int i = m_stack.index() - 1; i >= 0; --i) {
        auto *older = const_cast<LibraryStep *>(StepAt(i));
        bytes += older->Bytes();
        full = full || (bytes > kHistoryBytes && i < m_stack.index() - 1);
        if (full && !older->Expired())
            older->Expire();
    }
}

QString LibraryHistory::Refusal(const LibraryStep &step, bool undo, const MaterialLibrary &library,
                                int currentID, bool locked)
{
    if (!step.Guarded())
        return QString();
    for (const EntryChange &change : step.Changes()) {
        if (!change.before || !change.after || change.position >= library.Size())
            continue;
        const CPrintMaterial &now = library.At(change.position).mat;
        if (now.m_szPwMD5[0] == '\0')
            continue;
        // The step that set the lock is the first to be undone: that takes no password.
        if (undo && change.before->mat.m_szPwMD5[0] == '\0')
            continue;
        if (locked || currentID != now.m_nMatID)
            return LangTr("%1 is locked: give its password (✍) first to undo or redo this step.")
                .arg(QString::fromUtf8(now.m_szName));
    }
    return QString();
}

void LibraryHistory::MarkSaved()
{
    m_stack.setClean();
    m_unsavedOutside = false;
    m_dirty.clear();
    Moved();
}

void LibraryHistory::Restart(bool unsaved)
{
    m_unsavedOutside = unsaved;
    m_dirty.clear();
    m_stack.clear();
    Moved();
}

size_t LibraryHistory::Bytes() const
{
    size_t bytes = 0;
    for (int i = 0; i < m_stack.count(); ++i)
        bytes += StepAt(i)->Bytes();
    return bytes;
}

int LibraryHistory::Steps() const
{
    int steps = 0;
    for (int i = 0; i < m_stack.count(); ++i)
        steps += StepAt(i)->Expired() ? 0 : 1;
    return steps;
}

void LibraryHistory::SetRecoveryPending(bool pending)
{
    m_recoveryPending = pending;
    m_recovery->SetPaused(pending || m_readOnly);
}

void LibraryHistory::SetReadOnly()
{
    m_readOnly = true;
    m_recoveryPending = true; // the copy there is the other editor's
    m_recovery->SetPaused(true);
}

void LibraryHistory::EndCleanly()
{
    if (!m_recoveryPending)
        m_recovery->Remove();
}

// After any change of what is unsaved: the flag, and the recovery copy kept or removed.
void LibraryHistory::Moved()
{
    const bool modified = IsModified();
    if (modified != m_modifiedShown) {
        m_modifiedShown = modified;
        emit modifiedChanged(modified);
    }
    if (m_readOnly)
        return;
    if (modified)
        m_recovery->Changed();
    else if (!m_recoveryPending)
        m_recovery->Remove();
}
