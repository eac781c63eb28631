#include "MaterialAdvice.h"

#include "ParamItem.h"
#include "PrinterCatalogue.h"
#include "base/cfutility.h"

#include <cmath>

namespace {
using Rule = MaterialAdvice::Rule;

struct RuleRow
{
    Rule rule;
    double limit;
    const char *reason; // English, the key of its translation
};

// Every threshold of the check, in the order of Rule. A value is found only beyond a limit by more than the
// pages show (SameShownValue): a value that reads as the limit is at it.
const RuleRow kRules[] = {
    // Narrower than this part of the nozzle, the line comes out uneven and tears.
    {MaterialAdvice::WidthUnderNozzle, 0.8, "the width %1 mm is under %2 × the nozzle's %3 mm"},
    // Wider than this many nozzles, the line is no longer pressed flat under the nozzle's tip.
    {MaterialAdvice::WidthOverNozzle, 2.0, "the width %1 mm is over %2 × the nozzle's %3 mm"},
    // Thicker than this part of the nozzle, a layer is not pressed onto the one below: it holds badly.
    {MaterialAdvice::LayerOverNozzle, 0.8, "the layer %1 mm is over %2 × the nozzle's %3 mm"},
    // No limit of its own: the temperature must stay within the Basic Temp row's range.
    {MaterialAdvice::BiasOutOfRange, 0.0, "Basic Temp %1 ℃ with this bias gives %2 ℃, outside %3 to %4 ℃"},
    // Save raises lower accelerations to the floor: the set would not print with the value shown.
    {MaterialAdvice::AccelerationUnderFloor, double(kAccelerationFloor),
     "under %1 mm/s², which Save raises it to"},
    // A factor of the material's own limit: anything over the limit is found.
    {MaterialAdvice::FlowOverLimit, 1.0, "the flow %1 mm³/s is over the material's limit of %2 mm³/s"},
    // Any difference counts: a faster quality is never slower than a slower one.
    {MaterialAdvice::SlowerThanSlowerQuality, 0.0,
     "slower than in quality %1 (%2 mm/s), which prints slower"},
    // Any difference counts: a thicker layer takes at least the width of a thinner one.
    {MaterialAdvice::NarrowerThanThinnerLayer, 0.0, "narrower than on the thinner layer %1 mm (%2 mm)"},
};

const RuleRow &ruleRow(Rule rule)
{
    return kRules[int(rule)];
}

// Where a quality stands among the others by speed: Fine lays its lines slowest, then Normal, Fast
// and Turbo, as the names say; the Custom qualities are the user's own and take no place (-1).
int speedRank(int32_t quality)
{
    static const int ranks[] = {1, 0, 2, 3};
    return quality >= 0 && quality < 4 ? ranks[quality] : -1;
}

bool below(double value, double limit)
{
    return value < limit && !SameShownValue(value, limit);
}

QString shown(double value)
{
    return QString::number(RoundShownValue(value), 'g', 10);
}

// Up or down to the hundredth, so that a suggestion is at the limit or inside it; the epsilon keeps
// a float product that reads as a hundredth on it.
double upToHundredth(double value)
{
    return std::ceil(value * 100.0 - 1e-6) / 100.0;
}
double downToHundredth(double value)
{
    return std::floor(value * 100.0 + 1e-6) / 100.0;
}

bool sameGroup(const PrintSetData &a, const PrintSetData &b)
{
    return a.nPrinterType == b.nPrinterType && IsSameNozzle(a.fNozzleDia, b.fNozzleDia);
}
} // namespace

