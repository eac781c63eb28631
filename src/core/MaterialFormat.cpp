#include "MaterialFormat.h"

#include "JsonArena.h"
#include "base/cfutility.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <new>
#include <sstream>
#include <strings.h>
#include <unordered_map>

namespace {
enum class Kind { Int, Float, FloatArray, IntArray, Text };

using M = CPrintMaterial;
using S = PrintSetData;

struct RecordKey
{
    const char *name;
    Kind kind;
    void *(*field)(M &);
    size_t size; // Text: the field's size
};

struct SetKey
{
    const char *name;
    Kind kind;
    void *(*field)(S &);
};

// In the order of writing: "m1", "m2", "b1" to "b14"; "group" follows them.
const RecordKey kRecordKeys[] = {
    {"m1", Kind::Text, [](M &m) -> void * { return m.m_szPwMD5; }, sizeof(M::m_szPwMD5)},
    {"m2", Kind::Int, [](M &m) -> void * { return &m.m_nCreateDay; }, 0},
    {"b1", Kind::Int, [](M &m) -> void * { return &m.m_nMatID; }, 0},
    {"b2", Kind::Text, [](M &m) -> void * { return m.m_szName; }, sizeof(M::m_szName)},
    {"b3", Kind::Text, [](M &m) -> void * { return m.m_szManu; }, sizeof(M::m_szManu)},
    {"b4", Kind::Int, [](M &m) -> void * { return &m.m_nPrintTemp; }, 0},
    {"b5", Kind::Int, [](M &m) -> void * { return &m.m_nPlatTemp; }, 0},
    {"b6", Kind::Int, [](M &m) -> void * { return &m.m_nPlatTemp2; }, 0},
    {"b7", Kind::Float, [](M &m) -> void * { return &m.m_fFilaDia; }, 0},
    {"b8", Kind::Float, [](M &m) -> void * { return &m.m_fDensity; }, 0},
    {"b9", Kind::FloatArray, [](M &m) -> void * { return m.m_fShrink; }, 0},
    {"b10", Kind::Float, [](M &m) -> void * { return &m.m_fDiaFactor; }, 0},
    {"b11", Kind::Int, [](M &m) -> void * { return &m.m_nB11; }, 0},
    {"b12", Kind::Float, [](M &m) -> void * { return &m.m_fB12; }, 0},
    {"b13", Kind::Float, [](M &m) -> void * { return &m.m_fB13; }, 0},
    {"b14", Kind::Float, [](M &m) -> void * { return &m.m_fB14; }, 0},
};
constexpr int kRecordKeyCount = int(sizeof(kRecordKeys) / sizeof(kRecordKeys[0]));
constexpr int kGroupKey = kRecordKeyCount; // index of "group" among the looked-up members
constexpr int kNameKey = 3;
constexpr int kManuKey = 4;

// "p1" to "p28" in numeric order.
const SetKey kSetKeys[] = {
    {"p1", Kind::Int, [](S &s) -> void * { return &s.nPrinterType; }},
    {"p2", Kind::Float, [](S &s) -> void * { return &s.fNozzleDia; }},
    {"p3", Kind::Float, [](S &s) -> void * { return &s.fLayerThick; }},
    {"p4", Kind::Int, [](S &s) -> void * { return &s.nQuality; }},
    {"p5", Kind::Float, [](S &s) -> void * { return &s.fP5; }},
    {"p6", Kind::Int, [](S &s) -> void * { return &s.nBasicTemp; }},
    {"p7", Kind::Int, [](S &s) -> void * { return &s.nRaftTemp; }},
    {"p8", Kind::Int, [](S &s) -> void * { return &s.nPlatTemp; }},
    {"p9", Kind::Int, [](S &s) -> void * { return &s.nWithdraw; }},
    {"p10", Kind::Int, [](S &s) -> void * { return &s.nPeelRatio; }},
    {"p11", Kind::FloatArray, [](S &s) -> void * { return s.fWidth; }},
    {"p12", Kind::FloatArray, [](S &s) -> void * { return s.fSpeed; }},
    {"p13", Kind::FloatArray, [](S &s) -> void * { return s.fExtrude; }},
    {"p14", Kind::IntArray, [](S &s) -> void * { return s.nTempBias; }},
    {"p15", Kind::FloatArray, [](S &s) -> void * { return s.fAcc; }},
    {"p16", Kind::Float, [](S &s) -> void * { return &s.fOverlap; }},
    {"p17", Kind::Float, [](S &s) -> void * { return &s.fP17; }},
    {"p18", Kind::Float, [](S &s) -> void * { return &s.fCornerRadius; }},
    {"p19", Kind::Float, [](S &s) -> void * { return &s.fCornerAngle; }},
    {"p20", Kind::Float, [](S &s) -> void * { return &s.fBottomWidth; }},
    {"p21", Kind::Float, [](S &s) -> void * { return &s.fBottomFeed; }},
    {"p22", Kind::Float, [](S &s) -> void * { return &s.fJointSize; }},
    {"p23", Kind::Float, [](S &s) -> void * { return &s.fP23; }},
    {"p24", Kind::Float, [](S &s) -> void * { return &s.fP24; }},
    {"p25", Kind::Float, [](S &s) -> void * { return &s.fP25; }},
    {"p26", Kind::Int, [](S &s) -> void * { return &s.nOffsetTimes; }},
    {"p27", Kind::Float, [](S &s) -> void * { return &s.fTolerance; }},
    {"p28", Kind::Float, [](S &s) -> void * { return &s.fRaftSpeed; }},
};
constexpr int kSetKeyCount = int(sizeof(kSetKeys) / sizeof(kSetKeys[0]));

// The number of a key such as "p12" or "B4" (letter case ignored), or -1. Keys are matched as
// whole texts, so "p012" or "p1 " are not keys.
int keyNumber(const char *name, char letter, int max)
{
    if (!name || (name[0] | 0x20) != letter || name[1] < '1' || name[1] > '9')
        return -1;
    int value = 0;
    for (const char *c = name + 1; *c; ++c) {
        if (*c < '0' || *c > '9' || value > max)
            return -1;
        value = value * 10 + (*c - '0');
    }
    return value <= max ? value : -1;
}

int recordKeyIndex(const char *name)
{
    if (!name)
        return -1;
    if (strcasecmp(name, "group") == 0)
        return kGroupKey;
    if (strcasecmp(name, "m1") == 0)
        return 0;
    if (strcasecmp(name, "m2") == 0)
        return 1;
    const int b = keyNumber(name, 'b', 14);
    return b > 0 ? b + 1 : -1; // "b1" is the third record key
}

int32_t readInt(const cJSON *item)
{
    if (cJSON_IsNumber(item))
        return ToInt32Saturated(item->valuedouble);
    return cJSON_IsTrue(item) ? 1 : 0;
}

// A number beyond the float range is held at the largest float of its sign: as infinity it would be
// written as null and come back as 0, so the value would change with every save.
float readFloat(const cJSON *item)
{
    if (!cJSON_IsNumber(item))
        return 0.0f;
    const double value = item->valuedouble;
    if (value > double(FLT_MAX))
        return FLT_MAX;
    if (value < -double(FLT_MAX))
        return -FLT_MAX;
    return float(value);
}

void readField(Kind kind, const cJSON *item, void *field, size_t textSize)
{
    switch (kind) {
    case Kind::Int:
        *static_cast<int32_t *>(field) = readInt(item);
        break;
    case Kind::Float:
        *static_cast<float *>(field) = readFloat(item);
        break;
    case Kind::FloatArray:
    case Kind::IntArray: {
        if (!cJSON_IsArray(item))
            break;
        int i = 0;
        for (const cJSON *element = item->child; element && i < 3; element = element->next, ++i) {
            if (kind == Kind::FloatArray)
                static_cast<float *>(field)[i] = readFloat(element);
            else
                static_cast<int32_t *>(field)[i] = readInt(element);
        }
        break;
    }
    case Kind::Text: {
        char *text = static_cast<char *>(field);
        std::memset(text, 0, textSize);
        if (cJSON_IsString(item) && item->valuestring)
            std::strncpy(text, item->valuestring, 32); // at most 32 bytes of text
        break;
    }
    }
}

} // namespace

