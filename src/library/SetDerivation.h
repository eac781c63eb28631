#pragma once

#include "core/PrintMaterial.h"

#include <cstdint>
#include <vector>

// Print sets of one printer made from the current ones for another nozzle or layer thickness: the
// sets of a nozzle (every layer and quality) for another nozzle of the printer, or the sets of a
// layer (every quality) for another layer of the same nozzle. Each source set keeps its quality and
// every value but the key, the widths and the speeds: for another nozzle, the layer is the target
// nozzle's nearest one in the catalogue and the widths scale with the nozzles' ratio; the speeds
// stay, or change so that speed × width × layer (the flow) stays. Pure over its inputs: the plan
// holds copies, and applying it writes into the record it is given.
class SetDerivation
{
public:
    enum class Kind { Nozzle, Layer };
    // Why a source set makes nothing: no layer of the target nozzle, a key the catalogue refuses,
    // or a second source for a key that a nearer one takes.
    enum class Refusal { NoLayer, KeyRefused, SecondSource };
    struct Planned
    {
        PrintSetData source;
        PrintSetData made;
        bool exists = false; // the record has a set with the made one's key
    };
    struct Refused
    {
        PrintSetData source;
        PrintSetData target; // the key it would have had (the source's for NoLayer)
        Refusal why;
    };

    // The sources are the printer's sets of the nozzle (Kind::Nozzle) or of the nozzle and layer
    // (Kind::Layer), thinner layers first; target is the other nozzle or layer, in mm.
    SetDerivation(const CPrintMaterial &mat, int32_t printer, float nozzle, float layer, Kind kind,
                  double target, bool keepFlow);

    const std::vector<Planned> &Sets() const { return m_sets; }
    const std::vector<Refused> &Refusals() const { return m_refused; }
    int Existing() const;

    // Writes the planned sets into the record; one whose key the record has replaces that set only
    // where replace[i] (aligned with Sets(); missing is false) says so. How many sets were written.
    int Apply(CPrintMaterial &mat, const std::vector<bool> &replace) const;

    // What the catalogue offers as targets: the printer's nozzles, or the nozzle's layers, but the
    // current one.
    static std::vector<double> Targets(int32_t printer, float nozzle, float layer, Kind kind);
    // The layer of the list nearest to this one, the thinner of two as near; -1 for an empty list.
    static double NearestLayer(const std::vector<double> &layers, double layer);

private:
    std::vector<Planned> m_sets;
    std::vector<Refused> m_refused;
};
