// corvane-cvx end to end: the real binary, run in a temporary folder; exit code, standard output,
// standard error and the output file are compared whole. Then damaged and odd input from disk through
// the library and corvane-cvx check: the good materials beside the bad lines survive, what was skipped
// is in the log, and nothing on disk changes unless the user saves.

#include "LibraryFixture.h"
#include "TestSupport.h"
#include "core/MaterialFormat.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

namespace {
const QString kTool = QStringLiteral(CORVANE_BIN_DIR "/corvane-cvx");
const QByteArray kReference = exampleJson();
const QByteArray kPla = R"({"b1":101,"b2":"PLA","b3":"KestRona","group":[{"p1":10112,"p2":0.4,"p3":0.2}]})";
const QByteArray kPetg =
    R"({"m1":"0123456789abcdef0123456789abcdef","b1":102,"b2":"PETG","b3":"Tallow","group":[]})";
const QByteArray kListed = "101\tPLA\tKestRona\tunlocked\t1\n102\tPETG\tTallow\tlocked\t0\n";
// Print sets 2 and 3 are not offered by the catalogue.
const QByteArray kTpu = R"({"b1":104,"b2":"TPU","b3":"KestRona","group":[{"p1":10112,"p2":0.4,"p3":0.2},)"
                        R"({"p1":10112,"p2":0.6,"p3":0.3},{"p1":10102,"p2":0.4,"p3":0.12,"p4":1}]})";
const QByteArray kNozzleRefused = "print set 2 (printer 10112, nozzle 0.6, layer 0.3, quality 0): "
                                  "nozzle 0.6 is not offered for printer type 10112\n";
const QByteArray kLayerRefused = "print set 3 (printer 10102, nozzle 0.4, layer 0.12, quality 1): "
                                 "layer 0.12 is not offered for nozzle 0.4 on printer type 10102\n";
// What out.cvx holds before every run, a failed run must leave it so; the first file of a diff.
const QByteArray kDiffA =
    R"({"b1":7,"b2":"ABS","b3":"K","b4":240,"group":[{"p1":10102,"p6":240},{"p1":-1}]})";
const QByteArray kOld = hexLine(kDiffA);

// The damaged-file tests' materials.
const QString kBasic = QStringLiteral("PLA Basic");
const QString kClear = QStringLiteral("PETG Clear");
const QString kHome = QStringLiteral("Home Blend"); // the user library's own material

QByteArray goodLine(const char *name, int id)
{
    CPrintMaterial mat = makeMaterial(name, "Fixture", id, {{10112, 0.4f, 0.2f, 0}});
    return QByteArray::fromStdString(EncodeMaterialLine(mat));
}

QStringList skips(const QList<int> &lines, const char *reason = "not JSON")
{
    QStringList out;
    for (int line : lines)
        out << QStringLiteral("Skipped line %1: %2").arg(line).arg(reason);
    return out;
}

// One run: "{in}" is a file holding the content, which is also standard input; "{dir}" the folder.
struct Case
{
    QStringList args;
    QByteArray content;
    int exit;
    QByteArray out = {};
    QByteArray err = {}; // without a final line feed: the start of its one line, the rest is the system's
    QByteArray written = kOld; // out.cvx afterwards
    QString stdinFile = {};    // standard input from this path ("{dir}" the folder) instead of the content
    int memoryLimitKb = 0;     // the address space the tool may use; 0 for no limit
    QString stdoutFile = {};   // standard output into this file instead of collected
};
} // namespace

Q_DECLARE_METATYPE(Case)

class TestCvx : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(kTool), qPrintable(kTool + " is not built")); }

    void commands_data();
    void commands();
    void materialFile_data();
    void materialFile();
    void userLibraryThatIsAFolderIsNeverReplaced();
};