void AppendJsonText(std::string &out, const char *text)
{
    out += '"';
    for (const char *c = text; *c; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\u%04x", byte);
                out += escape;
            } else {
                out += char(byte);
            }
        }
    }
    out += '"';
}

namespace {
// Appends the JSON text of one field as cJSON prints it unformatted, with exact numbers.
class JsonWriter
{
public:
    explicit JsonWriter(std::string &out) : m_out(out) {}

    void key(const char *name)
    {
        m_out += '"';
        m_out += name;
        m_out += "\":";
    }
    void integer(int32_t value)
    {
        char buffer[16];
        m_out.append(buffer, std::to_chars(buffer, buffer + sizeof(buffer), value).ptr);
    }
    void number(float value) { AppendJsonNumber(m_out, double(value)); }
    void text(const char *value) { AppendJsonText(m_out, value); }
    void field(Kind kind, void *field)
    {
        switch (kind) {
        case Kind::Int:
            integer(*static_cast<int32_t *>(field));
            break;
        case Kind::Float:
            number(*static_cast<float *>(field));
            break;
        case Kind::FloatArray:
        case Kind::IntArray:
            m_out += '[';
            for (int i = 0; i < 3; ++i) {
                if (i)
                    m_out += ',';
                if (kind == Kind::FloatArray)
                    number(static_cast<float *>(field)[i]);
                else
                    integer(static_cast<int32_t *>(field)[i]);
            }
            m_out += ']';
            break;
        case Kind::Text:
            text(static_cast<char *>(field));
            break;
        }
    }

private:
    std::string &m_out;
};

// Where the print sets of a record being read lie by their key, so that each set read finds the
// one it replaces without walking the list, and a material of many sets is read in linear time.
// Two keys match only within 0.01 of nozzle and 0.001 of layer, so a match lies in one of the
// cells around a key; the match chosen is still the first in list order.
class SetKeyIndex
{
public:
    using Position = std::list<PrintSetData>::iterator;

