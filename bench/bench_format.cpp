// bench_format: how fast a material library is read and written, against the floor that hex
// decoding and JSON parsing alone cost; corvane-cvx's commands on it (encode of JSON Lines and of
// a JSON array among them); then a line of 500,000 values that are not materials, checked and
// imported, against an ordinary library of the same size.
//
//   bench_format [MATERIALS]      (default 2000 materials of 40 print sets each)
//
// Prints a table; build it in Release for figures worth comparing. corvane-cvx is run from the
// build's bin/ folder.

#include "GeneratedLibrary.h"
#include "base/PlatformPaths.h"
#include "base/TLanguage.h"
#include "base/cfutility.h"
#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"
#include "core/PrinterCatalogue.h"
#include "library/Materials.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSetsPerMaterial = 40;
constexpr int kRuns = 3;
// Longer than this, a check is reported as not finished.
constexpr int kCheckLimitMs = 600000;

// Sends standard output nowhere while it lives (the library logs a line per material) and gives
// the table a stream of its own.
class QuietOutput
{
public:
    QuietOutput()
    {
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        table = fdopen(dup(m_saved), "w");
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    ~QuietOutput()
    {
        std::fflush(stdout);
        std::fclose(table);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
    FILE *table;

private:
    int m_saved;
};

// corvane-cvx run once with the arguments, in milliseconds; negative when it did not finish in
// time or failed. Standard output goes to the file, standard error nowhere.
double cvxRun(const QStringList &args, const QString &output = QProcess::nullDevice())
{
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/corvane-cvx");
    QProcess process;
    process.setStandardOutputFile(output);
    process.setStandardErrorFile(QProcess::nullDevice());
    const double ms = bestOf(1, [&] {
        process.start(tool, args);
        if (!process.waitForFinished(kCheckLimitMs)) {
            process.kill();
            process.waitForFinished();
        }
    });
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() <= 1 ? ms : -1;
}

double cvxCheck(const QString &file)
{
    return cvxRun({QStringLiteral("check"), file});
}

// corvane-cvx's commands on the library, a process each: list and check; encode of the library
// as JSON Lines and as one JSON array, which is read element by element as the lines are; and
// list and check of a million lines that are not materials, which list reports on standard error.
void toolCommands(const QTemporaryDir &dir, const QString &library, int runs)
{
    const QString lines = dir.filePath(QStringLiteral("library.jsonl"));
    const QString array = dir.filePath(QStringLiteral("library.json"));
    const QString encoded = dir.filePath(QStringLiteral("encoded.cvx"));
    const QString refused = dir.filePath(QStringLiteral("refused.cvx"));
    if (cvxRun({QStringLiteral("decode"), QStringLiteral("--compact"), library}, lines) < 0)
        return;
    QFile in(lines);
    QFile out(array);
    QFile bad(refused);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || !bad.open(QIODevice::WriteOnly))
        return;
    QByteArray body = in.readAll();
    body.chop(1);
    out.write("[" + body.replace('\n', ",\n") + "]\n");
    out.close();
    bad.write(QByteArray("zz\n").repeated(1000000));
    bad.close();

    std::printf("\ncorvane-cvx, a process each, best of %d runs (JSON Lines %.2f MB)\n\n", runs,
                double(QFileInfo(lines).size()) / 1e6);
    std::printf("%-44s %10s\n", "command", "ms");
    const auto row = [&](const char *what, const QStringList &args) {
        double best = 1e300;
        for (int run = 0; run < runs && best >= 0; ++run)
            best = std::min(best, cvxRun(args));
        if (best < 0)
            std::printf("%-44s %10s\n", what, "failed");
        else
            std::printf("%-44s %10.1f\n", what, best);
    };
    const QString o = QStringLiteral("-o");
    row("list", {QStringLiteral("list"), library});
    row("check", {QStringLiteral("check"), library});
    row("encode JSON Lines", {QStringLiteral("encode"), lines, o, encoded});
    row("encode JSON array", {QStringLiteral("encode"), array, o, encoded});
    row("list of 1,000,000 lines not materials", {QStringLiteral("list"), refused});
    row("check of 1,000,000 lines not materials", {QStringLiteral("check"), refused});
}

// An import into a fresh library, in milliseconds, with the number of materials it added.
double importInto(const QString &file, int &added)
{
    LangTrans::DestroyInstance();
    Materials mats;
    const double ms = bestOf(1, [&] { mats.importMaterials(file, false); });
    added = mats.lastImportReport().value(QStringLiteral("added")).toInt();
    return ms;
}

// A line of 500,000 values that are not materials against an ordinary library of the same size:
// each is checked with corvane-cvx and imported, best of the runs.
void manyValuesOnALine(const QTemporaryDir &dir, int runs)
{
    const QString many = dir.filePath(QStringLiteral("many-values.cvx"));
    const QByteArray line = QByteArray("{}").repeated(500000).toHex() + '\n';
    QFile file(many);
    if (!file.open(QIODevice::WriteOnly) || file.write(line) != line.size())
        return;
    file.close();
    // An ordinary library: the shipped one holds some 30 print sets per material.
    const QString ordinary = dir.filePath(QStringLiteral("ordinary.cvx"));
    std::vector<CPrintMaterial> library = makeLibrary(36, kSetsPerMaterial);
    if (!writeLibrary(ordinary, library))
        return;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    PlatformPaths::SetShippedDataDir(dir.filePath(QStringLiteral("shipped")));

    QuietOutput quiet;
    FILE *const out = quiet.table;
    std::fprintf(out,
                 "\na 2 MB line of 500,000 values \"{}\" (%.2f MB) against an ordinary library of %zu "
                 "materials (%.2f MB), best of %d runs\n\n",
                 double(QFileInfo(many).size()) / 1e6, library.size(),
                 double(QFileInfo(ordinary).size()) / 1e6, runs);
    std::fprintf(out, "%-44s %10s %10s %10s\n", "step (ms)", "ordinary", "one line", "ratio");
    const auto row = [out](const char *step, double ordinaryMs, double manyMs) {
        if (manyMs < 0)
            std::fprintf(out, "%-44s %10.1f %10s\n", step, ordinaryMs, "> 600 s");
        else
            std::fprintf(out, "%-44s %10.1f %10.1f %10.1f\n", step, ordinaryMs, manyMs, manyMs / ordinaryMs);
    };
    double checkOrdinary = 1e300, checkMany = 1e300, importOrdinary = 1e300, importMany = 1e300;
    int added = 0;
    for (int run = 0; run < runs; ++run) {
        checkOrdinary = std::min(checkOrdinary, cvxCheck(ordinary));
        const double ms = cvxCheck(many);
        checkMany = ms < 0 ? -1 : std::min(checkMany, ms);
        importOrdinary = std::min(importOrdinary, importInto(ordinary, added));
        if (added != int(library.size()))
            std::fprintf(stderr, "bench_format: the ordinary library did not import whole\n");
        importMany = std::min(importMany, importInto(many, added));
        if (added != 0)
            std::fprintf(stderr, "bench_format: the line of values gave materials\n");
        if (checkMany < 0)
            break; // once is enough to know
    }
    row("corvane-cvx check (a process each)", checkOrdinary, checkMany);
    row("import into the library (importMaterials)", importOrdinary, importMany);
    LangTrans::DestroyInstance();
}

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

    toolCommands(dir, path, kRuns);
    manyValuesOnALine(dir, kRuns);
    return 0;
}