// A row's fields stay together, where the formatter would give each a line of its own.
// clang-format off
void TestCvx::commands_data()
{
    QTest::addColumn<Case>("c");
    const auto add = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
    const QByteArray ref = hexLine(kReference), pla = hexLine(kPla), petg = hexLine(kPetg);
    const QString out = "{dir}/out.cvx";
    const auto usage = [](const char *what) {
        return "corvane-cvx: " + QByteArray(what) + " (see corvane-cvx --help)\n";
    };

    // Only what a user states, and stale derived fields: the writer fills in the rest.
    const QByteArray stale =
        R"([{"m2":9100,"b1":721355203,"b2":"PLA","b3":"KestRona","b6":7,"b7":1.75,"b8":1.24,)"
        R"("b9":[0.003,0.003,0.003],"b10":1,"b11":50,"group":[{"p1":10112,"p2":0.4,)"
        R"("p3":0.2004,"p5":1,"p15":[800,1500,2000],"p17":0,"p23":0,"p24":0,"p25":0}]}])";
    add("encode writes the reference byte for byte", {{"encode", "-", "-o", out}, stale, 0, "", "", ref});
    add("encode of JSON Lines with CR LF, blank lines and no final line feed",
        {{"encode", "{in}", "-o", "-"}, "\r\n" + kReference + "\r\n\r\n \r\n" + kReference, 0, ref + ref});
    // What a run accepts nothing from, or cannot read or parse whole, leaves OUTPUT as it was.
    const QByteArray notWritten = "corvane-cvx: {dir}/out.cvx: not written";
    add("encode of empty input keeps the old output",
        {{"encode", "-", "-o", out}, "", 1, "", notWritten + ": no material accepted\n"});
    add("encode of JSON Lines with nothing accepted keeps the old output",
        {{"encode", "{in}", "-o", out}, R"({"b1":103,"b2":"ABS","b3":"K"})" "\n", 1, "",
         "line 1: refused: no \"group\"\n" + notWritten + ": no material accepted\n"});
    add("encode splits JSON Lines at a lone CR and refuses a line with text after its object",
        {{"encode", "{in}", "-o", "-"}, kReference + "\r" + kReference + " " + kPla + "\r\n" + kReference, 1,
         ref + ref, "line 2: refused: text after the JSON value\n"});
    // One message, where the array stops being JSON, and not one per line of it.
    add("encode of an array missing a comma names the line and column once",
        {{"encode", "{in}", "-o", out}, "[\n" + kReference + "\n" + kReference + "\n]\n", 1, "",
         "line 3, column 1: ',' or ']' expected; the array is refused\n" + notWritten + "\n"});
    add("encode of an array with an element that is not JSON names the line and column in it",
        {{"encode", "{in}", "-o", out}, "[" + kReference + ",\r\n {\"b1\": 1,\r\n  \"b2\" 2}]", 1, "",
         "line 3, column 8: not JSON; the array is refused\n" + notWritten + "\n"});
    add("encode of an array cut short: the materials before it go to standard output",
        {{"encode", "-", "-o", "-"}, "\xEF\xBB\xBF [" + kReference + ",", 1, ref,
         "line 1, column " + QByteArray::number(kReference.size() + 4) + ": the array does not end; "
         "the array is refused\n"});
    add("encode lists a refused print set and keeps its material",
        {{"encode", "-", "-o", out},
         QByteArray(kReference).replace("}]}", R"(},{"p1":10112,"p2":0.6,"p3":0.3}]})"), 1, "",
         "line 1: " + kNozzleRefused, ref});
    add("encode lists refused array elements, counted from 1",
        {{"encode", "-", "-o", "-"}, "[" + kReference + R"(,{"b1":103,"b2":"ABS","group":[]},42])", 1, ref,
         "element 2: refused: \"b3\" missing\nelement 3: refused: not a JSON object\n"});
    add("encode lists refused JSON Lines, blank lines counted",
        {{"encode", "-", "-o", "-"},
         kReference + "\n\n" + R"({"b1":103,"b2":"ABS","b3":"K"})" + "\nPLA, 210\n", 1, ref,
         "line 3: refused: no \"group\"\nline 4: refused: not JSON\n"});

    // Control characters in names escaped as the file writes them, so the output reads back; a print
    // set's values as the parameter page shows them, each field once.
    add("decode --readable names the values as the editor does",
        {{"decode", "--readable", "--compact", "-"},
         hexLine(R"({"b1":7,"b2":"A\tB\\S","b3":"K","b4":240,"group":[{"p1":10102,"p3":0.2}]})"), 0,
         R"x({"ID":7,"Name":"A\tB\\S","Manufacturer":"K","Password":"none","Print Temp (℃)":240,)x"
         R"x("Platfrom Temp (℃)":50,"Fila Dia (mm)":1.7,"Fila Density (g/㎤)":1.05,)x"
         R"x("Shrink of X (%)":0,"Shrink of Y (%)":0,"Shrink of Z (%)":0,)x"
         R"x("Print sets":[{"Printer":"Orvik Solo (10102)","Nozzle (mm)":0.4,"Layer (mm)":0.2,)x"
         R"x("Quality":"Normal (0)","Basic Temp (℃)":210,"Platform Temp (℃)":50,)x"
         R"x("Contour Bias (℃)":0,"Infill Bias (℃)":0,"Support Bias (℃)":0,"Contour Speed (mm/s)":30,)x"
         R"x("Infill Speed (mm/s)":40,"Support Speed (mm/s)":50,"Contour Acc (mm/s²)":1000,"Infill Acc (mm/s²)":1500,)x"
         R"x("Support Acc (mm/s²)":2000,"Contour Extrude (%)":100,"Infill Extrude (%)":100,"Support Extrude (%)":100,)x"
         R"x("Contour Width (mm)":0.5,"Infill Width (mm)":0.5,"Support Width (mm)":0.5,"Raft Speed (mm/s)":15,)x"
         R"x("Raft Temp (℃)":220,"Bottom Width (%)":80,"Bottom Feed (%)":80,"Overlap (%)":20,"Joint Size (%)":150,)x"
         R"x("Offset Times":1,"Tolerance (mm)":0.02,"Corner Radiu (mm)":0.1,"Corner Angle (°)":30,"Withdraw (mm)":20,)x"
         R"x("Peel ratio (%)":10}]})x" "\n"});
    add("decode --compact gives the written text and reports refused lines",
        {{"decode", "--compact", "{in}"}, "zz\n" + ref + hexLine(R"({"b2":"x","group":[]})"), 1,
         kReference + "\n", "line 1: not hexadecimal\nline 3: \"b3\" missing\n"});
    const QByteArray latin1 = QByteArray(kReference).replace("\"PLA\"", "\"Caf\xe9 \\\"N\\\"\"");
    add("decode --compact keeps a Latin-1 name's bytes and its escapes",
        {{"decode", "--compact", "-"}, hexLine(latin1), 0, latin1 + "\n"});

    add("list skips the version text on line 1, reports a line that is not a material and goes on",
        {{"list", "{in}"}, "1.0.2\n" + pla + hexLine("PLA, KestRona, 210") + petg, 1, kListed,
         "line 3: not JSON\n"});
    add("list reports refused print sets and does not count them",
        {{"list", "-"}, hexLine(kTpu), 1, "104\tTPU\tKestRona\tunlocked\t1\n",
         "line 1: " + kNozzleRefused + "line 1: " + kLayerRefused});
    // A tab or line feed in a name must not add a column or a line.
    add("list shows control characters in names as ?",
        {{"list", "{in}"}, hexLine(R"({"b1":-7,"b2":"A\tB\nC","b3":"\r","group":[]})"), 0,
         "-7\tA?B?C\t?\tunlocked\t0\n"});

    const QByteArray summary = " lines not materials, 0 print sets refused, ";
    // Line numbers count every line; a version text counts as one only on line 1.
    add("check names every fault of a CR LF file by its line",
        {{"check", "-"},
         "1.0.2\r\n" + kPla.toHex() + "\r\n\r\nnot hex\r\n" + kPla.toHex() + "\r\n" +
             QByteArray(R"({"b2":"x","b3":"y","group":1})").toHex() + "\r\n1.0.2\r\n" +
             QByteArray("PLA, KestRona, 210").toHex(),
         1,
         "line 3: empty line\nline 4: not hexadecimal\nline 5: material ID 101 duplicates line 2\n"
         "line 6: \"group\" is not an array\nline 7: not hexadecimal\nline 8: not JSON\n"
         "2 materials, 5" + summary + "1 duplicate IDs\n"});
    // Advice is reported and leaves the status as the faults alone make it.
    const QByteArray unlikely = hexLine(R"({"b1":105,"b2":"ABS","b3":"K","group":[{"p1":10112,"p2":0.4,"p3":0.2,)"
                                        R"("p11":[0.3,0.5,0.5],"p15":[999,1500,2000]}]})");
    const QByteArray advice =
        "advice: 105 ABS / K: print set printer 10112 (Orvik pico2), nozzle 0.40, layer 0.20, quality 0 (Normal): ";
    add("check --advice: each unlikely value with its reason and suggestion, status 0",
        {{"check", "--advice", "-"}, unlikely + pla, 0,
         advice + "Contour Acc: under 1000 mm/s², which Save raises it to; suggested 1000 mm/s²\n" + advice +
             "Contour Width: the width 0.3 mm is under 0.8 × the nozzle's 0.4 mm; suggested 0.32 mm\n"
             "2 materials, 0" + summary + "0 duplicate IDs\n"});
    add("check without --advice reports no advice",
        {{"check", "-"}, unlikely, 0, "1 materials, 0" + summary + "0 duplicate IDs\n"});
    add("check --advice keeps status 1 for a line that is not a material",
        {{"check", "-", "--advice"}, "zz\n" + pla, 1, "line 1: not hexadecimal\n1 materials, 1" + summary +
             "0 duplicate IDs\n"});
    add("check of a folder as standard input is a read error",
        {{"check", "-"}, "", 2, "", "corvane-cvx: -: cannot read: Is a directory\n", kOld, "{dir}"});
    // Inputs that never end stop within seconds, in bounded memory, as the editor's import does.
    const QByteArray endless = "cannot read: a line does not end: not a regular file, and the line is over "
                               "the limit\n";
    add("list of /dev/zero refuses its endless line and stops",
        {{"list", "/dev/zero"}, "", 2, "", "line 1: longer than 64 MB\ncorvane-cvx: /dev/zero: " + endless, kOld,
         {}, 200000});
    add("encode of /dev/zero keeps the old output",
        {{"encode", "/dev/zero", "-o", out}, "", 2, "",
         "line 1: refused: longer than 64 MB\ncorvane-cvx: /dev/zero: " + endless, kOld, {}, 200000});
    add("check of endless random bytes on standard input stops at 512 MB",
        {{"check", "-"}, "", 2, "",
         "corvane-cvx: -: cannot read: too large: not a regular file, and longer than 512 MB\n", kOld,
         "/dev/urandom", 200000, "/dev/null"});
    add("check of a FIFO that no program writes to",
        {{"check", "{fifo}"}, "", 2, "",
         "corvane-cvx: {dir}/fifo: cannot read: no program wrote to it within 5 seconds\n"});
    // A whole array is read in the memory of one element, as JSON Lines are.
    const QByteArray many = QByteArray(",\n" + kReference).repeated(28000);
    add("encode of a 20 MB JSON array under a 100 MB memory limit",
        {{"encode", "{in}", "-o", out}, "[" + many.mid(1) + "]", 0, "", "", ref.repeated(28000), {}, 100000});
    // Holding the line would take more than the tool may have: the line is refused, and the
    // reading goes on.
    add("check of a 40 MB line under a 100 MB memory limit refuses that line alone",
        {{"check", "{in}"}, pla + QByteArray("7b").repeated(20 << 20) + "\n" + petg, 1,
         "line 2: too large for the memory available\n2 materials, 1" + summary + "0 duplicate IDs\n", "",
         kOld, {}, 100000});
    // Output lost to a full disk must not pass for success, and says why, also when reading went on
    // after the write failed: a material of twelve print sets is longer than an output buffer.
    const QByteArray full = "corvane-cvx: cannot write standard output: No space left on device\n";
    const int setAt = kReference.indexOf("[{") + 1;
    QByteArray sets;
    for (int quality = 0; quality < 12; ++quality)
        sets += (quality ? "," : "") + kReference.mid(setAt, kReference.size() - 2 - setAt)
                                           .replace("\"p4\":0", "\"p4\":" + QByteArray::number(quality));
    add("decode into a full standard output is an error",
        {{"decode", "--compact", "{in}"}, hexLine(kReference.left(setAt) + sets + "]}"), 2, "", full, kOld, {}, 0,
         "/dev/full"});
    add("--help into a full standard output is an error", {{"--help"}, "", 2, "", full, kOld, {}, 0, "/dev/full"});

    // Members in any order; sets added, removed or changed; --values by the names the editor shows.
    add("diff of equal materials", {{"diff", out, "{in}"},
        hexLine(R"({"b3":"K","b2":"ABS","b1":7,"b4":240,"group":[{"p6":240,"p1":10102},{}]})"), 0});
    // A second material with one ID counts no more, but its print sets are read.
    add("diff of equal materials reports the lines of each file that are not materials, as check names them",
        {{"diff", "{in}", out},
         "zz\n" + hexLine(kDiffA) + hexLine("PLA, 210") + hexLine(QByteArray(kTpu).replace(":104", ":7")), 1, "",
         "{dir}/in: line 1: not hexadecimal\n{dir}/in: line 3: not JSON\n{dir}/in: line 4: " + kNozzleRefused +
             "{dir}/in: line 4: " + kLayerRefused});
    add("diff lists materials only in one file by ID",
        {{"diff", out, "{in}"}, hexLine(QByteArray(kDiffA).replace(":7", ":8")), 1,
         "only in A: 7 ABS / K\nonly in B: 8 ABS / K\n"});
    const QByteArray changed =
        R"({"b1":7,"b2":"ABS+","b3":"K","b4":245,"group":[{"p1":10102,"p6":250,"p28":16},{"p1":10110}]})";
    const QByteArray set = "  print set printer 10102, nozzle 0.4, layer 0.2, quality 0: ";
    add("diff of a material renamed in B: its fields, a set's fields to the last, sets added and removed",
        {{"diff", out, "{in}"}, hexLine(changed), 1,
         "changed: 7 ABS / K\n  b2: \"ABS\" -> \"ABS+\"\n  b4: 240 -> 245\n" + set + "p6: 240 -> 250\n" + set +
         "p28: 15 -> 16\n  print set printer -1, nozzle 0.4, layer 0.2, quality 0: removed\n"
         "  print set printer 10110, nozzle 0.4, layer 0.2, quality 0: added\n"});
    const QByteArray setShown = "  print set printer 10102 (Orvik Solo), nozzle 0.40, layer 0.20, quality 0 (Normal): ";
    add("diff --values names the values as the editor does",
        {{"diff", out, "{in}", "--values"}, hexLine(QByteArray(changed).replace("10110", "-1")), 1,
         "changed: 7 ABS / K\n  Name: ABS -> ABS+\n  Print Temp: 240 -> 245 ℃\n" + setShown +
             "Basic Temp: 240 -> 250 ℃\n" + setShown + "Raft Speed: 15 -> 16 mm/s\n"});
    add("diff --values: a percentage a float step off is no change, as in the editor",
        {{"diff", out, "{in}", "--values"}, hexLine(QByteArray(kDiffA).replace("\"p6\":240", "\"p6\":240,\"p16\":0.2000001")), 0});

    // compare: A is material 7 of out.cvx, the first file of a diff; the ID is not compared.
    const QByteArray heads = "A: ABS (K) 7\nB: ABS (K) 8\n", at = ":\n  ";
    const QByteArray solo = "print set printer 10102 (Orvik Solo), nozzle 0.40, layer 0.20, quality 0 (Normal)";
    const auto as8 = [](const char *from, const char *to) {
        return hexLine(QByteArray(kDiffA).replace(":7", ":8").replace(from, to));
    };
    add("compare of the same values in another order under another ID", {{"compare", out, "7", "{in}", "8"},
        hexLine(R"({"b3":"K","b2":"ABS","b1":8,"b4":240,"group":[{"p6":240,"p1":10102},{}]})"), 0, heads});
    add("compare of a differing basic value", {{"compare", out, "7", "{in}", "8"}, as8("240,", "245,"), 1,
        heads + "Print Temp: 240 -> 245 ℃\n"});
    add("compare of print-set values names the set once", {{"compare", out, "7", "{in}", "8"},
        as8(":240}", ":250,\"p7\":33}"), 1,
        heads + solo + at + "Basic Temp: 240 -> 250 ℃\n  Raft Temp: 220 -> 33 ℃\n"});
    add("compare of print sets only one side has", {{"compare", out, "7", "{in}", "8"}, as8("-1}", "10110}"), 1,
        heads + "only in A: print set printer -1 (Default), nozzle 0.40, layer 0.20, quality 0 (Normal)\n"
        "only in B: print set printer 10110 (Orvik Solo 2), nozzle 0.40, layer 0.20, quality 0 (Normal)\n"});
    add("compare of two materials of standard input, read once; a negative ID is no option; the first 7 counts",
        {{"compare", "-", "-9", "-", "7"},
         hexLine(QByteArray(kDiffA).replace(":7", ":-9").replace("ABS", "ABS Pro")) + kOld +
             hexLine(QByteArray(kDiffA).replace("240,", "245,")),
         1, "A: ABS Pro (K) -9\nB: ABS (K) 7\nName: ABS Pro -> ABS\n"});
    add("compare of an ID not in its file", {{"compare", out, "7", "{in}", "8"}, pla, 2, "",
        "corvane-cvx: {dir}/in: no material with ID 8\n"});
    add("compare of a missing file", {{"compare", out, "7", "{dir}/missing", "7"}, "", 2, "",
        "corvane-cvx: {dir}/missing: cannot open: No such file or directory\n"});

    add("no arguments", {{}, "", 2, "", usage("no command given")});
    add("--help with an argument", {{"--help", "extra"}, "", 2, "", usage("--help takes no argument")});
    add("an unknown option before the file", {{"list", "--bogus", "{in}"}, pla, 2, "",
        usage("list: unknown option '--bogus'")});
    add("an unknown option after the files", {{"diff", out, "{in}", "-v"}, pla, 2, "",
        usage("diff: unknown option '-v'")});
    add("encode without -o", {{"encode", "{in}"}, kPla, 2, "", usage("encode needs INPUT and -o OUTPUT")});
    add("compare without ID_B", {{"compare", out, "7", "{in}"}, pla, 2, "", usage("compare takes A ID_A B ID_B")});
    add("compare with an ID that is not a number", {{"compare", out, "7", "{in}", "0x8"}, pla, 2, "",
        usage("compare: '0x8' is not a material ID")});

    add("encode of a missing input keeps the old output", {{"encode", "{dir}/missing", "-o", out}, "", 2, "",
        "corvane-cvx: {dir}/missing: cannot open: No such file or directory\n"});
    add("check of a folder", {{"check", "{dir}"}, "", 2, "", "corvane-cvx: {dir}: is a directory\n"});
    add("encode into a missing folder makes no folder",
        {{"encode", "{in}", "-o", "{dir}/missing/out.cvx"}, kPla, 2, "",
         "corvane-cvx: {dir}/missing/out.cvx: cannot write: "});
}
// clang-format on

