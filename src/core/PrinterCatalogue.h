#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The fixed catalogue of printer types, nozzle diameters, layer thicknesses and qualities.
// Read-only after static initialisation.

// Older printer-type IDs and the current type that stands for them; other IDs map to themselves.
extern const std::map<int32_t, int32_t> g_mapPrinterAlias;
// Model names by canonical printer-type ID; -1 is the generic printer "Default".
extern const std::map<int32_t, std::string> g_mapPrinterName;
// Quality names; the quality ID is the index.
extern const std::vector<std::string> g_vecQualityName;

// The canonical type for an alias, or the ID itself.
int32_t CanonicalPrinterType(int32_t id);

std::string GetPrinterName(int32_t id);                 // "Unknow printer" for an unknown type
std::string GetQualityName(int32_t id);                 // "Unknow Quality" outside 0..6
std::vector<int32_t> GetPrinterTypeList();              // the named types, ascending
std::vector<double> GetNozzleList(int32_t printerType); // raw type, no alias
std::vector<double> GetLayerThickList(int32_t printerType, double nozzleDia); // raw type, no alias
std::vector<int32_t> GetQualityList();                                        // 0 to 6
