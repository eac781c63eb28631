#pragma once

#include <string>
#include <vector>

class CPrintMaterial;
struct FlatMaterial;
struct PrintSetData;

// One value that differs between two records of a material, by the name the editor shows for it
// ("Contour Speed", not the file's key), with its print set where it belongs to one.
struct ValueDifference
{
    std::string where;  // empty for the material itself, else the print set's key in words
    std::string name;   // the value's name; "print set" when a whole set was added or removed
    std::string before; // as shown, without the unit; empty when absent
    std::string after;
    std::string unit; // of both values; empty for words and for what has no unit
    // The print set's key, for those who put the words together themselves (a translation).
    bool inSet = false;
    int printer = 0;
    float nozzle = 0.0f;
    float layer = 0.0f;
    int quality = 0;
};

// Every value that the editor shows and that differs from a to b: identity and basic
// information, then the print sets matched by key (printer, nozzle, layer, quality), sets only
// in a as removed and only in b as added. Derived values that nobody edits are left out; values
// are compared as the pages show them (SameShownValue). Without compareID the IDs are not compared.
std::vector<ValueDifference> DescribeValueDifferences(const CPrintMaterial &a, const CPrintMaterial &b,
                                                      bool compareID = true);

// Whether DescribeValueDifferences would find nothing, without describing anything. The one test
// of "the same material" for the vendor marks, the drawer, Save and the import preview.
bool ShowAlike(const CPrintMaterial &a, const CPrintMaterial &b, bool compareID = true);
bool ShowAlike(const CPrintMaterial &a, const FlatMaterial &b, bool compareID = true);
// The same for the values alone (basic information and print sets), whatever the identities.
bool SameValues(const CPrintMaterial &a, const CPrintMaterial &b);
bool SameValues(const CPrintMaterial &a, const FlatMaterial &b);

// "printer 10102 (Orvik Solo), nozzle 0.40, layer 0.20, quality 1 (Fine)".
std::string DescribeSetKey(const PrintSetData &set);

// One difference as a line: "Contour Speed: 40 -> 55 mm/s", with "print set ...: " before it for a
// set's value unless withSet is false (the caller names the set itself).
std::string FormatDifference(const ValueDifference &difference, bool withSet = true);
