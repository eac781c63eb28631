#include "MaterialDiff.h"

#include "MaterialFormat.h"
#include "ParamItem.h"
#include "PrintMaterial.h"
#include "PrinterCatalogue.h"

#include <cstdio>
#include <cstring>

namespace {
const QVector<ParamItem> &catalogue()
{
    static const QVector<ParamItem> rows = BuildParamCatalogue();
    return rows;
}

std::string shownText(double value, const ParamItem &row)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.10g", RoundShownValue(value));
    std::string text = buffer;
    const std::string unit = row.paramUnit.toStdString();
    return unit.empty() ? text : text + " " + unit;
}

bool sameKey(const PrintSetData &a, const PrintSetData &b)
{
    return a.nPrinterType == b.nPrinterType && a.nQuality == b.nQuality && IsSameNozzle(a.fNozzleDia, b.fNozzleDia)
           && IsSameLayer(a.fLayerThick, b.fLayerThick);
}

// The rows a value of a set shows in; row 29 shows the field of row 10 again.
bool shownOnce(int id)
{
    return IsBoundParam(id) && id != 29;
}

void compareSets(const PrintSetData &a, const PrintSetData &b, std::vector<ValueDifference> &out)
{
    for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
        if (!shownOnce(id))
            continue;
        const double va = ShownPrintValue(a, id);
        const double vb = ShownPrintValue(b, id);
        if (va != vb) {
            const ParamItem &row = catalogue()[id];
            out.push_back({DescribeSetKey(a), row.paramDesc.toStdString(), shownText(va, row), shownText(vb, row)});
        }
    }
}
} // namespace

std::string DescribeSetKey(const PrintSetData &set)
{
    char buffer[160];
    std::snprintf(buffer, sizeof(buffer), "printer %d (%s), nozzle %.2f, layer %.2f, quality %d (%s)", set.nPrinterType,
                  GetPrinterName(set.nPrinterType).c_str(), double(set.fNozzleDia), double(set.fLayerThick),
                  set.nQuality, GetQualityName(set.nQuality).c_str());
    return buffer;
}

std::vector<ValueDifference> DescribeValueDifferences(const CPrintMaterial &a, const CPrintMaterial &b)
{
    std::vector<ValueDifference> out;
    const auto text = [&out](const char *name, const std::string &before, const std::string &after) {
        if (before != after)
            out.push_back({std::string(), name, before, after});
    };
    text("ID", std::to_string(a.m_nMatID), std::to_string(b.m_nMatID));
    text("Name", a.m_szName, b.m_szName);
    text("Manufacturer", a.m_szManu, b.m_szManu);
    text("Password", a.m_szPwMD5[0] ? "set" : "none", b.m_szPwMD5[0] ? "set" : "none");
    if (a.m_szPwMD5[0] && b.m_szPwMD5[0] && std::strcmp(a.m_szPwMD5, b.m_szPwMD5) != 0)
        out.push_back({std::string(), "Password", "set", "another"});
    for (int id = 0; id <= kLastBasicParam; ++id) {
        if (!IsBoundParam(id))
            continue;
        const double va = ShownBasicValue(a, id);
        const double vb = ShownBasicValue(b, id);
        if (va != vb)
            out.push_back({std::string(), catalogue()[id].paramDesc.toStdString(), shownText(va, catalogue()[id]),
                           shownText(vb, catalogue()[id])});
    }
    std::vector<bool> matched(b.m_lstSets.size(), false);
    for (const PrintSetData &setA : a.m_lstSets) {
        size_t j = 0;
        auto itB = b.m_lstSets.begin();
        for (; itB != b.m_lstSets.end() && (matched[j] || !sameKey(setA, *itB)); ++itB)
            ++j;
        if (itB == b.m_lstSets.end()) {
            out.push_back({DescribeSetKey(setA), "print set", "present", std::string()});
            continue;
        }
        matched[j] = true;
        compareSets(setA, *itB, out);
    }
    size_t j = 0;
    for (const PrintSetData &setB : b.m_lstSets) {
        if (!matched[j++])
            out.push_back({DescribeSetKey(setB), "print set", std::string(), "present"});
    }
    return out;
}

std::string FormatDifference(const ValueDifference &d)
{
    std::string line = d.where.empty() ? std::string() : "print set " + d.where + ": ";
    if (d.name == "print set")
        return line + (d.after.empty() ? "removed" : "added");
    return line + d.name + ": " + (d.before.empty() ? "-" : d.before) + " -> " + (d.after.empty() ? "-" : d.after);
}

namespace {
void jsonString(std::string &out, const std::string &text)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    }
    out += '"';
}

void member(std::string &out, const std::string &name, const std::string &value, bool quoted)
{
    out += out.back() == '{' ? "" : ",";
    jsonString(out, name);
    out += ':';
    if (quoted)
        jsonString(out, value);
    else
        out += value;
}

std::string nameWithUnit(const ParamItem &row)
{
    const std::string unit = row.paramUnit.toStdString();
    return row.paramDesc.toStdString() + (unit.empty() ? std::string() : " (" + unit + ")");
}
} // namespace

std::string ReadableMaterialJson(const CPrintMaterial &mat)
{
    std::string out = "{";
    member(out, "ID", std::to_string(mat.m_nMatID), false);
    member(out, "Name", mat.m_szName, true);
    member(out, "Manufacturer", mat.m_szManu, true);
    member(out, "Password", mat.m_szPwMD5[0] ? "set" : "none", true);
    for (int id = 0; id <= kLastBasicParam; ++id) {
        if (IsBoundParam(id))
            member(out, nameWithUnit(catalogue()[id]), FormatJsonNumber(RoundShownValue(ShownBasicValue(mat, id))), false);
    }
    out += ",\"Print sets\":[";
    bool first = true;
    for (const PrintSetData &set : mat.m_lstSets) {
        out += first ? "{" : ",{";
        first = false;
        member(out, "Printer", GetPrinterName(set.nPrinterType) + " (" + std::to_string(set.nPrinterType) + ")", true);
        member(out, "Nozzle (mm)", FormatJsonNumber(RoundShownValue(double(set.fNozzleDia))), false);
        member(out, "Layer (mm)", FormatJsonNumber(RoundShownValue(double(set.fLayerThick))), false);
        member(out, "Quality", GetQualityName(set.nQuality) + " (" + std::to_string(set.nQuality) + ")", true);
        for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
            if (shownOnce(id))
                member(out, nameWithUnit(catalogue()[id]), FormatJsonNumber(RoundShownValue(ShownPrintValue(set, id))),
                       false);
        }
        out += '}';
    }
    out += "]}";
    return out;
}
