#pragma once

#include "core/PrintMaterial.h"

#include <QString>

#include <functional>
#include <vector>

// A realistic generated library for the benchmarks: varied names, manufacturers, values and
// print sets with distinct keys that the catalogue accepts.
std::vector<CPrintMaterial> makeLibrary(int count, int setsPerMaterial);
// Writes the materials as a material file through the library's writer.
bool writeLibrary(const QString &path, std::vector<CPrintMaterial> &library);
// Best wall time of the runs, in milliseconds.
double bestOf(int runs, const std::function<void()> &step);