MaterialAdvice::MaterialAdvice(const CPrintMaterial &mat, double flowLimit)
{
    const ParamItem &basicTemp = ParamCatalogue()[9];
    for (const PrintSetData &set : mat.m_lstSets) {
        const auto find = [&](Rule rule, int row, QStringList args, double value, double suggested) {
            Finding finding;
            finding.rule = rule;
            finding.material = mat.m_nMatID;
            finding.key = set;
            finding.row = row;
            finding.args = std::move(args);
            finding.value = value;
            finding.suggested = suggested;
            m_findings.push_back(std::move(finding));
        };
        const double nozzle = double(set.fNozzleDia);
        const double layer = double(set.fLayerThick);

        const double layerLimit = ruleRow(LayerOverNozzle).limit * nozzle;
        if (below(layerLimit, layer)) {
            // The printer's thickest layer within the limit, else the limit itself.
            double thinner = -1.0;
            for (const double offered : GetLayerThickList(set.nPrinterType, nozzle)) {
                if (!below(layerLimit, offered) && offered > thinner)
                    thinner = offered;
            }
            if (thinner < 0.0)
                thinner = downToHundredth(layerLimit);
            find(LayerOverNozzle, kLayerRow,
                 {shown(layer), shown(ruleRow(LayerOverNozzle).limit), shown(nozzle)}, layer, thinner);
        }
        for (int part = 0; part < 3; ++part) {
            const int row = 12 + part;
            const double temp = double(set.nBasicTemp) + double(set.nTempBias[part]);
            if (below(temp, basicTemp.minVal) || below(basicTemp.maxVal, temp)) {
                const double held = temp < basicTemp.minVal ? basicTemp.minVal : basicTemp.maxVal;
                find(BiasOutOfRange, row,
                     {shown(set.nBasicTemp), shown(temp), shown(basicTemp.minVal), shown(basicTemp.maxVal)},
                     set.nTempBias[part], held - set.nBasicTemp);
            }
        }
        for (int part = 0; part < 3; ++part) {
            const int row = 15 + part;
            const double speed = ShownPrintValue(set, row);
            const double flow = Flow(set, part);
            const double flowCap = ruleRow(FlowOverLimit).limit * flowLimit;
            if (flowLimit > 0.0 && below(flowCap, flow)) {
                // On the values as shown: a float layer of 0.2 would take a tenth off 49.9.
                const double perSpeed = RoundShownValue(set.fWidth[part]) * RoundShownValue(layer);
                find(FlowOverLimit, row, {shown(flow), shown(flowCap)}, speed,
                     std::floor(flowCap / perSpeed * 10.0 + 1e-6) / 10.0);
            }
            // The nearest slower quality of the same printer, nozzle and layer.
            const int rank = speedRank(set.nQuality);
            const PrintSetData *slower = nullptr;
            for (const PrintSetData &other : mat.m_lstSets) {
                const int otherRank = speedRank(other.nQuality);
                if (sameGroup(set, other) && IsSameLayer(set.fLayerThick, other.fLayerThick) &&
                    otherRank >= 0 && otherRank < rank &&
                    (!slower || otherRank > speedRank(slower->nQuality)))
                    slower = &other;
            }
            const double slowerSpeed = slower ? ShownPrintValue(*slower, row) : 0.0;
            if (slower && below(speed + ruleRow(SlowerThanSlowerQuality).limit, slowerSpeed))
                find(SlowerThanSlowerQuality, row,
                     {QString::fromStdString(GetQualityName(slower->nQuality)), shown(slowerSpeed)}, speed,
                     slowerSpeed);
        }
        for (int part = 0; part < 3; ++part) {
            const int row = 18 + part;
            const double acc = ShownPrintValue(set, row);
            const double floor = ruleRow(AccelerationUnderFloor).limit;
            if (below(acc, floor))
                find(AccelerationUnderFloor, row, {shown(floor)}, acc, floor);
        }
        for (int part = 0; part < 3; ++part) {
            const int row = 24 + part;
            const double width = ShownPrintValue(set, row);
            const double narrow = ruleRow(WidthUnderNozzle).limit * nozzle;
            const double wide = ruleRow(WidthOverNozzle).limit * nozzle;
            if (below(width, narrow))
                find(WidthUnderNozzle, row,
                     {shown(width), shown(ruleRow(WidthUnderNozzle).limit), shown(nozzle)}, width,
                     upToHundredth(narrow));
            else if (below(wide, width))
                find(WidthOverNozzle, row,
                     {shown(width), shown(ruleRow(WidthOverNozzle).limit), shown(nozzle)}, width,
                     downToHundredth(wide));
            // The nearest thinner layer of the same printer, nozzle and quality.
            const PrintSetData *thinner = nullptr;
            for (const PrintSetData &other : mat.m_lstSets) {
                if (sameGroup(set, other) && other.nQuality == set.nQuality &&
                    below(double(other.fLayerThick), layer) &&
                    (!thinner || other.fLayerThick > thinner->fLayerThick))
                    thinner = &other;
            }
            const double thinnerWidth = thinner ? ShownPrintValue(*thinner, row) : 0.0;
            if (thinner && below(width + ruleRow(NarrowerThanThinnerLayer).limit, thinnerWidth))
                find(NarrowerThanThinnerLayer, row, {shown(thinner->fLayerThick), shown(thinnerWidth)}, width,
                     thinnerWidth);
        }
    }
}

double MaterialAdvice::Flow(const PrintSetData &set, int part)
{
    if (part < 0 || part > 2)
        return 0.0;
    return double(set.fSpeed[part]) * double(set.fWidth[part]) * double(set.fLayerThick);
}

const char *MaterialAdvice::ReasonFormat(Rule rule)
{
    return ruleRow(rule).reason;
}

QString MaterialAdvice::Reason(const Finding &finding)
{
    return FillPlaceholders(QString::fromUtf8(ReasonFormat(finding.rule)), finding.args);
}

QString MaterialAdvice::ValueName(const Finding &finding)
{
    if (finding.row >= 0 && finding.row < kParamCount)
        return ParamCatalogue()[finding.row].paramDesc;
    return QStringLiteral("Layer Thickness");
}
