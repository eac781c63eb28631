#pragma once

#include "core/PrintMaterial.h"

#include <QVariantMap>

#include <vector>

// One print row of a material across the print sets of one printer type, as a table: a line for
// each nozzle and layer the printer's sets have (by nozzle, then layer, ascending), a column for
// each quality they have, and in each cell the value of the set with that key as the pages show
// it, or nothing where the material has no such set. A cell is marked where its value differs
// from the reference's set with the same key.
class ParameterTable
{
public:
    struct Line
    {
        float nozzle;
        float layer;
    };
    struct Cell
    {
        bool exists = false;
        double value = 0.0;
        bool marked = false;
    };

    // The reference may be null (nothing is marked); a row that is no bound print row gives no
    // lines.
    ParameterTable(const CPrintMaterial &mat, const FlatMaterial *reference, int32_t printer, int paramID);

    int ParamID() const { return m_paramID; }
    const std::vector<Line> &Lines() const { return m_lines; }
    const std::vector<int32_t> &Qualities() const { return m_qualities; }
    const Cell &At(size_t line, size_t column) const { return m_cells[line * m_qualities.size() + column]; }

    // For the scene: {paramID, printer, qualities: [{id, name}], lines: [{nozzle, layer,
    // cells: [{exists, value, marked}]}]}.
    QVariantMap ToVariant() const;

private:
    int m_paramID;
    int32_t m_printer;
    std::vector<Line> m_lines;
    std::vector<int32_t> m_qualities;
    std::vector<Cell> m_cells; // line by line
};
