// The installed vendor library as the reference: which values differ from the vendor's, resets to
// them, which vendor materials were removed, and the map of the current material's print sets.

#include "Materials.h"

#include "base/Log.h"
#include "base/TLanguage.h"
#include "base/cfutility.h"
#include "core/PrinterCatalogue.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {
// Values within this of each other are the same value, as the pages take them.
constexpr double kSameValue = 0.001;

std::string nameKey(const CPrintMaterial &mat)
{
    return std::string(mat.m_szName) + '\0' + mat.m_szManu;
}

bool sameKey(const PrintSetData &a, const PrintSetData &b)
{
    return a.nPrinterType == b.nPrinterType && a.nQuality == b.nQuality && IsSameNozzle(a.fNozzleDia, b.fNozzleDia)
           && IsSameLayer(a.fLayerThick, b.fLayerThick);
}

const PrintSetData *findSet(const std::vector<PrintSetData> &sets, const PrintSetData &key)
{
    for (const PrintSetData &set : sets) {
        if (sameKey(set, key))
            return &set;
    }
    return nullptr;
}

void widen(Materials::VendorMark &mark, double vendor, double own)
{
    mark.low = mark.has ? std::min(mark.low, vendor) : vendor;
    mark.high = mark.has ? std::max(mark.high, vendor) : vendor;
    mark.has = true;
    mark.differs = mark.differs || std::fabs(vendor - own) > kSameValue;
}
} // namespace

void Materials::SetVendorReference(std::vector<FlatMaterial> reference)
{
    m_vendor = std::move(reference);
    m_vendorByID.clear();
    m_vendorByName.clear();
    for (size_t i = 0; i < m_vendor.size(); ++i) {
        std::sort(m_vendor[i].sets.begin(), m_vendor[i].sets.end(), LessPrintSet);
        m_vendorByID.emplace(m_vendor[i].fields.m_nMatID, i);
        m_vendorByName.emplace(nameKey(m_vendor[i].fields), i);
    }
    ForgetVendorStates();
}

const FlatMaterial *Materials::VendorCounterpart(const CPrintMaterial &mat) const
{
    auto byID = m_vendorByID.find(mat.m_nMatID);
    if (byID != m_vendorByID.end())
        return &m_vendor[byID->second];
    auto byName = m_vendorByName.find(nameKey(mat));
    return byName == m_vendorByName.end() ? nullptr : &m_vendor[byName->second];
}

bool Materials::SameAsVendor(const CPrintMaterial &mat, const FlatMaterial &vendor)
{
    CPrintMaterial fields;
    fields.CopyFieldsFrom(mat);
    if (!fields.SameStoredContent(vendor.fields) || mat.m_lstSets.size() != vendor.sets.size())
        return false;
    std::vector<PrintSetData> sets(mat.m_lstSets.begin(), mat.m_lstSets.end());
    std::sort(sets.begin(), sets.end(), LessPrintSet);
    return sets == vendor.sets;
}

int Materials::VendorState(int row) const
{
    const MaterialEntry *entry = row >= 0 && row < int(m_Materials.size()) ? m_Materials[size_t(row)].get() : nullptr;
    if (!entry)
        return VendorNone;
    const auto cached = m_vendorStates.find(entry);
    if (cached != m_vendorStates.end())
        return cached->second;
    const FlatMaterial *vendor = VendorCounterpart(entry->mat);
    const int state = !vendor ? VendorNone : SameAsVendor(entry->mat, *vendor) ? VendorSame : VendorChanged;
    m_vendorStates.emplace(entry, state);
    return state;
}

void Materials::ComputeVendorMarks()
{
    m_vendorMarks.assign(size_t(kParamCount), VendorMark());
    const CPrintMaterial *mat = currentMaterial();
    const FlatMaterial *vendor = mat ? VendorCounterpart(*mat) : nullptr;
    if (!vendor)
        return;
    for (int id = 0; id <= kLastBasicParam; ++id) {
        if (IsBoundParam(id))
            widen(m_vendorMarks[size_t(id)], ShownBasicValue(vendor->fields, id), ShownBasicValue(*mat, id));
    }
    for (const PrintSetData *set : m_CurSets) {
        const PrintSetData *theirs = findSet(vendor->sets, *set);
        if (!theirs)
            continue; // a set of the user's own has nothing to compare with
        for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
            if (IsBoundParam(id))
                widen(m_vendorMarks[size_t(id)], ShownPrintValue(*theirs, id), ShownPrintValue(*set, id));
        }
    }
}

