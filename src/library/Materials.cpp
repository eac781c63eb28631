#include "Materials.h"

#include "ParameterTable.h"
#include "SetDerivation.h"
#include "base/Log.h"
#include "base/TLanguage.h"
#include "base/cfutility.h"
#include "core/MaterialAdvice.h"
#include "core/MaterialDiff.h"
#include "core/MaterialFormat.h"
#include "core/MaterialIdentity.h"
#include "core/PrinterCatalogue.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

namespace {
// UTF-8 bytes of a typed text, cut to at most 32 bytes without splitting a character.
QByteArray utf8Cut32(const QString &text)
{
    return QByteArray::fromStdString(Utf8Prefix(text.toUtf8().toStdString(), 32));
}

QString number(double shown)
{
    return QString::number(RoundShownValue(shown), 'g', 10);
}

// "40", or "40–55" for values that differ between the sets.
QString spreadText(const QVariantMap &spread)
{
    const double low = spread.value(QStringLiteral("min")).toDouble();
    const double high = spread.value(QStringLiteral("max")).toDouble();
    return low == high ? number(low) : number(low) + QStringLiteral("–") + number(high);
}

QString nameOf(const CPrintMaterial &mat)
{
    return QString::fromUtf8(mat.m_szName);
}

QString describe(const CPrintMaterial &mat)
{
    return QStringLiteral("%1 / %2 (ID %3)")
        .arg(nameOf(mat), QString::fromUtf8(mat.m_szManu), QString::number(mat.m_nMatID));
}

void setLock(CPrintMaterial &mat, const QString &digest)
{
    const QByteArray lock = digest.left(32).toLatin1();
    std::memset(mat.m_szPwMD5, 0, sizeof(mat.m_szPwMD5));
    std::memcpy(mat.m_szPwMD5, lock.constData(), size_t(lock.size()));
}
} // namespace

Materials::Materials(QObject *parent) : QObject(parent)
{
    m_items = BuildParamCatalogue();
    const QString dataPath = LangTrans::Instance()->GetGroupAppDataPath();
    CVLOG << "data path of Brevisto: " << dataPath;
    m_files = std::make_unique<LibraryFiles>(m_library, m_vendor, dataPath);
    m_history = std::make_unique<LibraryHistory>(
        [this](const LibraryStep &step, bool undo) { ApplyStep(step, undo); }, m_files->RecoveryPath(),
        [this]() { return m_files->RecoveryContentNow(); });
    connect(m_history.get(), &LibraryHistory::moved, this, &Materials::historyChanged);
    connect(m_history.get(), &LibraryHistory::modifiedChanged, this, &Materials::modifiedChanged);
    connect(&m_history->Recovery(), &RecoveryFile::writeFailed, this, &Materials::recoveryWriteFailed);
}

Materials::~Materials() = default;

// ----------------------------------------------------------------------------------------------
// The edit path

bool Materials::Edit(StepPage page, const std::function<bool(LibraryEditor &)> &change,
                     const std::function<void()> &refresh, const std::function<StepText()> &describe,
                     const Selection *before)
{
    if (m_files->Loading()) {
        emit historyRefused(LangTr("The library is still loading: changes can be made once it is complete."));
        return false;
    }
    const Selection selection = before ? *before : m_cascade.Current();
    LibraryEditor editor(m_library);
    if (!change(editor)) {
        editor.Revert();
        return false;
    }
    const bool guarded = editor.TouchesLockedMaterial();
    std::vector<EntryChange> changes = editor.Finish();
    refresh();
    if (changes.empty())
        return false;
    const StepText text = describe();
    const Selection after = m_cascade.Current();
    // Back to before it, silently: the history makes the change as it makes every undo and redo.
    PutEntries(changes, true);
    m_recordingStep = true;
    m_history->Record(std::move(changes), selection, after, page, text, guarded);
    m_recordingStep = false;
    return true;
}

void Materials::PutEntries(const std::vector<EntryChange> &changes, bool undo)
{
    const auto put = [this](size_t position, const std::optional<MaterialEntry> &from,
                            const std::optional<MaterialEntry> &to) {
        m_history->MarkDirty(to ? to->key : from->key);
        if (from && to)
            m_library.Modify(position) = *to; // with the revision it had then
        else if (to)
            m_library.Insert(position, std::make_unique<MaterialEntry>(*to));
        else
            m_library.Take(position);
    };
    if (undo) {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            put(it->position, it->after, it->before);
    } else {
        for (const EntryChange &change : changes)
            put(change.position, change.before, change.after);
    }
}

void Materials::ApplyStep(const LibraryStep &step, bool undo)
{
    const long unlocked = m_cascade.Locked() ? -1 : CurrentPosition();
    PutEntries(step.Changes(), undo);
    if (m_recordingStep)
        return;
    CVLOG << (undo ? "Undo " : "Redo ") << step.Describe();
    const Selection &selection = undo ? step.SelectionBefore() : step.SelectionAfter();
    RestoreSelection(selection, unlocked >= 0 && m_library.PositionOf(selection.matID) == unlocked);
    emit historyApplied(int(step.Page()));
}

// ----------------------------------------------------------------------------------------------
// Texts and rows the scene reads

QString Materials::curMaterial() const
{
    const CPrintMaterial *mat = currentMaterial();
    if (!mat)
        return LangTr("Material ");
    return QStringLiteral("%1 ( %2 )")
        .arg(QString::fromUtf8(mat->m_szName), QString::fromUtf8(mat->m_szManu));
}

QString Materials::curMatName() const
{
    const CPrintMaterial *mat = currentMaterial();
    return mat ? QString::fromUtf8(mat->m_szName) : QString();
}

QString Materials::curManu() const
{
    const CPrintMaterial *mat = currentMaterial();
    return mat ? QString::fromUtf8(mat->m_szManu) : QString();
}

QString Materials::curPrinter() const
{
    return m_cascade.PrinterText();
}

QString Materials::curNozzle() const
{
    return m_cascade.NozzleText();
}

QString Materials::curLayerThick() const
{
    return m_cascade.LayerText();
}

QString Materials::curQuality() const
{
    return m_cascade.QualityText();
}

const CPrintMaterial *Materials::currentMaterial() const
{
    const MaterialEntry *entry = CurrentEntry();
    return entry ? &entry->mat : nullptr;
}

std::vector<const PrintSetData *> Materials::CurrentSets() const
{
    return m_cascade.Sets(currentMaterial());
}

void Materials::setCurLanguage(int idx)
{
    m_nLanguage = idx;
    LangTrans::Instance()->SetLanguage(idx);
    LogLine(nullptr) << " set language  idx: " << idx;
    // Every text of the library is read again in the new language, at once.
    emit languageChanged();
    emit curMaterialChanged(curMaterial());
    emit curPrinterChanged(curPrinter());
    emit curNozzleChanged(curNozzle());
    emit curLayerThickChanged(curLayerThick());
    emit curQualityChanged(curQuality());
    emit matChanged();
    emit qualityChanged();
    emit historyChanged();
}

QVariantMap Materials::lastImportReport() const
{
    const LibraryFiles::ImportReport &r = m_files->LastImport();
    return {{QStringLiteral("added"), r.added},
            {QStringLiteral("replaced"), r.replaced},
            {QStringLiteral("renumbered"), r.renumbered},
            {QStringLiteral("skipped"), r.skipped},
            {QStringLiteral("renamed"), r.renamed},
            {QStringLiteral("kept"), r.kept},
            {QStringLiteral("refusedSets"), r.refusedSets},
            {QStringLiteral("missing"), r.missing},
            {QStringLiteral("readError"), r.readError},
            {QStringLiteral("renamedNames"), r.renamedNames},
            {QStringLiteral("renumberedNames"), r.renumberedNames}};
}

QVariantList Materials::materialIDsOf(QVariantList keys) const
{
    std::set<quint64> wanted;
    for (const QVariant &key : keys)
        wanted.insert(key.toULongLong());
    QVariantList ids;
    for (size_t i = 0; i < m_library.Size(); ++i) {
        if (wanted.count(m_library.At(i).key))
            ids << m_library.At(i).mat.m_nMatID;
    }
    return ids;
}

quint64 Materials::EntryKey(int row) const
{
    return row >= 0 && size_t(row) < m_library.Size() ? m_library.At(size_t(row)).key : 0;
}

void Materials::appendItem()
{
    emit preItemAppended();
    ParamItem item;
    item.paramType = 1;
    item.paramDesc = QStringLiteral("Add new");
    m_items.append(item);
    emit postItemAppended();
}

void Materials::removeCompletedItems()
{
    for (int i = 0; i < m_items.size();) {
        if (m_items[i].paramType == 0) {
            emit preItemRemoved(i);
            m_items.remove(i);
            emit postItemRemoved();
        } else {
            ++i;
        }
    }
}

bool Materials::isFileExist(QString path)
{
    return QFileInfo::exists(path);
}

QVector<MaterialItem> Materials::materialItems() const
{
    QVector<MaterialItem> rows;
    rows.reserve(int(m_library.Size()));
    for (int row = 0; row < int(m_library.Size()); ++row)
        rows.append(materialItem(row));
    return rows;
}

MaterialItem Materials::materialItem(int row) const
{
    const CPrintMaterial *mat = materialAt(row);
    if (!mat)
        return MaterialItem();
    return {QString::fromUtf8(mat->m_szName), QString::fromUtf8(mat->m_szManu), mat->m_nMatID == curMatID(),
            mat->m_nMatID};
}

const CPrintMaterial *Materials::materialAt(int row) const
{
    if (row < 0 || size_t(row) >= m_library.Size())
        return nullptr;
    return &m_library.At(size_t(row)).mat;
}

void Materials::OutputCurrentSelects()
{
    const CPrintMaterial *mat = currentMaterial();
    if (!mat)
        return;
    const Selection s = m_cascade.Current();
    CVLOG << "Cur MatID: " << s.matID;
    CVLOG << "Current Material:" << mat->m_nMatID << " name: " << mat->m_szName;
    CVLOG << "Current Printer: " << s.printer << " Name: " << curPrinter();
    CVLOG << "Current Nozzle: " << s.nozzle << curNozzle();
    CVLOG << "Current Layer Thick" << s.layer << curLayerThick();
    CVLOG << "Current Quality" << s.quality << " Name: " << GetQualityName(s.quality);
}

bool Materials::IsHaveSameID()
{
    std::set<int32_t> seen;
    for (size_t i = 0; i < m_library.Size(); ++i) {
        const CPrintMaterial &mat = m_library.At(i).mat;
        if (!seen.insert(mat.m_nMatID).second) {
            LogLine("IsHaveSameID") << "Error:" << -1 << "   "
                                    << "There are same Material ID in the materials, Mat name: "
                                    << mat.m_szName << "  ID:" << mat.m_nMatID;
            return true;
        }
    }
    return false;
}

// ----------------------------------------------------------------------------------------------
// The selection

void Materials::SetCurMaterial(int nID, bool stayUnlocked)
{
    int id = m_library.IsEmpty() ? -1 : m_library.At(0).mat.m_nMatID;
    bool locked = true; // the fallback to the first material stays locked
    if (const MaterialEntry *entry = m_library.Find(nID)) {
        locked = entry->mat.m_szPwMD5[0] != '\0' && !stayUnlocked;
        id = nID;
    }
    m_cascade.SetMaterial(id, locked);
    LoadBasicInfo();
    emit curMaterialChanged(curMaterial());
    emit curMatIDChanged(id); // the scene shows the ID of the material that is current
    emit matChanged();
    emit bMatLockedChanged(bMatLocked());
}

