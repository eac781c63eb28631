// Editing: parameter values, name and password, material ID, copying and removing materials.

#include "Materials.h"

#include "base/Log.h"
#include "base/TLanguage.h"
#include "base/cfutility.h"
#include "core/MaterialIdentity.h"

#include <QDateTime>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <unordered_set>

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
} // namespace

std::optional<MaterialEntry> Materials::CurrentEntryCopy(long *position)
{
    *position = PositionOf(m_nCurMatID);
    if (*position < 0)
        return std::nullopt;
    // Every edit copies its entry first: what the drawer knew of it goes stale now.
    ForgetVendorState(m_Materials[size_t(*position)].get());
    return *m_Materials[size_t(*position)];
}

void Materials::setParameter(int nID, double value)
{
    CVLOG << "Set print parameter ID: " << nID << " value: " << value;
    if (nID < 0 || nID >= kParamCount) {
        CVLOG << "Parameter ID " << nID << " is not a parameter, nothing changed";
        return;
    }
    if (m_bMatLocked) {
        CVLOG << "Material is locked, can't edit!";
        return;
    }
    if (m_items[nID].paramType == ParamItem::Acceleration && value < double(kAccelerationFloor)) {
        CVLOG << "Below the floor of " << kAccelerationFloor << " mm/s² that Save applies: nothing changed";
        return;
    }
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const Selection selection = CurrentSelection();
    const QVariantMap spread = valueSpread(nID);
    m_items[nID].paramVal = value;
    if (nID > kLastBasicParam)
        SavePrintParams(nID, value);
    else
        SaveBasicInfo(nID, value);
    ComputeVendorMarks();
    emit matChanged();
    if (before) {
        const int sets = spread.value(QStringLiteral("count")).toInt();
        StepText text{"%1 %2 → %3", {m_items[nID].paramDesc, spreadText(spread),
                                                     number(valueSpread(nID).value(QStringLiteral("min")).toDouble())},
                      1u};
        if (sets > 1) {
            text.format = "%1 %2 → %3 (%4 print sets)";
            text.args << QString::number(sets);
        }
        RecordEdit(size_t(position), std::move(*before), selection,
                   nID > kLastBasicParam ? StepPage::Params : StepPage::Start, std::move(text));
    }
}

void Materials::changeParameterBy(int nID, double amount, bool percent)
{
    CVLOG << "Change print parameter ID: " << nID << " by " << amount << (percent ? " %" : "");
    if (nID < 0 || nID >= kParamCount || !IsBoundParam(nID) || m_bMatLocked || amount == 0.0)
        return;
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    if (!before)
        return;
    const Selection selection = CurrentSelection();
    const ParamItem &row = m_items[nID];
    int sets = 1;
    bool changed = false;
    if (nID <= kLastBasicParam) {
        changed = ChangeBasicValueBy(m_Materials[size_t(position)]->mat, nID, amount, percent, row.minVal, row.maxVal);
    } else {
        for (PrintSetData *set : m_CurSets)
            changed = ChangePrintValueBy(*set, nID, amount, percent, row.minVal, row.maxVal) || changed;
        sets = int(m_CurSets.size());
    }
    if (!changed)
        return;
    LoadBasicInfo();
    LoadPrintParams();
    emit matChanged();
    const QString change = (amount < 0 ? QStringLiteral("−") : QStringLiteral("+")) + number(std::fabs(amount))
                           + (percent ? QStringLiteral(" %") : QString());
    StepText text{"%1 %2", {row.paramDesc, change}, 1u};
    if (sets > 1) {
        text.format = "%1 %2 (%3 print sets)";
        text.args << QString::number(sets);
    }
    RecordEdit(size_t(position), std::move(*before), selection,
               nID > kLastBasicParam ? StepPage::Params : StepPage::Start, std::move(text));
}

void Materials::SaveBasicInfo(int nID, double value)
{
    CPrintMaterial *mat = CurrentRecord();
    if (!mat) {
        CVLOG << "The Current Material is NULL!!";
        return;
    }
    Q_ASSERT(!m_bMatLocked);
    if (nID > kLastBasicParam)
        return;
    StoreBasicValue(*mat, nID, value);
}

void Materials::SavePrintParams(int nID, double value)
{
    if (m_CurSets.empty())
        return;
    Q_ASSERT(!m_bMatLocked);
    for (PrintSetData *set : m_CurSets)
        StorePrintValue(*set, nID, value);
    m_items[nID].paramFlag |= ParamItem::CommonValue;
}