Materials::VendorMark Materials::vendorMark(int row) const
{
    return row >= 0 && size_t(row) < m_vendorMarks.size() ? m_vendorMarks[size_t(row)] : VendorMark();
}

void Materials::resetValueToVendor(int nID)
{
    CVLOG << "Reset to vendor, parameter ID: " << nID;
    if (m_bMatLocked || !IsBoundParam(nID) || !vendorMark(nID).differs)
        return;
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const FlatMaterial *vendor = VendorCounterpart(before->mat);
    CPrintMaterial &mat = m_Materials[size_t(position)]->mat;
    if (nID <= kLastBasicParam) {
        CopyBasicValue(mat, vendor->fields, nID);
    } else {
        for (PrintSetData *set : m_CurSets) {
            if (const PrintSetData *theirs = findSet(vendor->sets, *set))
                CopyPrintValue(*set, *theirs, nID);
        }
    }
    LoadBasicInfo();
    LoadPrintParams();
    emit matChanged();
    RecordEdit(size_t(position), std::move(*before), CurrentSelection(),
               nID <= kLastBasicParam ? StepPage::Start : StepPage::Params,
               StepText{"reset %1 of %2 to the vendor's", {m_items[nID].paramDesc, QString::fromUtf8(mat.m_szName)}, 1u});
}

// The material as the vendor has it; its own ID stays when another material holds the vendor's.
CPrintMaterial Materials::VendorVersionOf(const CPrintMaterial &mat, const FlatMaterial &vendor) const
{
    CPrintMaterial reset = vendor.ToRecord();
    const long holder = PositionOf(reset.m_nMatID);
    if (holder >= 0 && &m_Materials[size_t(holder)]->mat != &mat)
        reset.m_nMatID = mat.m_nMatID;
    return reset;
}

QVariantMap Materials::vendorResetPreview() const
{
    QVariantMap preview{{QStringLiteral("available"), false}};
    const CPrintMaterial *mat = currentMaterial();
    const FlatMaterial *vendor = mat ? VendorCounterpart(*mat) : nullptr;
    if (!vendor || m_bMatLocked)
        return preview;
    int values = 0;
    int sets = 0;
    for (const ValueDifference &d : DescribeValueDifferences(*mat, VendorVersionOf(*mat, *vendor)))
        ++(d.name == "print set" ? sets : values);
    preview.insert(QStringLiteral("available"), true);
    preview.insert(QStringLiteral("values"), values);
    preview.insert(QStringLiteral("sets"), sets);
    return preview;
}

bool Materials::resetMaterialToVendor()
{
    if (!vendorResetPreview().value(QStringLiteral("available")).toBool())
        return false;
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const Selection selection = CurrentSelection();
    MaterialEntry &entry = *m_Materials[size_t(position)];
    entry.mat = VendorVersionOf(entry.mat, *VendorCounterpart(entry.mat));
    CVLOG << "Reset " << entry.mat.m_szName << " to the vendor's";
    SetCurMaterial(entry.mat.m_nMatID, true);
    UpdatePrinterTypes();
    selectPrinter(-1000);
    emit printerChanged();
    std::vector<EntryChange> changes(1);
    changes[0].position = size_t(position);
    changes[0].before = std::move(before);
    changes[0].after = entry;
    if (changes[0].before->mat == entry.mat)
        return true;
    PushStep(std::move(changes), selection, StepPage::Start,
             StepText{"reset %1 to the vendor's", {QString::fromUtf8(entry.mat.m_szName)}}, true);
    return true;
}