void Materials::ReselectCurrent()
{
    selectMaterial(curMatID());
}

void Materials::selectMaterial(int nID)
{
    m_pendingSelection.reset(); // what the user chose wins over the last session's
    m_reselectAtEnd = false;
    SetCurMaterial(nID);
    m_cascade.ListChoices(Level::Printer, currentMaterial());
    selectPrinter(Selection::kNoPrinter);
    emit printerChanged();
}

void Materials::selectPrinter(int typeID)
{
    m_cascade.Choose(Level::Printer, typeID);
    emit curPrinterChanged(curPrinter());
    m_cascade.ListChoices(Level::Nozzle, currentMaterial());
    selectNozzle(-1);
    emit nozzleChanged();
}

void Materials::selectNozzle(float nozzleDia)
{
    m_cascade.Choose(Level::Nozzle, double(nozzleDia));
    emit curNozzleChanged(curNozzle());
    m_cascade.ListChoices(Level::Layer, currentMaterial());
    selectLayerThick(-1);
    emit layerThickChanged();
}

void Materials::selectLayerThick(float layerThick)
{
    m_cascade.Choose(Level::Layer, double(layerThick));
    emit curLayerThickChanged(curLayerThick());
    m_cascade.ListChoices(Level::Quality, currentMaterial());
    selectQuality(-1);
    emit qualityChanged();
}

void Materials::selectQuality(int quality)
{
    m_cascade.Choose(Level::Quality, quality);
    emit curQualityChanged(curQuality());
    LoadPrintParams();
    emit matChanged();
    OutputCurrentSelects();
}

void Materials::EmitListChanged(Level level)
{
    switch (level) {
    case Level::Printer:
        emit printerChanged();
        break;
    case Level::Nozzle:
        emit nozzleChanged();
        break;
    case Level::Layer:
        emit layerThickChanged();
        break;
    case Level::Quality:
        emit qualityChanged();
        break;
    }
}

void Materials::ChooseLevel(Level level, double value)
{
    switch (level) {
    case Level::Printer:
        selectPrinter(int(value));
        break;
    case Level::Nozzle:
        selectNozzle(float(value));
        break;
    case Level::Layer:
        selectLayerThick(float(value));
        break;
    case Level::Quality:
        selectQuality(int(value));
        break;
    }
}

void Materials::RelistAndChoose(Level level, double value)
{
    m_cascade.ListChoices(level, currentMaterial());
    EmitListChanged(level);
    ChooseLevel(level, value);
}

void Materials::LoadBasicInfo()
{
    LoadBasicRows(m_items, currentMaterial(), m_cascade.Locked());
    ComputeVendorMarks();
}

void Materials::LoadPrintParams()
{
    LoadPrintRows(m_items, CurrentSets(), m_cascade.Locked());
    ComputeVendorMarks();
}

QVariantMap Materials::currentSelection() const
{
    const Selection s = m_cascade.Current();
    return {{QStringLiteral("matID"), s.matID},
            {QStringLiteral("printer"), s.printer},
            {QStringLiteral("nozzle"), double(s.nozzle)},
            {QStringLiteral("layer"), double(s.layer)},
            {QStringLiteral("quality"), s.quality}};
}

void Materials::restoreSelection(int matID, int printer, double nozzle, double layer, int quality)
{
    if (m_library.PositionOf(matID) < 0) {
        if (m_files->Loading()) // shown once it is read
            m_pendingSelection = Selection{matID, printer, float(nozzle), float(layer), quality};
        return; // a material that is gone leaves the selection as it is
    }
    RestoreSelection({matID, printer, float(nozzle), float(layer), quality}, false);
}

void Materials::RestoreSelection(const Selection &selection, bool stayUnlocked)
{
    SetCurMaterial(selection.matID, stayUnlocked);
    m_cascade.ListChoices(Level::Printer, currentMaterial());
    const std::vector<int> &printers = m_cascade.Printers();
    const bool printer = selection.printer != Selection::kNoPrinter &&
                         std::count(printers.begin(), printers.end(), selection.printer) > 0;
    selectPrinter(printer ? selection.printer : Selection::kNoPrinter);
    emit printerChanged();
    const std::vector<float> &nozzles = m_cascade.Nozzles();
    if (!printer || selection.nozzle < 0 || std::none_of(nozzles.begin(), nozzles.end(), [&](float d) {
            return IsSameNozzle(d, selection.nozzle);
        }))
        return;
    selectNozzle(selection.nozzle);
    const std::vector<float> &layers = m_cascade.Layers();
    if (selection.layer < 0 ||
        std::none_of(layers.begin(), layers.end(), [&](float t) { return IsSameLayer(t, selection.layer); }))
        return;
    selectLayerThick(selection.layer);
    const std::vector<int> &qualities = m_cascade.Qualities();
    if (selection.quality >= 0 && std::count(qualities.begin(), qualities.end(), selection.quality) > 0)
        selectQuality(selection.quality);
}

QVariantMap Materials::valueSpread(int nID, double amount, bool percent) const
{
    QVariantMap spread{{QStringLiteral("count"), 0}};
    const CPrintMaterial *mat = currentMaterial();
    if (!mat || !IsBoundParam(nID))
        return spread;
    // A locked material takes no change, so none is foreseen.
    if (m_cascade.Locked())
        amount = 0.0;
    const ParamItem &row = m_items[nID];
    double low = 0.0;
    double high = 0.0;
    int count = 0;
    if (nID <= kLastBasicParam) {
        CPrintMaterial changed;
        changed.CopyFieldsFrom(*mat);
        ChangeBasicValueBy(changed, nID, amount, percent, row.minVal, row.maxVal);
        low = high = ShownBasicValue(changed, nID);
        count = 1;
    }
    for (const PrintSetData *set :
         nID > kLastBasicParam ? CurrentSets() : std::vector<const PrintSetData *>()) {
        PrintSetData changed = *set;
        ChangePrintValueBy(changed, nID, amount, percent, row.minVal, row.maxVal);
        const double v = ShownPrintValue(changed, nID);
        low = count ? std::min(low, v) : v;
        high = count ? std::max(high, v) : v;
        ++count;
    }
    if (count) {
        spread.insert(QStringLiteral("min"), RoundShownValue(low));
        spread.insert(QStringLiteral("max"), RoundShownValue(high));
    }
    spread.insert(QStringLiteral("count"), count);
    return spread;
}

QString Materials::availNewSet()
{
    return m_cascade.OfferNewSets(currentMaterial());
}

// ----------------------------------------------------------------------------------------------
// Editing: values, name and password, ID, materials, print sets

void Materials::setParameter(int nID, double value)
{
    CVLOG << "Set print parameter ID: " << nID << " value: " << value;
    if (nID < 0 || nID >= kParamCount) {
        CVLOG << "Parameter ID " << nID << " is not a parameter, nothing changed";
        return;
    }
    if (m_cascade.Locked()) {
        CVLOG << "Material is locked, can't edit!";
        return;
    }
    if (m_items[nID].paramType == ParamItem::Acceleration && value < double(kAccelerationFloor)) {
        CVLOG << "Below the floor of " << kAccelerationFloor << " mm/s² that Save applies: nothing changed";
        return;
    }
    const QVariantMap spread = valueSpread(nID);
    m_items[nID].paramVal = value;
    if (CurrentPosition() < 0) {
        CVLOG << "The Current Material is NULL!!";
        ComputeVendorMarks();
        emit matChanged();
        return;
    }
    Edit(
        nID > kLastBasicParam ? StepPage::Params : StepPage::Start,
        [&](LibraryEditor &editor) {
            CPrintMaterial &mat = editor.Touch(size_t(CurrentPosition())).mat;
            if (nID <= kLastBasicParam) {
                StoreBasicValue(mat, nID, value);
                return true;
            }
            const std::vector<PrintSetData *> sets = m_cascade.Sets(mat);
            for (PrintSetData *set : sets)
                StorePrintValue(*set, nID, value);
            if (!sets.empty())
                m_items[nID].paramFlag |= ParamItem::CommonValue;
            return true;
        },
        [this]() {
            ComputeVendorMarks();
            emit matChanged();
        },
        [&]() {
            const int sets = spread.value(QStringLiteral("count")).toInt();
            StepText text{"%1 %2 → %3",
                          {m_items[nID].paramDesc, spreadText(spread),
                           number(valueSpread(nID).value(QStringLiteral("min")).toDouble())},
                          1u};
            if (sets > 1) {
                text.format = "%1 %2 → %3 (%4 print sets)";
                text.args << QString::number(sets);
            }
            return text;
        });
}

void Materials::changeParameterBy(int nID, double amount, bool percent)
{
    CVLOG << "Change print parameter ID: " << nID << " by " << amount << (percent ? " %" : "");
    if (nID < 0 || nID >= kParamCount || !IsBoundParam(nID) || m_cascade.Locked() || amount == 0.0 ||
        CurrentPosition() < 0)
        return;
    const ParamItem &row = m_items[nID];
    int sets = 1;
    Edit(
        nID > kLastBasicParam ? StepPage::Params : StepPage::Start,
        [&](LibraryEditor &editor) {
            CPrintMaterial &mat = editor.Touch(size_t(CurrentPosition())).mat;
            if (nID <= kLastBasicParam)
                return ChangeBasicValueBy(mat, nID, amount, percent, row.minVal, row.maxVal);
            bool changed = false;
            const std::vector<PrintSetData *> selected = m_cascade.Sets(mat);
            for (PrintSetData *set : selected)
                changed = ChangePrintValueBy(*set, nID, amount, percent, row.minVal, row.maxVal) || changed;
            sets = int(selected.size());
            return changed;
        },
        [this]() {
            LoadBasicInfo();
            LoadPrintParams();
            emit matChanged();
        },
        [&]() {
            const QString change = (amount < 0 ? QStringLiteral("−") : QStringLiteral("+")) +
                                   number(std::fabs(amount)) + (percent ? QStringLiteral(" %") : QString());
            StepText text{"%1 %2", {row.paramDesc, change}, 1u};
            if (sets > 1) {
                text.format = "%1 %2 (%3 print sets)";
                text.args << QString::number(sets);
            }
            return text;
        });
}

