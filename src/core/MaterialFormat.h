#pragma once

#include "PrintMaterial.h"

#include <cjson/cJSON.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The material file: one line per material, the lowercase hex form of the material's compact
// JSON text, ended by a line feed. Lines that are not materials are skipped by readers.

struct JsonDeleter
{
    void operator()(cJSON *json) const { cJSON_Delete(json); }
};
using JsonPtr = std::unique_ptr<cJSON, JsonDeleter>;

// Why one JSON text was refused as a material, and which of its print sets were dropped.
struct MaterialDecodeReport
{
    enum class Refusal { None, NotJson, NotObject, NoGroup, GroupNotArray, NoNameOrManu };

    struct DroppedSet
    {
        int index;             // position in "group", from 0
        int result;            // what AddOrReplaceSet returned (-1 or -2)
        SetValidity validity;  // why the catalogue refused the key
        PrintSetData set;
    };

    Refusal refusal = Refusal::None;
    size_t parsedLength = 0;      // bytes of the text up to the end of its JSON value; 0 when not JSON
    bool nameMissing = false;     // "b2" absent or not a string
    bool manuMissing = false;     // "b3" absent or not a string
    std::vector<DroppedSet> droppedSets;

    // Empty when accepted, otherwise a short English reason ("no \"group\"").
    std::string Reason() const;
    static std::string DescribeDroppedSet(const DroppedSet &dropped);
};

// A number as the file writes it: 15 significant digits if they read back exactly, otherwise 17;
// "null" for a value that is not finite. "." is the decimal point whatever the locale.
std::string FormatJsonNumber(double value);
void AppendJsonNumber(std::string &out, double value);

// The record's compact JSON text with its derived fields as they stand (ToJson updates them
// first): members in the file's order, no whitespace, strings escaped as JSON requires.
std::string MaterialJsonText(const CPrintMaterial &mat);

// The same text laid out for people: one member per line, indented by tabs.
std::string PrettyJson(const std::string &compact);

// Decodes one JSON text into a fresh record as a list reader does: FromJson, then a creation
// day of -1000 reads as 0. True when the material is accepted.
bool DecodeMaterial(const char *text, CPrintMaterial &out, MaterialDecodeReport *report = nullptr);

// Decodes each text in order and appends the accepted records; returns the number appended.
int ParseMaterials(const std::vector<std::string> &texts, std::vector<CPrintMaterial> &out);

// Decodes each material that one line of a file holds, in order, and hands it to the callback with
// its report and whether it was accepted. A line holds one; lines whose line feeds were lost (lone
// carriage returns, a file without its last line feed followed by another) hold several, each
// text starting where the JSON value before it ended.
using MaterialOfLine = std::function<void(CPrintMaterial &mat, const MaterialDecodeReport &report, bool accepted)>;
void DecodeMaterialsOfLine(const std::string &line, const MaterialOfLine &each);

// One line as read from a file (with or without its line end) to the JSON text it holds: a line
// of odd length loses its last character, then non-hex characters are skipped.
std::string DecodeMaterialLine(const std::string &line);

// The line that a writer puts in a file for this record: hex of ToJson, then a line feed.
// Brings the record's derived fields up to date.
std::string EncodeMaterialLine(CPrintMaterial &mat);

// For diagnostics: whether a line holds only hex digits (a trailing CR LF aside), and whether it
// is blank.
bool IsHexLine(const std::string &line);
bool IsBlankLine(const std::string &line);
// A version text such as "1.0.0" (digits in dot-separated groups), which heads a vendor library:
// not a material, and not a fault either.
bool IsVersionLine(const std::string &line);
