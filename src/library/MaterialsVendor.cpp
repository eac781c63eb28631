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
#include <cstring>
#include <map>
#include <set>

namespace {
const PrintSetData *findSet(const std::vector<PrintSetData> &sets, const PrintSetData &key)
{
    for (const PrintSetData &set : sets) {
        if (SameSetKey(set, key))
            return &set;
    }
    return nullptr;
}

void widen(Materials::VendorMark &mark, double vendor, double own)
{
    mark.low = mark.has ? std::min(mark.low, vendor) : vendor;
    mark.high = mark.has ? std::max(mark.high, vendor) : vendor;
    mark.has = true;
    mark.differs = mark.differs || !SameShownValue(vendor, own);
}

// A line of removed-vendor.txt: the ID, then the name and the manufacturer in hex; lines of an
// older editor hold the ID alone, and match every vendor material with it.
QByteArray removedLine(const CPrintMaterial &mat)
{
    return QByteArray::number(mat.m_nMatID) + ' ' + QByteArray(mat.m_szName).toHex() + ' '
           + QByteArray(mat.m_szManu).toHex() + '\n';
}
} // namespace

void Materials::SetVendorReference(std::vector<FlatMaterial> reference)
{
    m_vendor = std::move(reference);
    m_vendorByKey.clear();
    for (size_t i = 0; i < m_vendor.size(); ++i) {
        std::sort(m_vendor[i].sets.begin(), m_vendor[i].sets.end(), LessPrintSet);
        m_vendorByKey.emplace(MaterialKey::Of(m_vendor[i].fields), i);
    }
    // What stood for the materials of another vendor library stands for nothing now; the load that
    // follows links the entries it merges.
    for (const auto &entry : m_Materials)
        entry->vendorRef = -1;
    ForgetVendorStates();
}

const FlatMaterial *Materials::VendorCounterpart(const MaterialEntry &entry) const
{
    return entry.vendorRef >= 0 && size_t(entry.vendorRef) < m_vendor.size() ? &m_vendor[size_t(entry.vendorRef)]
                                                                              : nullptr;
}

long Materials::VendorIndexOf(const MaterialKey &key) const
{
    const auto found = m_vendorByKey.find(key);
    return found == m_vendorByKey.end() ? -1 : long(found->second);
}

bool Materials::SameAsVendor(const MaterialEntry &entry) const
{
    const FlatMaterial *vendor = VendorCounterpart(entry);
    // An ID the load gave in place of one that another material holds is no change of the user's.
    return vendor && ShowAlike(entry.mat, *vendor, !(entry.loadID != 0 && entry.mat.m_nMatID == entry.loadID));
}

int Materials::VendorState(int row) const
{
    return row >= 0 && row < int(m_Materials.size()) ? StandingOf(*m_Materials[size_t(row)]) : VendorNone;
}

int Materials::StandingOf(const MaterialEntry &entry) const
{
    const auto cached = m_vendorStates.find(&entry);
    if (cached != m_vendorStates.end())
        return cached->second;
    const int state = !VendorCounterpart(entry) ? VendorNone : SameAsVendor(entry) ? VendorSame : VendorChanged;
    m_vendorStates.emplace(&entry, state);
    return state;
}

MaterialEntry *Materials::CurrentEntry()
{
    const long position = PositionOf(m_nCurMatID);
    return position < 0 ? nullptr : m_Materials[size_t(position)].get();
}

