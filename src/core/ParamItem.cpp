#include "ParamItem.h"

#include "PrintMaterial.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

ParamItem::ParamItem(int id, int type, int flag, double value, const QString &desc, const QString &unit,
                     double min, double max, double safe, double edit, double tick, double label)
    : paramID(id), paramType(type), paramFlag(flag), paramVal(value), paramDesc(desc), paramUnit(unit),
      minVal(min), maxVal(max), safeVal(safe), editStep(edit), tickStep(tick), labelStep(label)
{
}

QVector<ParamItem> BuildParamCatalogue()
{
    struct Row
    {
        int type;
        double value;
        const char *desc;
        const char *unit;
        double min, max, safe, edit, tick, label;
    };
    // Three rows make one line of the grid; "unused" rows fill the third cell of short lines.
    static const Row rows[kParamCount] = {
        {4, 210, "Print Temp", "℃", 0, 400, 300, 1, 1, 50},
        {4, 90, "Platfrom Temp", "℃", 0, 150, 100, 5, 1, 25},
        {-1, 0, "unused", "℃", 0, 400, 300, 10, 1, 20},
        {7, 1.7, "Fila Dia", "mm", 0, 5, 3, 0.01, 0.1, 0.5},
        {2, 1.05, "Fila Density", "g/㎤", 0, 3, 1.5, 0.01, 0.1, 0.2},
        {-1, 0, "unused", "℃", 0, 400, 300, 10, 1, 20},
        {2, 0.1, "Shrink of X", "%", -2, 2, 0.3, 0.01, 0.01, 0.2},
        {2, 0.1, "Shrink of Y", "%", -2, 2, 0.3, 0.01, 0.01, 0.2},
        {2, 0.1, "Shrink of Z", "%", -2, 2, 0.3, 0.01, 0.01, 0.2},
        {4, 0, "Basic Temp", "℃", 0, 400, 300, 1, 1, 50},
        {4, 0, "Platform Temp", "℃", 0, 150, 100, 5, 1, 25},
        {-1, 0, "unused", "℃", 0, 400, 300, 10, 1, 20},
        {4, 0, "Contour Bias", "℃", -20, 20, 20, 1, 1, 5},
        {4, 0, "Infill Bias", "℃", -20, 20, 20, 1, 1, 5},
        {4, 0, "Support Bias", "℃", -20, 20, 20, 1, 1, 5},
        {5, 40, "Contour Speed", "mm/s", 0, 200, 100, 1, 20, 20},
        {5, 50, "Infill Speed", "mm/s", 0, 200, 100, 1, 20, 20},
        {5, 60, "Support Speed", "mm/s", 0, 200, 100, 1, 20, 20},
        // Save raises lower accelerations to the floor: the dialogs start there.
        {6, 1000, "Contour Acc", "mm/s²", kAccelerationFloor, 3000, 2000, 100, 250, 500},
        {6, 1200, "Infill Acc", "mm/s²", kAccelerationFloor, 3000, 2000, 100, 250, 500},
        {6, 1500, "Support Acc", "mm/s²", kAccelerationFloor, 3000, 2000, 100, 250, 500},
        {1, 100, "Contour Extrude", "%", 50, 200, 120, 1, 1, 10},
        {1, 105, "Infill Extrude", "%", 50, 200, 120, 1, 1, 10},
        {1, 90, "Support Extrude", "%", 50, 200, 120, 1, 1, 10},
        {7, 0.4, "Contour Width", "mm", 0, 2, 1, 0.01, 0.1, 0.5},
        {7, 0.5, "Infill Width", "mm", 0, 2, 1, 0.01, 0.1, 0.4},
        {7, 0.6, "Support Width", "mm", 0, 2, 1, 0.01, 0.1, 0.2},
        {5, 10, "Raft Speed", "mm/s", 0, 50, 30, 1, 5, 10},
        {4, 222, "Raft Temp", "℃", 0, 400, 300, 1, 1, 50},
        {4, 10, "Plat Temp", "℃", 0, 150, 100, 5, 1, 25},
        {1, 123, "Bottom Width", "%", 50, 200, 120, 1, 1, 10},
        {1, 123, "Bottom Feed", "%", 50, 200, 120, 1, 1, 10},
        {-1, 0, "unused", "℃", 0, 400, 300, 10, 1, 20},
        {1, 11, "Overlap", "%", 0, 100, 60, 1, 1, 10},
        {1, 66, "Joint Size", "%", 0, 200, 130, 1, 1, 10},
        {-1, 0, "unused", "℃", 0, 400, 300, 10, 1, 20},
        {1, 1, "Offset Times", "", 1, 100, 6, 1, 1, 10},
        {2, 0, "Tolerance", "mm", -1, 1, 1, 0.01, 0.01, 10},
        {-1, 0, "unused", "℃", 0, 400, 300, 10, 1, 20},
        {2, 0.2, "Corner Radiu", "mm", 0, 1, 0.6, 0.01, 0.01, 20},
        {1, 30, "Corner Angle", "°", 5, 60, 60, 5, 5, 20},
        {-1, 0, "unused", "℃", 0, 400, 300, 10, 1, 20},
        {1, 33, "Withdraw", "mm", 0, 200, 30, 1, 1, 20},
        {1, 20, "Peel ratio", "%", 0, 100, 60, 1, 1, 20},
        {-1, 0, "unused", "℃", 0, 400, 300, 10, 1, 20},
    };
    QVector<ParamItem> items;
    items.reserve(kParamCount);
    for (int id = 0; id < kParamCount; ++id) {
        const Row &r = rows[id];
        items.append(ParamItem(id, r.type, 1, r.value, QString::fromUtf8(r.desc), QString::fromUtf8(r.unit),
                               r.min, r.max, r.safe, r.edit, r.tick, r.label));
    }
    return items;
}

