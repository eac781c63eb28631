#pragma once

#include "PrintMaterial.h"

#include <cjson/cJSON.h>

#include <cstdio>
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
        int index;            // position in "group", from 0
        int result;           // what AddOrReplaceSet returned (-1 or -2)
        SetValidity validity; // why the catalogue refused the key
        PrintSetData set;
    };

    Refusal refusal = Refusal::None;
    size_t parsedLength = 0;  // bytes of the text up to the end of its JSON value; 0 when not JSON
    bool nameMissing = false; // "b2" absent or not a string
    bool manuMissing = false; // "b3" absent or not a string
    std::vector<DroppedSet> droppedSets;

    // Empty when accepted, otherwise a short English reason ("no \"group\"").
    std::string Reason() const;
    static std::string DescribeDroppedSet(const DroppedSet &dropped);
};

// A number as the file writes it: 15 significant digits if they read back exactly, otherwise 17;
// "null" for a value that is not finite. "." is the decimal point whatever the locale.
std::string FormatJsonNumber(double value);
void AppendJsonNumber(std::string &out, double value);

// A text as a JSON string, as the file writes names: quote, backslash and control characters
// escaped, bytes from 0x80 written unchanged.
void AppendJsonText(std::string &out, const char *text);

// The record's compact JSON text with its derived fields as they stand (ToJson updates them
// first): members in the file's order, no whitespace, strings escaped as JSON requires.
std::string MaterialJsonText(const CPrintMaterial &mat);

// The same text laid out for people: one member per line, indented by tabs.
std::string PrettyJson(const std::string &compact);

// Decodes one JSON text into a fresh record as a list reader does: FromJson, then a creation
// day of -1000 reads as 0. True when the material is accepted.
bool DecodeMaterial(const char *text, CPrintMaterial &out, MaterialDecodeReport *report = nullptr);
// The same for a text of known length, followed by a NUL byte.
bool DecodeMaterial(const char *text, size_t length, CPrintMaterial &out,
                    MaterialDecodeReport *report = nullptr);

// Decodes each text in order and appends the accepted records; returns the number appended.
int ParseMaterials(const std::vector<std::string> &texts, std::vector<CPrintMaterial> &out);

// Decodes each material that one line of a file holds, in order, and hands it to the callback with
// its report and whether it was accepted. A line holds one; lines whose line feeds were lost (lone
// carriage returns, a file without its last line feed followed by another) hold several, each
// text starting where the JSON value before it ended.
using MaterialOfLine =
    std::function<void(CPrintMaterial &mat, const MaterialDecodeReport &report, bool accepted)>;
void DecodeMaterialsOfLine(const std::string &line, const MaterialOfLine &each);

// One line as read from a file (with or without its line end) to the JSON text it holds: characters
// that are not hex digits (the line end among them) are skipped, and the digits are paired from the
// end as HexToString pairs them. No hex digit is dropped, whatever the length of the line.
std::string DecodeMaterialLine(const std::string &line);

// Lines longer than this are refused unread: no material comes near it, and holding one would
// take memory without bound.
constexpr size_t kMaxMaterialLineLength = size_t(64) << 20;

// A line of a material file that held something other than materials.
struct RefusedLine
{
    size_t number = 0;        // from 1
    size_t values = 0;        // the values on it that are not materials
    std::string reason;       // why the first of them is not (MaterialDecodeReport::Reason)
    bool oversized = false;   // longer than kMaxMaterialLineLength: not read
    bool outOfMemory = false; // could not be held or decoded in the memory available

    // What a report says of the line, given the reason of its first value ("not JSON"); a count
    // where it held several.
    std::string Describe(const std::string &firstReason) const;
};

struct MaterialFileVisitor
{
    // Each accepted material, with the print sets it lost.
    std::function<void(size_t lineNumber, CPrintMaterial &mat, const MaterialDecodeReport &report)>
        onMaterial;
    // Each line with something that is not a material, once per line, with the line as read.
    std::function<void(const RefusedLine &refused, const std::string &line)> onRefusedLine;
    // Asked before each line with the bytes read so far, when set: false ends the reading there.
    std::function<bool(size_t bytesRead)> goOn;
};

struct MaterialFileReadResult
{
    bool opened = false;
    // errno of a failed open or read, or why an input that is not a regular file was not read to
    // its end (a ReadError of LineReader: no writer, too large, a line that does not end); ErrorText
    // names either. 0 when the file was read to its end.
    int error = 0;
    size_t lines = 0;     // lines read, a version text included
    bool stopped = false; // ended early, as goOn asked
};

// Reads a material file as the editor and the tool read it: a line ends at a line feed, a carriage
// return and line feed, or a lone carriage return; a version text on line 1 is skipped; each line
// is decoded as DecodeMaterialsOfLine does. Memory is bounded by the longest line that is read
// (at most kMaxMaterialLineLength); a line that cannot be held or decoded in the memory there is
// is refused, not fatal. An input that is not a regular file is bounded in time and length as
// LineReader bounds it.
MaterialFileReadResult ReadMaterialFile(const std::string &path, const MaterialFileVisitor &visit);
// The same from an open stream (standard input), which stays the caller's.
MaterialFileReadResult ReadMaterialFile(std::FILE *file, const MaterialFileVisitor &visit);

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
