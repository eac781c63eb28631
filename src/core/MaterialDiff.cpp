#include "MaterialDiff.h"

#include "MaterialFormat.h"
#include "ParamItem.h"
#include "PrintMaterial.h"
#include "PrinterCatalogue.h"

#include <cstdio>
#include <cstring>

namespace {
std::string shownText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.10g", RoundShownValue(value));
    return buffer;
}

// One difference found by the walk below, described only when someone asks.
struct Found
{
    enum Kind { Identity, Basic, SetValue, OnlyInA, OnlyInB };
    explicit Found(Kind k) : kind(k) {}
    Kind kind;
    const char *name = nullptr; // of an identity value
    std::string before, after;  // of an identity value
    int row = -1;
    const PrintSetData *a = nullptr;
    const PrintSetData *b = nullptr;
};

// Walks every shown difference from a to b in the order DescribeValueDifferences lists them;
// stops as soon as `found` returns false. True when nothing differs.
template <typename SetsB, typename Found_>
bool walkDifferences(const CPrintMaterial &a, const CPrintMaterial &bFields, const SetsB &bSets,
                     bool compareID, Found_ &&found, bool compareIdentity = true)
{
    bool alike = true;
    const auto text = [&](const char *name, const std::string &before, const std::string &after) {
        if (before == after || !compareIdentity)
            return true;
        alike = false;
        Found identity(Found::Identity);
        identity.name = name;
        identity.before = before;
        identity.after = after;
        return found(identity);
    };
    if (compareID && !text("ID", std::to_string(a.m_nMatID), std::to_string(bFields.m_nMatID)))
        return false;
    if (!text("Name", a.m_szName, bFields.m_szName) || !text("Manufacturer", a.m_szManu, bFields.m_szManu) ||
        !text("Password", a.m_szPwMD5[0] ? "set" : "none", bFields.m_szPwMD5[0] ? "set" : "none"))
        return false;
    if (a.m_szPwMD5[0] && bFields.m_szPwMD5[0] && std::strcmp(a.m_szPwMD5, bFields.m_szPwMD5) != 0 &&
        !text("Password", "set", "another"))
        return false;
    for (int id = 0; id <= kLastBasicParam; ++id) {
        if (IsBoundParam(id) && !SameBasicValue(a, bFields, id)) {
            alike = false;
            Found basic(Found::Basic);
            basic.row = id;
            if (!found(basic))
                return false;
        }
    }
    std::vector<bool> matched(bSets.size(), false);
    for (const PrintSetData &setA : a.m_lstSets) {
        size_t j = 0;
        auto itB = bSets.begin();
        for (; itB != bSets.end() && (matched[j] || !SameSetKey(setA, *itB)); ++itB)
            ++j;
        Found at(Found::OnlyInA);
        at.a = &setA;
        if (itB == bSets.end()) {
            alike = false;
            if (!found(at))
                return false;
            continue;
        }
        matched[j] = true;
        at.kind = Found::SetValue;
        at.b = &*itB;
        for (int id = kLastBasicParam + 1; id < kParamCount; ++id) {
            if (ShowsOwnField(id) && !SamePrintValue(setA, *itB, id)) {
                alike = false;
                at.row = id;
                if (!found(at))
                    return false;
            }
        }
    }
    size_t j = 0;
    for (const PrintSetData &setB : bSets) {
        if (!matched[j++]) {
            alike = false;
            Found only(Found::OnlyInB);
            only.b = &setB;
            if (!found(only))
                return false;
        }
    }
    return alike;
}
} // namespace

std::string DescribeSetKey(const PrintSetData &set)
{
    char buffer[160];
    std::snprintf(buffer, sizeof(buffer), "printer %d (%s), nozzle %.2f, layer %.2f, quality %d (%s)",
                  set.nPrinterType, GetPrinterName(set.nPrinterType).c_str(), double(set.fNozzleDia),
                  double(set.fLayerThick), set.nQuality, GetQualityName(set.nQuality).c_str());
    return buffer;
}

namespace {
ValueDifference setDifference(const PrintSetData &set, std::string name, std::string before,
                              std::string after, std::string unit = std::string())
{
    return {DescribeSetKey(set), std::move(name), std::move(before), std::move(after), std::move(unit), true,
            set.nPrinterType,    set.fNozzleDia,  set.fLayerThick,   set.nQuality};
}
} // namespace

std::vector<ValueDifference> DescribeValueDifferences(const CPrintMaterial &a, const CPrintMaterial &b,
                                                      bool compareID)
{
    std::vector<ValueDifference> out;
    walkDifferences(a, b, b.m_lstSets, compareID, [&out, &a, &b](const Found &f) {
        switch (f.kind) {
        case Found::Identity:
            out.push_back({std::string(), f.name, f.before, f.after, std::string()});
            break;
        case Found::Basic: {
            const ParamItem &row = ParamCatalogue()[f.row];
            out.push_back({std::string(), row.paramDesc.toStdString(), shownText(ShownBasicValue(a, f.row)),
                           shownText(ShownBasicValue(b, f.row)), row.paramUnit.toStdString()});
            break;
        }
        case Found::SetValue: {
            const ParamItem &row = ParamCatalogue()[f.row];
            out.push_back(
                setDifference(*f.a, row.paramDesc.toStdString(), shownText(ShownPrintValue(*f.a, f.row)),
                              shownText(ShownPrintValue(*f.b, f.row)), row.paramUnit.toStdString()));
            break;
        }
        case Found::OnlyInA:
            out.push_back(setDifference(*f.a, "print set", "present", std::string()));
            break;
        case Found::OnlyInB:
            out.push_back(setDifference(*f.b, "print set", std::string(), "present"));
            break;
        }
        return true;
    });
    return out;
}

bool ShowAlike(const CPrintMaterial &a, const CPrintMaterial &b, bool compareID)
{
    return walkDifferences(a, b, b.m_lstSets, compareID, [](const Found &) { return false; });
}

bool ShowAlike(const CPrintMaterial &a, const FlatMaterial &b, bool compareID)
{
    return walkDifferences(a, b.fields, b.sets, compareID, [](const Found &) { return false; });
}

bool SameValues(const CPrintMaterial &a, const CPrintMaterial &b)
{
    return walkDifferences(
        a, b, b.m_lstSets, false, [](const Found &) { return false; }, false);
}

bool SameValues(const CPrintMaterial &a, const FlatMaterial &b)
{
    return walkDifferences(
        a, b.fields, b.sets, false, [](const Found &) { return false; }, false);
}

std::string FormatDifference(const ValueDifference &d, bool withSet)
{
    std::string line = d.where.empty() || !withSet ? std::string() : "print set " + d.where + ": ";
    if (d.name == "print set")
        return line + (d.after.empty() ? "removed" : "added");
    line += d.name + ": " + (d.before.empty() ? "-" : d.before) + " -> " + (d.after.empty() ? "-" : d.after);
    return d.unit.empty() ? line : line + " " + d.unit;
}