QString ParamHelp(int id)
{
    // The English text is also the key of its translation: a change here needs both language files.
    static const char *const help[kParamCount] = {
        "The material's nozzle temperature, ℃, kept with its basic information for reference. A print "
        "uses the Basic Temp of the print set for its printer, nozzle, layer and quality. Usually 190 to "
        "220 for PLA, 230 to 250 for PETG, 230 to 260 for ABS, 210 to 230 for TPU.",
        "The material's platform (bed) temperature, ℃, kept with its basic information for reference. A "
        "print uses the Platform Temp of the print set for its printer, nozzle, layer and quality. Usually "
        "50 to 60 for PLA, 70 to 85 for PETG, 90 to 110 for ABS, 30 to 60 for TPU.",
        nullptr,
        "Diameter of the filament, mm; the amount extruded is worked out from it. Usually 1.75 (2.85 for "
        "printers that take the thicker filament).",
        "Density of the filament, g/㎤, for the weight of a print. About 1.24 for PLA, 1.27 for PETG, 1.04 "
        "for ABS, 1.2 for TPU.",
        nullptr,
        "Shrinkage of the material along X as it cools, % of the length. Usually 0.2 to 0.4 for PLA and "
        "PETG, 0.5 to 0.8 for ABS and ASA, more for nylon and PP.",
        "Shrinkage of the material along Y as it cools, % of the length. Usually 0.2 to 0.4 for PLA and "
        "PETG, 0.5 to 0.8 for ABS and ASA, more for nylon and PP.",
        "Shrinkage of the material along Z (the height) as it cools, %. Usually a little less than along X "
        "and Y: 0.2 to 0.3 for PLA and PETG, 0.4 to 0.6 for ABS and ASA.",
        "The print set's nozzle temperature, ℃: a print with this printer, nozzle, layer and quality uses "
        "it (the material's Print Temp under Basic information is for reference). The three Bias rows are "
        "added to it. Usually from 5 below to 15 above the material's Print Temp, higher for thicker layers "
        "and faster qualities.",
        "The print set's platform (bed) temperature, ℃: a print with this printer, nozzle, layer and "
        "quality keeps the platform at it throughout, raft included; Plat Temp among the raft values is "
        "this same value (the material's Platform Temp under Basic information is for reference). Usually "
        "as the material's: 50 to 60 for PLA, 70 to 85 for PETG, 90 to 110 for ABS.",
        nullptr,
        "Nozzle temperature of the outer walls (contours) relative to Basic Temp, ℃; usually −10 to "
        "+10, most often 0.",
        "Nozzle temperature of the infill relative to Basic Temp, ℃; usually 0 to +10.",
        "Nozzle temperature of the supports relative to Basic Temp, ℃; usually −10 to 0: a cooler "
        "support comes off more easily.",
        "Print speed of the outer walls, mm/s; usually 20 to 80 (10 to 40 for TPU).",
        "Print speed of the infill, mm/s; usually 30 to 120 (15 to 50 for TPU).",
        "Print speed of the supports, mm/s; usually as the infill's, 30 to 120 (15 to 50 for TPU).",
        "Acceleration of the print head on the outer walls, mm/s²; usually 1000 to 2000. Save raises "
        "values below 1000 to 1000.",
        "Acceleration of the print head on the infill, mm/s²; usually 1500 to 3000 (1000 to 1500 for TPU). "
        "Save raises values below 1000 to 1000.",
        "Acceleration of the print head on the supports, mm/s²; usually 1500 to 3000 (1000 to 1500 for "
        "TPU). Save raises values below 1000 to 1000.",
        "Flow of the outer walls, % of the computed amount; usually 95 to 110.",
        "Flow of the infill, % of the computed amount; usually 100 to 110.",
        "Flow of the supports, % of the computed amount; usually 90 to 100: less flow makes supports easier "
        "to remove.",
        "Line width of the outer walls, mm; usually 100 to 110 % of the nozzle diameter (0.42 for a 0.4 mm "
        "nozzle).",
        "Line width of the infill, mm; usually 110 to 125 % of the nozzle diameter (0.46 for a 0.4 mm "
        "nozzle).",
        "Line width of the supports, mm; usually the nozzle diameter (0.4 for a 0.4 mm nozzle).",
        "Print speed of the raft, the layers laid under the part to hold it on the platform, mm/s; usually "
        "10 to 20.",
        "Nozzle temperature of the raft, ℃ (a temperature, not an offset); usually 0 to 10 above Basic "
        "Temp, for a firm hold on the platform.",
        "The print set's platform temperature, ℃, shown again beside the raft values: the same value as "
        "the print set's Platform Temp, so a change to one is a change to both. The platform keeps it "
        "throughout the print, raft included (the material's Platform Temp under Basic information is for "
        "reference).",
        "Line width of the bottom layer, % of the usual width; usually 110 to 120: wider lines hold better.",
        "Flow of the bottom layer, %; usually 100 to 105.",
        nullptr,
        "Overlap of the infill with the walls, % of the line width; usually 15 to 25.",
        "Size of the joint where a wall's loop closes, %; usually 90 to 120.",
        nullptr,
        "Number of wall lines (offsets of the outline), a whole number; usually 1 to 3: more lines make "
        "stronger walls.",
        "Dimensional tolerance of the outlines, mm; usually 0.02 to 0.05.",
        nullptr,
        "Radius to which corners of the path are rounded, mm; usually 0.2 to 0.3.",
        "The angle, °, that decides which turns of the path count as corners for Corner Radius; usually 30 "
        "to 40.",
        nullptr,
        "Retraction: how far the filament is pulled back before a travel move, mm, whole numbers only; the "
        "shipped materials use 15 to 28 for PLA, PETG and ABS, 5 to 8 for TPU.",
        "Peel ratio, %, a whole number; the shipped materials use 10 for PLA, 15 for PETG and ABS, 20 for "
        "TPU and nylon.",
        nullptr,
    };
    return id >= 0 && id < kParamCount && help[id] ? QString::fromUtf8(help[id]) : QString();
}