int Materials::setMatNameAndManu(QString name, QString manu, QString pwMD5)
{
    CVLOG << "Set material name and manufacturer: " << name << " / " << manu;
    const MaterialEntry *entry = CurrentEntry();
    if (!entry)
        return -1;
    const CPrintMaterial &mat = entry->mat;
    const QString stored = QString::fromLatin1(mat.m_szPwMD5).toLower();
    if (!stored.isEmpty() && stored != pwMD5)
        return -2;
    // Two materials with one name and manufacturer would merge into one at the next start. A text
    // the user left as shown keeps its stored bytes, which need not be UTF-8.
    const QByteArray newName =
        name == QString::fromUtf8(mat.m_szName) ? QByteArray(mat.m_szName) : utf8Cut32(name);
    const QByteArray newManu =
        manu == QString::fromUtf8(mat.m_szManu) ? QByteArray(mat.m_szManu) : utf8Cut32(manu);
    CPrintMaterial renamed;
    renamed.SetNameAndManu(newName.constData(), newManu.constData());
    if (const long holder = m_library.NameHolder(renamed, entry); holder >= 0) {
        CVLOG << "Name " << newName.constData() << " / " << newManu.constData() << " belongs to material "
              << m_library.At(size_t(holder)).mat.m_nMatID << ", nothing changed";
        return -3;
    }
    const bool locks = stored.isEmpty() && !pwMD5.isEmpty();
    const QString oldName = nameOf(mat);
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            CPrintMaterial &target = editor.Touch(size_t(CurrentPosition())).mat;
            if (locks)
                setLock(target, pwMD5);
            // Stored as UTF-8, the encoding in which every reader of the record takes it.
            target.SetNameAndManu(newName.constData(), newManu.constData());
            return true;
        },
        [&]() {
            if (!stored.isEmpty() || locks)
                m_cascade.SetLocked(false);
            LoadBasicInfo();
            LoadPrintParams();
            emit curMaterialChanged(curMaterial());
            emit matChanged();
            emit bMatLockedChanged(bMatLocked());
        },
        [&]() {
            return locks ? StepText{"lock %1", {curMatName()}}
                         : StepText{"rename %1 to %2", {oldName, curMatName()}};
        });
    return 0;
}

int Materials::unlockMaterial(QString pwMD5)
{
    const CPrintMaterial *mat = currentMaterial();
    if (!mat)
        return -1;
    const QString stored = QString::fromLatin1(mat->m_szPwMD5).toLower();
    if (!stored.isEmpty() && stored != pwMD5) {
        CVLOG << "Password error: " << mat->m_szName << " stays locked";
        return -2;
    }
    if (m_cascade.Locked()) {
        m_cascade.SetLocked(false);
        LoadBasicInfo();
        LoadPrintParams();
        emit matChanged();
        emit bMatLockedChanged(bMatLocked());
    }
    return 0;
}

int Materials::changePassword(QString oldMD5, QString newMD5)
{
    CVLOG << "Change the password of the current material";
    const CPrintMaterial *mat = currentMaterial();
    if (!mat || mat->m_szPwMD5[0] == '\0')
        return -1;
    if (QString::fromLatin1(mat->m_szPwMD5).toLower() != oldMD5)
        return -2;
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            setLock(editor.Touch(size_t(CurrentPosition())).mat, newMD5);
            return true;
        },
        [this]() {
            m_cascade.SetLocked(false);
            LoadBasicInfo();
            LoadPrintParams();
            emit matChanged();
            emit bMatLockedChanged(bMatLocked());
        },
        [&]() {
            return newMD5.isEmpty() ? StepText{"remove the password of %1", {curMatName()}}
                                    : StepText{"change the password of %1", {curMatName()}};
        });
    return 0;
}

QString Materials::matIDRefusal(int nID) const
{
    const CPrintMaterial *mat = currentMaterial();
    if (!mat)
        return LangTr("There is no current material.");
    if (m_cascade.Locked())
        return LangTr("%1 is locked: give its password first (✍).").arg(QString::fromUtf8(mat->m_szName));
    const qint64 newID = -qint64(nID);
    if (nID > 0)
        return LangTr("The ID %1 is negative: material IDs are whole numbers from 0 up.").arg(newID);
    if (newID > INT_MAX || (newID & 0xFC0000) != 0)
        return LangTr(
                   "%1 has the form of a generated ID (one of bits 18 to 23 set): choose an ID below 262144.")
            .arg(newID);
    const MaterialEntry *holder = m_library.Find(int32_t(newID));
    if (holder && &holder->mat != mat)
        return LangTr("The ID %1 belongs to %2 / %3.")
            .arg(newID)
            .arg(QString::fromUtf8(holder->mat.m_szName), QString::fromUtf8(holder->mat.m_szManu));
    return QString();
}

void Materials::modifyMatID(int nID)
{
    CVLOG << "Modify material ID: " << nID;
    const QString refusal = matIDRefusal(nID);
    if (!refusal.isEmpty()) {
        CVLOG << "ID not changed: " << refusal;
        return;
    }
    const int oldID = curMatID();
    const int32_t newID = int32_t(-qint64(nID));
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            editor.Touch(size_t(CurrentPosition())).mat.m_nMatID = newID;
            return true;
        },
        [&]() {
            m_cascade.SetMaterial(newID, m_cascade.Locked());
            ComputeVendorMarks(); // the vendor's counterpart may be another one now
            emit curMatIDChanged(newID);
        },
        [&]() {
            return StepText{"ID of %1: %2 → %3",
                            {curMatName(), QString::number(oldID), QString::number(newID)}};
        });
}

void Materials::addCopyMaterial(int nID)
{
    const MaterialEntry *source = m_library.Find(nID);
    if (!source)
        return;
    int32_t copyID = 0;
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            // The whole record, without its lock, dated today, a new name and ID, the fallback off.
            CPrintMaterial copy = source->mat;
            std::memset(copy.m_szPwMD5, 0, sizeof(copy.m_szPwMD5));
            copy.m_nCreateDay = CreationDayNumber(QDateTime::currentDateTime());
            const char *const manu = "Manufacturer";
            copy.SetNameAndManu(m_library.UniqueCopyName(source->mat.m_szName, manu, nullptr).c_str(), manu);
            copy.m_bDefaultFallback = 0;
            copyID = m_library.DrawUnusedID(copy, nullptr);
            auto entry = m_library.NewEntry(std::move(copy));
            entry->parent = source->key;
            editor.Add(std::move(entry));
            return true;
        },
        [&]() { selectMaterial(copyID); },
        [&]() {
            return StepText{"add %1", {curMatName()}};
        });
}

void Materials::removeMaterial(int nID)
{
    const long position = m_library.PositionOf(nID);
    if (position < 0)
        return;
    // Undone, the material comes back current.
    Selection removed = m_cascade.Current();
    if (nID != removed.matID)
        removed = Selection{nID};
    const bool current = nID == curMatID();
    const QString name = nameOf(m_library.At(size_t(position)).mat);
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            const MaterialEntry removedEntry = m_library.At(size_t(position));
            editor.Remove(size_t(position));
            RelinkCopiesOf(editor, removedEntry);
            return true;
        },
        [&]() {
            if (!current) {
                emit matChanged();
                return;
            }
            const size_t next = size_t(position);
            selectMaterial(next < m_library.Size() ? m_library.At(next).mat.m_nMatID : -1);
        },
        [&]() {
            return StepText{"remove %1", {name}};
        },
        &removed);
}

int Materials::copyCurSets(int index)
{
    m_lastCopy.clear();
    if (index < 0 || CurrentPosition() < 0 || m_cascade.Locked())
        return 0;
    Level level = Level::Printer;
    double value = 0.0;
    // The scene passes an index of the choices it has just read; anything else changes nothing.
    if (!m_cascade.NewSetChoice(index, &level, &value)) {
        CVLOG << "Index " << index << " is not one of the choices for a new print set";
        return 0;
    }
    const QString target = SelectionCascade::ValueText(level, value);
    const unsigned translated =
        level == Level::Quality || (level == Level::Printer && PrinterNameIsWords(int32_t(value))) ? 2u : 0u;
    int added = 0;
    int copied = 0;
    QStringList refused; // what the printer's catalogue does not offer, each with its reason
    Edit(
        StepPage::Params,
        [&](LibraryEditor &editor) {
            CPrintMaterial &mat = editor.Touch(size_t(CurrentPosition())).mat;
            std::vector<PrintSetData> copies;
            for (const PrintSetData *set : m_cascade.Sets(mat))
                copies.push_back(*set);
            copied = int(copies.size());
            for (PrintSetData &copy : copies) {
                SelectionCascade::Assign(copy, level, value);
                const SetValidity validity = CPrintMaterial::CheckSet(copy);
                if (validity != SetValidity::Valid) {
                    refused << (validity == SetValidity::LayerNotOffered
                                    ? LangTr("layer %1 mm: not offered for nozzle %2 mm of %3")
                                          .arg(QString::number(double(copy.fLayerThick), 'f', 2),
                                               QString::number(double(copy.fNozzleDia), 'f', 2),
                                               ShownPrinterName(copy.nPrinterType))
                                    : LangTr("nozzle %1 mm: not offered for %2")
                                          .arg(QString::number(double(copy.fNozzleDia), 'f', 2),
                                               ShownPrinterName(copy.nPrinterType)));
                    continue;
                }
                if (mat.AddOrReplaceSet(copy, mat.m_szPwMD5) == 1)
                    ++added;
            }
            return true;
        },
        [&]() { RelistAndChoose(level, value); },
        [&]() {
            return StepText{"copy %1 print sets to %2", {QString::number(added), target}, translated};
        });
    refused.removeDuplicates();
    m_lastCopy = {{QStringLiteral("added"), added},
                  {QStringLiteral("target"), translated ? LangTrans::Instance()->Translate(target) : target},
                  {QStringLiteral("refused"), refused},
                  {QStringLiteral("refusedSets"), copied - added}};
    CVLOG << "Copy " << copied << " print sets to " << target << ": " << added << " made";
    return added;
}

int Materials::removeCurSets()
{
    if (CurrentPosition() < 0 || m_cascade.Locked())
        return 0;
    const Selection selection = m_cascade.Current();
    int removed = 0;
    Edit(
        StepPage::Params,
        [&](LibraryEditor &editor) {
            CPrintMaterial &mat = editor.Touch(size_t(CurrentPosition())).mat;
            removed = mat.RemoveSets(selection.printer, selection.quality, mat.m_szPwMD5, selection.nozzle,
                                     selection.layer);
            CVLOG << "Remove " << removed << " print sets";
            return removed > 0;
        },
        // The selection goes up to the level above what is gone.
        [&]() {
            const Level level = selection.nozzle < 0    ? Level::Printer
                                : selection.layer < 0   ? Level::Nozzle
                                : selection.quality < 0 ? Level::Layer
                                                        : Level::Quality;
            RelistAndChoose(level, level == Level::Printer ? Selection::kNoPrinter : -1);
        },
        [&]() {
            // What was selected: the printer's and quality's names, the sizes in numbers.
            QString sizes;
            for (const float size : {selection.nozzle, selection.layer}) {
                if (size >= 0)
                    sizes += QStringLiteral(" %1 mm").arg(double(size), 0, 'f', 2);
            }
            StepText text{
                "remove %1 print sets of %2%3",
                {QString::number(removed), QString::fromStdString(GetPrinterName(selection.printer)), sizes},
                PrinterNameIsWords(selection.printer) ? 2u : 0u};
            if (selection.quality >= 0) {
                text.format = "remove %1 print sets of %2%3, %4";
                text.args << QString::fromStdString(GetQualityName(selection.quality));
                text.translatedArgs |= 8u;
            }
            return text;
        });
    return removed;
}

// ----------------------------------------------------------------------------------------------
// The vendor reference: marks, resets, removed vendor materials, the map of print sets

const FlatMaterial *Materials::ReferenceOf(const MaterialEntry &entry) const
{
    if (const FlatMaterial *vendor = m_vendor.Of(entry))
        return vendor;
    if (const MaterialEntry *parent = m_library.FindKey(entry.parent)) {
        auto &known = m_parentValues[parent->key];
        if (known.first != parent->revision)
            known = {parent->revision, FlatMaterial::From(parent->mat)};
        return &known.second;
    }
    return entry.parentVendor >= 0 && size_t(entry.parentVendor) < m_vendor.Size()
               ? &m_vendor.At(size_t(entry.parentVendor))
               : nullptr;
}