int Materials::setMatNameAndManu(QString name, QString manu, QString pwMD5)
{
    CVLOG << "Set material name and manufacturer: " << name << " / " << manu;
    CPrintMaterial *mat = CurrentRecord();
    if (!mat)
        return -1;
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const Selection selection = CurrentSelection();
    const QString stored = QString::fromLatin1(mat->m_szPwMD5).toLower();
    if (!stored.isEmpty() && stored != pwMD5)
        return -2;
    // Two materials with one name and manufacturer would merge into one at the next start. A text
    // the user left as shown keeps its stored bytes, which need not be UTF-8.
    const QByteArray newName = name == QString::fromUtf8(mat->m_szName) ? QByteArray(mat->m_szName) : utf8Cut32(name);
    const QByteArray newManu = manu == QString::fromUtf8(mat->m_szManu) ? QByteArray(mat->m_szManu) : utf8Cut32(manu);
    if (const MaterialEntry *holder = FindByName(newName.toStdString(), newManu.toStdString(), mat)) {
        CVLOG << "Name " << newName.constData() << " / " << newManu.constData() << " belongs to material "
              << holder->mat.m_nMatID << ", nothing changed";
        return -3;
    }
    if (!stored.isEmpty()) {
        m_bMatLocked = false;
    } else if (!pwMD5.isEmpty()) {
        const QByteArray lock = pwMD5.left(32).toLatin1();
        std::memset(mat->m_szPwMD5, 0, sizeof(mat->m_szPwMD5));
        std::memcpy(mat->m_szPwMD5, lock.constData(), size_t(lock.size()));
        m_bMatLocked = false;
    }
    // Stored as UTF-8, the encoding in which every reader of the record takes it.
    mat->SetNameAndManu(newName.constData(), newManu.constData());
    const bool locks = stored.isEmpty() && !pwMD5.isEmpty();
    StepText text = locks ? StepText{"lock %1", {nameOf(*mat)}}
                          : StepText{"rename %1 to %2", {nameOf(before->mat), nameOf(*mat)}};
    LoadBasicInfo();
    LoadPrintParams();
    emit curMaterialChanged(curMaterial());
    emit matChanged();
    emit bMatLockedChanged(bMatLocked());
    RecordEdit(size_t(position), std::move(*before), selection, StepPage::Start, std::move(text));
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
    if (m_bMatLocked) {
        m_bMatLocked = false;
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
    CPrintMaterial *mat = CurrentRecord();
    if (!mat || mat->m_szPwMD5[0] == '\0')
        return -1;
    if (QString::fromLatin1(mat->m_szPwMD5).toLower() != oldMD5)
        return -2;
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const Selection selection = CurrentSelection();
    const QByteArray lock = newMD5.left(32).toLatin1();
    std::memset(mat->m_szPwMD5, 0, sizeof(mat->m_szPwMD5));
    std::memcpy(mat->m_szPwMD5, lock.constData(), size_t(lock.size()));
    m_bMatLocked = false;
    LoadBasicInfo();
    LoadPrintParams();
    emit matChanged();
    emit bMatLockedChanged(bMatLocked());
    RecordEdit(size_t(position), std::move(*before), selection, StepPage::Start,
               lock.isEmpty() ? StepText{"remove the password of %1", {nameOf(*mat)}}
                              : StepText{"change the password of %1", {nameOf(*mat)}});
    return 0;
}

QString Materials::matIDRefusal(int nID) const
{
    const CPrintMaterial *mat = currentMaterial();
    if (!mat)
        return LangTr("There is no current material.");
    if (m_bMatLocked)
        return LangTr("%1 is locked: give its password first (✍).").arg(QString::fromUtf8(mat->m_szName));
    const qint64 newID = -qint64(nID);
    if (nID > 0)
        return LangTr("The ID %1 is negative: material IDs are whole numbers from 0 up.").arg(newID);
    if (newID > INT_MAX || (newID & 0xFC0000) != 0)
        return LangTr("%1 has the form of a generated ID (one of bits 18 to 23 set): choose an ID below 262144.")
            .arg(newID);
    for (const auto &entry : m_Materials) {
        if (&entry->mat != mat && entry->mat.m_nMatID == newID)
            return LangTr("The ID %1 belongs to %2 / %3.")
                .arg(newID)
                .arg(QString::fromUtf8(entry->mat.m_szName), QString::fromUtf8(entry->mat.m_szManu));
    }
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
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const Selection selection = CurrentSelection();
    CPrintMaterial *mat = CurrentRecord();
    const qint64 newID = -qint64(nID);
    mat->m_nMatID = int32_t(newID);
    m_nCurMatID = int(newID);
    ComputeVendorMarks(); // the vendor's counterpart may be another one now
    emit curMatIDChanged(m_nCurMatID);
    RecordEdit(size_t(position), std::move(*before), selection, StepPage::Start,
               StepText{"ID of %1: %2 → %3", {nameOf(*mat), QString::number(selection.matID), QString::number(newID)}});
}

void Materials::addCopyMaterial(int nID)
{
    const MaterialEntry *source = FindEntry(nID);
    if (!source)
        return;
    const Selection selection = CurrentSelection();
    m_Materials.push_back(NewEntry());
    MaterialEntry &copy = *m_Materials.back();
    ForgetVendorState(&copy);
    const int newID = InitCopy(source->mat, copy.mat);
    SetCurMaterial(newID);
    UpdatePrinterTypes();
    selectPrinter(-1000);
    emit printerChanged();
    std::vector<EntryChange> changes(1);
    changes[0].position = m_Materials.size() - 1;
    changes[0].after = copy;
    PushStep(std::move(changes), selection, StepPage::Start, StepText{"add %1", {nameOf(copy.mat)}}, false);
}

int Materials::InitCopy(const CPrintMaterial &source, CPrintMaterial &target)
{
    target = source;
    std::memset(target.m_szPwMD5, 0, sizeof(target.m_szPwMD5));
    target.m_nCreateDay = CreationDayNumber(QDateTime::currentDateTime());
    const MaterialEntry *targetEntry = nullptr;
    for (const auto &entry : m_Materials) {
        if (&entry->mat == &target)
            targetEntry = entry.get();
    }
    const char *const manu = "Manufacturer";
    target.SetNameAndManu(UniqueCopyName(source.m_szName, manu, targetEntry).c_str(), manu);
    target.m_bDefaultFallback = 0;
    return DrawUnusedID(target, targetEntry);
}

std::string Materials::UniqueCopyName(const std::string &name, const std::string &manu,
                                      const MaterialEntry *excluded) const
{
    std::unordered_set<std::string> taken;
    taken.reserve(m_Materials.size());
    for (const auto &entry : m_Materials) {
        if (entry.get() != excluded && manu == entry->mat.m_szManu)
            taken.insert(entry->mat.m_szName);
    }
    // The suffix always fits: the name gives way to it, on a character boundary.
    for (size_t n = 1;; ++n) {
        const std::string suffix = "_Copy" + std::to_string(n);
        const std::string candidate = Utf8Prefix(name, 32 - suffix.size()) + suffix;
        if (!taken.count(candidate))
            return candidate;
    }
}

const MaterialEntry *Materials::FindByName(const std::string &name, const std::string &manu,
                                           const CPrintMaterial *excluded) const
{
    for (const auto &entry : m_Materials) {
        if (&entry->mat != excluded && name == entry->mat.m_szName && manu == entry->mat.m_szManu)
            return entry.get();
    }
    return nullptr;
}

int32_t Materials::DrawUnusedID(CPrintMaterial &target, const MaterialEntry *excluded)
{
    std::unordered_set<int32_t> used;
    used.reserve(m_Materials.size());
    for (const auto &entry : m_Materials) {
        if (entry.get() != excluded)
            used.insert(entry->mat.m_nMatID);
    }
    // Random draws find a free ID at once in any library of realistic size; the walk below only
    // guarantees an end when nearly every ID of the material's form is taken.
    for (int attempt = 0; attempt < 4096; ++attempt) {
        if (!used.count(target.GenerateID()))
            return target.m_nMatID;
    }
    const uint32_t form = uint32_t(target.m_nMatID) & 0x00FFFF00u;
    for (uint32_t top = 1; top <= 100; ++top) {
        for (uint32_t low = 0; low < 256; ++low) {
            const int32_t id = int32_t((top << 24) | form | low);
            if (!used.count(id))
                return target.m_nMatID = id;
        }
    }
    int32_t id = 1;
    while (used.count(id))
        ++id;
    return target.m_nMatID = id;
}

void Materials::removeMaterial(int nID)
{
    auto it = std::find_if(m_Materials.begin(), m_Materials.end(),
                           [nID](const std::unique_ptr<MaterialEntry> &e) { return e->mat.m_nMatID == nID; });
    if (it == m_Materials.end())
        return;
    const Selection selection = CurrentSelection();
    std::vector<EntryChange> changes(1);
    changes[0].position = size_t(it - m_Materials.begin());
    changes[0].before = std::move(**it);
    ForgetVendorState(it->get());
    it = m_Materials.erase(it);
    if (nID != m_nCurMatID) {
        emit matChanged();
    } else {
        SetCurMaterial(it == m_Materials.end() ? -1 : (*it)->mat.m_nMatID);
        UpdatePrinterTypes();
        selectPrinter(-1000);
        emit printerChanged();
    }
    // Undone, the material comes back current.
    Selection removed = selection;
    if (nID != selection.matID)
        removed = Selection{nID};
    const StepText text{"remove %1", {nameOf(changes[0].before->mat)}};
    PushStep(std::move(changes), removed, StepPage::Start, text, false);
}