namespace {
// How a stored field is shown: as it is, or a fraction shown in percent (some rows with a small
// offset that keeps their display from rounding down).
enum class Conv { None, Int, Float, Percent, PercentOffset };

struct Binding
{
    Conv conv;
    void *(*record)(CPrintMaterial &);
    void *(*set)(PrintSetData &);
};

template <typename F> constexpr Binding rec(Conv c, F f)
{
    return {c, f, nullptr};
}
template <typename F> constexpr Binding set(Conv c, F f)
{
    return {c, nullptr, f};
}
constexpr Binding unbound{Conv::None, nullptr, nullptr};

using M = CPrintMaterial;
using S = PrintSetData;

const Binding kBindings[kParamCount] = {
    rec(Conv::Int, [](M &m) -> void * { return &m.m_nPrintTemp; }),
    rec(Conv::Int, [](M &m) -> void * { return &m.m_nPlatTemp; }),
    unbound,
    rec(Conv::Float, [](M &m) -> void * { return &m.m_fFilaDia; }),
    rec(Conv::Float, [](M &m) -> void * { return &m.m_fDensity; }),
    unbound,
    rec(Conv::Percent, [](M &m) -> void * { return &m.m_fShrink[0]; }),
    rec(Conv::Percent, [](M &m) -> void * { return &m.m_fShrink[1]; }),
    rec(Conv::Percent, [](M &m) -> void * { return &m.m_fShrink[2]; }),
    set(Conv::Int, [](S &s) -> void * { return &s.nBasicTemp; }),             // 9
    set(Conv::Int, [](S &s) -> void * { return &s.nPlatTemp; }),              // 10
    unbound,                                                                  // 11
    set(Conv::Int, [](S &s) -> void * { return &s.nTempBias[0]; }),           // 12
    set(Conv::Int, [](S &s) -> void * { return &s.nTempBias[1]; }),           // 13
    set(Conv::Int, [](S &s) -> void * { return &s.nTempBias[2]; }),           // 14
    set(Conv::Float, [](S &s) -> void * { return &s.fSpeed[0]; }),            // 15
    set(Conv::Float, [](S &s) -> void * { return &s.fSpeed[1]; }),            // 16
    set(Conv::Float, [](S &s) -> void * { return &s.fSpeed[2]; }),            // 17
    set(Conv::Float, [](S &s) -> void * { return &s.fAcc[0]; }),              // 18
    set(Conv::Float, [](S &s) -> void * { return &s.fAcc[1]; }),              // 19
    set(Conv::Float, [](S &s) -> void * { return &s.fAcc[2]; }),              // 20
    set(Conv::Percent, [](S &s) -> void * { return &s.fExtrude[0]; }),        // 21
    set(Conv::Percent, [](S &s) -> void * { return &s.fExtrude[1]; }),        // 22
    set(Conv::Percent, [](S &s) -> void * { return &s.fExtrude[2]; }),        // 23
    set(Conv::Float, [](S &s) -> void * { return &s.fWidth[0]; }),            // 24
    set(Conv::Float, [](S &s) -> void * { return &s.fWidth[1]; }),            // 25
    set(Conv::Float, [](S &s) -> void * { return &s.fWidth[2]; }),            // 26
    set(Conv::Float, [](S &s) -> void * { return &s.fRaftSpeed; }),           // 27
    set(Conv::Int, [](S &s) -> void * { return &s.nRaftTemp; }),              // 28
    set(Conv::Int, [](S &s) -> void * { return &s.nPlatTemp; }),              // 29, same field as 10
    set(Conv::PercentOffset, [](S &s) -> void * { return &s.fBottomWidth; }), // 30
    set(Conv::PercentOffset, [](S &s) -> void * { return &s.fBottomFeed; }),  // 31
    unbound,                                                                  // 32
    set(Conv::PercentOffset, [](S &s) -> void * { return &s.fOverlap; }),     // 33
    set(Conv::PercentOffset, [](S &s) -> void * { return &s.fJointSize; }),   // 34
    unbound,                                                                  // 35
    set(Conv::Int, [](S &s) -> void * { return &s.nOffsetTimes; }),           // 36
    set(Conv::Float, [](S &s) -> void * { return &s.fTolerance; }),           // 37
    unbound,                                                                  // 38
    set(Conv::Float, [](S &s) -> void * { return &s.fCornerRadius; }),        // 39
    set(Conv::Float, [](S &s) -> void * { return &s.fCornerAngle; }),         // 40
    unbound,                                                                  // 41
    set(Conv::Int, [](S &s) -> void * { return &s.nWithdraw; }),              // 42
    set(Conv::Int, [](S &s) -> void * { return &s.nPeelRatio; }),             // 43
    unbound,                                                                  // 44
};

double shownFrom(Conv conv, const void *field)
{
    switch (conv) {
    case Conv::Int:
        return double(*static_cast<const int32_t *>(field));
    case Conv::Float:
        return double(*static_cast<const float *>(field));
    case Conv::Percent:
        return double(*static_cast<const float *>(field) * 100.0f);
    case Conv::PercentOffset:
        return double(*static_cast<const float *>(field) * 100.0f) + 0.0001;
    case Conv::None:
        break;
    }
    return 0.0;
}

void storeInto(Conv conv, void *field, double value)
{
    switch (conv) {
    case Conv::Int:
        *static_cast<int32_t *>(field) = ToInt32Saturated(value);
        break;
    case Conv::Float:
        *static_cast<float *>(field) = float(value);
        break;
    case Conv::Percent:
    case Conv::PercentOffset:
        // The display offset is not taken off again.
        *static_cast<float *>(field) = float(value / 100.0);
        break;
    case Conv::None:
        break;
    }
}

const Binding *bindingOf(int id)
{
    return id >= 0 && id < kParamCount ? &kBindings[id] : nullptr;
}

// The new value, held at a limit only where the move from the old one crossed it.
double limitMove(double from, double to, double min, double max)
{
    if (to > from && to > max)
        return std::max(from, max);
    if (to < from && to < min)
        return std::min(from, min);
    return to;
}

bool changeBy(Conv conv, void *field, double amount, bool percent, double min, double max)
{
    if (amount == 0.0 || !std::isfinite(amount))
        return false;
    const double factor = 1.0 + amount / 100.0;
    if (conv == Conv::Int) {
        int32_t &stored = *static_cast<int32_t *>(field);
        const double old = double(stored);
        const double moved = limitMove(old, percent ? old * factor : old + amount, min, max);
        const int32_t next = ToInt32Saturated(std::round(moved));
        if (next == stored)
            return false;
        stored = next;
        return true;
    }
    if (conv == Conv::None)
        return false;
    float &stored = *static_cast<float *>(field);
    // Percentage fields hold a fraction, shown a hundredfold.
    const double scale = conv == Conv::Float ? 1.0 : 100.0;
    const double old = ShortestDecimal(stored) * scale;
    const double next = limitMove(old, percent ? old * factor : old + amount, min, max);
    const float result = float(next / scale);
    if (next == old || std::memcmp(&result, &stored, sizeof(float)) == 0)
        return false;
    stored = result;
    return true;
}
} // namespace