namespace {
std::string describeParent(const CPrintMaterial &mat)
{
    return std::string(mat.m_szName) + " (" + mat.m_szManu + ")";
}
} // namespace

QString Materials::parentNote() const
{
    const MaterialEntry *entry = CurrentEntry();
    if (!entry || entry->vendorRef >= 0)
        return QString();
    const MaterialEntry *parent = m_library.FindKey(entry->parent);
    const QString gone = QString::fromStdString(entry->parentGone);
    if (parent) {
        const QString name = QString::fromStdString(describeParent(parent->mat));
        return gone.isEmpty()
                   ? LangTr("Copied from %1").arg(name)
                   : LangTr("Copied from %1, which was removed: now measured by %2").arg(gone, name);
    }
    if (gone.isEmpty())
        return QString();
    if (entry->parentVendor >= 0 && size_t(entry->parentVendor) < m_vendor.Size())
        return LangTr("Copied from %1, which was removed: now measured by the vendor's %2")
            .arg(gone,
                 QString::fromStdString(describeParent(m_vendor.At(size_t(entry->parentVendor)).fields)));
    return LangTr("Copied from %1, which was removed: the link has ended").arg(gone);
}

QString Materials::referenceName() const
{
    const MaterialEntry *entry = CurrentEntry();
    const MaterialEntry *parent = entry && entry->vendorRef < 0 ? m_library.FindKey(entry->parent) : nullptr;
    return parent ? QString::fromStdString(describeParent(parent->mat)) : QString();
}

bool Materials::parentLinkable() const
{
    const MaterialEntry *entry = CurrentEntry();
    return entry && entry->vendorRef < 0;
}

QString Materials::parentRefusal(int matID) const
{
    const MaterialEntry *entry = CurrentEntry();
    const MaterialEntry *parent = m_library.Find(matID);
    if (!entry || !parent)
        return LangTr("There is no such material.");
    if (entry->vendorRef >= 0)
        return LangTr("A vendor's material is measured by the vendor's.");
    if (m_cascade.Locked())
        return LangTr("Locked: give its password with ✍ to edit it");
    // A parent copied from this one, however far up, would measure the material by itself.
    const MaterialEntry *up = parent;
    for (size_t depth = 0; up && depth <= m_library.Size(); ++depth) {
        if (up == entry)
            return LangTr("%1 is this material or was copied from it.").arg(nameOf(parent->mat));
        up = m_library.FindKey(up->parent);
    }
    return QString();
}

bool Materials::SetParent(quint64 parent, const StepText &text)
{
    const MaterialEntry *entry = CurrentEntry();
    if (!entry || entry->vendorRef >= 0 || m_cascade.Locked())
        return false;
    const size_t position = size_t(CurrentPosition());
    return Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            MaterialEntry &linked = editor.TouchLink(position);
            linked.parent = parent;
            linked.parentVendor = -1;
            linked.parentGone.clear();
            return true;
        },
        [this]() {
            ComputeVendorMarks();
            LoadBasicInfo();
            LoadPrintParams();
            emit matChanged();
        },
        [&]() { return text; });
}

bool Materials::unlinkParent()
{
    const MaterialEntry *entry = CurrentEntry();
    if (!entry || (entry->parent == 0 && entry->parentVendor < 0 && entry->parentGone.empty()))
        return false;
    CVLOG << "Unlink " << entry->mat.m_szName << " from its parent";
    return SetParent(0, StepText{"unlink %1 from the material it was copied from", {curMatName()}});
}

QString Materials::chooseParent(int matID)
{
    const QString refusal = parentRefusal(matID);
    if (!refusal.isEmpty())
        return refusal;
    const MaterialEntry *parent = m_library.Find(matID);
    CVLOG << "Measure " << CurrentEntry()->mat.m_szName << " by " << parent->mat.m_szName;
    SetParent(parent->key, StepText{"measure %1 by %2", {curMatName(), nameOf(parent->mat)}});
    return QString();
}

void Materials::RelinkCopiesOf(LibraryEditor &editor, const MaterialEntry &removed)
{
    for (size_t i = 0; i < m_library.Size(); ++i) {
        if (m_library.At(i).parent != removed.key)
            continue;
        MaterialEntry &copy = editor.TouchLink(i);
        copy.parent = m_library.FindKey(removed.parent) ? removed.parent : 0;
        copy.parentVendor = copy.parent != 0         ? -1
                            : removed.vendorRef >= 0 ? removed.vendorRef
                                                     : removed.parentVendor;
        // The first parent that went is the one it was copied from.
        if (copy.parentGone.empty())
            copy.parentGone = describeParent(removed.mat);
    }
}

CPrintMaterial Materials::ParentVersionOf(const MaterialEntry &entry, const FlatMaterial &reference) const
{
    CPrintMaterial reset = reference.ToRecord();
    reset.CopyFieldsFrom(entry.mat);
    for (int id = 0; id <= kLastBasicParam; ++id) {
        if (IsBoundParam(id))
            CopyBasicValue(reset, reference.fields, id);
    }
    return reset;
}

void Materials::ComputeVendorMarks()
{
    const MaterialEntry *entry = CurrentEntry();
    m_vendorMarks = VendorReference::Marks(entry, entry ? ReferenceOf(*entry) : nullptr, CurrentSets());
}

Materials::VendorMark Materials::vendorMark(int row) const
{
    return row >= 0 && size_t(row) < m_vendorMarks.size() ? m_vendorMarks[size_t(row)] : VendorMark();
}

int Materials::VendorState(int row) const
{
    if (row < 0 || size_t(row) >= m_library.Size())
        return VendorNone;
    const MaterialEntry &entry = m_library.At(size_t(row));
    if (entry.vendorRef >= 0)
        return int(m_vendor.StandingOf(entry));
    const MaterialEntry *parent = m_library.FindKey(entry.parent);
    if (!parent) {
        const FlatMaterial *reference = ReferenceOf(entry);
        return reference && !SameValues(entry.mat, *reference) ? ParentChanged : VendorNone;
    }
    auto &known = m_parentStandings[entry.key];
    if (std::get<0>(known) != entry.revision || std::get<1>(known) != parent->revision)
        known = {entry.revision, parent->revision, !SameValues(entry.mat, parent->mat)};
    return std::get<2>(known) ? ParentChanged : VendorNone;
}

void Materials::resetValueToVendor(int nID)
{
    CVLOG << "Reset to vendor, parameter ID: " << nID;
    if (m_cascade.Locked() || !IsBoundParam(nID) || !vendorMark(nID).differs)
        return;
    Edit(
        nID <= kLastBasicParam ? StepPage::Start : StepPage::Params,
        [&](LibraryEditor &editor) {
            MaterialEntry &entry = editor.Touch(size_t(CurrentPosition()));
            const FlatMaterial *vendor = ReferenceOf(entry);
            if (nID <= kLastBasicParam) {
                CopyBasicValue(entry.mat, vendor->fields, nID);
                return true;
            }
            for (PrintSetData *set : m_cascade.Sets(entry.mat)) {
                if (const PrintSetData *theirs = VendorReference::FindSet(*vendor, *set))
                    CopyPrintValue(*set, *theirs, nID);
            }
            return true;
        },
        [this]() {
            LoadBasicInfo();
            LoadPrintParams();
            emit matChanged();
        },
        [&]() {
            const QString parent = referenceName();
            return parent.isEmpty() ? StepText{"reset %1 of %2 to the vendor's",
                                               {m_items[nID].paramDesc, curMatName()},
                                               1u}
                                    : StepText{"reset %1 of %2 to the value of %3",
                                               {m_items[nID].paramDesc, curMatName(), parent},
                                               1u};
        });
}

QVariantMap Materials::vendorResetPreview() const
{
    QVariantMap preview{{QStringLiteral("available"), false}};
    const MaterialEntry *entry = CurrentEntry();
    const FlatMaterial *reference = entry ? ReferenceOf(*entry) : nullptr;
    if (!reference || m_cascade.Locked())
        return preview;
    const bool vendor = m_vendor.Of(*entry) != nullptr;
    // Measured by another material: its values come back, the identity stays.
    const CPrintMaterial reset =
        vendor ? m_vendor.VersionOf(*entry, m_library) : ParentVersionOf(*entry, *reference);
    preview.insert(QStringLiteral("parent"),
                   vendor ? QString() : QString::fromStdString(describeParent(reference->fields)));
    int values = 0;
    int sets = 0;
    for (const ValueDifference &d : DescribeValueDifferences(entry->mat, reset))
        ++(d.name == "print set" ? sets : values);
    // Two materials with one name and manufacturer would become one at the next start: the one
    // that has the vendor's name now is renamed with the reset, unless it is locked.
    QString holderText;
    QString refusal;
    const long holder = vendor ? m_library.NameHolder(reset, entry) : -1;
    if (holder >= 0) {
        const CPrintMaterial &other = m_library.At(size_t(holder)).mat;
        holderText = describe(other);
        if (other.m_szPwMD5[0] != '\0')
            refusal =
                LangTr("%1 has the vendor's name and is locked: give its password (✍) and rename it first.")
                    .arg(holderText);
    }
    preview.insert(QStringLiteral("available"), refusal.isEmpty());
    preview.insert(QStringLiteral("values"), values);
    preview.insert(QStringLiteral("sets"), sets);
    preview.insert(QStringLiteral("nameTakenBy"), holderText);
    preview.insert(QStringLiteral("renamedTo"), holder >= 0 ? QString::fromStdString(m_library.UniqueCopyName(
                                                                  reset.m_szName, reset.m_szManu, nullptr))
                                                            : QString());
    preview.insert(QStringLiteral("refusal"), refusal);
    return preview;
}

// Renames the entry at the position to the first free "<name>_CopyN" of its manufacturer, for a
// material that is to take its name.
void Materials::RenameOutOfTheWay(LibraryEditor &editor, size_t position)
{
    MaterialEntry &holder = editor.Touch(position);
    const std::string manu = holder.mat.m_szManu;
    const std::string name = m_library.UniqueCopyName(holder.mat.m_szName, manu, nullptr);
    CVLOG << "Rename " << holder.mat.m_szName << " / " << manu << " to " << name
          << ": another material takes its name";
    holder.mat.SetNameAndManu(name.c_str(), manu.c_str());
}

bool Materials::resetMaterialToVendor()
{
    if (!vendorResetPreview().value(QStringLiteral("available")).toBool())
        return false;
    const size_t position = size_t(CurrentPosition());
    if (!m_vendor.Of(m_library.At(position))) {
        const QString parent = vendorResetPreview().value(QStringLiteral("parent")).toString();
        Edit(
            StepPage::Start,
            [&](LibraryEditor &editor) {
                const MaterialEntry &entry = m_library.At(position);
                const CPrintMaterial reset = ParentVersionOf(entry, *ReferenceOf(entry));
                editor.Touch(position).mat = reset;
                CVLOG << "Reset " << reset.m_szName << " to the values of " << parent;
                return true;
            },
            [&]() { RestoreSelection({m_library.At(position).mat.m_nMatID}, true); },
            [&]() {
                return StepText{"reset %1 to the values of %2", {curMatName(), parent}};
            });
        return true;
    }
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            const CPrintMaterial reset = m_vendor.VersionOf(m_library.At(position), m_library);
            const long holder = m_library.NameHolder(reset, &m_library.At(position));
            if (holder >= 0)
                RenameOutOfTheWay(editor, size_t(holder));
            editor.Touch(position).mat = reset;
            CVLOG << "Reset " << reset.m_szName << " to the vendor's";
            return true;
        },
        [&]() { RestoreSelection({m_library.At(position).mat.m_nMatID}, true); },
        [&]() {
            return StepText{"reset %1 to the vendor's", {curMatName()}};
        });
    return true;
}

