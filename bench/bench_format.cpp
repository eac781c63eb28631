// bench_format: how fast a material library is read and written, against the floor that hex
// decoding and JSON parsing alone cost.
//
//   bench_format [MATERIALS]      (default 2000 materials of 40 print sets each)
//
// Prints a table; build it in Release for figures worth comparing.

#include "GeneratedLibrary.h"
#include "base/cfutility.h"
#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"
#include "core/PrinterCatalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr int kSetsPerMaterial = 40;
constexpr int kRuns = 3;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (count <= 0) {
        std::fprintf(stderr, "Usage: bench_format [MATERIALS]\n");
        return 2;
    }

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_format: no temporary folder\n");
        return 2;
    }
    const QString path = dir.filePath(QStringLiteral("library.cvx"));
    const std::string nativePath = QFile::encodeName(path).toStdString();

    std::vector<CPrintMaterial> library = makeLibrary(count, kSetsPerMaterial);
    if (!writeLibrary(path, library)) {
        std::fprintf(stderr, "bench_format: cannot write %s\n", nativePath.c_str());
        return 2;
    }
    const qint64 fileSize = QFileInfo(path).size();

    // Each step leaves its count here, so that no work can be optimised away and a wrong file shows.
    size_t parsed = 0;
    size_t sets = 0;

    const double floorMs = bestOf(kRuns, [&] {
        std::vector<std::string> lines;
        ReadFileToString(nativePath, lines);
        parsed = 0;
        for (const std::string &line : lines) {
            parsed += DecodeAndParseLine(line);
        }
    });
    const size_t floorParsed = parsed;

    std::vector<CPrintMaterial> records;
    const double readMs = bestOf(kRuns, [&] {
        std::vector<std::string> lines;
        ReadFileToString(nativePath, lines);
        records.clear();
        records.reserve(lines.size());
        for (const std::string &line : lines) {
            records.emplace_back();
            if (!DecodeMaterial(DecodeMaterialLine(line).c_str(), records.back()))
                records.pop_back();
        }
    });
    sets = 0;
    for (const CPrintMaterial &mat : records)
        sets += mat.m_lstSets.size();

    bool written = true;
    const double writeMs = bestOf(kRuns, [&] { written = writeLibrary(path, records) && written; });

    if (floorParsed != size_t(count) || records.size() != size_t(count) ||
        sets != size_t(count) * kSetsPerMaterial || !written || QFileInfo(path).size() != fileSize) {
        std::fprintf(stderr,
                     "bench_format: the file did not read back whole (%zu parsed, %zu records, %zu sets)\n",
                     floorParsed, records.size(), sets);
        return 1;
    }

    const double mb = double(fileSize) / 1e6;
    std::printf("%d materials x %d print sets, file %.2f MB (%lld bytes), best of %d runs\n\n", count,
                kSetsPerMaterial, mb, static_cast<long long>(fileSize), kRuns);
    std::printf("%-44s %10s %10s\n", "step", "ms", "MB/s");
    std::printf("%-44s %10.1f %10.1f\n", "floor: read lines, hex decode, cJSON parse", floorMs,
                mb / (floorMs / 1e3));
    std::printf("%-44s %10.1f %10.1f\n", "read: lines into records", readMs, mb / (readMs / 1e3));
    std::printf("%-44s %10.1f %10.1f\n", "write: encode records, write the file", writeMs,
                mb / (writeMs / 1e3));
    std::printf("\nread/floor %.2f   write/read %.2f\n", readMs / floorMs, writeMs / readMs);
    return 0;
}
