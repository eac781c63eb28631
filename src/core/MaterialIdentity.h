#pragma once

#include <QDateTime>

#include <cstdint>
#include <string>

// The parts of a new material identity.

// The type code of a material name (upper-cased first): "ABS" 0, "PLA" 1, "TPU" 2, "TPE" 3,
// "PETG" 4, "PC" 5, "NYLON" 6, "PEEK" 7, "WOOD" 8, "CARBON" 9, by the beginning of the name;
// -1 when no key begins it.
int MaterialTypeCode(const std::string &name);

// Whole days from 1 January 2000, 00:00 local time, to the moment, truncated toward zero.
int32_t CreationDayNumber(const QDateTime &moment);