void TestCvx::commands()
{
    QFETCH(Case, c);
#if defined(__SANITIZE_ADDRESS__)
    if (c.memoryLimitKb)
        QSKIP("AddressSanitizer reserves more address space than the limit allows");
#endif
    QTemporaryDir dir;
    QVERIFY(writeAll(dir.filePath("in"), c.content) && writeAll(dir.filePath("out.cvx"), kOld));
    QStringList entries{"in", "out.cvx"};
    if (c.args.contains("{fifo}")) {
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
        entries.prepend("fifo");
    }
    c.args.replaceInStrings("{in}", dir.filePath("in")).replaceInStrings("{fifo}", dir.filePath("fifo"));
    c.args.replaceInStrings("{dir}", dir.path());
    c.err.replace("{dir}", QFile::encodeName(dir.path()));
    c.stdinFile.replace("{dir}", dir.path());
    const ToolRun run = runTool(kTool, c.args, {c.content, c.stdinFile, c.stdoutFile, c.memoryLimitKb});
    QVERIFY2(run.ranWell, "corvane-cvx did not finish in time, or ended by a signal");
    QCOMPARE(run.out, c.out);
    if (c.err.isEmpty() || c.err.endsWith('\n'))
        QCOMPARE(run.err, c.err);
    else
        QVERIFY2(run.err.startsWith(c.err) && run.err.count('\n') == 1 && run.err.endsWith('\n'),
                 run.err.constData());
    QCOMPARE(run.exitCode, c.exit);
    QCOMPARE(readAll(dir.filePath("out.cvx")), c.written);
    // No temporary file left behind, no file named "-", no folder made.
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System),
        entries);
}

