// corvane-cvx end to end: the real binary, run in a temporary folder; exit code, standard output,
// standard error and the output file are compared whole.

#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <clocale>

namespace {
const QString kTool = QStringLiteral(CORVANE_BIN_DIR "/corvane-cvx");

// "PLA" with one print set, exactly as the editor writes it: derived fields filled in.
const QByteArray kReferenceJson = QByteArrayLiteral(
    R"json({"m1":"","m2":9100,"b1":721355203,"b2":"PLA","b3":"KestRona","b4":210,"b5":50,"b6":50,"b7":1.75,)json"
    R"json("b8":1.2400000095367432,"b9":[0.0030000000260770321,0.0030000000260770321,0.0030000000260770321],)json"
    R"json("b10":9.4367351531982422,"b11":100,"b12":0,"b13":0,"b14":0,"group":[{"p1":10112,)json"
    R"json("p2":0.40000000596046448,"p3":0.20000000298023224,"p4":0,"p5":0.94367355108261108,"p6":210,)json"
    R"json("p7":220,"p8":50,"p9":20,"p10":10,"p11":[0.5,0.5,0.5],"p12":[30,40,50],"p13":[1,1,1],)json"
    R"json("p14":[0,0,0],"p15":[1000,1500,2000],"p16":0.20000000298023224,"p17":150,)json"
    R"json("p18":0.10000000149011612,"p19":30,"p20":0.800000011920929,"p21":0.800000011920929,"p22":1.5,)json"
    R"json("p23":0.25,"p24":0.62999999523162842,"p25":1.1024999618530273,"p26":1,)json"
    R"json("p27":0.019999999552965164,"p28":15}]})json");
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
// kQualities' material as the editor writes it: the set of quality 2 kept, the one of -1 dropped.
const QByteArray kQualitiesKept = QByteArrayLiteral(
    R"json({"m1":"","m2":0,"b1":105,"b2":"Q","b3":"K","b4":210,"b5":50,"b6":50,"b7":1.7000000476837158,)json"
    R"json("b8":1.0499999523162842,"b9":[0,0,0],"b10":10,"b11":100,"b12":0,"b13":0,"b14":0,"group":[{"p1":10112,)json"
    R"json("p2":0.40000000596046448,"p3":0.20000000298023224,"p4":2,"p5":1,"p6":210,"p7":220,"p8":50,"p9":20,)json"
    R"json("p10":10,"p11":[0.5,0.5,0.5],"p12":[30,40,50],"p13":[1,1,1],"p14":[0,0,0],"p15":[1000,1500,2000],)json"
    R"json("p16":0.20000000298023224,"p17":150,"p18":0.10000000149011612,"p19":30,"p20":0.800000011920929,)json"
    R"json("p21":0.800000011920929,"p22":1.5,"p23":0.25,"p24":0.62999999523162842,"p25":1.1024999618530273,)json"
    R"json("p26":1,"p27":0.019999999552965164,"p28":15}]})json");
// What out.cvx holds before every run: a failed run must leave it so.
const QByteArray kOld = "old content\n";
const QString kComma = QStringLiteral("de_DE.UTF-8");

QByteArray hexLine(const QByteArray &json)
{
    return json.toHex() + '\n';
}

struct Run
{
    bool finished = false; // false: killed after the time limit
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run cvx(const QStringList &args, const QByteArray &input = {}, const QString &outputFile = {},
        const QString &locale = QStringLiteral("C.UTF-8"), const QString &inputFile = {}, int memoryLimitKb = 0)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), locale); // system messages in English
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (!inputFile.isEmpty())
        process.setStandardInputFile(inputFile);
    if (memoryLimitKb > 0) {
        const QString limited = QStringLiteral("ulimit -v %1 && exec \"$0\" \"$@\"").arg(memoryLimitKb);
        process.start(QStringLiteral("/bin/sh"), QStringList{QStringLiteral("-c"), limited, kTool} + args);
    } else {
        process.start(kTool, args);
    }
    Run run;
    if (!process.waitForStarted())
        return run;
    if (inputFile.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    run.finished = process.waitForFinished(120000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.status = process.exitStatus();
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Every command: list, check and both decodes of a material file, encode of an input.
QList<QStringList> everyCommand(const QString &file, const QString &input, const QString &output)
{
    return {{"list", file}, {"check", file}, {"decode", file}, {"decode", "--compact", file},
            {"encode", input, "-o", output}};
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
    QString locale = QStringLiteral("C.UTF-8");
    QString stdinFile = {}; // standard input from this path ("{dir}" the folder) instead of the content
    int memoryLimitKb = 0;  // the address space the tool may use; 0 for no limit
};
} // namespace

Q_DECLARE_METATYPE(Case)

#define VERIFY_RAN(run)                                                                                      \
    do {                                                                                                     \
        QVERIFY2((run).finished, "corvane-cvx did not finish in time");                                      \
        QVERIFY2((run).status == QProcess::NormalExit, "corvane-cvx ended by a signal");                     \
    } while (false)

class TestCvx : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(kTool), qPrintable(kTool + " is not built")); }
    void help();
    void commands_data();
    void commands();
    void decodeThenEncodeGivesTheSameFile();
    void fullStandardOutputIsAnError();
    void diff_data();
    void diff();
    void garbageNeverCrashes_data();
    void garbageNeverCrashes();
};