    explicit SetKeyIndex(std::list<PrintSetData> &sets) : m_sets(sets)
    {
        for (auto it = sets.begin(); it != sets.end(); ++it)
            add(it, m_next++);
    }

    // The first set that a new set of this key replaces, or the end of the list.
    Position firstMatch(const PrintSetData &key)
    {
        Entry best{m_sets.end(), 0};
        visit(key, [&](const Entry &entry) {
            if ((best.position == m_sets.end() || entry.order < best.order) &&
                SameSetKey(*entry.position, key))
                best = entry;
        });
        return best.position;
    }

    // Overwrites the set with a new one of a matching key, then removes the later sets that the
    // new key matches.
    void replace(Position position, const PrintSetData &set)
    {
        const size_t order = remove(position);
        *position = set;
        add(position, order);
        std::vector<Position> later;
        visit(set, [&](const Entry &entry) {
            if (entry.order > order && SameSetKey(*entry.position, set))
                later.push_back(entry.position);
        });
        for (const Position &it : later) {
            remove(it);
            m_sets.erase(it);
        }
    }

    void append(const PrintSetData &set)
    {
        m_sets.push_back(set);
        add(std::prev(m_sets.end()), m_next++);
    }

private:
    struct Entry
    {
        Position position;
        size_t order; // place in the list
    };
    struct Cell
    {
        int32_t type;
        int32_t quality;
        int64_t nozzle;
        int64_t layer;
        bool operator==(const Cell &o) const
        {
            return type == o.type && quality == o.quality && nozzle == o.nozzle && layer == o.layer;
        }
    };
    struct CellHash
    {
        size_t operator()(const Cell &c) const
        {
            return std::hash<int64_t>()((int64_t(c.type) * 31 + c.quality) * 1000003 + c.nozzle * 7919 +
                                        c.layer);
        }
    };

    static Cell cellOf(const PrintSetData &s)
    {
        return {s.nPrinterType, s.nQuality, int64_t(std::floor(double(s.fNozzleDia) / kNozzleTolerance)),
                int64_t(std::floor(double(s.fLayerThick) / kLayerTolerance))};
    }
    // Every entry in the cells around the key: two on each side, which a match within the
    // tolerance cannot leave even where rounding puts it on a cell's edge.
    template <typename Visit> void visit(const PrintSetData &key, Visit each)
    {
        const Cell centre = cellOf(key);
        for (int64_t n = -2; n <= 2; ++n) {
            for (int64_t l = -2; l <= 2; ++l) {
                const auto found =
                    m_cells.find({centre.type, centre.quality, centre.nozzle + n, centre.layer + l});
                if (found == m_cells.end())
                    continue;
                for (const Entry &entry : found->second)
                    each(entry);
            }
        }
    }
    void add(Position position, size_t order) { m_cells[cellOf(*position)].push_back({position, order}); }
    size_t remove(Position position)
    {
        std::vector<Entry> &cell = m_cells[cellOf(*position)];
        const auto at =
            std::find_if(cell.begin(), cell.end(), [&](const Entry &e) { return e.position == position; });
        const size_t order = at->order;
        cell.erase(at);
        return order;
    }