// clang-format off
void TestCvx::materialFile_data()
{
    QTest::addColumn<QString>("file");         // a fixture, or a file made at run time
    QTest::addColumn<QByteArray>("generated"); // the content of a file made at run time
    QTest::addColumn<QStringList>("names");    // the good materials after the merge, in order
    QTest::addColumn<int>("lines");
    QTest::addColumn<QStringList>("notes"); // the beginnings of the log's lines of skipped and changed input
    const auto row = [](const char *name, const QString &file, const QStringList &names, int lines,
                        const QStringList &notes = {}, const QByteArray &generated = {}) {
        QTest::newRow(name) << file << generated << names << lines << notes;
    };
    const QStringList good = {kBasic, kClear};
    const auto first32 = [](const QString &name) { return QString::fromUtf8(name.toUtf8().left(32)); };
    const auto set = [](const char *what) { return QStringLiteral("Skipped on line %1").arg(what); };

    row("binary garbage between good lines, a CR byte in it ending a line", "binary_garbage.cvx", good, 6,
        skips({2, 3, 4, 5}));
    row("CR LF, blank and lone CR line ends keep every material; a lone CR ends a line",
        "crlf_and_mixed_line_ends.cvx", {kBasic, kClear, "ABS Grey", "TPU Soft"}, 6, skips({2, 5}));
    row("materials joined on one line are all read", "two_materials_on_one_line.cvx",
        {kBasic, kClear, "ABS Grey", "TPU Soft"}, 2);
    row("UTF-8 byte-order marks before and inside the hex", "byte_order_mark.cvx", good, 2);
    row("UTF-16 with byte-order mark", "utf16_with_byte_order_mark.cvx", good, 3, skips({3}));
    row("group, name or manufacturer missing", "missing_group_or_name.cvx", good, 7,
        skips({2}, "no \"group\"") + skips({3}, "\"b3\" missing") + skips({4}, "\"b2\" missing") +
            skips({5}, "\"b2\" and \"b3\" missing") + skips({6}, "no \"group\""));
    row("every field with a wrong JSON type", "wrong_json_types.cvx", {kBasic, "Wrong Types", kClear}, 10,
        QStringList{set("2: print set 1 (printer 0, nozzle 0,"),
                    set("2: print set 7 (printer 0, nozzle 0,")} +
            skips({3}, "\"b2\" missing") + skips({4}, "\"b3\" missing") +
            skips({5, 6, 7}, "\"group\" is not an array") + skips({8, 9}, "not a JSON object"));
    row("a NUL escape ends the name; a raw NUL byte is not JSON", "name_with_nul_escape.cvx",
        {kBasic, "Nul", "", kClear}, 5, skips({4}));
    row("invalid UTF-8 kept as bytes; lone surrogate escapes are not JSON", "invalid_utf8_and_high_bytes.cvx",
        {kBasic, QString::fromUtf8("Caf\xc3"), QString::fromUtf8("\xff\xfe Bytes"),
         QString::fromUtf8("Half \xe2\x82"), kClear},
        7, skips({5, 6}));
    const QChar e(0xe9);
    row("names cut to 32 bytes, names equal in them kept apart; a long lock text does no harm",
        "names_and_lock_over_32_bytes.cvx",
        {kBasic, first32("Forty Byte Name Forty Byte Name 12345678"), first32(QString(17, e)),
         first32("a" + QString(16, e)), "Same First Thirty-Two Bytes Here",
         "Same First Thirty-Two Byte_Copy1", kClear},
        7, {"Material Same First Thirty-Two Bytes Here / Fixture is in the file more than once"});
    row("one name or one ID twice in a file: every material kept, renamed or renumbered",
        "duplicate_ids_in_one_file.cvx", {kBasic, kClear, kBasic + "_Copy1", "Nylon Twin", "Nylon Other"}, 5,
        {"Material PLA Basic / Fixture is in the file more than once",
         "Material PLA Basic_Copy1 / Fixture "
         "renumbered from 11002 to",
         "Material Nylon Other / Fixture renumbered from"});
    row("a negative quality is refused, not a wildcard that replaces a set", "negative_quality.cvx",
        {kBasic, "Qualities", kClear}, 3,
        {set("2: print set 2 (printer 10102, nozzle 0.4, layer 0.2, quality -1): "
             "quality -1 is negative, which would stand for every quality")},
        goodLine("PLA Basic", 11001) +
            hexLine(R"({"b1":11063,"b2":"Qualities","b3":"Fixture","group":[)"
                    R"({"p1":10102,"p4":2,"p6":180},{"p1":10102,"p4":-1,"p6":190}]})") +
            goodLine("PETG Clear", 11002));
    row("a line of 80 MB refused unheld, the next one read", "line_over_64_mb.cvx", good, 3,
        skips({2}, "longer than 64 MB"),
        goodLine("PLA Basic", 11001) + QByteArray("7b").repeated(40 * 1000 * 1000) + '\n' +
            goodLine("PETG Clear", 11002));
    row("80,000 values on one line that are not materials: one line skipped, with the count", "values.cvx",
        {kBasic}, 2, skips({2}, "80000 values that are not materials, the first: not a JSON object"),
        goodLine("PLA Basic", 11001) + QByteArray("0 ").repeated(80000).toHex() + '\n');
}
// clang-format on