const QVector<ParamItem> &ParamCatalogue()
{
    static const QVector<ParamItem> rows = BuildParamCatalogue();
    return rows;
}

bool ShowsOwnField(int id)
{
    return IsBoundParam(id) && id != 29;
}

double RoundShownValue(double value)
{
    const double thousandfold = value * 1000.0;
    if (!(std::fabs(thousandfold) < 2147483647.0))
        return value;
    return std::round(thousandfold) / 1000.0;
}

bool IsBoundParam(int id)
{
    const Binding *b = bindingOf(id);
    return b && b->conv != Conv::None;
}

double ShownBasicValue(const CPrintMaterial &mat, int id)
{
    const Binding *b = bindingOf(id);
    if (!b || !b->record)
        return 0.0;
    return shownFrom(b->conv, b->record(const_cast<CPrintMaterial &>(mat)));
}

double ShownPrintValue(const PrintSetData &set, int id)
{
    const Binding *b = bindingOf(id);
    if (!b || !b->set)
        return 0.0;
    return shownFrom(b->conv, b->set(const_cast<PrintSetData &>(set)));
}

void StoreBasicValue(CPrintMaterial &mat, int id, double value)
{
    const Binding *b = bindingOf(id);
    if (b && b->record)
        storeInto(b->conv, b->record(mat), value);
}

