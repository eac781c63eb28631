#include "BulkChange.h"

#include <QString>

#include <algorithm>
#include <cmath>

BulkChange::BulkChange(const std::vector<ParamItem> &rows, Mode mode, double amount)
    : m_mode(mode), m_amount(std::isfinite(amount) ? amount : 0.0)
{
    if (!std::isfinite(amount))
        return; // no rows: nothing to change
    for (const ParamItem &row : rows) {
        const bool taken = std::any_of(m_rows.begin(), m_rows.end(),
                                       [&row](const ParamItem &r) { return r.paramID == row.paramID; });
        if (row.paramID > kLastBasicParam && ShowsOwnField(row.paramID) && !taken)
            m_rows.push_back(row);
    }
}

std::vector<PrintSetData *> BulkChange::SetsOf(CPrintMaterial &mat, const Selection &selection)
{
    if (selection.printer == Selection::kNoPrinter)
        return {};
    return mat.ListSets(selection.printer, selection.quality, selection.nozzle, selection.layer);
}

std::vector<const PrintSetData *> BulkChange::SetsOf(const CPrintMaterial &mat, const Selection &selection)
{
    const std::vector<PrintSetData *> sets = SetsOf(const_cast<CPrintMaterial &>(mat), selection);
    return {sets.begin(), sets.end()};
}

bool BulkChange::Refuses(const ParamItem &row) const
{
    return m_mode == Mode::Set && (m_amount < row.minVal || m_amount > row.maxVal);
}

bool BulkChange::ChangeRow(PrintSetData &set, const ParamItem &row) const
{
    if (m_mode != Mode::Set)
        return ChangePrintValueBy(set, row.paramID, m_amount, m_mode == Mode::Percent, row.minVal,
                                  row.maxVal);
    if (Refuses(row))
        return false;
    PrintSetData stored = set;
    StorePrintValue(stored, row.paramID, m_amount);
    if (stored == set)
        return false;
    CopyPrintValue(set, stored, row.paramID);
    return true;
}

BulkChange::Count BulkChange::Apply(CPrintMaterial &mat, const Selection &selection) const
{
    Count count;
    if (IsEmpty())
        return count;
    for (PrintSetData *set : SetsOf(mat, selection)) {
        int values = 0;
        for (const ParamItem &row : m_rows)
            values += ChangeRow(*set, row) ? 1 : 0;
        count.values += values;
        count.sets += values > 0 ? 1 : 0;
    }
    return count;
}

BulkChange::Count BulkChange::Counted(const CPrintMaterial &mat, const Selection &selection) const
{
    Count count;
    if (IsEmpty())
        return count;
    for (const PrintSetData *set : SetsOf(mat, selection)) {
        PrintSetData changed = *set;
        int values = 0;
        for (const ParamItem &row : m_rows)
            values += ChangeRow(changed, row) ? 1 : 0;
        count.values += values;
        count.sets += values > 0 ? 1 : 0;
    }
    return count;
}

BulkChange::Plan BulkChange::Planned(const std::vector<Target> &targets, const Selection &selection) const
{
    Plan plan;
    for (const Target &target : targets) {
        const CPrintMaterial &mat = *target.mat;
        const QString name =
            QStringLiteral("%1 (%2)").arg(QString::fromUtf8(mat.m_szName), QString::fromUtf8(mat.m_szManu));
        if (target.locked) {
            plan.locked << name;
            continue;
        }
        if (SetsOf(mat, selection).empty()) {
            plan.noSets << name;
            continue;
        }
        const Count count = Counted(mat, selection);
        plan.materials += count.values > 0 ? 1 : 0;
        plan.sets += count.sets;
        plan.values += count.values;
    }
    return plan;
}

std::vector<BulkChange::RowResult> BulkChange::Results(const std::vector<const PrintSetData *> &sets) const
{
    std::vector<RowResult> results;
    for (const ParamItem &row : m_rows) {
        RowResult result{row.paramID, 0.0, 0.0, 0, Refuses(row)};
        bool first = true;
        for (const PrintSetData *set : sets) {
            PrintSetData changed = *set;
            result.changed += !IsEmpty() && ChangeRow(changed, row) ? 1 : 0;
            const double v = RoundShownValue(ShownPrintValue(changed, row.paramID));
            result.min = first ? v : std::min(result.min, v);
            result.max = first ? v : std::max(result.max, v);
            first = false;
        }
        results.push_back(result);
    }
    return results;
}
