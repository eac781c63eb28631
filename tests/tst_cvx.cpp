// corvane-cvx end to end: the real binary, run in a temporary folder; exit code, standard output,
// standard error and the output file are compared whole.

#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

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

ToolRun cvx(const QStringList &args, const ToolOptions &options = {})
{
    return runTool(kTool, args, options);
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
    QString stdinFile = {}; // standard input from this path ("{dir}" the folder) instead of the content
    int memoryLimitKb = 0;  // the address space the tool may use; 0 for no limit
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
    void decodeThenEncodeGivesTheSameFile();
    void fullStandardOutputIsAnError();
};

void TestCvx::commands_data()
{
    QTest::addColumn<Case>("c");
    const auto add = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
    const QByteArray ref = hexLine(kReference), pla = hexLine(kPla), petg = hexLine(kPetg);
    const QString out = "{dir}/out.cvx";
    const auto usage = [](const char *what) {
        return "corvane-cvx: " + QByteArray(what) + " (see corvane-cvx --help)\n";
    };
    const QByteArray missing = "corvane-cvx: {dir}/missing: cannot open: No such file or directory\n";

    // Only what a user states, and stale derived fields: the writer fills in the rest.
    const QByteArray stale =
        R"([{"m2":9100,"b1":721355203,"b2":"PLA","b3":"KestRona","b6":7,"b7":1.75,"b8":1.24,)"
        R"("b9":[0.003,0.003,0.003],"b10":1,"b11":50,"group":[{"p1":10112,"p2":0.4,)"
        R"("p3":0.2004,"p5":1,"p15":[800,1500,2000],"p17":0,"p23":0,"p24":0,"p25":0}]}])";
    add("encode writes the reference byte for byte", {{"encode", "-", "-o", out}, stale, 0, "", "", ref});
    add("encode of JSON Lines with CR LF, blank lines and no final line feed",
        {{"encode", "{in}", "-o", "-"}, "\r\n" + kReference + "\r\n\r\n \r\n" + kReference, 0, ref + ref});
    const QJsonObject parsed = QJsonDocument::fromJson(kReference).object();
    add("encode of an indented array",
        {{"encode", "{in}", "-o", "-"}, QJsonDocument(QJsonArray{parsed, parsed}).toJson(), 0, ref + ref});
    add("encode of empty input writes an empty file", {{"encode", "-", "-o", out}, "", 0, "", "", ""});
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

    add("decode --readable names the values as the editor does",
        {{"decode", "--readable", "--compact", "-"},
         hexLine(R"({"b1":7,"b2":"ABS","b3":"K","b4":240,"group":[]})"), 0,
         R"x({"ID":7,"Name":"ABS","Manufacturer":"K","Password":"none","Print Temp (℃)":240,)x"
         R"x("Platfrom Temp (℃)":50,"Fila Dia (mm)":1.7,"Fila Density (g/㎤)":1.05,)x"
         R"x("Shrink of X (%)":0,"Shrink of Y (%)":0,"Shrink of Z (%)":0,"Print sets":[]})x" "\n"});
    add("decode --compact gives the written text and reports refused lines",
        {{"decode", "--compact", "{in}"}, "zz\n" + ref + hexLine(R"({"b2":"x","group":[]})"), 1,
         kReference + "\n", "line 1: not hexadecimal\nline 3: \"b3\" missing\n"});

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
    add("check of a clean file",
        {{"check", "{in}"}, "1.0.2\n" + pla + petg, 0, "2 materials, 0" + summary + "0 duplicate IDs\n"});
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
    add("check of a folder as standard input is a read error",
        {{"check", "-"}, "", 2, "", "corvane-cvx: -: cannot read: Is a directory\n", kOld, "{dir}"});
    // Holding the line would take more than the tool may have: the line is refused, and the
    // reading goes on.
    add("check of a 40 MB line under a 100 MB memory limit refuses that line alone",
        {{"check", "{in}"}, pla + QByteArray("7b").repeated(20 << 20) + "\n" + petg, 1,
         "line 2: too large for the memory available\n2 materials, 1" + summary + "0 duplicate IDs\n", "",
         kOld, {}, 100000});

    // Members in any order; sets added, removed or changed; --values by the names the editor shows.
    add("diff of equal materials", {{"diff", out, "{in}"},
        hexLine(R"({"b3":"K","b2":"ABS","b1":7,"b4":240,"group":[{"p6":240,"p1":10102},{}]})"), 0});
    add("diff lists materials only in one file by ID",
        {{"diff", out, "{in}"}, hexLine(QByteArray(kDiffA).replace(":7", ":8")), 1,
         "only in A: 7 ABS / K\nonly in B: 8 ABS / K\n"});
    const QByteArray changed =
        R"({"b1":7,"b2":"ABS","b3":"K","b4":245,"group":[{"p1":10102,"p6":250},{"p1":10110}]})";
    add("diff of a changed basic field, print set fields, sets added and removed",
        {{"diff", out, "{in}"}, hexLine(changed), 1,
         "changed: 7 ABS / K\n  b4: 240 -> 245\n"
         "  print set printer 10102, nozzle 0.4, layer 0.2, quality 0: p6: 240 -> 250\n"
         "  print set printer -1, nozzle 0.4, layer 0.2, quality 0: removed\n"
         "  print set printer 10110, nozzle 0.4, layer 0.2, quality 0: added\n"});
    add("diff --values names the values as the editor does",
        {{"diff", out, "{in}", "--values"}, hexLine(QByteArray(changed).replace("10110", "-1")), 1,
         "changed: 7 ABS / K\n  Print Temp: 240 ℃ -> 245 ℃\n"
         "  print set printer 10102 (Orvik Solo), nozzle 0.40, layer 0.20, "
         "quality 0 (Normal): Basic Temp: 240 ℃ -> 250 ℃\n"});

    add("no arguments", {{}, "", 2, "", usage("no command given")});
    add("unknown command", {{"frob"}, "", 2, "", usage("unknown command 'frob'")});
    add("encode without -o", {{"encode", "{in}"}, kPla, 2, "", usage("encode needs INPUT and -o OUTPUT")});
    add("encode with -o last", {{"encode", "{in}", "-o"}, kPla, 2, "", usage("-o needs one OUTPUT")});
    add("diff with one file", {{"diff", "{in}"}, "", 2, "", usage("diff takes two FILEs")});

    add("encode of a missing input keeps the old output",
        {{"encode", "{dir}/missing", "-o", out}, "", 2, "", missing});
    add("check of a folder", {{"check", "{dir}"}, "", 2, "", "corvane-cvx: {dir}: is a directory\n"});
    add("encode into a missing folder makes no folder",
        {{"encode", "{in}", "-o", "{dir}/missing/out.cvx"}, kPla, 2, "",
         "corvane-cvx: {dir}/missing/out.cvx: cannot write: "});
}

