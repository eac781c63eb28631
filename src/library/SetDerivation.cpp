#include "SetDerivation.h"

#include "core/ParamItem.h"
#include "core/PrinterCatalogue.h"

#include <algorithm>
#include <cmath>

namespace {
// One float step at 1: a factor nearer to 1 than this could only move a stored float by rounding.
constexpr double kScaleTolerance = 1.1920929e-7;
// Layers are given to the hundredth: distances closer than this are one distance (a tie).
constexpr double kTieTolerance = 1e-4;

// The print rows of the contour, infill and support, each speed with its own width.
constexpr int kSpeedRow = 15;
constexpr int kWidthRow = 24;

// Scales the stored field of the row, clamped to its range; a factor of 1 changes nothing.
void scaleField(PrintSetData &set, int id, double factor)
{
    if (!std::isfinite(factor) || factor <= 0.0 || std::fabs(factor - 1.0) < kScaleTolerance)
        return;
    const ParamItem &row = ParamCatalogue()[id];
    ChangePrintValueBy(set, id, (factor - 1.0) * 100.0, true, row.minVal, row.maxVal);
}

void scale(PrintSetData &set, double widthFactor, double fromLayer, double toLayer, bool keepFlow)
{
    for (int line = 0; line < 3; ++line) {
        const double widthBefore = ShortestDecimal(set.fWidth[line]);
        scaleField(set, kWidthRow + line, widthFactor);
        // From the width as stored, clamped or not, so that the flow stays what it was.
        if (keepFlow)
            scaleField(set, kSpeedRow + line,
                       (widthBefore * fromLayer) / (ShortestDecimal(set.fWidth[line]) * toLayer));
    }
}
} // namespace

SetDerivation::SetDerivation(const CPrintMaterial &mat, int32_t printer, float nozzle, float layer, Kind kind,
                             double target, bool keepFlow)
{
    std::vector<const PrintSetData *> sources =
        mat.ListSets(printer, -1, nozzle, kind == Kind::Layer ? layer : -1.0f);
    std::stable_sort(sources.begin(), sources.end(),
                     [](const PrintSetData *a, const PrintSetData *b) { return LessPrintSet(*a, *b); });
    const double fromNozzle = ShortestDecimal(nozzle);
    const double toNozzle = kind == Kind::Nozzle ? target : fromNozzle;
    const std::vector<double> layers = GetLayerThickList(printer, toNozzle);
    for (const PrintSetData *source : sources) {
        const double fromLayer = ShortestDecimal(source->fLayerThick);
        const double toLayer = kind == Kind::Layer ? target : NearestLayer(layers, fromLayer);
        if (toLayer < 0.0) {
            m_refused.push_back({*source, *source, Refusal::NoLayer});
            continue;
        }
        Planned planned{*source, *source, false};
        planned.made.fNozzleDia = float(toNozzle);
        planned.made.fLayerThick = float(toLayer);
        if (CPrintMaterial::CheckSet(planned.made) != SetValidity::Valid) {
            m_refused.push_back({*source, planned.made, Refusal::KeyRefused});
            continue;
        }
        // Two sources for one key: the one whose layer is nearer the target's takes it; as near, the
        // first (the thinner, in this order) keeps it.
        const auto taken = std::find_if(m_sets.begin(), m_sets.end(),
                                        [&](const Planned &p) { return SameSetKey(p.made, planned.made); });
        if (taken != m_sets.end()) {
            const double distance = std::fabs(fromLayer - toLayer);
            if (distance >= std::fabs(ShortestDecimal(taken->source.fLayerThick) - toLayer) - kTieTolerance) {
                m_refused.push_back({*source, planned.made, Refusal::SecondSource});
                continue;
            }
            m_refused.push_back({taken->source, taken->made, Refusal::SecondSource});
            m_sets.erase(taken);
        }
        scale(planned.made, toNozzle / fromNozzle, fromLayer, toLayer, keepFlow);
        planned.exists =
            !mat.ListSets(printer, planned.made.nQuality, planned.made.fNozzleDia, planned.made.fLayerThick)
                 .empty();
        m_sets.push_back(planned);
    }
}

int SetDerivation::Existing() const
{
    return int(std::count_if(m_sets.begin(), m_sets.end(), [](const Planned &p) { return p.exists; }));
}

int SetDerivation::Apply(CPrintMaterial &mat, const std::vector<bool> &replace) const
{
    int written = 0;
    for (size_t i = 0; i < m_sets.size(); ++i) {
        if (m_sets[i].exists && !(i < replace.size() && replace[i]))
            continue;
        const int result = mat.AddOrReplaceSet(m_sets[i].made, mat.m_szPwMD5);
        written += result == 0 || result == 1 ? 1 : 0;
    }
    return written;
}

std::vector<double> SetDerivation::Targets(int32_t printer, float nozzle, float layer, Kind kind)
{
    std::vector<double> targets =
        kind == Kind::Nozzle ? GetNozzleList(printer) : GetLayerThickList(printer, ShortestDecimal(nozzle));
    targets.erase(std::remove_if(targets.begin(), targets.end(),
                                 [&](double t) {
                                     return kind == Kind::Nozzle ? IsSameNozzle(float(t), nozzle)
                                                                 : IsSameLayer(float(t), layer);
                                 }),
                  targets.end());
    return targets;
}

// A tie goes to the thinner layer: a thinner layer never asks more of the nozzle than the source did.
double SetDerivation::NearestLayer(const std::vector<double> &layers, double layer)
{
    double nearest = -1.0;
    for (const double candidate : layers) {
        if (nearest < 0.0 || std::fabs(candidate - layer) < std::fabs(nearest - layer) - kTieTolerance ||
            (std::fabs(std::fabs(candidate - layer) - std::fabs(nearest - layer)) <= kTieTolerance &&
             candidate < nearest))
            nearest = candidate;
    }
    return nearest;
}
