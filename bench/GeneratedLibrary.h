#pragma once

#include "core/PrintMaterial.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

// A realistic generated library for the benchmarks: varied names, manufacturers, values and
// print sets with distinct keys that the catalogue accepts.
std::vector<CPrintMaterial> makeLibrary(int count, int setsPerMaterial);
// Writes the materials as a material file through the library's writer.
bool writeLibrary(const QString &path, std::vector<CPrintMaterial> &library);
// The floor's work for one line of a material file: hex-decode it and parse the JSON, with the
// reader's own primitives, building nothing. True when it parsed.
bool DecodeAndParseLine(const std::string &line);
// Best wall time of the runs, in milliseconds.
double bestOf(int runs, const std::function<void()> &step);