void Materials::ComputeVendorMarks()
{
    m_vendorMarks.assign(size_t(kParamCount), VendorMark());
    const MaterialEntry *entry = CurrentEntry();
    const FlatMaterial *vendor = entry ? VendorCounterpart(*entry) : nullptr;
    if (!vendor)
        return;
    const CPrintMaterial &mat = entry->mat;
    for (int id = 0; id <= kLastBasicParam; ++id) {
        if (IsBoundParam(id))
            widen(m_vendorMarks[size_t(id)], ShownBasicValue(vendor->fields, id), ShownBasicValue(mat, id));
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
    const FlatMaterial *vendor = VendorCounterpart(*before);
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
CPrintMaterial Materials::VendorVersionOf(const MaterialEntry &entry) const
{
    CPrintMaterial reset = VendorCounterpart(entry)->ToRecord();
    const long holder = PositionOf(reset.m_nMatID);
    if (holder >= 0 && m_Materials[size_t(holder)].get() != &entry)
        reset.m_nMatID = entry.mat.m_nMatID;
    return reset;
}

long Materials::NameHolder(const CPrintMaterial &mat, const MaterialEntry *except) const
{
    for (size_t i = 0; i < m_Materials.size(); ++i) {
        const CPrintMaterial &other = m_Materials[i]->mat;
        if (m_Materials[i].get() != except && std::strcmp(other.m_szName, mat.m_szName) == 0
            && std::strcmp(other.m_szManu, mat.m_szManu) == 0)
            return long(i);
    }
    return -1;
}

QString Materials::DescribeEntry(const CPrintMaterial &mat)
{
    return QStringLiteral("%1 / %2 (ID %3)")
        .arg(QString::fromUtf8(mat.m_szName), QString::fromUtf8(mat.m_szManu), QString::number(mat.m_nMatID));
}

QVariantMap Materials::vendorResetPreview() const
{
    QVariantMap preview{{QStringLiteral("available"), false}};
    const MaterialEntry *entry = const_cast<Materials *>(this)->CurrentEntry();
    if (!entry || !VendorCounterpart(*entry) || m_bMatLocked)
        return preview;
    const CPrintMaterial reset = VendorVersionOf(*entry);
    int values = 0;
    int sets = 0;
    for (const ValueDifference &d : DescribeValueDifferences(entry->mat, reset))
        ++(d.name == "print set" ? sets : values);
    // Two materials with one name and manufacturer would become one at the next start: the one
    // that has the vendor's name now is renamed with the reset, unless it is locked.
    QString holderText;
    QString refusal;
    const long holder = NameHolder(reset, entry);
    if (holder >= 0) {
        const CPrintMaterial &other = m_Materials[size_t(holder)]->mat;
        holderText = DescribeEntry(other);
        if (other.m_szPwMD5[0] != '\0')
            refusal = LangTr("%1 has the vendor's name and is locked: give its password (✍) and rename it first.")
                          .arg(holderText);
    }
    preview.insert(QStringLiteral("available"), refusal.isEmpty());
    preview.insert(QStringLiteral("values"), values);
    preview.insert(QStringLiteral("sets"), sets);
    preview.insert(QStringLiteral("nameTakenBy"), holderText);
    preview.insert(QStringLiteral("renamedTo"),
                   holder >= 0 ? QString::fromStdString(UniqueCopyName(reset.m_szName, reset.m_szManu, nullptr))
                               : QString());
    preview.insert(QStringLiteral("refusal"), refusal);
    return preview;
}

// Renames the entry at the position to the first free "<name>_CopyN" of its manufacturer, for a
// material that is to take its name; the change joins the caller's step.
void Materials::RenameOutOfTheWay(size_t position, std::vector<EntryChange> &changes)
{
    MaterialEntry &holder = *m_Materials[position];
    EntryChange change;
    change.position = position;
    change.before = holder;
    const std::string manu = holder.mat.m_szManu;
    const std::string name = UniqueCopyName(holder.mat.m_szName, manu, nullptr);
    CVLOG << "Rename " << holder.mat.m_szName << " / " << manu << " to " << name << ": another material takes its name";
    holder.mat.SetNameAndManu(name.c_str(), manu.c_str());
    ForgetVendorState(&holder);
    change.after = holder;
    changes.push_back(std::move(change));
}

bool Materials::resetMaterialToVendor()
{
    if (!vendorResetPreview().value(QStringLiteral("available")).toBool())
        return false;
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const Selection selection = CurrentSelection();
    MaterialEntry &entry = *m_Materials[size_t(position)];
    const CPrintMaterial reset = VendorVersionOf(entry);
    std::vector<EntryChange> changes;
    const long holder = NameHolder(reset, &entry);
    if (holder >= 0)
        RenameOutOfTheWay(size_t(holder), changes);
    entry.mat = reset;
    CVLOG << "Reset " << entry.mat.m_szName << " to the vendor's";
    SetCurMaterial(entry.mat.m_nMatID, true);
    UpdatePrinterTypes();
    selectPrinter(-1000);
    emit printerChanged();
    if (before->mat == entry.mat && changes.empty())
        return true;
    EntryChange change;
    change.position = size_t(position);
    change.before = std::move(before);
    change.after = entry;
    changes.push_back(std::move(change));
    PushStep(std::move(changes), selection, StepPage::Start,
             StepText{"reset %1 to the vendor's", {QString::fromUtf8(entry.mat.m_szName)}}, true);
    return true;
}

std::vector<size_t> Materials::RemovedVendorMaterials() const
{
    std::vector<bool> present(m_vendor.size(), false);
    for (const auto &entry : m_Materials) {
        if (VendorCounterpart(*entry))
            present[size_t(entry->vendorRef)] = true;
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

QVariantMap Materials::bringBackPreview() const
{
    QStringList renames;
    QStringList blocked;
    for (const size_t i : RemovedVendorMaterials()) {
        const CPrintMaterial &vendor = m_vendor[i].fields;
        const long holder = NameHolder(vendor, nullptr);
        if (holder < 0)
            continue;
        const CPrintMaterial &other = m_Materials[size_t(holder)]->mat;
        if (other.m_szPwMD5[0] != '\0')
            blocked << DescribeEntry(other);
        else
            renames << LangTr("%1 becomes %2").arg(DescribeEntry(other),
                                                  QString::fromStdString(UniqueCopyName(other.m_szName, other.m_szManu, nullptr)));
    }
    return {{QStringLiteral("count"), removedVendorCount() - blocked.size()},
            {QStringLiteral("renames"), renames},
            {QStringLiteral("blocked"), blocked}};
}

int Materials::bringBackRemovedVendor()
{
    const std::vector<size_t> removed = RemovedVendorMaterials();
    if (removed.empty())
        return 0;
    const Selection selection = CurrentSelection();
    std::vector<EntryChange> changes;
    int brought = 0;
    for (const size_t i : removed) {
        CPrintMaterial mat = m_vendor[i].ToRecord();
        const long holder = NameHolder(mat, nullptr);
        if (holder >= 0 && m_Materials[size_t(holder)]->mat.m_szPwMD5[0] != '\0') {
            CVLOG << "Not brought back: " << mat.m_szName << " / " << mat.m_szManu << " is the name of a locked material";
            continue;
        }
        if (holder >= 0)
            RenameOutOfTheWay(size_t(holder), changes);
        if (PositionOf(mat.m_nMatID) >= 0)
            DrawUnusedID(mat, nullptr);
        m_Materials.push_back(NewEntry());
        MaterialEntry &entry = *m_Materials.back();
        entry.mat = std::move(mat);
        entry.vendorRef = int(i);
        if (entry.mat.m_nMatID != m_vendor[i].fields.m_nMatID)
            entry.loadID = entry.mat.m_nMatID;
        EntryChange change;
        change.position = m_Materials.size() - 1;
        change.after = entry;
        changes.push_back(std::move(change));
        ++brought;
    }
    if (brought == 0)
        return 0;
    CVLOG << "Bring back " << brought << " vendor materials";
    ReselectCurrent();
    PushStep(std::move(changes), selection, StepPage::Start,
             StepText{"bring back %1 vendor materials", {QString::number(brought)}}, false);
    return brought;
}

QString Materials::RemovedVendorPath() const
{
    return m_strDataPath + QStringLiteral("/removed-vendor.txt");
}

QByteArray Materials::RemovedVendorText() const
{
    QByteArray text;
    for (const size_t i : RemovedVendorMaterials())
        text += removedLine(m_vendor[i].fields);
    return text;
}

bool Materials::WriteRemovedVendor()
{
    const QByteArray text = RemovedVendorText();
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

std::vector<bool> Materials::RemovedVendorOf(const QByteArray &text) const
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

size_t Materials::LeaveOutRemovedVendor(const std::vector<bool> &removed)
{
    const size_t before = m_Materials.size();
    ForgetVendorStates();
    m_Materials.erase(std::remove_if(m_Materials.begin(), m_Materials.end(),
                                     [&](const std::unique_ptr<MaterialEntry> &e) {
                                         return e->vendorRef >= 0 && size_t(e->vendorRef) < removed.size()
                                                && removed[size_t(e->vendorRef)];
                                     }),
                      m_Materials.end());
    return before - m_Materials.size();
}

void Materials::ApplyRemovedVendor()
{
    QFile file(RemovedVendorPath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A list of IDs is small; a file far larger than any is not one.
    const size_t left = LeaveOutRemovedVendor(RemovedVendorOf(file.read(qint64(16) << 20)));
    if (left > 0) {
        CVLOG << "Left out " << left << " vendor materials removed by the user";
        ReselectCurrent();
    }
}

QVariantMap Materials::setMap() const
{
    const MaterialEntry *entry = const_cast<Materials *>(this)->CurrentEntry();
    const CPrintMaterial *mat = entry ? &entry->mat : nullptr;
    std::map<int32_t, std::map<int, std::pair<int, bool>>> cells; // printer, nozzle in hundredths
    std::set<int> nozzles;
    const FlatMaterial *vendor = entry ? VendorCounterpart(*entry) : nullptr;
    if (mat) {
        for (const PrintSetData &set : mat->m_lstSets) {
            const int nozzle = int(std::lround(double(set.fNozzleDia) * 100.0));
            nozzles.insert(nozzle);
            std::pair<int, bool> &cell = cells[set.nPrinterType][nozzle];
            ++cell.first;
            if (vendor) {
                const PrintSetData *theirs = findSet(vendor->sets, set);
                for (int id = kLastBasicParam + 1; theirs && !cell.second && id < kParamCount; ++id)
                    cell.second = IsBoundParam(id) && !SamePrintValue(*theirs, set, id);
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