void StorePrintValue(PrintSetData &set, int id, double value)
{
    const Binding *b = bindingOf(id);
    if (b && b->set)
        storeInto(b->conv, b->set(set), value);
}

bool ChangeBasicValueBy(CPrintMaterial &mat, int id, double amount, bool percent, double min, double max)
{
    const Binding *b = bindingOf(id);
    return b && b->record && changeBy(b->conv, b->record(mat), amount, percent, min, max);
}

bool ChangePrintValueBy(PrintSetData &set, int id, double amount, bool percent, double min, double max)
{
    const Binding *b = bindingOf(id);
    return b && b->set && changeBy(b->conv, b->set(set), amount, percent, min, max);
}

bool SameBasicValue(const CPrintMaterial &a, const CPrintMaterial &b, int id)
{
    return SameShownValue(ShownBasicValue(a, id), ShownBasicValue(b, id));
}

bool SamePrintValue(const PrintSetData &a, const PrintSetData &b, int id)
{
    return SameShownValue(ShownPrintValue(a, id), ShownPrintValue(b, id));
}

// Every bound field is four bytes.
void CopyBasicValue(CPrintMaterial &to, const CPrintMaterial &from, int id)
{
    const Binding *b = bindingOf(id);
    if (b && b->record)
        std::memcpy(b->record(to), b->record(const_cast<CPrintMaterial &>(from)), 4);
}