int Materials::removedVendorCount() const
{
    return int(m_vendor.Removed(m_library).size());
}

QVariantMap Materials::bringBackPreview() const
{
    QStringList renames;
    QStringList blocked;
    for (const size_t i : m_vendor.Removed(m_library)) {
        const long holder = m_library.NameHolder(m_vendor.At(i).fields, nullptr);
        if (holder < 0)
            continue;
        const CPrintMaterial &other = m_library.At(size_t(holder)).mat;
        if (other.m_szPwMD5[0] != '\0')
            blocked << describe(other);
        else
            renames << LangTr("%1 becomes %2")
                           .arg(describe(other), QString::fromStdString(m_library.UniqueCopyName(
                                                     other.m_szName, other.m_szManu, nullptr)));
    }
    return {{QStringLiteral("count"), removedVendorCount() - blocked.size()},
            {QStringLiteral("renames"), renames},
            {QStringLiteral("blocked"), blocked}};
}

int Materials::bringBackRemovedVendor()
{
    int brought = 0;
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            for (const size_t i : m_vendor.Removed(m_library)) {
                CPrintMaterial mat = m_vendor.At(i).ToRecord();
                const long holder = m_library.NameHolder(mat, nullptr);
                if (holder >= 0 && m_library.At(size_t(holder)).mat.m_szPwMD5[0] != '\0') {
                    CVLOG << "Not brought back: " << mat.m_szName << " / " << mat.m_szManu
                          << " is the name of a locked material";
                    continue;
                }
                if (holder >= 0)
                    RenameOutOfTheWay(editor, size_t(holder));
                if (m_library.PositionOf(mat.m_nMatID) >= 0)
                    m_library.DrawUnusedID(mat, nullptr);
                auto entry = m_library.NewEntry(std::move(mat));
                entry->vendorRef = int(i);
                if (entry->mat.m_nMatID != m_vendor.At(i).fields.m_nMatID)
                    entry->loadID = entry->mat.m_nMatID;
                editor.Add(std::move(entry));
                ++brought;
            }
            return brought > 0;
        },
        [this]() { ReselectCurrent(); },
        [&]() {
            return StepText{"bring back %1 vendor materials", {QString::number(brought)}};
        });
    if (brought > 0)
        CVLOG << "Bring back " << brought << " vendor materials";
    return brought;
}

QVariantMap Materials::setMap() const
{
    const MaterialEntry *entry = CurrentEntry();
    std::map<int32_t, std::map<int, std::pair<int, bool>>> cells; // printer, nozzle in hundredths
    std::set<int> nozzles;
    const FlatMaterial *reference = entry ? ReferenceOf(*entry) : nullptr;
    if (entry) {
        for (const PrintSetData &set : entry->mat.m_lstSets) {
            const int nozzle = int(std::lround(double(set.fNozzleDia) * 100.0));
            nozzles.insert(nozzle);
            std::pair<int, bool> &cell = cells[set.nPrinterType][nozzle];
            ++cell.first;
            cell.second = cell.second || VendorReference::SetDiffers(reference, set);
        }
    }
    QVariantList nozzleList;
    for (const int nozzle : nozzles)
        nozzleList << nozzle / 100.0;
    QVariantList rows;
    for (const auto &printer : cells) {
        QVariantList counts;
        QVariantList marks;
        for (const int nozzle : nozzles) {
            const auto cell = printer.second.find(nozzle);
            counts << (cell == printer.second.end() ? 0 : cell->second.first);
            marks << (cell != printer.second.end() && cell->second.second);
        }
        rows << QVariantMap{{QStringLiteral("type"), printer.first},
                            {QStringLiteral("name"), ShownPrinterName(printer.first)},
                            {QStringLiteral("counts"), counts},
                            {QStringLiteral("changed"), marks}};
    }
    return {{QStringLiteral("nozzles"), nozzleList}, {QStringLiteral("printers"), rows}};
}

// ----------------------------------------------------------------------------------------------
// Files

void Materials::AfterFilesChanged(const QString &readErrorBefore)
{
    ReselectCurrent();
    if (m_files->UserReadError() != readErrorBefore)
        emit userLibraryReadErrorChanged(m_files->UserReadError());
}

void Materials::checkVendorMaterials()
{
    m_files->InstallVendorLibrary();
}

// Loading the libraries is not a change: what the library holds then is what is saved.
void Materials::importVendorMaterials()
{
    const QString before = m_files->UserReadError();
    m_files->LoadVendorLibrary();
    IsHaveSameID();
    AfterFilesChanged(before);
}

void Materials::importUserMaterials()
{
    const QString before = m_files->UserReadError();
    m_files->LoadUserLibrary();
    IsHaveSameID();
    AfterFilesChanged(before);
}

void Materials::startLoading(int pieceMs)
{
    if (m_loader || m_files->Loading())
        return;
    m_files->SetLoading(true);
    m_loader = std::make_unique<LibraryLoader>(
        m_files->VendorPath(), m_files->UserPath(), pieceMs,
        [this](LibraryFiles::ReadPiece &piece) { TakeLoadedPiece(piece, true); },
        [this](LibraryFiles::ReadPiece &piece) { TakeLoadedPiece(piece, false); });
    emit loadingChanged(true);
    m_loader->Start();
}

double Materials::loadProgress() const
{
    if (!m_files->Loading())
        return 1.0;
    return m_loadBytes > 0 ? std::min(1.0, double(m_loadedBytes) / double(m_loadBytes)) : 0.0;
}

void Materials::TakeLoadedPiece(LibraryFiles::ReadPiece &piece, bool vendor)
{
    const MaterialEntry *current = CurrentEntry();
    const quint64 currentKey = current ? current->key : 0;
    const quint64 currentRevision = current ? current->revision : 0;
    const QString readErrorBefore = m_files->UserReadError();
    const bool last = !vendor && piece.last;
    if (vendor) {
        m_files->TakeVendorLibrary(std::move(piece));
    } else {
        m_loadedBytes = piece.bytesRead;
        m_loadBytes = piece.bytesTotal;
        m_files->TakeUserPiece(std::move(piece));
    }
    if (last) {
        IsHaveSameID();
        m_files->SetLoading(false); // the loader's thread has ended; it goes with this object
    }
    // The load's own selections below are not the user's choice (see selectMaterial).
    const bool reselectAtEnd = m_reselectAtEnd || (vendor && !m_library.IsEmpty());
    const MaterialEntry *after = currentKey ? m_library.FindKey(currentKey) : nullptr;
    if (m_pendingSelection && m_library.PositionOf(m_pendingSelection->matID) >= 0) {
        const Selection selection = *m_pendingSelection;
        m_pendingSelection.reset();
        RestoreSelection(selection, false);
        emit selectionRestored();
    } else if (after && (after->revision != currentRevision || after->mat.m_nMatID != curMatID())) {
        // The user's version of a vendor material, or its ID given way: shown as it is now.
        Selection selection = m_cascade.Current();
        selection.matID = after->mat.m_nMatID;
        RestoreSelection(selection, !m_cascade.Locked());
    } else if (!after && (!m_pendingSelection || last)) {
        // Nothing to wait for: the first material, as a start without a last session shows.
        ReselectCurrent();
    }
    m_reselectAtEnd = reselectAtEnd && !last;
    // A load in one go selects the vendor library's first material locked, and the user library's
    // load then selects it again by its ID, which gives it its own lock state: so here, at the
    // end, the selection kept. Without a password that is an unlock, which leaves the menus as
    // they are.
    if (last && reselectAtEnd && m_cascade.Locked() && currentMaterial() && !hasPassword())
        unlockMaterial(QString());
    emit materialsArrived();
    emit loadProgressChanged();
    if (m_files->UserReadError() != readErrorBefore)
        emit userLibraryReadErrorChanged(m_files->UserReadError());
    if (last)
        emit loadingChanged(false);
}

void Materials::importMaterials(QString fileName, bool bVendor, bool asStep)
{
    const QString path = LibraryFiles::LocalPath(fileName);
    const QString before = m_files->UserReadError();
    if (!asStep && m_files->Loading())
        return; // a load is not a step: it would mix with the one in progress
    if (!asStep) {
        m_files->Import(path, bVendor, nullptr);
        AfterFilesChanged(before);
        return;
    }
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            m_files->Import(path, bVendor, &editor);
            return true;
        },
        [&]() { AfterFilesChanged(before); },
        [&]() {
            return StepText{"import %1", {QFileInfo(path).fileName()}};
        });
}

QVariantList Materials::previewImport(QString fileName)
{
    // Its reading would start the report over that the load in progress is counting.
    if (m_files->Loading()) {
        CVLOG << "Not previewed: the library is still loading";
        return {};
    }
    return m_files->Preview(LibraryFiles::LocalPath(fileName),
                            [this](quint64 key) { return m_history->IsDirty(key); });
}

bool Materials::applyImport(QVariantList choices)
{
    QString path;
    std::optional<std::vector<CPrintMaterial>> records = m_files->TakeChosen(choices, &path);
    if (!records)
        return false;
    const QString before = m_files->UserReadError();
    Edit(
        StepPage::Start,
        [&](LibraryEditor &editor) {
            m_files->Merge(std::move(*records), path, false, &editor);
            return true;
        },
        [&]() { AfterFilesChanged(before); },
        [&]() {
            return StepText{"import %1", {QFileInfo(path).fileName()}};
        });
    return true;
}

bool Materials::exportUserMaterials()
{
    const QString before = m_files->UserReadError();
    if (!m_files->SaveUserLibrary())
        return false;
    m_history->MarkSaved();
    // Saving brought the derived fields up to date; the pages show what is stored.
    LoadBasicInfo();
    LoadPrintParams();
    emit matChanged();
    if (m_files->UserReadError() != before)
        emit userLibraryReadErrorChanged(m_files->UserReadError());
    return true;
}

bool Materials::exportMaterials(QString fileName, bool bNoVendor)
{
    if (m_library.IsEmpty() && !m_files->Loading()) // an empty library while loading is not empty
        return true;
    return m_files->Write(LibraryFiles::LocalPath(fileName), bNoVendor, false);
}

bool Materials::exportMaterialIDs(QString fileName, QVariantList ids)
{
    std::set<int32_t> only;
    for (const QVariant &id : ids)
        only.insert(id.toInt());
    return m_files->Write(LibraryFiles::LocalPath(fileName), false, false, ids.isEmpty() ? nullptr : &only);
}

bool Materials::userLibraryChangedOnDisk() const
{
    return m_files->UserLibraryChangedOnDisk();
}

// ----------------------------------------------------------------------------------------------
// The history and the recovery copy