void TestCvx::help()
{
    const Run run = cvx({"--help"});
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    for (const char *usage :
         {"list FILE", "decode FILE [--compact]", "encode INPUT -o OUTPUT", "check FILE", "diff A B"})
        QVERIFY2(run.out.contains(usage), usage);
}

void TestCvx::commands_data()
{
    QTest::addColumn<Case>("c");
    const auto add = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
    const QByteArray ref = hexLine(kReferenceJson);
    const QByteArray pla = hexLine(kPla);
    const QByteArray petg = hexLine(kPetg);
    const QString out = "{dir}/out.cvx";
    const QByteArray usage = " (see corvane-cvx --help)\n";
    const QByteArray missing = "corvane-cvx: {dir}/missing: cannot open: No such file or directory\n";

    // Only what a user states, and stale derived fields: the writer fills in the rest.
    const QByteArray stale = R"([{"m2":9100,"b1":721355203,"b2":"PLA","b3":"KestRona","b6":7,"b7":1.75,"b8":1.24,)"
                             R"("b9":[0.003,0.003,0.003],"b10":1,"b11":50,"group":[{"p1":10112,"p2":0.4,)"
                             R"("p3":0.2004,"p5":1,"p15":[800,1500,2000],"p17":0,"p23":0,"p24":0,"p25":0}]}])";
    add("encode writes the reference byte for byte", {{"encode", "-", "-o", out}, stale, 0, "", "", ref});
    add("encode under a comma locale", {{"encode", "-", "-o", out}, stale, 0, "", "", ref, kComma});
    add("encode of JSON Lines with CR LF, blank lines and no final line feed",
        {{"encode", "{in}", "-o", "-"}, "\r\n" + kReferenceJson + "\r\n\r\n \r\n" + kReferenceJson, 0, ref + ref});
    const QJsonObject parsed = QJsonDocument::fromJson(kReferenceJson).object();
    add("encode of an indented array",
        {{"encode", "{in}", "-o", "-"}, QJsonDocument(QJsonArray{parsed, parsed}).toJson(), 0, ref + ref});
    add("encode of empty input writes an empty file", {{"encode", "-", "-o", out}, "", 0, "", "", ""});
    const QByteArray withRefusedSet =
        QByteArray(kReferenceJson).replace("}]}", R"(},{"p1":10112,"p2":0.6,"p3":0.3}]})");
    add("encode lists a refused print set and keeps its material",
        {{"encode", "-", "-o", out}, withRefusedSet, 1, "", "line 1: " + kNozzleRefused, ref});
    add("encode lists refused array elements, counted from 1",
        {{"encode", "-", "-o", "-"}, "[" + kReferenceJson + R"(,{"b1":103,"b2":"ABS","group":[]},42])", 1, ref,
         "element 2: refused: \"b3\" missing\nelement 3: refused: not a JSON object\n"});
    add("encode lists refused JSON Lines, blank lines counted",
        {{"encode", "-", "-o", "-"}, kReferenceJson + "\n\n" + R"({"b1":103,"b2":"ABS","b3":"K"})" + "\nPLA, 210\n",
         1, ref, "line 3: refused: no \"group\"\nline 4: refused: not JSON\n"});

    add("decode --compact gives the written text",
        {{"decode", "-", "--compact"}, ref, 0, kReferenceJson + "\n"});
    add("decode --readable names the values as the editor does",
        {{"decode", "--readable", "--compact", "-"}, hexLine(R"({"b1":7,"b2":"ABS","b3":"K","b4":240,"group":[]})"), 0,
         R"x({"ID":7,"Name":"ABS","Manufacturer":"K","Password":"none","Print Temp (℃)":240,)x"
         R"x("Platfrom Temp (℃)":50,"Fila Dia (mm)":1.7,"Fila Density (g/㎤)":1.05,"Shrink of X (%)":0,)x"
         R"x("Shrink of Y (%)":0,"Shrink of Z (%)":0,"Print sets":[]})x" "\n"});
    add("decode reports refused lines",
        {{"decode", "--compact", "{in}"}, "zz\n" + ref + hexLine(R"({"b2":"x","group":[]})"), 1,
         kReferenceJson + "\n", "line 1: not hexadecimal\nline 3: \"b3\" missing\n"});

    add("list skips the version text on line 1", {{"list", "{in}"}, "1.0.2\n" + pla + petg, 0, kListed});
    add("list of CR LF lines", {{"list", "{in}"}, kPla.toHex() + "\r\n" + kPetg.toHex() + "\r\n", 0, kListed});
    add("list of a last line without line feed", {{"list", "{in}"}, pla + kPetg.toHex(), 0, kListed});
    add("list of an empty file", {{"list", "{in}"}, "", 0, ""});
    add("list reports a line that is not a material and goes on",
        {{"list", "{in}"}, pla + hexLine("PLA, KestRona, 210") + petg, 1, kListed, "line 2: not JSON\n"});
    add("list reports refused print sets and does not count them",
        {{"list", "-"}, hexLine(kTpu), 1, "104\tTPU\tKestRona\tunlocked\t1\n",
         "line 1: " + kNozzleRefused + "line 1: " + kLayerRefused});
    add("list counts two sets of one key once",
        {{"list", "{in}"},
         hexLine(R"({"b1":5,"b2":"Twin","b3":"M","group":[{"p1":10102},{"p1":10102,"p2":0.405,"p6":230}]})"), 0,
         "5\tTwin\tM\tunlocked\t1\n"});
    // A tab or line feed in a name must not add a column or a line.
    add("list shows control characters in names as ?",
        {{"list", "{in}"}, hexLine(R"({"b1":-7,"b2":"A\tB\nC","b3":"\r","group":[]})"), 0,
         "-7\tA?B?C\t?\tunlocked\t0\n"});
    add("list of a 5 MB name shows its first 32 bytes",
        {{"list", "{in}"},
         hexLine(R"({"b1":9,"b2":"0123456789abcdefghijklmnopqrstuv)" + QByteArray(5 << 20, 'x') +
                 R"(","b3":"M","group":[]})"),
         0, "9\t0123456789abcdefghijklmnopqrstuv\tM\tunlocked\t0\n"});

    add("check of a clean file",
        {{"check", "{in}"}, "1.0.2\n" + pla + petg, 0,
         "2 materials, 0 lines not materials, 0 print sets refused, 0 duplicate IDs\n"});
    // Line numbers count every line; a version text counts as one only on line 1.
    add("check names every fault of a CR LF file by its line",
        {{"check", "-"},
         "1.0.2\r\n" + kPla.toHex() + "\r\n\r\nnot hex\r\n" + kPla.toHex() + "\r\n" +
             QByteArray(R"({"b2":"x","b3":"y","group":1})").toHex() + "\r\n1.0.2\r\n" +
             QByteArray("PLA, KestRona, 210").toHex(),
         1,
         "line 3: empty line\nline 4: not hexadecimal\nline 5: material ID 101 duplicates line 2\n"
         "line 6: \"group\" is not an array\nline 7: not hexadecimal\nline 8: not JSON\n"
         "2 materials, 5 lines not materials, 0 print sets refused, 1 duplicate IDs\n"});
    add("check of a duplicate material ID",
        {{"check", "{in}"}, pla + petg + pla, 1,
         "line 3: material ID 101 duplicates line 1\n"
         "3 materials, 0 lines not materials, 0 print sets refused, 1 duplicate IDs\n"});
    const QByteArray tpuChecked = "line 1: " + kNozzleRefused + "line 1: " + kLayerRefused +
                                  "2 materials, 0 lines not materials, 2 print sets refused, 0 duplicate IDs\n";
    const QByteArray tpu = hexLine(kTpu) + petg;
    add("check gives the reasons of refused print sets", {{"check", "{in}"}, tpu, 1, tpuChecked});
    add("check under a comma locale", {{"check", "{in}"}, tpu, 1, tpuChecked, "", kOld, kComma});

    // A print set of quality -1 would stand for every quality of its nozzle and layer.
    const QByteArray qualities = R"({"b1":105,"b2":"Q","b3":"K","group":[{"p1":10112,"p4":2},{"p1":10112,"p4":-1}]})";
    const QByteArray negativeQuality = "print set 2 (printer 10112, nozzle 0.4, layer 0.2, quality -1): "
                                       "quality -1 is negative, which would stand for every quality\n";
    add("check refuses a negative quality",
        {{"check", "{in}"}, hexLine(qualities), 1,
         "line 1: " + negativeQuality + "1 materials, 0 lines not materials, 1 print sets refused, 0 duplicate IDs\n"});
    add("decode keeps the material of a negative quality without that set",
        {{"decode", "--compact", "{in}"}, hexLine(qualities), 1,
         kQualitiesKept + "\n", "line 1: " + negativeQuality});
    add("check counts a line of many values as one line, with one report",
        {{"check", "{in}"}, pla + QByteArray("0 ").repeated(1000).toHex() + "\n", 1,
         "line 2: 1000 values that are not materials, the first: not a JSON object\n"
         "1 materials, 1 lines not materials, 0 print sets refused, 0 duplicate IDs\n"});
    add("list of two materials split by a lone CR, without a last line feed",
        {{"list", "{in}"}, kPla.toHex() + "\r" + kPetg.toHex(), 0, kListed});
    const QByteArray folderRead = "corvane-cvx: -: cannot read: Is a directory\n";
    add("check of a folder as standard input is a read error",
        {{"check", "-"}, "", 2, "", folderRead, kOld, QStringLiteral("C.UTF-8"), "{dir}"});
    add("encode of a folder as standard input keeps the old output",
        {{"encode", "-", "-o", out}, "", 2, "", folderRead, kOld, QStringLiteral("C.UTF-8"), "{dir}"});

    // Holding the line would take more than the tool may have: the line is refused, and the
    // reading goes on.
    add("check of a 40 MB line under a 100 MB memory limit refuses that line alone",
        {{"check", "{in}"}, pla + QByteArray("7b").repeated(20 << 20) + "\n" + petg, 1,
         "line 2: too large for the memory available\n"
         "2 materials, 1 lines not materials, 0 print sets refused, 0 duplicate IDs\n",
         "", kOld, QStringLiteral("C.UTF-8"), {}, 100000});

    add("no arguments", {{}, "", 2, "", "corvane-cvx: no command given" + usage});
    add("unknown command", {{"frob"}, "", 2, "", "corvane-cvx: unknown command 'frob'" + usage});
    add("list with two files", {{"list", "{in}", "{in}"}, "", 2, "", "corvane-cvx: list takes one FILE" + usage});
    const QByteArray oneFile = "corvane-cvx: decode takes one FILE" + usage;
    add("decode without FILE", {{"decode", "--compact"}, "", 2, "", oneFile});
    add("decode with two files", {{"decode", "{in}", "{in}"}, "", 2, "", oneFile});
    const QByteArray needs = "corvane-cvx: encode needs INPUT and -o OUTPUT" + usage;
    add("encode without -o", {{"encode", "{in}"}, kPla, 2, "", needs});
    add("encode without INPUT", {{"encode", "-o", out}, kPla, 2, "", needs});
    const QByteArray oneOutput = "corvane-cvx: -o needs one OUTPUT" + usage;
    add("encode with -o last", {{"encode", "{in}", "-o"}, kPla, 2, "", oneOutput});
    add("encode with two -o", {{"encode", "{in}", "-o", out, "-o", out}, kPla, 2, "", oneOutput});
    add("encode with two inputs",
        {{"encode", "{in}", "{in}", "-o", out}, kPla, 2, "", "corvane-cvx: encode takes one INPUT" + usage});

    add("decode of a missing file", {{"decode", "{dir}/missing"}, "", 2, "", missing});
    add("encode of a missing input keeps the old output",
        {{"encode", "{dir}/missing", "-o", out}, "", 2, "", missing});
    const QByteArray folder = "corvane-cvx: {dir}: is a directory\n";
    add("check of a folder", {{"check", "{dir}"}, "", 2, "", folder});
    add("encode of a folder", {{"encode", "{dir}", "-o", out}, "", 2, "", folder});
    add("encode into a folder",
        {{"encode", "{in}", "-o", "{dir}"}, kPla, 2, "", "corvane-cvx: {dir}: cannot write: "});
    add("encode into a missing folder makes no folder",
        {{"encode", "{in}", "-o", "{dir}/missing/out.cvx"}, kPla, 2, "",
         "corvane-cvx: {dir}/missing/out.cvx: cannot write: "});
}