std::vector<size_t> Materials::RemovedVendorMaterials() const
{
    std::vector<bool> present(m_vendor.size(), false);
    for (const auto &entry : m_Materials) {
        if (const FlatMaterial *vendor = VendorCounterpart(entry->mat))
            present[size_t(vendor - m_vendor.data())] = true;
    }
    std::vector<size_t> removed;
    for (size_t i = 0; i < present.size(); ++i) {
        if (!present[i])
            removed.push_back(i);
    }
    return removed;
}

int Materials::removedVendorCount() const
{
    return int(RemovedVendorMaterials().size());
}

int Materials::bringBackRemovedVendor()
{
    const std::vector<size_t> removed = RemovedVendorMaterials();
    if (removed.empty())
        return 0;
    const Selection selection = CurrentSelection();
    std::vector<EntryChange> changes;
    for (const size_t i : removed) {
        m_Materials.push_back(std::make_unique<MaterialEntry>());
        m_Materials.back()->mat = m_vendor[i].ToRecord();
        ForgetVendorState(m_Materials.back().get());
        EntryChange change;
        change.position = m_Materials.size() - 1;
        change.after = *m_Materials.back();
        changes.push_back(std::move(change));
    }
    CVLOG << "Bring back " << removed.size() << " vendor materials";
    ReselectCurrent();
    PushStep(std::move(changes), selection, StepPage::Start,
             StepText{"bring back %1 vendor materials", {QString::number(removed.size())}}, false);
    return int(removed.size());
}

QString Materials::RemovedVendorPath() const
{
    return m_strDataPath + QStringLiteral("/removed-vendor.txt");
}

bool Materials::WriteRemovedVendor()
{
    QByteArray text;
    for (const size_t i : RemovedVendorMaterials())
        text += QByteArray::number(m_vendor[i].fields.m_nMatID) + '\n';
    const QString path = RemovedVendorPath();
    if (QFile::exists(path))
        SnapshotFile(path, path + QStringLiteral(".bak"));
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    m_strExportError = file.errorString();
    CVLOG << "Could not write " << path << ": " << m_strExportError;
    return false;
}

void Materials::ApplyRemovedVendor()
{
    QFile file(RemovedVendorPath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    std::set<int32_t> removed;
    while (!file.atEnd()) {
        bool ok = false;
        const int32_t id = file.readLine(64).trimmed().toInt(&ok);
        if (ok)
            removed.insert(id);
    }
    const size_t before = m_Materials.size();
    ForgetVendorStates();
    m_Materials.erase(std::remove_if(m_Materials.begin(), m_Materials.end(),
                                     [&](const std::unique_ptr<MaterialEntry> &e) { return removed.count(e->mat.m_nMatID) > 0; }),
                      m_Materials.end());
    if (m_Materials.size() != before) {
        CVLOG << "Left out " << before - m_Materials.size() << " vendor materials removed by the user";
        ReselectCurrent();
    }
}

QVariantMap Materials::setMap() const
{
    const CPrintMaterial *mat = currentMaterial();
    std::map<int32_t, std::map<int, std::pair<int, bool>>> cells; // printer, nozzle in hundredths
    std::set<int> nozzles;
    const FlatMaterial *vendor = mat ? VendorCounterpart(*mat) : nullptr;
    if (mat) {
        for (const PrintSetData &set : mat->m_lstSets) {
            const int nozzle = int(std::lround(double(set.fNozzleDia) * 100.0));
            nozzles.insert(nozzle);
            std::pair<int, bool> &cell = cells[set.nPrinterType][nozzle];
            ++cell.first;
            if (vendor) {
                const PrintSetData *theirs = findSet(vendor->sets, set);
                for (int id = kLastBasicParam + 1; theirs && !cell.second && id < kParamCount; ++id)
                    cell.second = IsBoundParam(id)
                                  && std::fabs(ShownPrintValue(*theirs, id) - ShownPrintValue(set, id)) > kSameValue;
            }
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
                            {QStringLiteral("name"), QString::fromStdString(GetPrinterName(printer.first))},
                            {QStringLiteral("counts"), counts},
                            {QStringLiteral("changed"), marks}};
    }
    return {{QStringLiteral("nozzles"), nozzleList}, {QStringLiteral("printers"), rows}};
}
