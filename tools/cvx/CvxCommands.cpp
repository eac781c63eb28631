#include "CvxCommands.h"

#include "base/cfutility.h"
#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>

namespace cvx {
namespace {

void fail(const std::string &message)
{
    std::cerr << "corvane-cvx: " << message << std::endl;
}

void writeOut(const std::string &bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// "-" is standard input.
bool readLines(const std::string &file, std::vector<std::string> &lines)
{
    const std::string path = file == "-" ? std::string("/dev/stdin") : file;
    if (file != "-" && QFileInfo(QString::fromLocal8Bit(file.c_str())).isDir()) {
        fail(file + ": is a directory");
        return false;
    }
    if (!ReadFileToString(path, lines)) {
        fail(file + ": cannot open: " + std::strerror(errno));
        return false;
    }
    return true;
}

// The vendor library starts with its version text; that line is not a material and not an error.
bool isVersionLine(size_t index, const std::string &line)
{
    static const QRegularExpression version(QStringLiteral("^\\s*\\d+(\\.\\d+)*\\s*$"));
    return index == 0 && version.match(QString::fromLatin1(line.data(), int(line.size()))).hasMatch();
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

struct FileLine
{
    size_t number; // from 1
    CPrintMaterial mat;
    MaterialDecodeReport report;
    bool accepted = false;
    std::string reason; // why the line is not a material
};

// Reads every line the way the library reads a material file, keeping the diagnostics.
bool readMaterialFile(const std::string &file, std::vector<FileLine> &out, bool keepRefused)
{
    std::vector<std::string> lines;
    if (!readLines(file, lines))
        return false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (isVersionLine(i, lines[i]))
            continue;
        FileLine line;
        line.number = i + 1;
        const std::string text = DecodeMaterialLine(lines[i]);
        line.accepted = DecodeMaterial(text.c_str(), line.mat, &line.report);
        if (!line.accepted) {
            if (IsBlankLine(lines[i]))
                line.reason = "empty line";
            else if (!IsHexLine(lines[i]))
                line.reason = "not hexadecimal";
            else
                line.reason = line.report.Reason();
        }
        if (line.accepted || keepRefused)
            out.push_back(std::move(line));
        std::string().swap(lines[i]); // long files: drop each line once decoded
    }
    return true;
}

int reportRefusedLines(const std::vector<FileLine> &lines)
{
    int refused = 0;
    for (const FileLine &line : lines) {
        if (!line.accepted) {
            std::cerr << "line " << line.number << ": " << line.reason << std::endl;
            ++refused;
        }
    }
    return refused;
}

} // namespace

int List(const std::string &file)
{
    std::vector<FileLine> lines;
    if (!readMaterialFile(file, lines, true))
        return Failed;
    for (const FileLine &line : lines) {
        if (!line.accepted)
            continue;
        const CPrintMaterial &m = line.mat;
        std::cout << m.m_nMatID << '\t' << printable(m.m_szName) << '\t' << printable(m.m_szManu) << '\t'
                  << (m.m_szPwMD5[0] ? "locked" : "unlocked") << '\t' << m.m_lstSets.size() << '\n';
    }
    std::cout.flush();
    return reportRefusedLines(lines) ? Reported : Clean;
}

int Decode(const std::string &file, bool compact)
{
    std::vector<FileLine> lines;
    if (!readMaterialFile(file, lines, true))
        return Failed;
    JsonPtr array(cJSON_CreateArray());
    for (FileLine &line : lines) {
        if (!line.accepted)
            continue;
        if (compact) {
            std::string json;
            line.mat.ToJson(json);
            json += '\n';
            writeOut(json);
        } else {
            line.mat.UpdateDerived();
            cJSON_AddItemToArray(array.get(), MaterialToJsonTree(line.mat).release());
        }
    }
    if (!compact) {
        char *text = cJSON_Print(array.get());
        writeOut(std::string(text ? text : "[]") + "\n");
        cJSON_free(text);
    }
    std::fflush(stdout);
    return reportRefusedLines(lines) ? Reported : Clean;
}

int Encode(const std::string &input, const std::string &output)
{
    std::vector<std::string> lines;
    if (!readLines(input, lines))
        return Failed;
    std::string whole;
    for (const std::string &line : lines)
        whole += line;
    std::vector<std::string>().swap(lines);

    // A JSON array of materials, or JSON Lines: one material object per line.
    struct Input
    {
        std::string position;
        std::string text;
    };
    std::vector<Input> inputs;
    const char *end = nullptr;
    const JsonPtr document(cJSON_ParseWithOpts(whole.c_str(), &end, true));
    if (document && cJSON_IsArray(document.get())) {
        int index = 0;
        for (const cJSON *element = document->child; element; element = element->next, ++index) {
            char *text = cJSON_PrintUnformatted(element);
            inputs.push_back({"element " + std::to_string(index + 1), text ? text : ""});
            cJSON_free(text);
        }
    } else {
        size_t start = 0;
        for (size_t number = 1; start < whole.size(); ++number) {
            size_t stop = whole.find('\n', start);
            if (stop == std::string::npos)
                stop = whole.size();
            std::string text = whole.substr(start, stop - start);
            if (!IsBlankLine(text))
                inputs.push_back({"line " + std::to_string(number), std::move(text)});
            start = stop + 1;
        }
    }

    std::string encoded;
    int refused = 0;
    for (const Input &in : inputs) {
        CPrintMaterial mat;
        MaterialDecodeReport report;
        if (!DecodeMaterial(in.text.c_str(), mat, &report)) {
            std::cerr << in.position << ": refused: " << report.Reason() << std::endl;
            ++refused;
            continue;
        }
        for (const auto &dropped : report.droppedSets) {
            std::cerr << in.position << ": " << MaterialDecodeReport::DescribeDroppedSet(dropped) << std::endl;
            ++refused;
        }
        encoded += EncodeMaterialLine(mat);
    }

    if (output == "-") {
        writeOut(encoded);
        std::fflush(stdout);
    } else {
        MaterialFileWriter writer(QString::fromLocal8Bit(output.c_str()));
        if (!writer.Open() || !writer.WriteRaw(encoded) || !writer.Commit()) {
            fail(output + ": cannot write: " + writer.ErrorString().toStdString());
            return Failed;
        }
    }
    return refused ? Reported : Clean;
}

int Check(const std::string &file)
{
    std::vector<FileLine> lines;
    if (!readMaterialFile(file, lines, true))
        return Failed;
    int materials = 0;
    int refusedLines = 0;
    int droppedSets = 0;
    int duplicates = 0;
    std::map<int32_t, size_t> lineOfId;
    for (const FileLine &line : lines) {
        if (!line.accepted) {
            std::cout << "line " << line.number << ": " << line.reason << '\n';
            ++refusedLines;
            continue;
        }
        ++materials;
        for (const auto &dropped : line.report.droppedSets) {
            std::cout << "line " << line.number << ": " << MaterialDecodeReport::DescribeDroppedSet(dropped) << '\n';
            ++droppedSets;
        }
        const auto known = lineOfId.find(line.mat.m_nMatID);
        if (known != lineOfId.end()) {
            std::cout << "line " << line.number << ": material ID " << line.mat.m_nMatID << " duplicates line "
                      << known->second << '\n';
            ++duplicates;
        } else {
            lineOfId.emplace(line.mat.m_nMatID, line.number);
        }
    }
    std::cout << materials << " materials, " << refusedLines << " lines not materials, " << droppedSets
              << " print sets refused, " << duplicates << " duplicate IDs" << std::endl;
    return refusedLines + droppedSets + duplicates ? Reported : Clean;
}

} // namespace cvx