void TestCvx::commands()
{
    QFETCH(Case, c);
    if (c.locale == kComma) {
        const locale_t comma = newlocale(LC_ALL_MASK, "de_DE.UTF-8", locale_t(nullptr));
        if (!comma)
            QSKIP("the de_DE.UTF-8 locale is not installed");
        freelocale(comma);
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeAll(dir.filePath("in"), c.content));
    QVERIFY(writeAll(dir.filePath("out.cvx"), kOld));
    c.args.replaceInStrings("{in}", dir.filePath("in")).replaceInStrings("{dir}", dir.path());
    c.err.replace("{dir}", QFile::encodeName(dir.path()));

#if defined(__SANITIZE_ADDRESS__)
    if (c.memoryLimitKb)
        QSKIP("AddressSanitizer reserves more address space than the limit allows");
#endif
    c.stdinFile.replace("{dir}", dir.path());
    const Run run = cvx(c.args, c.content, {}, c.locale, c.stdinFile, c.memoryLimitKb);
    VERIFY_RAN(run);
    QCOMPARE(run.out, c.out);
    if (c.err.isEmpty() || c.err.endsWith('\n')) {
        QCOMPARE(run.err, c.err);
    } else {
        QVERIFY2(run.err.startsWith(c.err), run.err.constData());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.err.endsWith('\n'));
    }
    QCOMPARE(run.exitCode, c.exit);
    QCOMPARE(readAll(dir.filePath("out.cvx")), c.written);
    // No temporary file left behind, no file named "-", no folder made.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"in", "out.cvx"}));
}

