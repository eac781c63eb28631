#include "ReadableJson.h"

#include "core/MaterialFormat.h"
#include "core/ParamItem.h"
#include "core/PrintMaterial.h"
#include "core/PrinterCatalogue.h"

namespace {
// Names escaped as the material file escapes them, so that the output reads back as JSON.
void jsonString(std::string &out, const std::string &text)
{
    AppendJsonText(out, text.c_str());
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
            member(out, nameWithUnit(ParamCatalogue()[id]),
                   FormatJsonNumber(RoundShownValue(ShownBasicValue(mat, id))), false);
    }
    out += ",\"Print sets\":[";
    bool first = true;
    for (const PrintSetData &set : mat.m_lstSets) {
        out += first ? "{" : ",{";
        first = false;
        member(out, "Printer",
               GetPrinterName(set.nPrinterType) + " (" + std::to_string(set.nPrinterType) + ")", true);
        member(out, "Nozzle (mm)", FormatJsonNumber(RoundShownValue(double(set.fNozzleDia))), false);
        member(out, "Layer (mm)", FormatJsonNumber(RoundShownValue(double(set.fLayerThick))), false);
        member(out, "Quality", GetQualityName(set.nQuality) + " (" + std::to_string(set.nQuality) + ")",
               true);
        for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
            if (ShowsOwnField(id))
                member(out, nameWithUnit(ParamCatalogue()[id]),
                       FormatJsonNumber(RoundShownValue(ShownPrintValue(set, id))), false);
        }
        out += '}';
    }
    out += "]}";
    return out;
}