bool Materials::canUndo() const
{
    return m_history->UndoStep() != nullptr;
}

bool Materials::canRedo() const
{
    return m_history->RedoStep() != nullptr;
}

QString Materials::undoText() const
{
    return m_history->UndoText();
}

QString Materials::redoText() const
{
    return m_history->RedoText();
}

void Materials::undo()
{
    const LibraryStep *step = m_history->UndoStep();
    if (!step)
        return;
    const QString refusal = LibraryHistory::Refusal(*step, true, m_library, curMatID(), m_cascade.Locked());
    if (!refusal.isEmpty()) {
        CVLOG << refusal;
        emit historyRefused(refusal);
        return;
    }
    m_history->Undo();
}

void Materials::redo()
{
    const LibraryStep *step = m_history->RedoStep();
    if (!step)
        return;
    const QString refusal = LibraryHistory::Refusal(*step, false, m_library, curMatID(), m_cascade.Locked());
    if (!refusal.isEmpty()) {
        CVLOG << refusal;
        emit historyRefused(refusal);
        return;
    }
    m_history->Redo();
}

void Materials::setReadOnly(const QString &reason)
{
    m_files->SetReadOnly(reason);
    m_history->SetReadOnly();
}

QString Materials::recoveryTime() const
{
    const QString path = m_files->RecoveryPath();
    if (!m_history->RecoveryPending() || !readOnlyReason().isEmpty() || !QFile::exists(path))
        return QString();
    return QLocale().toString(QFileInfo(path).lastModified(), QLocale::LongFormat);
}

QString Materials::restoreRecovery()
{
    m_history->SetRecoveryPending(false);
    const QString before = m_files->UserReadError();
    const QString problem = m_files->Restore(m_files->RecoveryPath());
    if (!problem.isEmpty())
        return problem;
    m_history->Restart(true);
    for (size_t i = 0; i < m_library.Size(); ++i) {
        if (m_vendor.IsUsers(m_library.At(i)))
            m_history->MarkDirty(m_library.At(i).key);
    }
    AfterFilesChanged(before);
    return QString();
}

void Materials::discardRecovery()
{
    if (!m_history->RecoveryPending())
        return;
    const QString path = m_files->RecoveryPath();
    const QString kept = path + QStringLiteral(".bak");
    QFile::remove(kept);
    if (!QFile::rename(path, kept))
        CVLOG << "Could not keep " << path << " as " << kept;
    m_history->SetRecoveryPending(false);
}

void Materials::endCleanly()
{
    m_history->EndCleanly();
}

// ----------------------------------------------------------------------------------------------
// Comparison with a second material

namespace {
QString spreadOf(double low, double high)
{
    return SameShownValue(low, high) ? number(low) : number(low) + QStringLiteral("–") + number(high);
}

QString setKeyText(const PrintSetData &set)
{
    return LangTr("%1, nozzle %2 mm, layer %3 mm, %4")
        .arg(ShownPrinterName(set.nPrinterType))
        .arg(double(set.fNozzleDia), 0, 'f', 2)
        .arg(double(set.fLayerThick), 0, 'f', 2)
        .arg(ShownQualityName(set.nQuality));
}
} // namespace

const CPrintMaterial *Materials::ComparedMaterial() const
{
    if (m_compareKey != 0) {
        const MaterialEntry *entry = m_library.FindKey(m_compareKey);
        return entry ? &entry->mat : nullptr;
    }
    return m_compareFileIndex >= 0 && size_t(m_compareFileIndex) < m_compareFile.size()
               ? &m_compareFile[size_t(m_compareFileIndex)]
               : nullptr;
}

bool Materials::compareWith(int matID)
{
    const MaterialEntry *entry = m_library.Find(matID);
    if (!entry || entry == CurrentEntry())
        return false;
    m_compareKey = entry->key;
    m_compareFileIndex = -1;
    CVLOG << "Compare " << curMatName() << " with " << entry->mat.m_szName;
    return true;
}

QVariantMap Materials::readCompareFile(QString fileName)
{
    const QString path = LibraryFiles::LocalPath(fileName);
    CVLOG << "Read " << path << " to compare with";
    m_compareFile.clear();
    QVariantList listed;
    MaterialFileVisitor visit;
    visit.onMaterial = [&](size_t, CPrintMaterial &record, const MaterialDecodeReport &) {
        listed << QVariantMap{{QStringLiteral("name"), QString::fromUtf8(record.m_szName)},
                              {QStringLiteral("manu"), QString::fromUtf8(record.m_szManu)},
                              {QStringLiteral("matID"), record.m_nMatID}};
        m_compareFile.push_back(std::move(record));
    };
    visit.onRefusedLine = [](const RefusedLine &, const std::string &) {};
    const MaterialFileReadResult read = ReadMaterialFile(QStringToStdString(path), visit);
    const bool missing = !read.opened && (read.error == ENOENT || read.error == ENOTDIR);
    QString readError;
    if (!read.opened && !missing)
        readError = QString::fromStdString("cannot open it: " + ErrorText(read.error));
    else if (read.error)
        readError = QString::fromStdString(ErrorText(read.error));
    if (!readError.isEmpty())
        CVLOG << "Could not read " << path << " completely: " << readError;
    return {{QStringLiteral("materials"), listed},
            {QStringLiteral("missing"), missing},
            {QStringLiteral("readError"), readError}};
}

bool Materials::compareWithFileMaterial(int index)
{
    if (index < 0 || size_t(index) >= m_compareFile.size())
        return false;
    m_compareKey = 0;
    m_compareFileIndex = index;
    CVLOG << "Compare " << curMatName() << " with " << m_compareFile[size_t(index)].m_szName << " of a file";
    return true;
}

std::optional<MaterialComparison> Materials::Comparison() const
{
    const CPrintMaterial *mine = currentMaterial();
    const CPrintMaterial *theirs = ComparedMaterial();
    if (!mine || !theirs || mine == theirs)
        return std::nullopt;
    return MaterialComparison(*mine, *theirs, m_cascade.Current());
}

QVariantMap Materials::comparison() const
{
    const std::optional<MaterialComparison> compared = Comparison();
    if (!compared)
        return {{QStringLiteral("available"), false}};
    QVariantList rows;
    for (const MaterialComparison::Row &row : compared->Rows()) {
        const ParamItem &item = m_items[row.id];
        rows << QVariantMap{
            {QStringLiteral("id"), row.id},
            {QStringLiteral("name"), LangTrans::Instance()->Translate(item.paramDesc)},
            {QStringLiteral("unit"), item.paramUnit},
            {QStringLiteral("mine"), row.has ? spreadOf(row.mineLow, row.mineHigh) : QString()},
            {QStringLiteral("theirs"), row.has ? spreadOf(row.theirsLow, row.theirsHigh) : QString()},
            {QStringLiteral("differs"), row.differs}};
    }
    static const char *const sides[] = {"both", "mine", "theirs"};
    QVariantList sets;
    int index = 0;
    for (const MaterialComparison::SetRow &set : compared->Sets()) {
        sets << QVariantMap{{QStringLiteral("index"), index++},
                            {QStringLiteral("text"), setKeyText(set.key)},
                            {QStringLiteral("side"), QString::fromLatin1(sides[set.side])},
                            {QStringLiteral("differing"), set.differing}};
    }
    const CPrintMaterial &theirs = *ComparedMaterial();
    return {{QStringLiteral("available"), true},
            {QStringLiteral("mine"), describe(*currentMaterial())},
            {QStringLiteral("theirs"), describe(theirs)},
            {QStringLiteral("fromFile"), m_compareKey == 0},
            {QStringLiteral("refusal"),
             m_cascade.Locked() ? LangTr("%1 is locked: give its password first (✍).").arg(curMatName())
                                : QString()},
            {QStringLiteral("values"), compared->DifferingValues()},
            {QStringLiteral("sets"), compared->DifferingSets()},
            {QStringLiteral("mineOnly"), compared->MineOnly()},
            {QStringLiteral("theirsOnly"), compared->TheirsOnly()},
            {QStringLiteral("rows"), rows},
            {QStringLiteral("printSets"), sets}};
}

bool Materials::TakeFromCompared(
    StepPage page,
    const std::function<bool(CPrintMaterial &, const CPrintMaterial &, const Selection &)> &take,
    const std::function<StepText(const QString &theirs)> &describe)
{
    const CPrintMaterial *compared = ComparedMaterial();
    if (!compared || CurrentPosition() < 0 || CurrentEntry() == nullptr || &CurrentEntry()->mat == compared)
        return false;
    if (m_cascade.Locked()) {
        CVLOG << "Material is locked, can't edit!";
        return false;
    }
    // A copy: the change copies the entries it touches, which may move what the pointer points to.
    const CPrintMaterial theirs = *compared;
    const Selection selection = m_cascade.Current();
    return Edit(
        page,
        [&](LibraryEditor &editor) {
            return take(editor.Touch(size_t(CurrentPosition())).mat, theirs, selection);
        },
        // A set taken may be one the menus did not list yet.
        [&]() { RestoreSelection(selection, true); }, [&]() { return describe(nameOf(theirs)); });
}

bool Materials::takeValue(int nID)
{
    if (nID < 0 || nID >= kParamCount)
        return false;
    return TakeFromCompared(
        nID <= kLastBasicParam ? StepPage::Start : StepPage::Params,
        [nID](CPrintMaterial &mine, const CPrintMaterial &theirs, const Selection &selection) {
            return MaterialComparison::TakeValue(mine, theirs, selection, nID);
        },
        [&](const QString &theirs) {
            return StepText{"take %1 from %2", {m_items[nID].paramDesc, theirs}, 1u};
        });
}

bool Materials::takeSet(int index)
{
    const std::optional<MaterialComparison> compared = Comparison();
    if (!compared || index < 0 || size_t(index) >= compared->Sets().size() ||
        compared->Sets()[size_t(index)].side == MaterialComparison::SetRow::MineOnly)
        return false;
    const PrintSetData key = compared->Sets()[size_t(index)].key;
    return TakeFromCompared(
        StepPage::Params,
        [&key](CPrintMaterial &mine, const CPrintMaterial &theirs, const Selection &) {
            return MaterialComparison::TakeSet(mine, theirs, key);
        },
        [&](const QString &theirs) {
            return StepText{"take the print set %1, nozzle %2 mm, layer %3 mm, %4 from %5",
                            {QString::fromStdString(GetPrinterName(key.nPrinterType)),
                             QString::number(double(key.fNozzleDia), 'f', 2),
                             QString::number(double(key.fLayerThick), 'f', 2),
                             QString::fromStdString(GetQualityName(key.nQuality)), theirs},
                            (PrinterNameIsWords(key.nPrinterType) ? 1u : 0u) | 8u};
        });
}

int Materials::takeAllValues()
{
    int taken = 0;
    TakeFromCompared(
        m_cascade.Printer() == Selection::kNoPrinter ? StepPage::Start : StepPage::Params,
        [&taken](CPrintMaterial &mine, const CPrintMaterial &theirs, const Selection &selection) {
            taken = MaterialComparison::TakeDifferingValues(mine, theirs, selection);
            return taken > 0;
        },
        [&](const QString &theirs) {
            return StepText{"take %1 differing values from %2", {QString::number(taken), theirs}};
        });
    return taken;
}

