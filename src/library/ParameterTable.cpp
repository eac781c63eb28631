#include "ParameterTable.h"

#include "SelectionCascade.h"
#include "VendorReference.h"
#include "core/ParamItem.h"

#include <algorithm>
#include <set>

ParameterTable::ParameterTable(const CPrintMaterial &mat, const FlatMaterial *reference, int32_t printer,
                               int paramID)
    : m_paramID(paramID), m_printer(printer)
{
    if (paramID <= kLastBasicParam || paramID >= kParamCount || !IsBoundParam(paramID))
        return;
    std::vector<const PrintSetData *> sets = mat.ListSets(printer, -1, -1.0f, -1.0f);
    std::stable_sort(sets.begin(), sets.end(),
                     [](const PrintSetData *a, const PrintSetData *b) { return LessPrintSet(*a, *b); });
    std::set<int32_t> qualities;
    // Sorted, one line's sets follow each other; the set it belongs to, by position.
    std::vector<size_t> lineOf;
    for (const PrintSetData *set : sets) {
        if (m_lines.empty() || !IsSameNozzle(m_lines.back().nozzle, set->fNozzleDia) ||
            !IsSameLayer(m_lines.back().layer, set->fLayerThick))
            m_lines.push_back({set->fNozzleDia, set->fLayerThick});
        lineOf.push_back(m_lines.size() - 1);
        qualities.insert(set->nQuality);
    }
    m_qualities.assign(qualities.begin(), qualities.end());
    m_cells.resize(m_lines.size() * m_qualities.size());
    for (size_t i = 0; i < sets.size(); ++i) {
        const PrintSetData &set = *sets[i];
        const size_t column = size_t(std::lower_bound(m_qualities.begin(), m_qualities.end(), set.nQuality) -
                                     m_qualities.begin());
        Cell &cell = m_cells[lineOf[i] * m_qualities.size() + column];
        if (cell.exists)
            continue; // a second set with one key: the first is the one the pages edit
        const PrintSetData *theirs = reference ? VendorReference::FindSet(*reference, set) : nullptr;
        cell = {true, RoundShownValue(ShownPrintValue(set, paramID)),
                theirs && !SamePrintValue(*theirs, set, paramID)};
    }
}

QVariantMap ParameterTable::ToVariant() const
{
    QVariantList qualities;
    for (const int32_t quality : m_qualities)
        qualities << QVariantMap{{QStringLiteral("id"), quality},
                                 {QStringLiteral("name"), ShownQualityName(quality)}};
    QVariantList lines;
    for (size_t l = 0; l < m_lines.size(); ++l) {
        QVariantList cells;
        for (size_t c = 0; c < m_qualities.size(); ++c) {
            const Cell &cell = At(l, c);
            cells << QVariantMap{{QStringLiteral("exists"), cell.exists},
                                 {QStringLiteral("value"), cell.value},
                                 {QStringLiteral("marked"), cell.marked}};
        }
        lines << QVariantMap{{QStringLiteral("nozzle"), double(m_lines[l].nozzle)},
                             {QStringLiteral("layer"), double(m_lines[l].layer)},
                             {QStringLiteral("cells"), cells}};
    }
    return {{QStringLiteral("paramID"), m_paramID},
            {QStringLiteral("printer"), m_printer},
            {QStringLiteral("qualities"), qualities},
            {QStringLiteral("lines"), lines}};
}
