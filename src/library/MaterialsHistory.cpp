// The history of changes: every change of the library's content is a step that can be undone and
// redone; the unsaved flag follows it.

#include "Materials.h"

#include "base/Log.h"
#include "base/TLanguage.h"
#include "base/cfutility.h"
#include "core/MaterialFormat.h"
#include "core/PrinterCatalogue.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {
// The history keeps at least the latest step; older ones give their records up beyond this.
constexpr size_t kHistoryBytes = size_t(64) << 20;
} // namespace

const LibraryStep *Materials::StepAt(int index) const
{
    return static_cast<const LibraryStep *>(m_history.command(index));
}

bool Materials::canUndo() const
{
    const LibraryStep *step = StepAt(m_history.index() - 1);
    return step && !step->Expired();
}

bool Materials::canRedo() const
{
    return m_history.canRedo();
}

QString Materials::undoText() const
{
    return canUndo() ? LangTr("Undo %1").arg(StepAt(m_history.index() - 1)->Describe()) : LangTr("Undo");
}

QString Materials::redoText() const
{
    return canRedo() ? LangTr("Redo %1").arg(StepAt(m_history.index())->Describe()) : LangTr("Redo");
}

size_t Materials::HistoryBytes() const
{
    size_t bytes = 0;
    for (int i = 0; i < m_history.count(); ++i)
        bytes += StepAt(i)->Bytes();
    return bytes;
}

int Materials::HistorySteps() const
{
    int steps = 0;
    for (int i = 0; i < m_history.count(); ++i)
        steps += StepAt(i)->Expired() ? 0 : 1;
    return steps;
}

void Materials::setReadOnly(const QString &reason)
{
    m_strReadOnly = reason;
    m_recovery->SetPaused(true);
    m_bRecoveryPending = true; // the copy there is the other editor's
}

void Materials::HistoryMoved()
{
    NotifyModified();
    if (!m_strReadOnly.isEmpty())
        return;
    if (isModified())
        m_recovery->Changed();
    else if (!m_bRecoveryPending)
        m_recovery->Remove();
}

QString Materials::recoveryTime() const
{
    if (!m_bRecoveryPending || !m_strReadOnly.isEmpty() || !QFile::exists(m_recovery->Path()))
        return QString();
    return QLocale().toString(QFileInfo(m_recovery->Path()).lastModified(), QLocale::LongFormat);
}

RecoveryContent Materials::RecoveryContentNow() const
{
    // What Save would write, with what Save writes beside it: the restore then starts from the
    // installed vendor library as a start-up does, so that a vendor update reaches what the user
    // did not change.
    RecoveryContent content;
    for (const auto &entry : m_Materials) {
        if (IsUsers(*entry))
            content.materials.push_back(FlatMaterial::From(entry->mat));
    }
    const QJsonObject trailer{{QStringLiteral("recovery"), 1},
                              {QStringLiteral("count"), int(content.materials.size())},
                              {QStringLiteral("editor"), CurrentEditorData().ToJsonObject()},
                              {QStringLiteral("removed"), QString::fromLatin1(RemovedVendorText())},
                              {QStringLiteral("unread"), m_strUserReadError}};
    content.trailer = QJsonDocument(trailer).toJson(QJsonDocument::Compact);
    return content;
}

