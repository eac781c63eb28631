#include "CvxCommands.h"

#include "JsonInput.h"
#include "OutputBuffer.h"
#include "ReadableJson.h"
#include "base/cfutility.h"
#include "core/MaterialAdvice.h"
#include "core/MaterialDiff.h"
#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"
#include "core/ParamItem.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

namespace cvx {
namespace {

void fail(const std::string &message)
{
    std::cerr << "corvane-cvx: " << message << std::endl;
}

bool checkInput(const std::string &file)
{
    if (file != "-" && QFileInfo(QString::fromLocal8Bit(file.c_str())).isDir()) {
        fail(file + ": is a directory");
        return false;
    }
    return true;
}

// A reader of FILE, "-" standing for standard input.
std::unique_ptr<LineReader> openInput(const std::string &file, LineReader::Options options)
{
    if (file == "-")
        return std::make_unique<LineReader>(stdin, options);
    return std::make_unique<LineReader>(file, options);
}

// Names are bytes; keep the listing one line per material.
std::string printable(const char *text)
{
    std::string out(text);
    for (char &c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    }
    return out;
}

// Why a line of a material file is not a material, given why its first value is not.
std::string refusalReason(const std::string &line, const std::string &reason)
{
    if (IsBlankLine(line))
        return "empty line";
    if (!IsHexLine(line))
        return "not hexadecimal";
    return reason;
}

// Reads a material file line by line the way the library does, handing each accepted material
// (with the print sets it lost) and each line that is not, or not only, materials to the
// callbacks. Nothing is kept per line, so a file of any length is read in the memory of its
// longest line. A file that cannot be read to its end is an error: false, with a message.
bool readMaterialFile(
    const std::string &file,
    const std::function<void(size_t number, CPrintMaterial &mat, const MaterialDecodeReport &)> &onMaterial,
    const std::function<void(size_t number, const std::string &reason)> &onRefused)
{
    if (!checkInput(file))
        return false;
    MaterialFileVisitor visit;
    visit.onMaterial = onMaterial;
    // The line is classified once, however many values it holds.
    visit.onRefusedLine = [&](const RefusedLine &refused, const std::string &line) {
        onRefused(refused.number, refused.Describe(refusalReason(line, refused.reason)));
    };
    const MaterialFileReadResult read =
        file == "-" ? ReadMaterialFile(stdin, visit) : ReadMaterialFile(file, visit);
    if (!read.opened)
        fail(file + ": cannot open: " + ErrorText(read.error));
    else if (read.error)
        fail(file + ": cannot read: " + ErrorText(read.error));
    return read.opened && !read.error;
}

// Refusals of list, decode and diff go to standard error, one line each; diff names the file.
struct ErrorReport
{
    std::string prefix;
    int count = 0;
    void refusedLine(size_t number, const std::string &reason)
    {
        std::cerr << prefix << "line " << number << ": " << reason << '\n';
        ++count;
    }
    void droppedSets(size_t number, const MaterialDecodeReport &report)
    {
        for (const auto &dropped : report.droppedSets) {
            std::cerr << prefix << "line " << number << ": "
                      << MaterialDecodeReport::DescribeDroppedSet(dropped) << '\n';
            ++count;
        }
    }
};

// Where a JSON text stops being JSON, as an offset into it.
size_t syntaxErrorOffset(const std::string &text)
{
    const char *end = nullptr;
    cJSON_Delete(cJSON_ParseWithLengthOpts(text.c_str(), text.size() + 1, &end, true));
    return end ? size_t(end - text.c_str()) : 0;
}

} // namespace

int Finish(int status)
{
    std::cout.flush();
    const auto *buffer = dynamic_cast<const OutputBuffer *>(std::cout.rdbuf());
    const int error = buffer ? buffer->Error() : (std::cout ? 0 : EIO);
    if (error) {
        fail("cannot write standard output: " + ErrorText(error));
        return Failed;
    }
    return status;
}

int List(const std::string &file)
{
    ErrorReport errors;
    const bool read = readMaterialFile(
        file,
        [&](size_t number, CPrintMaterial &m, const MaterialDecodeReport &report) {
            std::cout << m.m_nMatID << '\t' << printable(m.m_szName) << '\t' << printable(m.m_szManu) << '\t'
                      << (m.m_szPwMD5[0] ? "locked" : "unlocked") << '\t' << m.m_lstSets.size() << '\n';
            errors.droppedSets(number, report);
        },
        [&](size_t number, const std::string &reason) { errors.refusedLine(number, reason); });
    if (!read)
        return Failed;
    return Finish(errors.count ? Reported : Clean);
}

int Decode(const std::string &file, bool compact, bool readable)
{
    ErrorReport errors;
    std::string array = "[";
    const bool read = readMaterialFile(
        file,
        [&](size_t number, CPrintMaterial &mat, const MaterialDecodeReport &report) {
            std::string json;
            if (readable)
                json = ReadableMaterialJson(mat);
            else
                mat.ToJson(json);
            if (compact) {
                json += '\n';
                std::cout << json;
            } else {
                array += array.size() > 1 ? "," : "";
                array += json;
            }
            errors.droppedSets(number, report);
        },
        [&](size_t number, const std::string &reason) { errors.refusedLine(number, reason); });
    if (!read)
        return Failed;
    if (!compact)
        std::cout << PrettyJson(array + "]") << '\n';
    return Finish(errors.count ? Reported : Clean);
}

namespace {
// One value of encode's input as a material: its line (empty when refused), what was refused of
// it, or where the array it belongs to stops being JSON.
struct Encoded
{
    std::string line;
    std::vector<std::string> refusals;
    std::string syntaxError;
};

Encoded encodeValue(const JsonInput::Value &value)
{
    Encoded out;
    if (value.oversized) {
        out.refusals.push_back("refused: longer than " + std::to_string(kMaxMaterialLineLength >> 20) +
                               " MB");
        return out;
    }
    CPrintMaterial mat;
    MaterialDecodeReport report;
    const bool decoded = DecodeMaterial(value.text.c_str(), value.text.size(), mat, &report);
    // One value to a line or an element: anything after it but white space is not JSON.
    size_t end = report.parsedLength;
    while (end < value.text.size() && static_cast<unsigned char>(value.text[end]) <= ' ')
        ++end;
    const bool notJson = report.refusal == MaterialDecodeReport::Refusal::NotJson;
    if (notJson || end < value.text.size()) {
        if (value.element)
            out.syntaxError = value.Where(notJson ? syntaxErrorOffset(value.text) : end) + ": not JSON";
        else
            out.refusals.push_back(notJson ? "refused: not JSON" : "refused: text after the JSON value");
        return out;
    }
    if (!decoded) {
        out.refusals.push_back("refused: " + report.Reason());
        return out;
    }
    for (const auto &dropped : report.droppedSets)
        out.refusals.push_back(MaterialDecodeReport::DescribeDroppedSet(dropped));
    out.line = EncodeMaterialLine(mat);
    return out;
}

} // namespace

int Encode(const std::string &input, const std::string &output)
{
    if (!checkInput(input))
        return Failed;
    LineReader::Options options;
    options.loneCarriageReturnEndsLine = true;
    options.maxLineLength = kMaxMaterialLineLength;
    const std::unique_ptr<LineReader> reader = openInput(input, options);
    if (!reader->IsOpen()) {
        fail(input + ": cannot open: " + ErrorText(reader->Error()));
        return Failed;
    }

    // Each material is written as it is accepted. The file is opened at the first one and
    // replaces OUTPUT only once the input was read whole and parsed.
    const bool toFile = output != "-";
    MaterialFileWriter writer(QString::fromLocal8Bit(output.c_str()));
    size_t accepted = 0;
    int refused = 0;
    bool written = true;
    std::string syntaxError;
    JsonInput json(*reader);
    for (JsonInput::Value value; written && json.Next(value);) {
        const Encoded encoded = encodeValue(value);
        for (const std::string &refusal : encoded.refusals) {
            std::cerr << value.Name() << ": " << refusal << '\n';
            ++refused;
        }
        if (!encoded.syntaxError.empty()) {
            syntaxError = encoded.syntaxError;
            break;
        }
        if (encoded.line.empty())
            continue;
        if (!toFile)
            std::cout << encoded.line;
        else
            written = (accepted > 0 || writer.Open()) && writer.WriteRaw(encoded.line);
        ++accepted;
    }

    if (!written) {
        fail(output + ": cannot write: " + writer.ErrorString().toStdString());
        return Failed;
    }
    if (reader->Error()) {
        fail(input + ": cannot read: " + ErrorText(reader->Error()));
        return Failed;
    }
    if (syntaxError.empty())
        syntaxError = json.SyntaxError();
    if (!syntaxError.empty())
        std::cerr << syntaxError << "; the array is refused\n";
    if (!syntaxError.empty() || accepted == 0) {
        if (toFile)
            fail(output + ": not written" + (syntaxError.empty() ? ": no material accepted" : ""));
        else if (syntaxError.empty())
            fail("no material accepted");
        return toFile ? Reported : Finish(Reported);
    }
    if (toFile && !writer.Commit()) {
        fail(output + ": cannot write: " + writer.ErrorString().toStdString());
        return Failed;
    }
    return toFile ? (refused ? Reported : Clean) : Finish(refused ? Reported : Clean);
}

namespace {
std::string label(const CPrintMaterial &m)
{
    return std::to_string(m.m_nMatID) + " " + printable(m.m_szName) + " / " + printable(m.m_szManu);
}
} // namespace

int Check(const std::string &file, bool advice)
{
    int materials = 0;
    int refusedLines = 0;
    int droppedSets = 0;
    int duplicates = 0;
    std::map<int32_t, size_t> lineOfId;
    const bool read = readMaterialFile(
        file,
        [&](size_t number, CPrintMaterial &mat, const MaterialDecodeReport &report) {
            ++materials;
            for (const auto &dropped : report.droppedSets) {
                std::cout << "line " << number << ": " << MaterialDecodeReport::DescribeDroppedSet(dropped)
                          << '\n';
                ++droppedSets;
            }
            const auto known = lineOfId.emplace(mat.m_nMatID, number);
            if (!known.second) {
                std::cout << "line " << number << ": material ID " << mat.m_nMatID << " duplicates line "
                          << known.first->second << '\n';
                ++duplicates;
            }
            if (!advice)
                return;
            const MaterialAdvice found(mat);
            for (const MaterialAdvice::Finding &f : found.Findings()) {
                const std::string unit = f.row >= 0 ? ParamCatalogue()[f.row].paramUnit.toStdString() : "mm";
                std::cout << "advice: " << label(mat) << ": print set " << DescribeSetKey(f.key) << ": "
                          << MaterialAdvice::ValueName(f).toStdString() << ": "
                          << MaterialAdvice::Reason(f).toStdString() << "; suggested "
                          << QString::number(RoundShownValue(f.suggested), 'g', 10).toStdString() << ' '
                          << unit << '\n';
            }
        },
        [&](size_t number, const std::string &reason) {
            std::cout << "line " << number << ": " << reason << '\n';
            ++refusedLines;
        });
    if (!read)
        return Failed;
    std::cout << materials << " materials, " << refusedLines << " lines not materials, " << droppedSets
              << " print sets refused, " << duplicates << " duplicate IDs\n";
    return Finish(refusedLines + droppedSets + duplicates ? Reported : Clean);
}

namespace {
// The members of a material's JSON object, each printed as the file holds it.
using Members = std::vector<std::pair<std::string, std::string>>;

Members members(const cJSON *object)
{
    Members out;
    for (const cJSON *member = object ? object->child : nullptr; member; member = member->next) {
        char *text = cJSON_PrintUnformatted(member);
        out.emplace_back(member->string ? member->string : "", text ? text : "");
        cJSON_free(text);
    }
    return out;
}

std::string describeKey(const PrintSetData &s)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << "printer " << s.nPrinterType << ", nozzle " << s.fNozzleDia << ", layer " << s.fLayerThick
         << ", quality " << s.nQuality;
    return text.str();
}

// The changed members of two objects, as "name: old -> new" lines.
std::vector<std::string> changedMembers(const Members &a, const Members &b, const char *skip)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i].first == skip || a[i].second == b[i].second)
            continue;
        lines.push_back(a[i].first + ": " + a[i].second + " -> " + b[i].second);
    }
    return lines;
}