void TestCvx::commands()
{
    QFETCH(Case, c);
#if defined(__SANITIZE_ADDRESS__)
    if (c.memoryLimitKb)
        QSKIP("AddressSanitizer reserves more address space than the limit allows");
#endif
    QTemporaryDir dir;
    QVERIFY(writeAll(dir.filePath("in"), c.content) && writeAll(dir.filePath("out.cvx"), kOld));
    c.args.replaceInStrings("{in}", dir.filePath("in")).replaceInStrings("{dir}", dir.path());
    c.err.replace("{dir}", QFile::encodeName(dir.path()));
    c.stdinFile.replace("{dir}", dir.path());
    ToolOptions options{c.content, c.stdinFile};
    options.memoryLimitKb = c.memoryLimitKb;
    const ToolRun run = cvx(c.args, options);
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
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"in", "out.cvx"}));
}

// Names are bytes: Latin-1, UTF-8, quotes, backslashes and control characters must come back from
// the decoded JSON as they were.
void TestCvx::decodeThenEncodeGivesTheSameFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("library.cvx"), again = dir.filePath("again.cvx");
    const QByteArray awkward = "{\"b1\":3,\"b2\":\"Caf\xe9 \\\"Noir,[1]\\\" \\\\ 1\","
                               "\"b3\":\"\xc3\x89ti\\u0001\",\"b12\":0.1,"
                               "\"group\":[{\"p1\":-1,\"p2\":1,\"p3\":0.7,\"p4\":6}]}";
    const QByteArray input = "[" + kReference + "," + awkward + "," + kPetg + "]";
    QCOMPARE(cvx({"encode", "-", "-o", file}, {input}).exitCode, 0);
    const ToolRun decoded = cvx({"decode", file});
    QCOMPARE(QPair(decoded.exitCode, decoded.err), QPair(0, QByteArray()));
    QCOMPARE(cvx({"encode", "-", "-o", again}, {decoded.out}).err, QByteArray());
    QCOMPARE(readAll(again), readAll(file));
}

// Output lost to a full disk must not pass for success.
void TestCvx::fullStandardOutputIsAnError()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("materials.cvx"), json = dir.filePath("materials.json");
    QVERIFY(QFileInfo("/dev/full").isWritable() && writeAll(file, kOld) && writeAll(json, kDiffA));
    const QList<QStringList> everyCommand = {
        {"list", file}, {"check", file}, {"decode", file}, {"decode", "--compact", file},
        {"encode", json, "-o", "-"}};
    for (const QStringList &args : everyCommand) {
        const ToolRun run = cvx(args, {{}, {}, "/dev/full"});
        QVERIFY2(run.ranWell && run.exitCode == 2 && run.err.count('\n') == 1, qPrintable(args.join(' ')));
    }
}

QTEST_GUILESS_MAIN(TestCvx)
#include "tst_cvx.moc"