// The file merged into a library that holds one material of its own, then checked by corvane-cvx:
// both count lines as lines, however many values a line holds.
void TestCvx::materialFile()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, generated);
    QFETCH(QStringList, names);
    QFETCH(int, lines);
    QFETCH(QStringList, notes);
    LibraryFixture fx;
    Materials &m = fx.mats();
    const QString path = generated.isEmpty() ? fixture(file) : fx.dataDir() + '/' + file;
    QVERIFY(generated.isEmpty() || writeAll(path, generated));
    const QByteArray input = readAll(path);
    const CPrintMaterial home = makeMaterial("Home Blend", "User", 900001, {{10112, 0.4f, 0.2f, 0}});
    QVERIFY(writeMaterialFile(m.UserPath(), {home}));
    m.importUserMaterials();
    const QByteArray userLibrary = readAll(m.UserPath());

    LogCapture log;
    m.importMaterials(path, false);
    QCOMPARE(namesOf(m), QStringList{kHome} + names);
    QVERIFY(!m.IsHaveSameID());
    QVERIFY(log.contains(QStringLiteral("ReadFileToString() nRet: 1 vecList size: %1").arg(lines)));
    const QStringList logged = log.lines().filter(QRegularExpression("Skipped |more than once|renumbered"));
    QCOMPARE(logged.size(), notes.size());
    for (int i = 0; i < logged.size(); ++i)
        QVERIFY2(logged[i].startsWith("importMaterials() " + notes[i]), qPrintable(logged[i]));
    QCOMPARE(readAll(m.UserPath()), userLibrary); // nothing is saved unless the user saves
    QVERIFY(readAll(path) == input);              // the imported file is only read

    // Room for a line of 64 MB and its decoding, and not for holding a longer line.
    const ToolRun check = runTool(kTool, {"check", path}, {{}, {}, {}, 240000});
    QVERIFY2(check.ranWell && (check.exitCode == 0 || check.exitCode == 1), qPrintable(check.err));
    const int skippedLines = notes.filter(QRegularExpression("^Skipped line ")).size();
    const int refusedSets = notes.filter("Skipped on").size();
    const QString summary = QString::asprintf("%d materials, %d lines not materials, %d print sets refused, ",
                                              int(names.size()), skippedLines, refusedSets);
    QVERIFY2(QString(check.out).section('\n', -2, -2).startsWith(summary), check.out.right(200).constData());
    QCOMPARE(m.lastImportReport().value("skipped").toInt(), skippedLines);
}

