#pragma once

#include "PrintMaterial.h"

#include <QString>
#include <QStringList>

#include <vector>

// The values of a material that are unlikely to print well, each with its reason and a value that
// would not be found, in the order of the material's print sets, then by row. Pure over the record
// and the user's flow limit: nothing is kept of the record, so the findings stay valid however it
// changes (a finding names its set by key).
class MaterialAdvice
{
public:
    enum Rule {
        WidthUnderNozzle,
        WidthOverNozzle,
        LayerOverNozzle,
        BiasOutOfRange,
        AccelerationUnderFloor,
        FlowOverLimit,
        SlowerThanSlowerQuality,
        NarrowerThanThinnerLayer
    };
    // A finding's row for the layer thickness, which is part of the set's key rather than a row.
    static constexpr int kLayerRow = -1;

    struct Finding
    {
        Rule rule = WidthUnderNozzle;
        int32_t material = 0; // its ID
        PrintSetData key;     // the set's key; its values as the record had them
        int row = kLayerRow;
        QStringList args; // of the rule's reason, shown numbers and names as English
        double value = 0.0;
        double suggested = 0.0;
    };

    // flowLimit in mm³/s; 0 or less: none.
    explicit MaterialAdvice(const CPrintMaterial &mat, double flowLimit = 0.0);

    const std::vector<Finding> &Findings() const { return m_findings; }

    // The volumetric flow of one part (0 contour, 1 infill, 2 support) in mm³/s: speed × width ×
    // layer thickness, from the stored fields.
    static double Flow(const PrintSetData &set, int part);
    // The rule's reason in English, with %1... for the finding's arguments.
    static const char *ReasonFormat(Rule rule);
    // The reason filled with the finding's arguments, in English.
    static QString Reason(const Finding &finding);
    // The value's name as the pages show it (English), "Layer Thickness" for the layer.
    static QString ValueName(const Finding &finding);

private:
    std::vector<Finding> m_findings;
};