QString Materials::restoreRecovery()
{
    const QString path = m_recovery->Path();
    std::vector<CPrintMaterial> records;
    size_t refused = 0;
    QJsonObject trailer;
    MaterialFileVisitor visit;
    visit.onMaterial = [&](size_t, CPrintMaterial &mat, const MaterialDecodeReport &report) {
        if (report.droppedSets.empty())
            records.push_back(std::move(mat));
        else
            ++refused;
    };
    visit.onRefusedLine = [&](const RefusedLine &, const std::string &line) {
        const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(line).trimmed());
        if (json.isObject() && json.object().contains(QStringLiteral("recovery")))
            trailer = json.object();
        else
            ++refused;
    };
    const MaterialFileReadResult read = ReadMaterialFile(QFile::encodeName(path).toStdString(), visit);
    m_bRecoveryPending = false;
    m_recovery->SetPaused(false);
    QString why;
    if (!read.opened || read.error)
        why = LangTr("it cannot be read to its end");
    else if (trailer.isEmpty())
        why = LangTr("it is incomplete");
    else if (refused > 0)
        why = LangTr("%1 parts could not be read").arg(refused);
    else if (trailer.value(QStringLiteral("count")).toInt() != int(records.size()))
        why = LangTr("it holds %1 of %2 materials").arg(records.size()).arg(trailer.value(QStringLiteral("count")).toInt());
    if (!why.isEmpty()) {
        // Kept aside, never dropped: someone may still get something out of it.
        const QString aside = path + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        QFile::rename(path, aside);
        CVLOG << "The recovery copy could not be read (" << why << "); kept as " << aside;
        return LangTr("The recovery copy could not be read (%1). It was kept as %2.").arg(why, aside);
    }
    CVLOG << "Restore " << records.size() << " materials from " << path;
    // The vendor library as loaded at start, less what the user had removed, then the user's.
    std::vector<CPrintMaterial> vendor;
    std::vector<Placement> vendorPlaces(m_vendor.size());
    for (size_t i = 0; i < m_vendor.size(); ++i) {
        vendor.push_back(m_vendor[i].ToRecord());
        vendorPlaces[i].vendorRef = int(i);
    }
    m_CurSets.clear();
    m_Materials.clear();
    MergeRecords(std::move(vendor), path, false, false, &vendorPlaces);
    LeaveOutRemovedVendor(RemovedVendorOf(trailer.value(QStringLiteral("removed")).toString().toLatin1()));
    const std::vector<Placement> places =
        PlaceUserRecords(records, EditorData::FromJsonObject(trailer.value(QStringLiteral("editor")).toObject()));
    MergeRecords(std::move(records), path, false, false, &places);
    m_lastImport = ImportReport();
    // A library not read completely stays so: Save still asks before replacing it.
    const QString unread = trailer.value(QStringLiteral("unread")).toString();
    if (!unread.isEmpty())
        SetUserLibraryReadError(unread);
    for (const auto &entry : m_Materials) {
        if (IsUsers(*entry))
            m_dirtyKeys.insert(entry->key);
    }
    m_bUnsavedOutsideHistory = true;
    m_history.clear();
    HistoryMoved();
    ReselectCurrent();
    return QString();
}

void Materials::discardRecovery()
{
    if (!m_bRecoveryPending)
        return;
    const QString path = m_recovery->Path();
    const QString kept = path + QStringLiteral(".bak");
    QFile::remove(kept);
    if (!QFile::rename(path, kept))
        CVLOG << "Could not keep " << path << " as " << kept;
    m_bRecoveryPending = false;
    m_recovery->SetPaused(false);
}

void Materials::endCleanly()
{
    if (!m_bRecoveryPending)
        m_recovery->Remove();
}

void Materials::NotifyModified()
{
    const bool modified = isModified();
    if (modified == m_bModifiedShown)
        return;
    m_bModifiedShown = modified;
    emit modifiedChanged(modified);
}

long Materials::PositionOf(int nID) const
{
    for (size_t i = 0; i < m_Materials.size(); ++i) {
        if (m_Materials[i]->mat.m_nMatID == nID)
            return long(i);
    }
    return -1;
}

Selection Materials::CurrentSelection() const
{
    return {m_nCurMatID, m_nCurPrinter, m_fCurNozzle, m_fCurLayerThick, m_nCurQuality};
}

void Materials::PushStep(std::vector<EntryChange> changes, const Selection &before, StepPage page, StepText text,
                         bool guarded)
{
    if (changes.empty())
        return;
    for (const EntryChange &change : changes)
        m_dirtyKeys.insert(change.after ? change.after->key : change.before->key);
    auto *step = new LibraryStep(*this, std::move(changes), before, CurrentSelection(), page, std::move(text), guarded);
    CVLOG << "Step: " << step->Describe();
    m_history.push(step);
    // Beyond its share of memory, the older steps give their records up (the latest never does).
    size_t bytes = 0;
    bool full = false;
    for (int i = m_history.index() - 1; i >= 0; --i) {
        auto *older = const_cast<LibraryStep *>(StepAt(i));
        bytes += older->Bytes();
        full = full || (bytes > kHistoryBytes && i < m_history.index() - 1);
        if (full && !older->Expired())
            older->Expire();
    }
}

void Materials::RecordEdit(size_t position, MaterialEntry before, const Selection &selection, StepPage page,
                           StepText text)
{
    if (position >= m_Materials.size() || before.mat == m_Materials[position]->mat)
        return;
    std::vector<EntryChange> changes(1);
    changes[0].position = position;
    changes[0].before = std::move(before);
    changes[0].after = *m_Materials[position];
    PushStep(std::move(changes), selection, page, std::move(text), true);
}