    std::list<PrintSetData> &m_sets;
    std::unordered_map<Cell, std::vector<Entry>, CellHash> m_cells;
    size_t m_next = 0;
};

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

PrintSetData readSet(const cJSON *element)
{
    PrintSetData set;
    if (!cJSON_IsObject(element))
        return set;
    const cJSON *found[kSetKeyCount] = {};
    for (const cJSON *member = element->child; member; member = member->next) {
        const int n = keyNumber(member->string, 'p', kSetKeyCount);
        if (n > 0 && !found[n - 1])
            found[n - 1] = member; // the first of two members with one name counts
    }
    for (int k = 0; k < kSetKeyCount; ++k) {
        if (found[k])
            readField(kSetKeys[k].kind, found[k], kSetKeys[k].field(set), 0);
    }
    return set;
}
} // namespace

void AppendJsonNumber(std::string &out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[64];
    // Whole numbers below 10^15 (most temperatures, speeds and counts) print as integers.
    if (value == std::trunc(value) && std::fabs(value) < 1e15 && !(value == 0 && std::signbit(value))) {
        out.append(buffer, std::to_chars(buffer, buffer + sizeof(buffer), static_cast<long long>(value)).ptr);
        return;
    }
    // The shortest digits that read back exactly. When there are at most 15 of them, they are
    // what "%1.15g" prints; otherwise 15 digits cannot read back and "%1.17g" is the text. With
    // 17 shortest digits those are the correctly rounded 17 that printf gives; with 16 they are
    // not, and the library formats the 17.
    const char *end =
        std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::scientific).ptr;
    const char *p = buffer;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    char digits[24];
    size_t count = 0;
    for (; p < end && *p != 'e'; ++p) {
        if (*p != '.')
            digits[count++] = *p;
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
    if (count == 16) {
        out.append(buffer,
                   std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, 17).ptr);
        return;
    }

    // Lay the digits out as printf's %g does.
    const int precision = count > 15 ? 17 : 15;
    if (negative)
        out += '-';
    if (exponent < -4 || exponent >= precision) {
        out += digits[0];
        if (count > 1) {
            out += '.';
            out.append(digits + 1, count - 1);
        }
        char exp[16];
        std::snprintf(exp, sizeof(exp), "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += exp;
    } else if (exponent >= 0) {
        const size_t whole = size_t(exponent) + 1;
        if (count <= whole) {
            out.append(digits, count);
            out.append(whole - count, '0');
        } else {
            out.append(digits, whole);
            out += '.';
            out.append(digits + whole, count - whole);
        }
    } else {
        out += "0.";
        out.append(size_t(-exponent - 1), '0');
        out.append(digits, count);
    }
}

std::string FormatJsonNumber(double value)
{
    std::string text;
    AppendJsonNumber(text, value);
    return text;
}

std::string MaterialJsonText(const CPrintMaterial &material)
{
    CPrintMaterial &mat = const_cast<CPrintMaterial &>(material); // the accessors are not const
    std::string out;
    out.reserve(400 + 700 * mat.m_lstSets.size());
    JsonWriter json(out);
    out += '{';
    for (const RecordKey &key : kRecordKeys) {
        json.key(key.name);
        json.field(key.kind, key.field(mat));
        out += ',';
    }
    json.key("group");
    out += '[';
    bool first = true;
    for (PrintSetData &set : mat.m_lstSets) {
        out += first ? "{" : ",{";
        first = false;
        for (int k = 0; k < kSetKeyCount; ++k) {
            if (k)
                out += ',';
            json.key(kSetKeys[k].name);
            json.field(kSetKeys[k].kind, kSetKeys[k].field(set));
        }
        out += '}';
    }
    out += "]}";
    return out;
}

int CPrintMaterial::ToJson(std::string &out)
{
    UpdateDerived();
    out = MaterialJsonText(*this);
    return 0;
}