void CopyPrintValue(PrintSetData &to, const PrintSetData &from, int id)
{
    const Binding *b = bindingOf(id);
    if (b && b->set)
        std::memcpy(b->set(to), b->set(const_cast<PrintSetData &>(from)), 4);
}

void LoadBasicRows(QVector<ParamItem> &rows, const CPrintMaterial *mat, bool locked)
{
    const int last = qMin(kLastBasicParam, rows.size() - 1);
    for (int id = 0; id <= last; ++id) {
        ParamItem &row = rows[id];
        if (!mat) {
            row.paramVal = -1.0;
            row.paramFlag = ParamItem::Locked;
            continue;
        }
        row.paramFlag = ParamItem::CommonValue + (locked ? ParamItem::Locked : 0);
        if (IsBoundParam(id))
            row.paramVal = ShownBasicValue(*mat, id);
    }
}

void LoadPrintRows(QVector<ParamItem> &rows, const std::vector<const PrintSetData *> &sets, bool locked)
{
    const int flag = ParamItem::CommonValue + (locked ? ParamItem::Locked : 0);
    for (int id = kLastBasicParam + 1; id < rows.size(); ++id) {
        rows[id].paramVal = kNoValue;
        rows[id].paramFlag = flag;
    }
    const int last = qMin(kParamCount, rows.size());
    for (const PrintSetData *s : sets) {
        for (int id = kLastBasicParam + 1; id < last; ++id) {
            if (!IsBoundParam(id))
                continue;
            ParamItem &row = rows[id];
            const double v = ShownPrintValue(*s, id);
            if (row.paramVal < kNoValueBelow) {
                row.paramVal = v;
                row.paramFlag |= ParamItem::CommonValue;
            } else if (!SameShownValue(row.paramVal, v)) {
                row.paramFlag &= ~ParamItem::CommonValue;
            }
        }
    }
}

double ShortestDecimal(float value)
{
    char buffer[32];
    const auto printed = std::to_chars(buffer, buffer + sizeof(buffer), value);
    double decimal = double(value);
    std::from_chars(buffer, printed.ptr, decimal);
    return decimal;
}
