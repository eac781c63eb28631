#include "PrinterCatalogue.h"

const std::map<int32_t, int32_t> g_mapPrinterAlias = {
    {10001, 10102}, {10002, 10102}, {10006, 10102}, {10102, 10102}, {10007, 10110}, {10008, 10110},
    {10107, 10110}, {10108, 10110}, {10109, 10110}, {10110, 10110}, {10113, 10113}, {10003, 10104},
    {10005, 10104}, {10103, 10104}, {10104, 10104}, {10112, 10112}, {10004, 10105}, {10105, 10105},
    {10114, 10114}, {10111, 10111}, {10115, 10115}, {10116, 10116},
};

const std::map<int32_t, std::string> g_mapPrinterName = {
    {-1, "Default"},       {10102, "Orvik Solo"},  {10110, "Orvik Solo 2"}, {10113, "Orvik Solo 3"},
    {10104, "Orvik pico"}, {10112, "Orvik pico2"}, {10105, "Orvik HULL"},   {10114, "Orvik HULL+"},
    {10111, "Orvik Wren"}, {10115, "Orvik 250"},   {10116, "Orvik V9"},
};

const std::vector<std::string> g_vecQualityName = {"Normal",  "Fine",    "Fast",   "Turbo",
                                                   "Custom1", "Custom2", "Custom3"};

namespace {
// The two small printers offer one nozzle and their own layer list, matched on the raw ID.
bool isSmallPrinter(int32_t printerType)
{
    return printerType == 10112 || printerType == 10104;
}

struct LayerBand
{
    double bound; // the band applies to nozzles strictly below this
    std::vector<double> layers;
};

const std::vector<LayerBand> &layerBands()
{
    static const std::vector<LayerBand> bands = {
        {0.21, {0.05, 0.07, 0.1, 0.15}},           {0.31, {0.07, 0.1, 0.15, 0.2}},
        {0.41, {0.1, 0.15, 0.2, 0.25, 0.3, 0.35}}, {0.51, {0.2, 0.25, 0.3, 0.35, 0.4, 0.45}},
        {0.61, {0.3, 0.35, 0.4, 0.45, 0.5}},       {0.81, {0.35, 0.4, 0.45, 0.5, 0.6}},
    };
    return bands;
}
} // namespace

int32_t CanonicalPrinterType(int32_t id)
{
    const auto alias = g_mapPrinterAlias.find(id);
    return alias == g_mapPrinterAlias.end() ? id : alias->second;
}

std::string GetPrinterName(int32_t id)
{
    const auto name = g_mapPrinterName.find(CanonicalPrinterType(id));
    return name == g_mapPrinterName.end() ? std::string("Unknow printer") : name->second;
}

std::string GetQualityName(int32_t id)
{
    if (id >= 0 && size_t(id) < g_vecQualityName.size())
        return g_vecQualityName[size_t(id)];
    return "Unknow Quality";
}

std::vector<int32_t> GetPrinterTypeList()
{
    std::vector<int32_t> types;
    types.reserve(g_mapPrinterName.size());
    for (const auto &entry : g_mapPrinterName)
        types.push_back(entry.first);
    return types;
}

std::vector<double> GetNozzleList(int32_t printerType)
{
    if (isSmallPrinter(printerType))
        return {0.4};
    return {0.2, 0.3, 0.4, 0.5, 0.6, 0.8, 1.0};
}

std::vector<double> GetLayerThickList(int32_t printerType, double nozzleDia)
{
    if (isSmallPrinter(printerType))
        return {0.15, 0.2, 0.25, 0.3, 0.35};
    for (const LayerBand &band : layerBands()) {
        if (nozzleDia < band.bound)
            return band.layers;
    }
    return {0.4, 0.5, 0.6, 0.7, 0.8};
}

std::vector<int32_t> GetQualityList()
{
    std::vector<int32_t> qualities;
    for (int32_t id = 0; id < int32_t(g_vecQualityName.size()); ++id)
        qualities.push_back(id);
    return qualities;
}