int CPrintMaterial::FromJson(const char *text, MaterialDecodeReport *report)
{
    return FromJson(text, text ? std::strlen(text) : 0, report);
}

namespace {
// The record's members of a JSON object, the first of each key (letter case aside) counting;
// "group" last. Texts are taken only when both name and manufacturer are texts.
void readRecordMembers(const cJSON *root, CPrintMaterial &mat, MaterialDecodeReport &r,
                       const cJSON *(&found)[kRecordKeyCount + 1])
{
    for (const cJSON *member = cJSON_IsObject(root) ? root->child : nullptr; member; member = member->next) {
        const int k = recordKeyIndex(member->string);
        if (k >= 0 && !found[k])
            found[k] = member;
    }
    r.nameMissing = !cJSON_IsString(found[kNameKey]);
    r.manuMissing = !cJSON_IsString(found[kManuKey]);
    const bool named = !r.nameMissing && !r.manuMissing;
    for (int k = 0; k < kRecordKeyCount; ++k) {
        if (!found[k] || ((k == kNameKey || k == kManuKey) && !named))
            continue;
        readField(kRecordKeys[k].kind, found[k], kRecordKeys[k].field(mat), kRecordKeys[k].size);
    }
}

// The print sets of "group", as AddOrReplaceSet would take them with the record's own lock text.
// Every set kept must read back as it is once saved. So a key that the catalogue refuses, or a
// negative quality, is dropped even where it would replace a set (a negative nozzle, layer or
// quality is a wildcard there), and the layer is rounded as the writer rounds it, so that sets
// pair up now as they will when the saved file is read; the replaced set may then have the key
// of a later one, which would replace it when the saved file is read: the set read last wins
// already now.
void readGroup(const cJSON *group, std::list<PrintSetData> &sets, MaterialDecodeReport *report)
{
    SetKeyIndex keys(sets);
    int index = 0;
    for (const cJSON *element = group->child; element; element = element->next, ++index) {
        PrintSetData set = readSet(element);
        SetValidity validity = CPrintMaterial::CheckSet(set);
        if (validity == SetValidity::Valid && set.nQuality < 0)
            validity = SetValidity::QualityNegative;
        if (validity != SetValidity::Valid) {
            if (report)
                report->droppedSets.push_back({index, -2, validity, set});
            continue;
        }
        set.fLayerThick = RoundLayerThick(set.fLayerThick);
        const SetKeyIndex::Position match = keys.firstMatch(set);
        if (match != sets.end())
            keys.replace(match, set);
        else
            keys.append(set);
    }
}
} // namespace

int CPrintMaterial::FromJson(const char *text, size_t length, MaterialDecodeReport *report)
{
    MaterialDecodeReport local;
    MaterialDecodeReport &r = report ? *report : local;
    r = MaterialDecodeReport();
    if (!text) {
        r.refusal = MaterialDecodeReport::Refusal::NotJson;
        return 0;
    }
    const char *start = text;
    if (length >= 3 && std::strncmp(text, "\xEF\xBB\xBF", 3) == 0) {
        text += 3;
        length -= 3;
    }
    const char *end = nullptr;
    const JsonArena::Scope arena; // the tree is released with it
    // The length counts the NUL after the text, as cJSON_ParseWithOpts counts it.
    const cJSON *const root = cJSON_ParseWithLengthOpts(text, length + 1, &end, false);
    if (!root) {
        r.refusal = MaterialDecodeReport::Refusal::NotJson;
        return 0;
    }
    r.parsedLength = size_t(end - start);
    const cJSON *found[kRecordKeyCount + 1] = {};
    readRecordMembers(root, *this, r, found);
    const cJSON *group = found[kGroupKey];
    if (!cJSON_IsObject(root) || !cJSON_IsArray(group)) {
        r.refusal = !cJSON_IsObject(root) ? MaterialDecodeReport::Refusal::NotObject
                    : group               ? MaterialDecodeReport::Refusal::GroupNotArray
                                          : MaterialDecodeReport::Refusal::NoGroup;
        return 0;
    }
    readGroup(group, m_lstSets, report);
    if (r.nameMissing || r.manuMissing) {
        r.refusal = MaterialDecodeReport::Refusal::NoNameOrManu;
        return 0;
    }
    return 1;
}