// Names are bytes: Latin-1, UTF-8, quotes, backslashes and control characters must come back from
// either decoded form as they were.
void TestCvx::decodeThenEncodeGivesTheSameFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("library.cvx");
    const QByteArray awkward = "{\"b1\":3,\"b2\":\"Caf\xe9 \\\"Noir,[1]\\\" \\\\ 1\",\"b3\":\"\xc3\x89ti\\u0001\","
                               "\"b12\":0.1,\"group\":[{\"p1\":-1,\"p2\":1,\"p3\":0.7,\"p4\":6}]}";
    Run run = cvx({"encode", "-", "-o", file}, "[" + kReferenceJson + "," + awkward + "," + kPetg + "]");
    QCOMPARE(run.exitCode, 0);

    const Run compact = cvx({"decode", "--compact", file});
    const Run pretty = cvx({"decode", file});
    QCOMPARE(compact.out.count('\n'), 3);
    QVERIFY2(pretty.out.count('\n') > 100 && pretty.out.endsWith("]\n"), "one member per line");
    for (const Run &decoded : {compact, pretty}) {
        VERIFY_RAN(decoded);
        QCOMPARE(decoded.exitCode, 0);
        run = cvx({"encode", "-", "-o", dir.filePath("again.cvx")}, decoded.out);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(readAll(dir.filePath("again.cvx")), readAll(file));
    }
}