QString Materials::HistoryRefusal(const LibraryStep &step, bool undo) const
{
    if (!step.Guarded())
        return QString();
    for (const EntryChange &change : step.Changes()) {
        if (!change.before || !change.after || change.position >= m_Materials.size())
            continue;
        const CPrintMaterial &now = m_Materials[change.position]->mat;
        if (now.m_szPwMD5[0] == '\0')
            continue;
        // The step that set the lock is the first to be undone: that takes no password.
        if (undo && change.before->mat.m_szPwMD5[0] == '\0')
            continue;
        if (m_bMatLocked || m_nCurMatID != now.m_nMatID)
            return LangTr("%1 is locked: give its password (✍) first to undo or redo this step.")
                .arg(QString::fromUtf8(now.m_szName));
    }
    return QString();
}

void Materials::undo()
{
    if (!canUndo())
        return;
    const QString refusal = HistoryRefusal(*StepAt(m_history.index() - 1), true);
    if (!refusal.isEmpty()) {
        CVLOG << refusal;
        emit historyRefused(refusal);
        return;
    }
    m_history.undo();
}

void Materials::redo()
{
    if (!canRedo())
        return;
    const QString refusal = HistoryRefusal(*StepAt(m_history.index()), false);
    if (!refusal.isEmpty()) {
        CVLOG << refusal;
        emit historyRefused(refusal);
        return;
    }
    m_history.redo();
}

void Materials::ApplyStep(const LibraryStep &step, bool undo)
{
    CVLOG << (undo ? "Undo " : "Redo ") << step.Describe();
    const long unlocked = m_bMatLocked ? -1 : PositionOf(m_nCurMatID);
    // The current sets point into records that are about to be replaced.
    m_CurSets.clear();
    const auto put = [this](size_t position, const std::optional<MaterialEntry> &from,
                            const std::optional<MaterialEntry> &to) {
        m_dirtyKeys.insert(to ? to->key : from->key);
        if (from)
            ForgetVendorState(m_Materials[position].get());
        if (from && to)
            *m_Materials[position] = *to;
        else if (to)
            m_Materials.insert(m_Materials.begin() + long(position), std::make_unique<MaterialEntry>(*to));
        else
            m_Materials.erase(m_Materials.begin() + long(position));
        if (to)
            ForgetVendorState(m_Materials[position].get());
    };
    const std::vector<EntryChange> &changes = step.Changes();
    if (undo) {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            put(it->position, it->after, it->before);
    } else {
        for (const EntryChange &change : changes)
            put(change.position, change.before, change.after);
    }
    const Selection &selection = undo ? step.SelectionBefore() : step.SelectionAfter();
    RestoreSelection(selection, unlocked >= 0 && PositionOf(selection.matID) == unlocked);
    emit historyApplied(int(step.Page()));
}

QVariantMap Materials::currentSelection() const
{
    return {{QStringLiteral("matID"), m_nCurMatID},
            {QStringLiteral("printer"), m_nCurPrinter},
            {QStringLiteral("nozzle"), double(m_fCurNozzle)},
            {QStringLiteral("layer"), double(m_fCurLayerThick)},
            {QStringLiteral("quality"), m_nCurQuality}};
}

void Materials::restoreSelection(int matID, int printer, double nozzle, double layer, int quality)
{
    if (PositionOf(matID) < 0)
        return; // a material that is gone leaves the selection as it is
    RestoreSelection({matID, printer, float(nozzle), float(layer), quality}, false);
}

void Materials::RestoreSelection(const Selection &selection, bool stayUnlocked)
{
    SetCurMaterial(selection.matID, stayUnlocked);
    UpdatePrinterTypes();
    const bool printer = selection.printer != -1000
                         && std::count(m_PrinterTypes.begin(), m_PrinterTypes.end(), selection.printer) > 0;
    selectPrinter(printer ? selection.printer : -1000);
    emit printerChanged();
    if (!printer || selection.nozzle < 0
        || std::none_of(m_NozzleDias.begin(), m_NozzleDias.end(),
                        [&](float d) { return IsSameNozzle(d, selection.nozzle); }))
        return;
    selectNozzle(selection.nozzle);
    if (selection.layer < 0
        || std::none_of(m_LayerThicks.begin(), m_LayerThicks.end(),
                        [&](float t) { return IsSameLayer(t, selection.layer); }))
        return;
    selectLayerThick(selection.layer);
    if (selection.quality >= 0 && std::count(m_Qualities.begin(), m_Qualities.end(), selection.quality) > 0)
        selectQuality(selection.quality);
}
