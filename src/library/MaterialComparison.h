#pragma once

#include "LibraryStep.h"
#include "core/PrintMaterial.h"

#include <vector>

// Two materials side by side over a selection of print sets: the current material's sets that the
// selection holds, matched by key with the other's sets that it holds. Every shown value of the
// basic information and of the print sets both have, with whether it differs (as
// DescribeValueDifferences finds it), and the sets that only one of the two has. Pure over its
// inputs: the records are not kept, so the result stays valid however they change.
class MaterialComparison
{
public:
    // One parameter row; the values spread over the matched sets for a print row (none: no set).
    struct Row
    {
        int id = -1;
        bool differs = false;
        bool has = false;
        double mineLow = 0.0, mineHigh = 0.0;
        double theirsLow = 0.0, theirsHigh = 0.0;
    };
    // One print set of the selection, by key: in both (with its differing values), or in one only.
    struct SetRow
    {
        enum Side { Both, MineOnly, TheirsOnly };
        PrintSetData key;
        Side side = Both;
        int differing = 0;
    };

    MaterialComparison(const CPrintMaterial &mine, const CPrintMaterial &theirs, const Selection &selection);

    const std::vector<Row> &Rows() const { return m_rows; }
    const std::vector<SetRow> &Sets() const { return m_sets; }
    // Values that differ: basic ones once, print values once per matched set.
    int DifferingValues() const { return m_differingValues; }
    // Matched sets with a differing value, and the sets only one side has.
    int DifferingSets() const { return m_differingSets; }
    int MineOnly() const { return m_mineOnly; }
    int TheirsOnly() const { return m_theirsOnly; }

    // The other's value of the row into every selected set that both have (the basic value for a
    // basic row); whether anything changed.
    static bool TakeValue(CPrintMaterial &mine, const CPrintMaterial &theirs, const Selection &selection,
                          int id);
    // The other's set with the key, added or replacing the one with that key; false without one.
    static bool TakeSet(CPrintMaterial &mine, const CPrintMaterial &theirs, const PrintSetData &key);
    // Every value that differs, as TakeValue takes them; how many rows were taken.
    static int TakeDifferingValues(CPrintMaterial &mine, const CPrintMaterial &theirs,
                                   const Selection &selection);

private:
    std::vector<Row> m_rows;
    std::vector<SetRow> m_sets;
    int m_differingValues = 0;
    int m_differingSets = 0;
    int m_mineOnly = 0;
    int m_theirsOnly = 0;
};
