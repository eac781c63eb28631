#include "MaterialComparison.h"

#include "core/MaterialDiff.h"
#include "core/ParamItem.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>

namespace {
template <typename Mat> auto selectedSets(Mat &mat, const Selection &selection)
{
    using Sets = decltype(mat.ListSets(0, 0, 0.0f, 0.0f));
    if (selection.printer == Selection::kNoPrinter)
        return Sets();
    return mat.ListSets(selection.printer, selection.quality, selection.nozzle, selection.layer);
}

// The other's selected sets paired with the current one's by key, each used once, as
// DescribeValueDifferences pairs them; null where the other has none.
template <typename Set>
std::vector<const PrintSetData *> pairedSets(const std::vector<Set *> &mine,
                                             const std::vector<const PrintSetData *> &theirs)
{
    std::vector<bool> used(theirs.size(), false);
    std::vector<const PrintSetData *> pairs;
    for (const PrintSetData *set : mine) {
        const PrintSetData *found = nullptr;
        for (size_t j = 0; j < theirs.size() && !found; ++j) {
            if (!used[j] && SameSetKey(*set, *theirs[j])) {
                used[j] = true;
                found = theirs[j];
            }
        }
        pairs.push_back(found);
    }
    return pairs;
}

// A side as DescribeValueDifferences is to compare it: its values and the selected sets, under
// the current material's identity, so that names, IDs and passwords never count as differences.
CPrintMaterial comparedSide(const CPrintMaterial &values, const CPrintMaterial &identity,
                            const std::vector<const PrintSetData *> &sets)
{
    CPrintMaterial side;
    side.CopyFieldsFrom(values);
    side.m_nMatID = identity.m_nMatID;
    std::memcpy(side.m_szName, identity.m_szName, sizeof(side.m_szName));
    std::memcpy(side.m_szManu, identity.m_szManu, sizeof(side.m_szManu));
    std::memcpy(side.m_szPwMD5, identity.m_szPwMD5, sizeof(side.m_szPwMD5));
    for (const PrintSetData *set : sets)
        side.m_lstSets.push_back(*set);
    return side;
}

bool sameKeyExactly(const ValueDifference &d, const PrintSetData &set)
{
    return d.printer == set.nPrinterType && d.nozzle == set.fNozzleDia && d.layer == set.fLayerThick &&
           d.quality == set.nQuality;
}

void widen(bool first, double value, double &low, double &high)
{
    low = first ? value : std::min(low, value);
    high = first ? value : std::max(high, value);
}
} // namespace

MaterialComparison::MaterialComparison(const CPrintMaterial &mine, const CPrintMaterial &theirs,
                                       const Selection &selection)
{
    const std::vector<const PrintSetData *> mineSets = selectedSets(mine, selection);
    const std::vector<const PrintSetData *> theirSets = selectedSets(theirs, selection);
    const std::vector<ValueDifference> differences = DescribeValueDifferences(
        comparedSide(mine, mine, mineSets), comparedSide(theirs, mine, theirSets), false);

    // The rows' names as the differences name them: the catalogue's descriptions.
    std::set<std::string> differingBasic;
    std::set<std::string> differingPrint;
    for (const ValueDifference &d : differences) {
        if (d.name == "print set")
            continue;
        ++m_differingValues;
        (d.inSet ? differingPrint : differingBasic).insert(d.name);
    }

    const std::vector<const PrintSetData *> pairs = pairedSets(mineSets, theirSets);
    for (size_t i = 0; i < mineSets.size(); ++i) {
        SetRow row;
        row.key = *mineSets[i];
        row.side = pairs[i] ? SetRow::Both : SetRow::MineOnly;
        row.differing =
            int(std::count_if(differences.begin(), differences.end(), [&](const ValueDifference &d) {
                return d.inSet && d.name != "print set" && sameKeyExactly(d, *mineSets[i]);
            }));
        m_differingSets += row.differing > 0 || !pairs[i] ? 1 : 0;
        m_mineOnly += pairs[i] ? 0 : 1;
        m_sets.push_back(row);
    }
    for (const PrintSetData *set : theirSets) {
        if (std::find(pairs.begin(), pairs.end(), set) == pairs.end()) {
            SetRow row;
            row.key = *set;
            row.side = SetRow::TheirsOnly;
            m_sets.push_back(row);
            ++m_theirsOnly;
            ++m_differingSets;
        }
    }
    std::stable_sort(m_sets.begin(), m_sets.end(),
                     [](const SetRow &a, const SetRow &b) { return LessPrintSet(a.key, b.key); });

    const QVector<ParamItem> &catalogue = ParamCatalogue();
    for (int id = 0; id < kParamCount; ++id) {
        const bool basic = id <= kLastBasicParam;
        if (basic ? !IsBoundParam(id) : !ShowsOwnField(id))
            continue;
        Row row;
        row.id = id;
        row.differs =
            (basic ? differingBasic : differingPrint).count(catalogue[id].paramDesc.toStdString()) > 0;
        if (basic) {
            row.has = true;
            row.mineLow = row.mineHigh = ShownBasicValue(mine, id);
            row.theirsLow = row.theirsHigh = ShownBasicValue(theirs, id);
        }
        for (size_t i = 0; !basic && i < mineSets.size(); ++i) {
            if (!pairs[i])
                continue;
            widen(!row.has, ShownPrintValue(*mineSets[i], id), row.mineLow, row.mineHigh);
            widen(!row.has, ShownPrintValue(*pairs[i], id), row.theirsLow, row.theirsHigh);
            row.has = true;
        }
        m_rows.push_back(row);
    }
}

bool MaterialComparison::TakeValue(CPrintMaterial &mine, const CPrintMaterial &theirs,
                                   const Selection &selection, int id)
{
    if (id < 0 || id >= kParamCount || !IsBoundParam(id))
        return false;
    if (id <= kLastBasicParam) {
        if (SameBasicValue(mine, theirs, id))
            return false;
        CopyBasicValue(mine, theirs, id);
        return true;
    }
    const std::vector<PrintSetData *> mineSets = selectedSets(mine, selection);
    const std::vector<const PrintSetData *> pairs = pairedSets(mineSets, selectedSets(theirs, selection));
    bool changed = false;
    for (size_t i = 0; i < mineSets.size(); ++i) {
        if (pairs[i] && !SamePrintValue(*mineSets[i], *pairs[i], id)) {
            CopyPrintValue(*mineSets[i], *pairs[i], id);
            changed = true;
        }
    }
    return changed;
}

bool MaterialComparison::TakeSet(CPrintMaterial &mine, const CPrintMaterial &theirs, const PrintSetData &key)
{
    const auto found = std::find_if(theirs.m_lstSets.begin(), theirs.m_lstSets.end(),
                                    [&](const PrintSetData &set) { return SameSetKey(set, key); });
    return found != theirs.m_lstSets.end() && mine.AddOrReplaceSet(*found, mine.m_szPwMD5) >= 0;
}

int MaterialComparison::TakeDifferingValues(CPrintMaterial &mine, const CPrintMaterial &theirs,
                                            const Selection &selection)
{
    int taken = 0;
    const MaterialComparison before(mine, theirs, selection);
    for (const Row &row : before.Rows())
        taken += row.differs && TakeValue(mine, theirs, selection, row.id) ? 1 : 0;
    return taken;
}