// Every line that tells how material b differs from material a; empty when they are the same.
std::vector<std::string> materialDifferences(CPrintMaterial &a, CPrintMaterial &b)
{
    std::string textA;
    std::string textB;
    a.ToJson(textA);
    b.ToJson(textB);
    std::vector<std::string> lines;
    if (textA == textB)
        return lines;
    const JsonPtr jsonA(cJSON_Parse(textA.c_str()));
    const JsonPtr jsonB(cJSON_Parse(textB.c_str()));
    lines = changedMembers(members(jsonA.get()), members(jsonB.get()), "group");

    const cJSON *groupA = cJSON_GetObjectItemCaseSensitive(jsonA.get(), "group");
    const cJSON *groupB = cJSON_GetObjectItemCaseSensitive(jsonB.get(), "group");
    std::vector<const PrintSetData *> setsA;
    std::vector<const PrintSetData *> setsB;
    std::vector<const cJSON *> objectsA;
    std::vector<const cJSON *> objectsB;
    for (const PrintSetData &set : a.m_lstSets)
        setsA.push_back(&set);
    for (const PrintSetData &set : b.m_lstSets)
        setsB.push_back(&set);
    for (const cJSON *o = groupA ? groupA->child : nullptr; o; o = o->next)
        objectsA.push_back(o);
    for (const cJSON *o = groupB ? groupB->child : nullptr; o; o = o->next)
        objectsB.push_back(o);
    std::vector<bool> matchedB(setsB.size(), false);
    for (size_t i = 0; i < setsA.size(); ++i) {
        size_t j = 0;
        while (j < setsB.size() && (matchedB[j] || !SameSetKey(*setsA[i], *setsB[j])))
            ++j;
        const std::string key = "  print set " + describeKey(*setsA[i]);
        if (j == setsB.size()) {
            lines.push_back(key + ": removed");
            continue;
        }
        matchedB[j] = true;
        for (const std::string &change : changedMembers(members(objectsA[i]), members(objectsB[j]), ""))
            lines.push_back(key + ": " + change);
    }
    for (size_t j = 0; j < setsB.size(); ++j) {
        if (!matchedB[j])
            lines.push_back("  print set " + describeKey(*setsB[j]) + ": added");
    }
    for (std::string &line : lines) {
        if (line.compare(0, 2, "  ") != 0)
            line = "  " + line;
    }
    return lines;
}

