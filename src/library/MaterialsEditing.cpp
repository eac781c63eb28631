// Editing: parameter values, name and password, material ID, copying and removing materials.

#include "Materials.h"

#include "base/Log.h"
#include "core/MaterialIdentity.h"

#include <QDateTime>

#include <climits>
#include <cstring>
#include <unordered_set>

namespace {
// UTF-8 bytes of a typed text, cut to at most 32 bytes without splitting a character.
QByteArray utf8Cut32(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= 32)
        return bytes;
    int cut = 32;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut; // bytes[cut] continues the character before it
    return bytes.left(cut);
}
} // namespace

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
    m_items[nID].paramVal = value;
    const bool stored = nID > kLastBasicParam ? !m_CurSets.empty() : CurrentRecord() != nullptr;
    if (nID > kLastBasicParam)
        SavePrintParams(nID, value);
    else
        SaveBasicInfo(nID, value);
    if (stored && IsBoundParam(nID))
        SetModified(true);
    emit matChanged();
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
    const CPrintMaterial before = *mat;
    const QString stored = QString::fromLatin1(mat->m_szPwMD5).toLower();
    if (!stored.isEmpty()) {
        if (stored != pwMD5)
            return -2;
        m_bMatLocked = false;
    } else if (!pwMD5.isEmpty()) {
        const QByteArray lock = pwMD5.left(32).toLatin1();
        std::memset(mat->m_szPwMD5, 0, sizeof(mat->m_szPwMD5));
        std::memcpy(mat->m_szPwMD5, lock.constData(), size_t(lock.size()));
        m_bMatLocked = false;
    }
    // Stored as UTF-8, the encoding in which every reader of the record takes it.
    mat->SetNameAndManu(utf8Cut32(name).constData(), utf8Cut32(manu).constData());
    if (!mat->SameStoredContent(before))
        SetModified(true);
    LoadBasicInfo();
    LoadPrintParams();
    emit curMaterialChanged(curMaterial());
    emit matChanged();
    emit bMatLockedChanged(bMatLocked());
    return 0;
}

void Materials::modifyMatID(int nID)
{
    CVLOG << "Modify material ID: " << nID;
    CPrintMaterial *mat = CurrentRecord();
    if (nID > 0 || !mat || m_bMatLocked)
        return;
    const qint64 newID = -qint64(nID);
    if (newID > INT_MAX || (newID & 0xFC0000) != 0)
        return;
    for (const auto &entry : m_Materials) {
        if (&entry->mat != mat && entry->mat.m_nMatID == newID) {
            CVLOG << "Material ID " << newID << " belongs to " << entry->mat.m_szName << " / "
                  << entry->mat.m_szManu << ", ID not changed";
            return;
        }
    }
    if (mat->m_nMatID != newID)
        SetModified(true);
    mat->m_nMatID = int32_t(newID);
    m_nCurMatID = int(newID);
    emit curMatIDChanged(m_nCurMatID);
}

void Materials::addCopyMaterial(int nID)
{
    const MaterialEntry *source = FindEntry(nID);
    if (!source)
        return;
    m_Materials.push_back(std::make_unique<MaterialEntry>());
    MaterialEntry &copy = *m_Materials.back();
    const int newID = InitCopy(source->mat, copy.mat);
    SetModified(true);
    SetCurMaterial(newID);
    UpdatePrinterTypes();
    selectPrinter(-1000);
    emit printerChanged();
}

int Materials::InitCopy(const CPrintMaterial &source, CPrintMaterial &target)
{
    static int s_copyCounter = 0;
    target = source;
    std::memset(target.m_szPwMD5, 0, sizeof(target.m_szPwMD5));
    target.m_nCreateDay = CreationDayNumber(QDateTime::currentDateTime());
    ++s_copyCounter;
    const std::string name = std::string(source.m_szName) + "_Copy" + std::to_string(s_copyCounter);
    target.SetNameAndManu(name.c_str(), "Manufacturer");
    target.m_bDefaultFallback = 0;
    const MaterialEntry *targetEntry = nullptr;
    for (const auto &entry : m_Materials) {
        if (&entry->mat == &target)
            targetEntry = entry.get();
    }
    return DrawUnusedID(target, targetEntry);
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
    it = m_Materials.erase(it);
    SetModified(true);
    if (nID != m_nCurMatID) {
        emit matChanged();
        return;
    }
    SetCurMaterial(it == m_Materials.end() ? -1 : (*it)->mat.m_nMatID);
    UpdatePrinterTypes();
    selectPrinter(-1000);
    emit printerChanged();
}