std::string MaterialDecodeReport::Reason() const
{
    switch (refusal) {
    case Refusal::None:
        return std::string();
    case Refusal::NotJson:
        return "not JSON";
    case Refusal::NotObject:
        return "not a JSON object";
    case Refusal::NoGroup:
        return "no \"group\"";
    case Refusal::GroupNotArray:
        return "\"group\" is not an array";
    case Refusal::NoNameOrManu:
        break;
    }
    if (nameMissing && manuMissing)
        return "\"b2\" and \"b3\" missing";
    return nameMissing ? "\"b2\" missing" : "\"b3\" missing";
}

std::string MaterialDecodeReport::DescribeDroppedSet(const DroppedSet &dropped)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    const PrintSetData &s = dropped.set;
    text << "print set " << dropped.index + 1 << " (printer " << s.nPrinterType << ", nozzle " << s.fNozzleDia
         << ", layer " << s.fLayerThick << ", quality " << s.nQuality << "): ";
    if (dropped.result == -1)
        text << "the lock text does not match";
    else if (dropped.validity == SetValidity::QualityNegative)
        text << "quality " << s.nQuality << " is negative, which would stand for every quality";
    else if (dropped.validity == SetValidity::NozzleNotOffered)
        text << "nozzle " << s.fNozzleDia << " is not offered for printer type " << s.nPrinterType;
    else
        text << "layer " << s.fLayerThick << " is not offered for nozzle " << s.fNozzleDia
             << " on printer type " << s.nPrinterType;
    return text.str();
}

bool DecodeMaterial(const char *text, CPrintMaterial &out, MaterialDecodeReport *report)
{
    return DecodeMaterial(text, text ? std::strlen(text) : 0, out, report);
}

bool DecodeMaterial(const char *text, size_t length, CPrintMaterial &out, MaterialDecodeReport *report)
{
    if (out.FromJson(text, length, report) != 1)
        return false;
    if (out.m_nCreateDay == -1000)
        out.m_nCreateDay = 0;
    return true;
}

int ParseMaterials(const std::vector<std::string> &texts, std::vector<CPrintMaterial> &out)
{
    int appended = 0;
    for (const std::string &text : texts) {
        CPrintMaterial mat;
        if (DecodeMaterial(text.c_str(), mat)) {
            out.push_back(mat);
            ++appended;
        }
    }
    return appended;
}

void DecodeMaterialsOfLine(const std::string &line, const MaterialOfLine &each)
{
    const std::string text = DecodeMaterialLine(line);
    // The text ends at its first NUL, as a C string would; each value is parsed within what is left
    // of it, so nothing is measured twice and a line of many values is read in linear time.
    const size_t end = std::strlen(text.c_str());
    size_t at = 0;
    do {
        CPrintMaterial mat;
        MaterialDecodeReport report;
        const bool accepted = DecodeMaterial(text.c_str() + at, end - at, mat, &report);
        each(mat, report, accepted);
        if (report.parsedLength == 0)
            break; // not JSON: where a next value would start is unknown
        at += report.parsedLength;
        // The whitespace that the parser skips; what is left is the next material's text.
        while (at < end && static_cast<unsigned char>(text[at]) <= ' ')
            ++at;
    } while (at < end);
}

std::string DecodeMaterialLine(const std::string &line)
{
    // The line end and any other character that is not a hex digit would be skipped anyway; the
    // last hex digit stays, whatever the length. Without them, most lines decode on the fast path.
    size_t size = line.size();
    while (size > 0 && !isHexDigit(line[size - 1]))
        --size;
    return HexToString(line.data(), size);
}

std::string RefusedLine::Describe(const std::string &reason) const
{
    if (oversized)
        return "longer than " + std::to_string(kMaxMaterialLineLength >> 20) + " MB";
    if (outOfMemory)
        return "too large for the memory available";
    if (values <= 1)
        return reason;
    return std::to_string(values) + " values that are not materials, the first: " + reason;
}

