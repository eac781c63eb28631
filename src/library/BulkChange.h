#pragma once

#include "LibraryStep.h"
#include "core/ParamItem.h"
#include "core/PrintMaterial.h"

#include <QString>
#include <QStringList>

#include <vector>

// One change (set to a value, or by an amount or a percentage of each value) of several print
// rows at once, over the print sets a selection holds in one record or in many. Each row is
// changed by its own rules, as a change of that row alone changes it: by an amount through
// ChangePrintValueBy with the row's range (limits held only where the change crosses them, whole
// numbers rounded, the acceleration floor being the range's lower end); a value set is stored as
// setParameter stores it, and a row whose range does not hold the value is left as it is. Only
// values whose bytes change count; a change of 0 changes nothing.
class BulkChange
{
public:
    enum class Mode { Set = 0, By = 1, Percent = 2 };

    struct Count
    {
        int values = 0;
        int sets = 0;
    };
    // A record the change may reach: locked ones are skipped and named.
    struct Target
    {
        const CPrintMaterial *mat = nullptr;
        bool locked = false;
    };
    // What a change over several records would do: the records and sets it changes, the values,
    // and the names ("name (manufacturer)") of the locked records skipped and of those with no
    // print set in the selection.
    struct Plan
    {
        int materials = 0;
        int sets = 0;
        int values = 0;
        QStringList locked;
        QStringList noSets;
    };
    // How one row's values would read after the change over some sets: lowest and highest, the
    // number of values that change, and whether the row's range refuses a value set.
    struct RowResult
    {
        int id = -1;
        double min = 0.0;
        double max = 0.0;
        int changed = 0;
        bool outOfRange = false;
    };

    // Rows that are no print row with a field of its own, or are given twice, are left out; an
    // amount that is not a number leaves no row.
    BulkChange(const std::vector<ParamItem> &rows, Mode mode, double amount);

    const std::vector<ParamItem> &Rows() const { return m_rows; }
    bool IsEmpty() const { return m_rows.empty() || (m_mode != Mode::Set && m_amount == 0.0); }

    // The sets of the record the selection holds: a level not chosen matches all; none without a
    // printer, as the pages select none.
    static std::vector<PrintSetData *> SetsOf(CPrintMaterial &mat, const Selection &selection);
    static std::vector<const PrintSetData *> SetsOf(const CPrintMaterial &mat, const Selection &selection);

    // Changes the selected sets of the record; what changed.
    Count Apply(CPrintMaterial &mat, const Selection &selection) const;
    // What Apply would change, the record left as it is.
    Count Counted(const CPrintMaterial &mat, const Selection &selection) const;
    // Counted over every target, without a change.
    Plan Planned(const std::vector<Target> &targets, const Selection &selection) const;
    // Each row's values after the change over these sets, in the rows' order.
    std::vector<RowResult> Results(const std::vector<const PrintSetData *> &sets) const;

private:
    // Changes the one row in the set; whether its bytes changed.
    bool ChangeRow(PrintSetData &set, const ParamItem &row) const;
    bool Refuses(const ParamItem &row) const;

    std::vector<ParamItem> m_rows;
    Mode m_mode;
    double m_amount;
};
