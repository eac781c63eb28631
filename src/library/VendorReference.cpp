#include "VendorReference.h"

#include "core/MaterialDiff.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<quint64> g_nextReference{1};

void widen(VendorReference::Mark &mark, double vendor, double own)
{
    mark.low = mark.has ? std::min(mark.low, vendor) : vendor;
    mark.high = mark.has ? std::max(mark.high, vendor) : vendor;
    mark.has = true;
    mark.differs = mark.differs || !SameShownValue(vendor, own);
}
} // namespace

void VendorReference::Set(std::vector<FlatMaterial> reference)
{
    m_vendor = std::move(reference);
    m_byKey.clear();
    for (size_t i = 0; i < m_vendor.size(); ++i) {
        std::sort(m_vendor[i].sets.begin(), m_vendor[i].sets.end(), LessPrintSet);
        m_byKey.emplace(MaterialKey::Of(m_vendor[i].fields), i);
    }
    m_revision = g_nextReference++;
}

const FlatMaterial *VendorReference::Of(const MaterialEntry &entry) const
{
    return entry.vendorRef >= 0 && size_t(entry.vendorRef) < m_vendor.size()
               ? &m_vendor[size_t(entry.vendorRef)]
               : nullptr;
}

long VendorReference::IndexOf(const MaterialKey &key) const
{
    const auto found = m_byKey.find(key);
    return found == m_byKey.end() ? -1 : long(found->second);
}

VendorReference::Standing VendorReference::StandingOf(const MaterialEntry &entry) const
{
    const auto known = m_standings.find(entry.key);
    if (known != m_standings.end() && known->second.entryRevision == entry.revision &&
        known->second.referenceRevision == m_revision)
        return known->second.standing;
    const FlatMaterial *vendor = Of(entry);
    // An ID the load gave in place of one that another material holds is no change of the user's.
    const bool compareID = !(entry.loadID != 0 && entry.mat.m_nMatID == entry.loadID);
    const Standing standing = !vendor ? None : ShowAlike(entry.mat, *vendor, compareID) ? Same : Changed;
    m_standings[entry.key] = {entry.revision, m_revision, standing};
    return standing;
}

const PrintSetData *VendorReference::FindSet(const FlatMaterial &vendor, const PrintSetData &key)
{
    for (const PrintSetData &set : vendor.sets) {
        if (SameSetKey(set, key))
            return &set;
    }
    return nullptr;
}

std::vector<VendorReference::Mark> VendorReference::Marks(const MaterialEntry *entry,
                                                          const FlatMaterial *vendor,
                                                          const std::vector<const PrintSetData *> &sets)
{
    std::vector<Mark> marks(static_cast<size_t>(kParamCount));
    if (!entry || !vendor)
        return marks;
    for (int id = 0; id <= kLastBasicParam; ++id) {
        if (IsBoundParam(id))
            widen(marks[size_t(id)], ShownBasicValue(vendor->fields, id), ShownBasicValue(entry->mat, id));
    }
    for (const PrintSetData *set : sets) {
        const PrintSetData *theirs = FindSet(*vendor, *set);
        if (!theirs)
            continue; // a set of the user's own has nothing to compare with
        for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
            if (IsBoundParam(id))
                widen(marks[size_t(id)], ShownPrintValue(*theirs, id), ShownPrintValue(*set, id));
        }
    }
    return marks;
}

bool VendorReference::SetDiffers(const FlatMaterial *vendor, const PrintSetData &set)
{
    const PrintSetData *theirs = vendor ? FindSet(*vendor, set) : nullptr;
    for (int id = kLastBasicParam + 1; theirs && id < kParamCount; ++id) {
        if (IsBoundParam(id) && !SamePrintValue(*theirs, set, id))
            return true;
    }
    return false;
}

CPrintMaterial VendorReference::VersionOf(const MaterialEntry &entry, const MaterialLibrary &library) const
{
    CPrintMaterial reset = Of(entry)->ToRecord();
    const MaterialEntry *holder = library.Find(reset.m_nMatID);
    if (holder && holder != &entry)
        reset.m_nMatID = entry.mat.m_nMatID;
    return reset;
}

std::vector<size_t> VendorReference::Removed(const MaterialLibrary &library) const
{
    std::vector<bool> present(m_vendor.size(), false);
    for (size_t i = 0; i < library.Size(); ++i) {
        if (Of(library.At(i)))
            present[size_t(library.At(i).vendorRef)] = true;
    }
    std::vector<size_t> removed;
    for (size_t i = 0; i < present.size(); ++i) {
        if (!present[i])
            removed.push_back(i);
    }
    return removed;
}

QByteArray VendorReference::RemovedText(const MaterialLibrary &library) const
{
    QByteArray text;
    for (const size_t i : Removed(library)) {
        const CPrintMaterial &mat = m_vendor[i].fields;
        text += QByteArray::number(mat.m_nMatID) + ' ' + QByteArray(mat.m_szName).toHex() + ' ' +
                QByteArray(mat.m_szManu).toHex() + '\n';
    }
    return text;
}

std::vector<bool> VendorReference::RemovedBy(const QByteArray &text) const
{
    std::vector<bool> removed(m_vendor.size(), false);
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        bool ok = false;
        const int32_t id = parts.value(0).toInt(&ok);
        if (!ok)
            continue;
        const bool named = parts.size() >= 3;
        const std::string name = QByteArray::fromHex(parts.value(1)).toStdString();
        const std::string manu = QByteArray::fromHex(parts.value(2)).toStdString();
        for (size_t i = 0; i < m_vendor.size(); ++i) {
            const CPrintMaterial &vendor = m_vendor[i].fields;
            if (vendor.m_nMatID == id && (!named || (name == vendor.m_szName && manu == vendor.m_szManu)))
                removed[i] = true;
        }
    }
    return removed;
}