// Output lost to a full disk must not pass for success.
void TestCvx::fullStandardOutputIsAnError()
{
    if (!QFileInfo("/dev/full").exists() || QFileInfo("/dev/full").isFile())
        QSKIP("no /dev/full device");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("materials.cvx");
    const QString json = dir.filePath("materials.json");
    QVERIFY(writeAll(file, hexLine(kReferenceJson)));
    QVERIFY(writeAll(json, kReferenceJson));
    for (const QStringList &args : everyCommand(file, json, "-")) {
        const Run run = cvx(args, {}, "/dev/full");
        VERIFY_RAN(run);
        QVERIFY2(run.exitCode == 2 && run.err.count('\n') == 1, qPrintable(args.join(' ')));
    }
}

void TestCvx::diff_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<int>("exit");
    QTest::addColumn<bool>("values");
    const QByteArray abs = R"({"b1":7,"b2":"ABS","b3":"K","b4":240,"group":[{"p1":10102,"p6":240},{"p1":-1}]})";
    QTest::addRow("equal, whatever the line ends and order of members")
        << hexLine(abs) << hexLine(R"({"b3":"K","b2":"ABS","b1":7,"b4":240,"group":[{"p6":240,"p1":10102},{}]})")
        << QByteArray() << 0 << false;
    QTest::addRow("only in one of them, by ID") << hexLine(abs) << hexLine(QByteArray(abs).replace("\"b1\":7", "\"b1\":8"))
                                                << QByteArray("only in A: 7 ABS / K\nonly in B: 8 ABS / K\n") << 1 << false;
    QTest::addRow("a changed basic field and print set fields, sets added and removed")
        << hexLine(abs)
        << hexLine(R"({"b1":7,"b2":"ABS","b3":"K","b4":245,"group":[{"p1":10102,"p6":250},{"p1":10110}]})")
        << QByteArray("changed: 7 ABS / K\n  b4: 240 -> 245\n"
                      "  print set printer 10102, nozzle 0.4, layer 0.2, quality 0: p6: 240 -> 250\n"
                      "  print set printer -1, nozzle 0.4, layer 0.2, quality 0: removed\n"
                      "  print set printer 10110, nozzle 0.4, layer 0.2, quality 0: added\n")
        << 1 << false;
    QTest::addRow("--values: by the names the editor shows")
        << hexLine(abs)
        << hexLine(R"({"b1":7,"b2":"ABS","b3":"K","b4":245,"group":[{"p1":10102,"p6":250},{"p1":-1}]})")
        << QByteArray("changed: 7 ABS / K\n  Print Temp: 240 ℃ -> 245 ℃\n"
                      "  print set printer 10102 (Orvik Solo), nozzle 0.40, layer 0.20, quality 0 (Normal): "
                      "Basic Temp: 240 ℃ -> 250 ℃\n")
        << 1 << true;
}