bool Materials::swapComparison()
{
    const MaterialEntry *current = CurrentEntry();
    const CPrintMaterial *compared = ComparedMaterial();
    if (m_compareKey == 0 || !current || !compared)
        return false;
    const quint64 formerKey = current->key;
    Selection selection = m_cascade.Current();
    selection.matID = compared->m_nMatID;
    RestoreSelection(selection, false);
    m_compareKey = formerKey;
    return true;
}

// ----------------------------------------------------------------------------------------------
// The table of one value over the current printer's print sets

QVariantMap Materials::parameterTable(int nID) const
{
    const MaterialEntry *entry = CurrentEntry();
    if (!entry || nID < 0 || nID >= kParamCount || m_cascade.Printer() == Selection::kNoPrinter)
        return {};
    QVariantMap table = ParameterTable(entry->mat, ReferenceOf(*entry), m_cascade.Printer(), nID).ToVariant();
    const ParamItem &row = ParamCatalogue()[nID];
    table.insert({{QStringLiteral("paramType"), row.paramType},
                  {QStringLiteral("paramDesc"), LangTrans::Instance()->Translate(row.paramDesc)},
                  {QStringLiteral("paramUnit"), row.paramUnit},
                  {QStringLiteral("minVal"), row.minVal},
                  {QStringLiteral("maxVal"), row.maxVal},
                  {QStringLiteral("safeVal"), row.safeVal},
                  {QStringLiteral("editStep"), row.editStep},
                  {QStringLiteral("tickStep"), row.tickStep},
                  {QStringLiteral("labelStep"), row.labelStep},
                  {QStringLiteral("printerName"), ShownPrinterName(m_cascade.Printer())},
                  {QStringLiteral("locked"), m_cascade.Locked()}});
    return table;
}

QVariantList Materials::tableParameters() const
{
    QVariantList rows;
    for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
        if (IsBoundParam(id))
            rows << QVariantMap{
                {QStringLiteral("id"), id},
                {QStringLiteral("name"), LangTrans::Instance()->Translate(ParamCatalogue()[id].paramDesc)}};
    }
    return rows;
}

bool Materials::setValueInSet(int nID, double nozzle, double layer, int quality, double value)
{
    CVLOG << "Set print parameter ID: " << nID << " value: " << value << " in the print set " << nozzle
          << " / " << layer << " / " << quality;
    if (nID <= kLastBasicParam || nID >= kParamCount || !IsBoundParam(nID) || CurrentPosition() < 0 ||
        m_cascade.Printer() == Selection::kNoPrinter) {
        CVLOG << "Parameter ID " << nID << " is not a print parameter of a chosen printer, nothing changed";
        return false;
    }
    if (m_cascade.Locked()) {
        CVLOG << "Material is locked, can't edit!";
        return false;
    }
    if (m_items[nID].paramType == ParamItem::Acceleration && value < double(kAccelerationFloor)) {
        CVLOG << "Below the floor of " << kAccelerationFloor << " mm/s² that Save applies: nothing changed";
        return false;
    }
    PrintSetData key;
    key.nPrinterType = m_cascade.Printer();
    key.fNozzleDia = float(nozzle);
    key.fLayerThick = float(layer);
    key.nQuality = quality;
    double before = 0.0;
    double after = 0.0;
    return Edit(
        StepPage::Params,
        [&](LibraryEditor &editor) {
            for (PrintSetData &set : editor.Touch(size_t(CurrentPosition())).mat.m_lstSets) {
                if (SameSetKey(set, key)) {
                    before = ShownPrintValue(set, nID);
                    StorePrintValue(set, nID, value);
                    after = ShownPrintValue(set, nID);
                    return true;
                }
            }
            CVLOG << "No print set with that key, nothing changed";
            return false;
        },
        [this]() {
            LoadPrintParams();
            emit matChanged();
        },
        [&]() {
            return StepText{"%1 %2 → %3 (⩢ %4 ≣ %5 ⚖ %6)",
                            {m_items[nID].paramDesc, number(before), number(after),
                             QString::number(nozzle, 'f', 2), QString::number(layer, 'f', 2),
                             QString::fromStdString(GetQualityName(quality))},
                            1u | 1u << 5};
        });
}

// ----------------------------------------------------------------------------------------------
// Changes of a group of print rows, in the current material or in several

namespace {
// The rows' kind as a step names it, in English (translated when the step is read).
QString groupName(const BulkChange &change)
{
    const int type = change.Rows().front().paramType;
    if (change.Rows().size() == 1)
        return change.Rows().front().paramDesc;
    return QString::fromUtf8(type == ParamItem::Speed          ? "Speeds"
                             : type == ParamItem::Acceleration ? "Accelerations"
                             : type == ParamItem::Temperature  ? "Temperatures"
                             : type == ParamItem::Width        ? "Widths"
                                                               : "Values");
}

QString changeText(int mode, double amount)
{
    if (mode == int(BulkChange::Mode::Set))
        return QStringLiteral("→ ") + number(amount);
    return (amount < 0 ? QStringLiteral("−") : QStringLiteral("+")) + number(std::fabs(amount)) +
           (mode == int(BulkChange::Mode::Percent) ? QStringLiteral(" %") : QString());
}

QVariantMap planMap(const BulkChange::Plan &plan)
{
    return {{QStringLiteral("materials"), plan.materials},
            {QStringLiteral("sets"), plan.sets},
            {QStringLiteral("values"), plan.values},
            {QStringLiteral("locked"), plan.locked},
            {QStringLiteral("noSets"), plan.noSets}};
}
} // namespace

QVariantList Materials::groupRows(int nID) const
{
    static const std::set<int> kinds{ParamItem::Speed, ParamItem::Acceleration, ParamItem::Temperature,
                                     ParamItem::Width};
    QVariantList rows;
    if (nID <= kLastBasicParam || nID >= kParamCount || !kinds.count(ParamCatalogue()[nID].paramType))
        return rows;
    for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
        const ParamItem &row = ParamCatalogue()[id];
        if (ShowsOwnField(id) && row.paramType == ParamCatalogue()[nID].paramType)
            rows << QVariantMap{{QStringLiteral("id"), id},
                                {QStringLiteral("name"), LangTrans::Instance()->Translate(row.paramDesc)}};
    }
    return rows;
}

std::optional<BulkChange> Materials::GroupChange(const QVariantList &ids, int mode, double amount) const
{
    if (mode < int(BulkChange::Mode::Set) || mode > int(BulkChange::Mode::Percent))
        return std::nullopt;
    std::vector<ParamItem> rows;
    for (const QVariant &id : ids) {
        if (id.toInt() >= 0 && id.toInt() < kParamCount)
            rows.push_back(ParamCatalogue()[id.toInt()]);
    }
    BulkChange change(rows, BulkChange::Mode(mode), amount);
    if (change.Rows().empty())
        return std::nullopt;
    return change;
}

QVariantList Materials::groupResults(QVariantList ids, int mode, double amount) const
{
    // A locked material takes no change, so none is foreseen.
    const bool none = m_cascade.Locked();
    const std::optional<BulkChange> change =
        GroupChange(ids, none ? int(BulkChange::Mode::By) : mode, none ? 0.0 : amount);
    QVariantList results;
    if (!change)
        return results;
    for (const BulkChange::RowResult &r : change->Results(CurrentSets())) {
        results << QVariantMap{
            {QStringLiteral("id"), r.id},
            {QStringLiteral("name"), LangTrans::Instance()->Translate(ParamCatalogue()[r.id].paramDesc)},
            {QStringLiteral("min"), r.min},
            {QStringLiteral("max"), r.max},
            {QStringLiteral("changed"), r.changed},
            {QStringLiteral("outOfRange"), r.outOfRange}};
    }
    return results;
}

QVariantMap Materials::changeGroup(QVariantList ids, int mode, double amount)
{
    CVLOG << "Change the print parameters " << ids.size() << " by " << amount << " mode " << mode;
    BulkChange::Count count;
    const std::optional<BulkChange> change = GroupChange(ids, mode, amount);
    if (!change || change->IsEmpty() || CurrentPosition() < 0)
        return {{QStringLiteral("values"), 0}, {QStringLiteral("sets"), 0}};
    if (m_cascade.Locked()) {
        CVLOG << "Material is locked, can't edit!";
        return {{QStringLiteral("values"), 0}, {QStringLiteral("sets"), 0}};
    }
    Edit(
        StepPage::Params,
        [&](LibraryEditor &editor) {
            count = change->Apply(editor.Touch(size_t(CurrentPosition())).mat, m_cascade.Current());
            return count.values > 0;
        },
        [this]() {
            LoadPrintParams();
            emit matChanged();
        },
        [&]() {
            return StepText{"%1 %2 (%3 values in %4 print sets)",
                            {groupName(*change), changeText(mode, amount), QString::number(count.values),
                             QString::number(count.sets)},
                            1u};
        });
    return {{QStringLiteral("values"), count.values}, {QStringLiteral("sets"), count.sets}};
}

std::vector<std::pair<size_t, BulkChange::Target>> Materials::BulkTargets(const QVariantList &matIDs) const
{
    std::set<int> wanted;
    for (const QVariant &id : matIDs)
        wanted.insert(id.toInt());
    std::vector<std::pair<size_t, BulkChange::Target>> targets;
    for (size_t i = 0; i < m_library.Size(); ++i) {
        const CPrintMaterial &mat = m_library.At(i).mat;
        if (!wanted.count(mat.m_nMatID))
            continue;
        // The current material is open once its password was given; any other is locked by one.
        const bool locked = long(i) == CurrentPosition() ? m_cascade.Locked() : mat.m_szPwMD5[0] != '\0';
        targets.push_back({i, {&mat, locked}});
    }
    return targets;
}

QVariantMap Materials::bulkPreview(QVariantList matIDs, QVariantList ids, int mode, double amount) const
{
    const std::optional<BulkChange> change = GroupChange(ids, mode, amount);
    std::vector<BulkChange::Target> targets;
    for (const auto &target : BulkTargets(matIDs))
        targets.push_back(target.second);
    return planMap(change ? change->Planned(targets, m_cascade.Current()) : BulkChange::Plan());
}

QVariantMap Materials::applyBulkChange(QVariantList matIDs, QVariantList ids, int mode, double amount)
{
    CVLOG << "Change the print parameters " << ids.size() << " by " << amount << " mode " << mode << " in "
          << matIDs.size() << " materials";
    const std::optional<BulkChange> change = GroupChange(ids, mode, amount);
    if (!change || change->IsEmpty())
        return bulkPreview(matIDs, ids, mode, amount);
    const Selection selection = m_cascade.Current();
    const std::vector<std::pair<size_t, BulkChange::Target>> targets = BulkTargets(matIDs);
    std::vector<BulkChange::Target> planned;
    for (const auto &target : targets)
        planned.push_back(target.second);
    BulkChange::Plan plan = change->Planned(planned, selection);
    plan.materials = plan.sets = plan.values = 0;
    Edit(
        StepPage::Params,
        [&](LibraryEditor &editor) {
            // Only the materials the change reaches are copied for the step.
            for (const auto &target : targets) {
                if (target.second.locked || change->Counted(*target.second.mat, selection).values == 0)
                    continue;
                const BulkChange::Count count = change->Apply(editor.Touch(target.first).mat, selection);
                ++plan.materials;
                plan.sets += count.sets;
                plan.values += count.values;
            }
            return plan.values > 0;
        },
        [this]() {
            LoadPrintParams();
            emit matChanged();
        },
        [&]() {
            return StepText{"%1 %2 in %3 materials (%4 values in %5 print sets)",
                            {groupName(*change), changeText(mode, amount), QString::number(plan.materials),
                             QString::number(plan.values), QString::number(plan.sets)},
                            1u};
        });
    return planMap(plan);
}