namespace {
LineReader::Options materialFileOptions()
{
    LineReader::Options options;
    options.loneCarriageReturnEndsLine = true;
    options.maxLineLength = kMaxMaterialLineLength;
    return options;
}

MaterialFileReadResult readMaterialLines(LineReader &reader, const MaterialFileVisitor &visit)
{
    MaterialFileReadResult result;
    result.opened = reader.IsOpen();
    std::string line;
    size_t bytesRead = 0;
    while (true) {
        if (visit.goOn && !visit.goOn(bytesRead)) {
            result.stopped = true;
            break;
        }
        if (!reader.Next(line))
            break;
        bytesRead += reader.Length() + 1; // with its line end, near enough for a progress
        RefusedLine refused;
        refused.number = ++result.lines;
        if (reader.Oversized()) {
            refused.oversized = !reader.OutOfMemory();
            refused.outOfMemory = reader.OutOfMemory();
            refused.values = 1;
            visit.onRefusedLine(refused, line);
            continue;
        }
        if (refused.number == 1 && IsVersionLine(line))
            continue; // a vendor library's head: nothing was lost
        // What the line holds that is not a material is said once for the whole line, however
        // many values it holds.
        try {
            DecodeMaterialsOfLine(
                line, [&](CPrintMaterial &mat, const MaterialDecodeReport &report, bool accepted) {
                    if (accepted)
                        visit.onMaterial(refused.number, mat, report);
                    else if (refused.values++ == 0)
                        refused.reason = report.Reason();
                });
        } catch (const std::bad_alloc &) {
            refused.outOfMemory = true;
        }
        if (refused.values > 0 || refused.outOfMemory)
            visit.onRefusedLine(refused, line);
    }
    result.error = reader.Error();
    return result;
}
} // namespace

MaterialFileReadResult ReadMaterialFile(const std::string &path, const MaterialFileVisitor &visit)
{
    LineReader reader(path, materialFileOptions());
    return readMaterialLines(reader, visit);
}

MaterialFileReadResult ReadMaterialFile(std::FILE *file, const MaterialFileVisitor &visit)
{
    LineReader reader(file, materialFileOptions());
    return readMaterialLines(reader, visit);
}

std::string EncodeMaterialLine(CPrintMaterial &mat)
{
    std::string json;
    mat.ToJson(json);
    std::string line = StringToHex(json);
    line += '\n';
    return line;
}

namespace {
size_t lengthWithoutLineEnd(const std::string &line)
{
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r'))
        --end;
    return end;
}
} // namespace

bool IsHexLine(const std::string &line)
{
    const size_t end = lengthWithoutLineEnd(line);
    for (size_t i = 0; i < end; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(line[i])))
            return false;
    }
    return true;
}

bool IsVersionLine(const std::string &line)
{
    size_t begin = 0;
    size_t end = line.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(line[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(line[end - 1])))
        --end;
    if (begin == end)
        return false;
    bool digitBefore = false; // every dot stands between digits
    for (size_t i = begin; i < end; ++i) {
        const char c = line[i];
        if (c == '.' && digitBefore && i + 1 < end)
            digitBefore = false;
        else if (c >= '0' && c <= '9')
            digitBefore = true;
        else
            return false;
    }
    return digitBefore;
}

bool IsBlankLine(const std::string &line)
{
    for (const char c : line) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

std::string PrettyJson(const std::string &compact)
{
    std::string out;
    out.reserve(compact.size() * 2);
    std::vector<char> open; // '{' or '[' for each level
    bool inString = false;
    auto newline = [&out, &open]() {
        out += '\n';
        out.append(size_t(std::count(open.begin(), open.end(), '{')), '\t');
    };
    for (size_t i = 0; i < compact.size(); ++i) {
        const char c = compact[i];
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < compact.size())
                out += compact[++i];
            else if (c == '"')
                inString = false;
            continue;
        }
        const char next = i + 1 < compact.size() ? compact[i + 1] : '\0';
        switch (c) {
        case '"':
            inString = true;
            out += c;
            break;
        case '{':
        case '[':
            out += c;
            if ((c == '{' && next == '}') || (c == '[' && next == ']')) {
                out += next;
                ++i;
                break;
            }
            open.push_back(c);
            if (c == '{')
                newline();
            break;
        case '}':
        case ']':
            if (!open.empty())
                open.pop_back();
            if (c == '}')
                newline();
            out += c;
            break;
        case ',':
            out += ',';
            if (!open.empty() && open.back() == '{')
                newline();
            else
                out += ' ';
            break;
        case ':':
            out += ": ";
            break;
        default:
            out += c;
        }
    }
    return out;
}