// A user library that cannot be read completely is remembered as such until it is read again
// or saved over; what was read is kept, and the folder in its place is never replaced.
void TestCvx::userLibraryThatIsAFolderIsNeverReplaced()
{
    LibraryFixture fx;
    Materials &m = fx.mats();
    QVERIFY(QDir().mkpath(m.UserPath()) && writeAll(m.UserPath() + "/keep.txt", "kept"));
    QSignalSpy reason(&m, &Materials::userLibraryReadErrorChanged);
    LogCapture log;
    m.importUserMaterials();
    QCOMPARE(m.lastImportReport().value("readError").toString(), QStringLiteral("Is a directory"));
    QVERIFY(log.contains("importMaterials() Could not read " + m.UserPath() + " completely: Is a directory"));
    m.importMaterials(fixture("vendor_newer_version.cvx"), false);
    QVERIFY(!m.exportUserMaterials() && !m.lastExportError().isEmpty());
    QCOMPARE(readAll(m.UserPath() + "/keep.txt"), QByteArray("kept"));
    QCOMPARE(QPair(m.userLibraryReadError(), reason.count()), QPair(QStringLiteral("Is a directory"), 1));

    // Read again whole: the reason goes, and what was read is kept.
    QVERIFY(QDir(m.UserPath()).removeRecursively());
    QVERIFY(writeMaterialFile(m.UserPath(), {makeMaterial("Home Blend", "User", 900001)}));
    m.importUserMaterials();
    QCOMPARE(QPair(m.userLibraryReadError(), reason.count()), QPair(QString(), 2));
    QCOMPARE(namesOf(m), QStringList({kBasic, kClear, kHome}));
}

QTEST_GUILESS_MAIN(TestCvx)
#include "tst_cvx.moc"