// ----------------------------------------------------------------------------------------------
// The volumetric flow, the material's flow limit and the check of its values

double Materials::flowLimit() const
{
    const MaterialEntry *entry = CurrentEntry();
    return entry ? entry->flowLimit : 0.0;
}

bool Materials::setFlowLimit(double limit)
{
    const MaterialEntry *entry = CurrentEntry();
    if (!entry || !std::isfinite(limit) || limit < 0.0) {
        CVLOG << "No flow limit " << limit << " for the current material, nothing changed";
        return false;
    }
    const size_t position = size_t(CurrentPosition());
    const QString before = number(entry->flowLimit);
    return Edit(
        StepPage::Params,
        [&](LibraryEditor &editor) {
            editor.TouchLink(position).flowLimit = limit;
            return true;
        },
        [this]() { emit matChanged(); },
        [&]() {
            return limit > 0.0 ? StepText{"flow limit of %1: %2 mm³/s", {curMatName(), number(limit)}}
                               : StepText{"flow limit of %1 removed (was %2 mm³/s)", {curMatName(), before}};
        });
}

QVariantList Materials::flowLines() const
{
    const std::vector<const PrintSetData *> sets = CurrentSets();
    const double limit = flowLimit();
    QVariantList lines;
    for (int part = 0; part < 3 && !sets.empty(); ++part) {
        double low = MaterialAdvice::Flow(*sets.front(), part);
        double high = low;
        for (const PrintSetData *set : sets) {
            low = std::min(low, MaterialAdvice::Flow(*set, part));
            high = std::max(high, MaterialAdvice::Flow(*set, part));
        }
        lines << QVariantMap{
            {QStringLiteral("part"), part},
            {QStringLiteral("low"), RoundShownValue(low)},
            {QStringLiteral("high"), RoundShownValue(high)},
            {QStringLiteral("over"), limit > 0.0 && high > limit && !SameShownValue(high, limit)}};
    }
    return lines;
}

QVariantList Materials::materialAdvice() const
{
    const MaterialEntry *entry = CurrentEntry();
    QVariantList list;
    if (!entry)
        return list;
    const MaterialAdvice advice(entry->mat, entry->flowLimit);
    for (const MaterialAdvice::Finding &f : advice.Findings()) {
        // Names among the arguments (a quality) are translated; numbers stay.
        QStringList args;
        for (const QString &arg : f.args) {
            bool isNumber = false;
            arg.toDouble(&isNumber);
            args << (isNumber ? arg : LangTrans::Instance()->Translate(arg));
        }
        list << QVariantMap{
            {QStringLiteral("text"),
             QStringLiteral("%1 ⩢ %2 ≣ %3 ⚖ %4")
                 .arg(ShownPrinterName(f.key.nPrinterType), QString::number(double(f.key.fNozzleDia), 'f', 2),
                      QString::number(double(f.key.fLayerThick), 'f', 2), ShownQualityName(f.key.nQuality))},
            {QStringLiteral("printer"), f.key.nPrinterType},
            {QStringLiteral("nozzle"), double(f.key.fNozzleDia)},
            {QStringLiteral("layer"), double(f.key.fLayerThick)},
            {QStringLiteral("quality"), f.key.nQuality},
            {QStringLiteral("row"), f.row},
            {QStringLiteral("name"), LangTrans::Instance()->Translate(MaterialAdvice::ValueName(f))},
            {QStringLiteral("reason"), FillPlaceholders(LangTr(MaterialAdvice::ReasonFormat(f.rule)), args)},
            {QStringLiteral("value"), number(f.value)},
            {QStringLiteral("suggested"), number(f.suggested)},
            {QStringLiteral("unit"), f.row >= 0 ? ParamCatalogue()[f.row].paramUnit : QStringLiteral("mm")}};
    }
    return list;
}

bool Materials::showPrintSet(int printer, double nozzle, double layer, int quality)
{
    if (CurrentPosition() < 0)
        return false;
    RestoreSelection({curMatID(), printer, float(nozzle), float(layer), quality}, !m_cascade.Locked());
    const Selection now = m_cascade.Current();
    return now.printer == printer && IsSameNozzle(now.nozzle, float(nozzle)) &&
           IsSameLayer(now.layer, float(layer)) && now.quality == quality;
}

// ----------------------------------------------------------------------------------------------
// Print sets for another nozzle or layer thickness

namespace {
// "0.40 / 0.20 / Fine"
QString deriveKeyText(const PrintSetData &set)
{
    return QStringLiteral("%1 / %2 / %3")
        .arg(double(set.fNozzleDia), 0, 'f', 2)
        .arg(double(set.fLayerThick), 0, 'f', 2)
        .arg(ShownQualityName(set.nQuality));
}

// "30, 40, 50": the contour's, infill's and support's values of a row triple.
QString lineValues(const PrintSetData &set, int firstRow)
{
    return QStringList{number(ShownPrintValue(set, firstRow)), number(ShownPrintValue(set, firstRow + 1)),
                       number(ShownPrintValue(set, firstRow + 2))}
        .join(QStringLiteral(", "));
}
} // namespace

QVariantList Materials::deriveTargets(bool layer) const
{
    const Selection s = m_cascade.Current();
    if (!CurrentEntry() || s.printer == Selection::kNoPrinter || s.nozzle <= 0 || (layer && s.layer <= 0))
        return {};
    QVariantList targets;
    for (const double target : SetDerivation::Targets(
             s.printer, s.nozzle, s.layer, layer ? SetDerivation::Kind::Layer : SetDerivation::Kind::Nozzle))
        targets << QVariantMap{{QStringLiteral("value"), target},
                               {QStringLiteral("text"), QString::number(target, 'f', 2)}};
    return targets;
}

QVariantMap Materials::derivePlan(bool layer, double target, bool keepFlow) const
{
    const Selection s = m_cascade.Current();
    const MaterialEntry *entry = CurrentEntry();
    const bool current = layer ? IsSameLayer(float(target), s.layer) : IsSameNozzle(float(target), s.nozzle);
    QString refusal;
    if (!entry || s.printer == Selection::kNoPrinter || s.nozzle <= 0 || (layer && s.layer <= 0))
        refusal =
            layer ? LangTr("Choose a layer thickness first (≣).") : LangTr("Choose a nozzle first (⩢).");
    else if (m_cascade.Locked())
        refusal = LangTr("%1 is locked: give its password first (✍).").arg(curMatName());
    else if (current || !(target > 0.0))
        refusal = LangTr("Choose another size than the current one.");
    if (!refusal.isEmpty())
        return {{QStringLiteral("refusal"), refusal},
                {QStringLiteral("count"), 0},
                {QStringLiteral("existing"), 0},
                {QStringLiteral("rows"), QVariantList()},
                {QStringLiteral("refused"), QVariantList()}};
    const SetDerivation derivation(entry->mat, s.printer, s.nozzle, s.layer,
                                   layer ? SetDerivation::Kind::Layer : SetDerivation::Kind::Nozzle, target,
                                   keepFlow);
    QVariantList rows;
    for (const SetDerivation::Planned &planned : derivation.Sets()) {
        const QString speeds =
            lineValues(planned.source, 15) + QStringLiteral(" → ") + lineValues(planned.made, 15);
        rows << QVariantMap{{QStringLiteral("text"), deriveKeyText(planned.source) + QStringLiteral(" → ") +
                                                         deriveKeyText(planned.made)},
                            {QStringLiteral("details"),
                             layer ? LangTr("speeds %1 mm/s").arg(speeds)
                                   : LangTr("widths %1 mm; speeds %2 mm/s")
                                         .arg(lineValues(planned.source, 24) + QStringLiteral(" → ") +
                                                  lineValues(planned.made, 24),
                                              speeds)},
                            {QStringLiteral("exists"), planned.exists}};
    }
    QVariantList refused;
    for (const SetDerivation::Refused &r : derivation.Refusals()) {
        QString why;
        switch (r.why) {
        case SetDerivation::Refusal::NoLayer:
            why = LangTr("the catalogue has no layer for nozzle %1 mm").arg(target, 0, 'f', 2);
            break;
        case SetDerivation::Refusal::KeyRefused:
            why = LangTr("the catalogue does not offer this key for %1").arg(ShownPrinterName(s.printer));
            break;
        case SetDerivation::Refusal::SecondSource:
            for (const SetDerivation::Planned &winner : derivation.Sets()) {
                if (SameSetKey(winner.made, r.target))
                    why = LangTr("made from %1, whose layer is nearer").arg(deriveKeyText(winner.source));
            }
            break;
        }
        refused << QVariantMap{
            {QStringLiteral("text"),
             r.why == SetDerivation::Refusal::NoLayer
                 ? deriveKeyText(r.source)
                 : deriveKeyText(r.source) + QStringLiteral(" → ") + deriveKeyText(r.target)},
            {QStringLiteral("why"), why}};
    }
    return {{QStringLiteral("refusal"), QString()},
            {QStringLiteral("count"), rows.size()},
            {QStringLiteral("existing"), derivation.Existing()},
            {QStringLiteral("rows"), rows},
            {QStringLiteral("refused"), refused}};
}

QVariantMap Materials::deriveSets(bool layer, double target, bool keepFlow, QVariantList replace)
{
    int made = 0;
    int kept = 0;
    const QString refusal = derivePlan(layer, target, keepFlow).value(QStringLiteral("refusal")).toString();
    if (!refusal.isEmpty()) {
        CVLOG << "No print sets derived: " << refusal;
        return {{QStringLiteral("made"), 0}, {QStringLiteral("kept"), 0}};
    }
    std::vector<bool> replacing;
    for (const QVariant &choice : replace)
        replacing.push_back(choice.toBool());
    const Selection selection = m_cascade.Current();
    Edit(
        StepPage::Params,
        [&](LibraryEditor &editor) {
            CPrintMaterial &mat = editor.Touch(size_t(CurrentPosition())).mat;
            const SetDerivation derivation(mat, selection.printer, selection.nozzle, selection.layer,
                                           layer ? SetDerivation::Kind::Layer : SetDerivation::Kind::Nozzle,
                                           target, keepFlow);
            for (size_t i = 0; i < derivation.Sets().size(); ++i)
                kept += derivation.Sets()[i].exists && !(i < replacing.size() && replacing[i]) ? 1 : 0;
            made = derivation.Apply(mat, replacing);
            return made > 0;
        },
        // The new sets' nozzle or layer joins its menu.
        [&]() { RestoreSelection(selection, true); },
        [&]() {
            return StepText{layer ? "make %1 print sets for layer %2 mm"
                                  : "make %1 print sets for nozzle %2 mm",
                            {QString::number(made), QString::number(target, 'f', 2)}};
        });
    CVLOG << "Derive print sets for " << (layer ? "layer " : "nozzle ") << target << ": " << made << " made, "
          << kept << " kept";
    return {{QStringLiteral("made"), made}, {QStringLiteral("kept"), kept}};
}