// The accepted materials of a file by ID; the first of two with one ID counts. What is not a
// material is reported, named by the file, as list reports it.
bool materialsById(const std::string &file, std::map<int32_t, CPrintMaterial> &out,
                   std::vector<int32_t> &order, ErrorReport &errors)
{
    errors.prefix = file + ": ";
    return readMaterialFile(
        file,
        [&](size_t number, CPrintMaterial &mat, const MaterialDecodeReport &report) {
            if (out.emplace(mat.m_nMatID, mat).second)
                order.push_back(mat.m_nMatID);
            errors.droppedSets(number, report);
        },
        [&](size_t number, const std::string &reason) { errors.refusedLine(number, reason); });
}
} // namespace

int Diff(const std::string &fileA, const std::string &fileB, bool values)
{
    std::map<int32_t, CPrintMaterial> a;
    std::map<int32_t, CPrintMaterial> b;
    std::vector<int32_t> orderA;
    std::vector<int32_t> orderB;
    ErrorReport errors;
    if (!materialsById(fileA, a, orderA, errors) || !materialsById(fileB, b, orderB, errors))
        return Failed;
    int differences = 0;
    for (const int32_t id : orderA) {
        if (!b.count(id)) {
            std::cout << "only in A: " << label(a[id]) << '\n';
            ++differences;
        }
    }
    for (const int32_t id : orderB) {
        if (!a.count(id)) {
            std::cout << "only in B: " << label(b[id]) << '\n';
            ++differences;
        }
    }
    for (const int32_t id : orderA) {
        const auto other = b.find(id);
        if (other == b.end())
            continue;
        const std::vector<std::string> lines = materialDifferences(a[id], other->second);
        if (lines.empty())
            continue;
        // By value, "changed" is the editor's answer: a float step that shows the same is none.
        const std::vector<ValueDifference> byValue =
            values ? DescribeValueDifferences(a[id], other->second) : std::vector<ValueDifference>();
        if (values && byValue.empty())
            continue;
        std::cout << "changed: " << label(a[id]) << '\n';
        if (values) {
            for (const ValueDifference &difference : byValue)
                std::cout << "  " << FormatDifference(difference) << '\n';
        } else {
            for (const std::string &line : lines)
                std::cout << line << '\n';
        }
        ++differences;
    }
    return Finish(differences || errors.count ? Reported : Clean);
}