void TestCvx::diff()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(QByteArray, out);
    QFETCH(int, exit);
    QFETCH(bool, values);
    QTemporaryDir dir;
    QVERIFY(writeAll(dir.filePath("a.cvx"), a) && writeAll(dir.filePath("b.cvx"), b));
    QStringList arguments{"diff", dir.filePath("a.cvx"), dir.filePath("b.cvx")};
    if (values)
        arguments << "--values";
    const Run run = cvx(arguments);
    VERIFY_RAN(run);
    QCOMPARE(run.out, out);
    QCOMPARE(run.exitCode, exit);
    const Run missing = cvx({"diff", dir.filePath("a.cvx"), dir.filePath("missing.cvx")});
    QCOMPARE(missing.exitCode, 2);
}

void TestCvx::garbageNeverCrashes_data()
{
    QTest::addColumn<QByteArray>("content");

    QRandomGenerator random(0x5eed); // a fixed seed keeps a failure reproducible
    QByteArray bytes(256 * 1024, '\0');
    for (char &c : bytes)
        c = char(random.generate());
    QTest::addRow("random bytes, raw and as hex") << bytes + '\n' + hexLine(bytes.left(4000));

    QByteArray cuts;
    for (int length = 0; length < kReferenceJson.size(); ++length)
        cuts += hexLine(kReferenceJson.left(length)) + kReferenceJson.left(length) + '\n';
    QTest::addRow("every cut of a material, as hex and as JSON") << cuts;

    const QByteArray deepGroup =
        R"({"b2":"a","b3":"b","group":)" + QByteArray(10000, '[') + QByteArray(10000, ']') + "}";
    QTest::addRow("10000-deep nesting, as hex") << hexLine(deepGroup);
    QTest::addRow("10000-deep nesting, as JSON") << "[" + deepGroup + "]";
}

void TestCvx::garbageNeverCrashes()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("garbage");
    QVERIFY(writeAll(file, content));

    for (const QStringList &args : everyCommand(file, file, dir.filePath("out.cvx"))) {
        const Run run = cvx(args);
        const QByteArray what = args.first().toLatin1() + ": " + run.err.left(200);
        QVERIFY2(run.finished && run.status == QProcess::NormalExit, what.constData());
        QVERIFY2(run.exitCode == 0 || run.exitCode == 1, what.constData());
    }
}

QTEST_GUILESS_MAIN(TestCvx)
#include "tst_cvx.moc"
