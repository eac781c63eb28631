#pragma once

#include <string>

class CPrintMaterial;

// The material as JSON for people reading it: the values by the names the editor shows, with
// their units ("Contour Speed (mm/s)": 40), the print sets' keys in words; derived values left out.
std::string ReadableMaterialJson(const CPrintMaterial &mat);