int Compare(const std::string &fileA, int32_t idA, const std::string &fileB, int32_t idB)
{
    std::optional<CPrintMaterial> a;
    std::optional<CPrintMaterial> b;
    ErrorReport errors;
    // The first material with the ID counts, as in diff. One file is read once: standard input
    // cannot be read twice.
    const auto readIds = [&](const std::string &file, bool forA, bool forB) {
        errors.prefix = file + ": ";
        return readMaterialFile(
            file,
            [&](size_t number, CPrintMaterial &mat, const MaterialDecodeReport &report) {
                const bool isA = forA && !a && mat.m_nMatID == idA;
                const bool isB = forB && !b && mat.m_nMatID == idB;
                if (isA)
                    a = mat;
                if (isB)
                    b = mat;
                if (isA || isB)
                    errors.droppedSets(number, report);
            },
            [](size_t, const std::string &) {});
    };
    const bool oneFile = fileA == fileB;
    if (!readIds(fileA, true, oneFile) || (!oneFile && !readIds(fileB, false, true)))
        return Failed;
    if (!a)
        fail(fileA + ": no material with ID " + std::to_string(idA));
    if (!b)
        fail(fileB + ": no material with ID " + std::to_string(idB));
    if (!a || !b)
        return Failed;

    const auto heading = [](const CPrintMaterial &m) {
        return printable(m.m_szName) + " (" + printable(m.m_szManu) + ") " + std::to_string(m.m_nMatID);
    };
    std::cout << "A: " << heading(*a) << "\nB: " << heading(*b) << '\n';
    const std::vector<ValueDifference> differences = DescribeValueDifferences(*a, *b, false);
    std::string set; // the print set whose values are being listed
    std::vector<std::string> onlyOneSide;
    for (const ValueDifference &d : differences) {
        if (d.name == "print set") {
            onlyOneSide.push_back((d.after.empty() ? "only in A: print set " : "only in B: print set ") +
                                  d.where);
        } else {
            if (d.where != set)
                std::cout << "print set " << (set = d.where) << ":\n";
            std::cout << (set.empty() ? "" : "  ") << FormatDifference(d, false) << '\n';
        }
    }
    for (const std::string &line : onlyOneSide)
        std::cout << line << '\n';
    return Finish(differences.empty() ? Clean : Reported);
}

} // namespace cvx
