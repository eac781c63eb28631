// corvane-cvx end to end: the real binary, run with its arguments, standard input and files in a
// temporary folder; exit codes, standard output, standard error and written bytes are compared whole.

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <string>

namespace {

const QString kTool = QStringLiteral(CORVANE_BIN_DIR "/corvane-cvx");

// A reference material and the exact text the editor writes for it: "PLA" by the default
// manufacturer with one print set, its derived fields filled in.
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

// Two small materials that most encode cases are built from, and how list shows them.
const QByteArray kPla =
    R"({"b1":101,"b2":"PLA","b3":"KestRona","group":[{"p1":10112,"p2":0.4,"p3":0.2,"p4":0}]})";
const QByteArray kPetg =
    R"({"m1":"0123456789abcdef0123456789abcdef","b1":102,"b2":"PETG","b3":"Tallow","group":[]})";
const QByteArray kPlaAndPetgListed = "101\tPLA\tKestRona\tunlocked\t1\n102\tPETG\tTallow\tlocked\t0\n";

struct Run
{
    bool finished = false; // false: still running after the time limit, and killed
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs corvane-cvx with the arguments in the locale, feeding the input to its standard input;
// standard output goes to the file when one is named.
Run cvx(const QStringList &args, const QByteArray &input = QByteArray(),
        const QString &outputFile = QString(), const QString &locale = QStringLiteral("C.UTF-8"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), locale); // system messages in English
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(kTool, args);
    Run run;
    if (!process.waitForStarted())
        return run;
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

// The line a material file holds for this JSON text.
QByteArray hexLine(const QByteArray &json)
{
    return json.toHex() + '\n';
}

QString expandDir(QString text, const QTemporaryDir &dir)
{
    return text.replace(QStringLiteral("{dir}"), dir.path());
}

QStringList expandDir(QStringList args, const QTemporaryDir &dir)
{
    for (QString &arg : args)
        arg = expandDir(arg, dir);
    return args;
}

QByteArray fixtureBytes(const char *name)
{
    const QByteArray bytes = readAll(fixture(QString::fromLatin1(name)));
    if (bytes.isEmpty())
        qWarning("fixture %s is missing or empty", name);
    return bytes;
}

} // namespace

// A crash or a hang is reported as such, before any output is compared.
#define VERIFY_RAN(run)                                                                                      \
    do {                                                                                                     \
        QVERIFY2((run).finished, "corvane-cvx did not finish in time");                                      \
        QVERIFY2((run).status == QProcess::NormalExit, "corvane-cvx ended by a signal");                     \
    } while (false)

class TestCvx : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void helpNamesEveryCommand();

    void referenceEncodesByteForByte_data();
    void referenceEncodesByteForByte();
    void referenceDecodesCompact();
    void prettyDecodeHoldsTheSameMaterials();

    void decodeThenEncodeGivesTheSameFile_data();
    void decodeThenEncodeGivesTheSameFile();

    void decimalCommaLocaleChangesNothing_data();
    void decimalCommaLocaleChangesNothing();

    void list_data();
    void list();
    void check_data();
    void check();
    void decodeReportsRefusedLines_data();
    void decodeReportsRefusedLines();

    void encodeGivesOneFileForEveryInputForm_data();
    void encodeGivesOneFileForEveryInputForm();
    void encodeListsRefusedInputs_data();
    void encodeListsRefusedInputs();
    void encodeToStandardOutput();
    void encodeIntoMissingFolderWritesNothing();
    void failedEncodeLeavesExistingFileAlone();

    void standardInput_data();
    void standardInput();

    void usageAndIoErrors_data();
    void usageAndIoErrors();
    void fullStandardOutputIsAnError_data();
    void fullStandardOutputIsAnError();

    void garbageNeverCrashes_data();
    void garbageNeverCrashes();
    void hugeNameIsCutTo32Bytes();
};

void TestCvx::initTestCase()
{
    QVERIFY2(QFile::exists(kTool), qPrintable(kTool + QStringLiteral(" is not built")));
    QCOMPARE(kReferenceJson.size(), 723);
}

void TestCvx::helpNamesEveryCommand()
{
    const Run run = cvx({QStringLiteral("--help")});
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    for (const char *usage : {"list FILE", "decode FILE [--compact]", "encode INPUT -o OUTPUT", "check FILE"})
        QVERIFY2(run.out.contains(usage), usage);
}

void TestCvx::referenceEncodesByteForByte_data()
{
    QTest::addColumn<QByteArray>("input");

    QTest::addRow("the written text encodes to itself") << kReferenceJson + '\n';
    // Only what a user states; the writer fills in "b6", "b10", "b11", "p5", "p17", "p23" to "p25" and
    // every print-set default.
    QTest::addRow("derived fields and defaults are filled in") << QByteArray(
        R"({"m2":9100,"b1":721355203,"b2":"PLA","b3":"KestRona","b4":210,"b5":50,"b7":1.75,)"
        R"("b8":1.24,"b9":[0.003,0.003,0.003],"group":[{"p1":10112,"p2":0.4,"p3":0.2,"p4":0}]})");
    QTest::addRow("stale derived fields are recomputed")
        << QByteArray(R"([{"m2":9100,"b1":721355203,"b2":"PLA","b3":"KestRona","b6":7,"b7":1.75,"b8":1.24,)"
                      R"("b9":[0.003,0.003,0.003],"b10":1,"b11":50,"group":[{"p1":10112,"p2":0.4,"p3":0.2,)"
                      R"("p5":1,"p15":[800,1500,2000],"p17":0,"p23":0,"p24":0,"p25":0}]}])");
    QTest::addRow("a layer of 0.2004 is written as 0.2")
        << QByteArray(R"({"m2":9100,"b1":721355203,"b2":"PLA","b3":"KestRona","b7":1.75,"b8":1.24,)"
                      R"("b9":[0.003,0.003,0.003],"group":[{"p1":10112,"p2":0.4,"p3":0.2004}]})");
}

void TestCvx::referenceEncodesByteForByte()
{
    QFETCH(QByteArray, input);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("pla.cvx"));

    const Run run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), out}, input);
    VERIFY_RAN(run);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.exitCode, 0);
    const QByteArray written = readAll(out);
    QCOMPARE(written.size(), 1447);
    QVERIFY(written.startsWith("7b226d31223a22222c226d32223a393130302c"));
    QCOMPARE(written, hexLine(kReferenceJson));
}

void TestCvx::referenceDecodesCompact()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("pla.cvx"));
    QVERIFY(writeAll(file, hexLine(kReferenceJson)));

    const Run run = cvx({QStringLiteral("decode"), file, QStringLiteral("--compact")});
    VERIFY_RAN(run);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, kReferenceJson + '\n');
}

// The pretty array is meant for reading and editing: it must hold exactly what --compact holds,
// and encoding it again must give the same file.
void TestCvx::prettyDecodeHoldsTheSameMaterials()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The small materials are written without their derived fields, as another writer might.
    const QString file = dir.filePath(QStringLiteral("library.cvx"));
    QVERIFY(writeAll(file, hexLine(kReferenceJson) + hexLine(kPla) + hexLine(kPetg)));
    const QString library = dir.filePath(QStringLiteral("encoded.cvx"));
    Run run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), library},
                  "[" + kReferenceJson + "," + kPla + "," + kPetg + "]");
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 0);

    const Run compact = cvx({QStringLiteral("decode"), QStringLiteral("--compact"), file});
    VERIFY_RAN(compact);
    QCOMPARE(compact.exitCode, 0);
    const QList<QByteArray> compactLines = compact.out.split('\n');
    QCOMPARE(compactLines.size(), 4); // three materials and the empty rest after the last line feed
    QCOMPARE(compactLines.first(), kReferenceJson);
    QJsonArray expected;
    for (const QByteArray &line : compactLines.mid(0, 3))
        expected.append(QJsonDocument::fromJson(line).object());

    const Run pretty = cvx({QStringLiteral("decode"), file});
    VERIFY_RAN(pretty);
    QCOMPARE(pretty.err, QByteArray());
    QCOMPARE(pretty.exitCode, 0);
    QVERIFY2(pretty.out.count('\n') > 100, "one member per line");
    QVERIFY(pretty.out.endsWith("]\n"));
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(pretty.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(parsed.isArray());
    QCOMPARE(parsed.array(), expected);

    const QString again = dir.filePath(QStringLiteral("again.cvx"));
    run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), again}, pretty.out);
    VERIFY_RAN(run);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(readAll(again), readAll(library));
}

// Names are bytes: Latin-1, UTF-8, quotes, backslashes and control characters must all come back
// from either decoded form as they were.
void TestCvx::decodeThenEncodeGivesTheSameFile_data()
{
    QTest::addColumn<QStringList>("decodeArgs");

    QTest::addRow("pretty array") << QStringList{QStringLiteral("decode")};
    QTest::addRow("compact lines") << QStringList{QStringLiteral("decode"), QStringLiteral("--compact")};
}

void TestCvx::decodeThenEncodeGivesTheSameFile()
{
    QFETCH(QStringList, decodeArgs);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("library.cvx"));
    const QByteArray awkward =
        "{\"b1\":3,\"b2\":\"Caf\xe9 \\\"Noir\\\" \\\\ 1\",\"b3\":\"\xc3\x89ti\\u0001\","
        "\"b12\":0.1,\"group\":[{\"p1\":-1,\"p2\":1,\"p3\":0.7,\"p4\":6}]}";
    Run run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), file},
                  "[" + kReferenceJson + "," + awkward + "," + kPetg + "]");
    VERIFY_RAN(run);
    QCOMPARE(run.err, QByteArray());
    run = cvx({QStringLiteral("list"), file});
    QCOMPARE(run.out, QByteArray("721355203\tPLA\tKestRona\tunlocked\t1\n"
                                 "3\tCaf\xe9 \"Noir\" \\ 1\t\xc3\x89ti?\tunlocked\t1\n"
                                 "102\tPETG\tTallow\tlocked\t0\n"));

    const Run decoded = cvx(decodeArgs << file);
    VERIFY_RAN(decoded);
    QCOMPARE(decoded.exitCode, 0);
    const QString again = dir.filePath(QStringLiteral("again.cvx"));
    run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), again}, decoded.out);
    VERIFY_RAN(run);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readAll(again), readAll(file));
}

// Files and reports use "." whatever the user's locale.
void TestCvx::decimalCommaLocaleChangesNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");

    const QStringList decode{QStringLiteral("decode"), QStringLiteral("-")};
    QTest::addRow("encode") << QStringList{QStringLiteral("encode"), QStringLiteral("-"),
                                           QStringLiteral("-o"), QStringLiteral("-")}
                            << kReferenceJson;
    QTest::addRow("decode") << decode << hexLine(kReferenceJson);
    QTest::addRow("decode --compact")
        << (QStringList(decode) << QStringLiteral("--compact")) << hexLine(kReferenceJson);
    QTest::addRow("check of refused print sets")
        << QStringList{QStringLiteral("check"), QStringLiteral("-")} << fixtureBytes("refused_print_set.cvx");
}

void TestCvx::decimalCommaLocaleChangesNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    const QByteArray german = "de_DE.UTF-8";
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool installed = std::setlocale(LC_ALL, german.constData()) != nullptr;
    std::setlocale(LC_ALL, previous.c_str());
    if (!installed)
        QSKIP("the de_DE.UTF-8 locale is not installed");

    const Run expected = cvx(args, input);
    VERIFY_RAN(expected);
    QVERIFY(!expected.out.isEmpty());
    const Run run = cvx(args, input, QString(), QString::fromLatin1(german));
    VERIFY_RAN(run);
    QCOMPARE(run.out, expected.out);
    QCOMPARE(run.err, expected.err);
    QCOMPARE(run.exitCode, expected.exitCode);
}

void TestCvx::list_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("expectedOut");
    QTest::addColumn<QByteArray>("expectedErr");
    QTest::addColumn<int>("expectedExit");

    QTest::addRow("version text on line 1 is not a material")
        << fixtureBytes("version_then_materials.cvx") << kPlaAndPetgListed << QByteArray() << 0;
    QTest::addRow("CR LF line ends") << fixtureBytes("crlf_line_ends.cvx") << kPlaAndPetgListed
                                     << QByteArray() << 0;
    QTest::addRow("last line without line feed")
        << fixtureBytes("no_final_line_feed.cvx") << kPlaAndPetgListed << QByteArray() << 0;
    QTest::addRow("empty file") << QByteArray() << QByteArray() << QByteArray() << 0;
    QTest::addRow("a line that is not a material goes to stderr, the rest is listed")
        << fixtureBytes("not_json.cvx") << kPlaAndPetgListed << QByteArray("line 2: not JSON\n") << 1;
    QTest::addRow("refused print sets are not counted and are reported")
        << fixtureBytes("refused_print_set.cvx")
        << QByteArray("104\tTPU\tKestRona\tunlocked\t1\n102\tPETG\tTallow\tlocked\t0\n")
        << QByteArray("line 1: print set 2 (printer 10112, nozzle 0.6, layer 0.3, quality 0): "
                      "nozzle 0.6 is not offered for printer type 10112\n"
                      "line 1: print set 3 (printer 10102, nozzle 0.4, layer 0.12, quality 1): "
                      "layer 0.12 is not offered for nozzle 0.4 on printer type 10102\n")
        << 1;
    QTest::addRow("two sets with one key count once")
        << hexLine(R"({"b1":5,"b2":"Twin","b3":"M","group":[{"p1":10102,"p2":0.4,"p3":0.2},)"
                   R"({"p1":10102,"p2":0.405,"p3":0.2,"p6":230}]})")
        << QByteArray("5\tTwin\tM\tunlocked\t1\n") << QByteArray() << 0;
    // A tab or line feed in a name must not add a column or a line.
    QTest::addRow("control characters in names are shown as ?")
        << hexLine(R"({"b1":-7,"b2":"A\tB\nC","b3":"\r","group":[]})")
        << QByteArray("-7\tA?B?C\t?\tunlocked\t0\n") << QByteArray() << 0;
}

void TestCvx::list()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, expectedOut);
    QFETCH(QByteArray, expectedErr);
    QFETCH(int, expectedExit);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("materials.cvx"));
    QVERIFY(writeAll(file, content));

    const Run run = cvx({QStringLiteral("list"), file});
    VERIFY_RAN(run);
    QCOMPARE(run.out, expectedOut);
    QCOMPARE(run.err, expectedErr);
    QCOMPARE(run.exitCode, expectedExit);
}

void TestCvx::check_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("expectedOut");
    QTest::addColumn<int>("expectedExit");

    const QByteArray clean = "2 materials, 0 lines not materials, 0 print sets refused, 0 duplicate IDs\n";
    const QByteArray oneLine = "2 materials, 1 lines not materials, 0 print sets refused, 0 duplicate IDs\n";

    QTest::addRow("version text on line 1 is not reported")
        << fixtureBytes("version_then_materials.cvx") << clean << 0;
    QTest::addRow("version text after line 1 is reported")
        << fixtureBytes("version_after_first_line.cvx") << "line 2: not hexadecimal\n" + oneLine << 1;
    QTest::addRow("CR LF line ends") << fixtureBytes("crlf_line_ends.cvx") << clean << 0;
    QTest::addRow("last line without line feed") << fixtureBytes("no_final_line_feed.cvx") << clean << 0;
    QTest::addRow("empty file") << QByteArray()
                                << QByteArray("0 materials, 0 lines not materials, 0 print sets refused, "
                                              "0 duplicate IDs\n")
                                << 0;
    QTest::addRow("not hexadecimal") << fixtureBytes("not_hexadecimal.cvx")
                                     << "line 2: not hexadecimal\n" + oneLine << 1;
    QTest::addRow("not JSON") << fixtureBytes("not_json.cvx") << "line 2: not JSON\n" + oneLine << 1;
    QTest::addRow("not a JSON object")
        << fixtureBytes("not_an_object.cvx") << "line 2: not a JSON object\n" + oneLine << 1;
    QTest::addRow("no group") << fixtureBytes("group_missing.cvx") << "line 2: no \"group\"\n" + oneLine << 1;
    QTest::addRow("group not an array")
        << fixtureBytes("group_not_array.cvx") << "line 2: \"group\" is not an array\n" + oneLine << 1;
    QTest::addRow("name missing") << fixtureBytes("name_missing.cvx") << "line 2: \"b2\" missing\n" + oneLine
                                  << 1;
    QTest::addRow("manufacturer missing")
        << fixtureBytes("manufacturer_missing.cvx") << "line 2: \"b3\" missing\n" + oneLine << 1;
    QTest::addRow("name and manufacturer missing") << fixtureBytes("name_and_manufacturer_missing.cvx")
                                                   << "line 2: \"b2\" and \"b3\" missing\n" + oneLine << 1;
    QTest::addRow("empty line") << fixtureBytes("empty_line.cvx") << "line 2: empty line\n" + oneLine << 1;
    QTest::addRow("refused print sets with their reasons")
        << fixtureBytes("refused_print_set.cvx")
        << QByteArray("line 1: print set 2 (printer 10112, nozzle 0.6, layer 0.3, quality 0): "
                      "nozzle 0.6 is not offered for printer type 10112\n"
                      "line 1: print set 3 (printer 10102, nozzle 0.4, layer 0.12, quality 1): "
                      "layer 0.12 is not offered for nozzle 0.4 on printer type 10102\n"
                      "2 materials, 0 lines not materials, 2 print sets refused, 0 duplicate IDs\n")
        << 1;
    QTest::addRow("duplicate material ID")
        << fixtureBytes("duplicate_ids.cvx")
        << QByteArray("line 3: material ID 101 duplicates line 1\n"
                      "3 materials, 0 lines not materials, 0 print sets refused, 1 duplicate IDs\n")
        << 1;
    // Line numbers count every line, CR LF files and refused lines included.
    QTest::addRow("every fault of a CR LF file with its own line number")
        << QByteArray("1.0.2\r\n" + kPla.toHex() + "\r\n\r\nnot hex\r\n" + kPla.toHex() + "\r\n" +
                      QByteArray(R"({"b2":"x","b3":"y","group":1})").toHex())
        << QByteArray("line 3: empty line\n"
                      "line 4: not hexadecimal\n"
                      "line 5: material ID 101 duplicates line 2\n"
                      "line 6: \"group\" is not an array\n"
                      "2 materials, 3 lines not materials, 0 print sets refused, 1 duplicate IDs\n")
        << 1;
}

void TestCvx::check()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, expectedOut);
    QFETCH(int, expectedExit);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("materials.cvx"));
    QVERIFY(writeAll(file, content));

    const Run run = cvx({QStringLiteral("check"), file});
    VERIFY_RAN(run);
    QCOMPARE(run.out, expectedOut);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, expectedExit);
}

void TestCvx::decodeReportsRefusedLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("expectedIds");
    QTest::addColumn<QByteArray>("expectedErr");
    QTest::addColumn<int>("expectedExit");

    QTest::addRow("clean file") << fixtureBytes("version_then_materials.cvx") << QList<int>{101, 102}
                                << QByteArray() << 0;
    QTest::addRow("empty line") << fixtureBytes("empty_line.cvx") << QList<int>{101, 102}
                                << QByteArray("line 2: empty line\n") << 1;
    QTest::addRow("two refused lines")
        << QByteArray("zz\n" + hexLine(kPetg) + hexLine(R"({"b2":"x","group":[]})")) << QList<int>{102}
        << QByteArray("line 1: not hexadecimal\nline 3: \"b3\" missing\n") << 1;
}

void TestCvx::decodeReportsRefusedLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, expectedIds);
    QFETCH(QByteArray, expectedErr);
    QFETCH(int, expectedExit);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("materials.cvx"));
    QVERIFY(writeAll(file, content));

    for (const bool compact : {false, true}) {
        QStringList args{QStringLiteral("decode"), file};
        if (compact)
            args << QStringLiteral("--compact");
        const Run run = cvx(args);
        VERIFY_RAN(run);
        QCOMPARE(run.err, expectedErr);
        QCOMPARE(run.exitCode, expectedExit);
        QJsonArray materials;
        if (compact) {
            for (const QByteArray &line : run.out.split('\n')) {
                if (!line.isEmpty())
                    materials.append(QJsonDocument::fromJson(line).object());
            }
        } else {
            materials = QJsonDocument::fromJson(run.out).array();
        }
        QList<int> ids;
        for (const QJsonValue &material : materials)
            ids << material.toObject().value(QStringLiteral("b1")).toInt();
        QCOMPARE(ids, expectedIds);
    }
}

void TestCvx::encodeGivesOneFileForEveryInputForm_data()
{
    QTest::addColumn<QByteArray>("input");

    QTest::addRow("JSON Lines") << kPla + "\n" + kPetg + "\n";
    QTest::addRow("JSON Lines with CR LF") << kPla + "\r\n" + kPetg + "\r\n";
    QTest::addRow("JSON Lines without final line feed") << kPla + "\n" + kPetg;
    QTest::addRow("JSON Lines with blank lines") << "\n" + kPla + "\n\n  \n" + kPetg + "\n\n";
    QTest::addRow("array over several CR LF lines without final line feed")
        << "[\r\n" + kPla + ",\r\n" + kPetg + "\r\n]";
    QJsonArray array;
    array.append(QJsonDocument::fromJson(kPla).object());
    array.append(QJsonDocument::fromJson(kPetg).object());
    QTest::addRow("pretty-printed array") << QJsonDocument(array).toJson(QJsonDocument::Indented);
}

void TestCvx::encodeGivesOneFileForEveryInputForm()
{
    QFETCH(QByteArray, input);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString reference = dir.filePath(QStringLiteral("reference.cvx"));
    const QString file = dir.filePath(QStringLiteral("materials.cvx"));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("reference.json")), "[" + kPla + "," + kPetg + "]"));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("input.json")), input));

    Run run = cvx({QStringLiteral("encode"), dir.filePath(QStringLiteral("reference.json")),
                   QStringLiteral("-o"), reference});
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 0);
    run = cvx({QStringLiteral("list"), reference});
    QCOMPARE(run.out, kPlaAndPetgListed);

    run = cvx(
        {QStringLiteral("encode"), dir.filePath(QStringLiteral("input.json")), QStringLiteral("-o"), file});
    VERIFY_RAN(run);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(readAll(file), readAll(reference));
}

void TestCvx::encodeListsRefusedInputs_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expectedErr");
    QTest::addColumn<int>("expectedExit");
    QTest::addColumn<QByteArray>("expectedListing");

    const QByteArray abs = R"({"b1":103,"b2":"ABS","b3":"KestRona"})"; // no "group"

    QTest::addRow("everything accepted") << kPla + "\n" + kPetg << QByteArray() << 0 << kPlaAndPetgListed;
    QTest::addRow("empty input writes an empty file") << QByteArray() << QByteArray() << 0 << QByteArray();
    QTest::addRow("array element counted from 1")
        << "[" + kPla + R"(,{"b1":103,"b2":"ABS","group":[]},)" + kPetg + "]"
        << QByteArray("element 2: refused: \"b3\" missing\n") << 1 << kPlaAndPetgListed;
    QTest::addRow("array element that is not an object")
        << "[" + kPla + "," + kPetg + ",42]" << QByteArray("element 3: refused: not a JSON object\n") << 1
        << kPlaAndPetgListed;
    QTest::addRow("JSON Lines line counted from 1, blank lines included")
        << kPla + "\n\n" + abs + "\n" + kPetg + "\n"
        << QByteArray("line 3: refused: no \"group\"\n") << 1 << kPlaAndPetgListed;
    QTest::addRow("JSON Lines line that is not JSON")
        << kPla + "\nPLA, KestRona, 210\n" + kPetg << QByteArray("line 2: refused: not JSON\n") << 1
        << kPlaAndPetgListed;
    QTest::addRow("every refused input is listed")
        << R"({"b2":"x","b3":"y","group":{}})"
           "\n" +
               kPla + "\n" + abs + "\n{\n"
        << QByteArray("line 1: refused: \"group\" is not an array\n"
                      "line 3: refused: no \"group\"\n"
                      "line 4: refused: not JSON\n")
        << 1 << QByteArray("101\tPLA\tKestRona\tunlocked\t1\n");
    QTest::addRow("refused print set is listed, its material kept")
        << QByteArray(R"([{"b1":104,"b2":"TPU","b3":"KestRona","group":[{"p1":10112,"p2":0.4,"p3":0.2},)"
                      R"({"p1":10112,"p2":0.6,"p3":0.3}]}])")
        << QByteArray("element 1: print set 2 (printer 10112, nozzle 0.6, layer 0.3, quality 0): "
                      "nozzle 0.6 is not offered for printer type 10112\n")
        << 1 << QByteArray("104\tTPU\tKestRona\tunlocked\t1\n");
}

void TestCvx::encodeListsRefusedInputs()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expectedErr);
    QFETCH(int, expectedExit);
    QFETCH(QByteArray, expectedListing);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("materials.cvx"));

    Run run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), file}, input);
    VERIFY_RAN(run);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, expectedErr);
    QCOMPARE(run.exitCode, expectedExit);
    QVERIFY(QFile::exists(file));

    run = cvx({QStringLiteral("list"), file});
    QCOMPARE(run.out, expectedListing);
    QCOMPARE(run.exitCode, 0);
}

void TestCvx::encodeToStandardOutput()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray input = "[" + kPla + ",{},\n" + kReferenceJson + "]";
    const QString file = dir.filePath(QStringLiteral("materials.cvx"));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("input.json")), input));
    Run run = cvx(
        {QStringLiteral("encode"), dir.filePath(QStringLiteral("input.json")), QStringLiteral("-o"), file});
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 1);

    run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), QStringLiteral("-")},
              input);
    VERIFY_RAN(run);
    QCOMPARE(run.err, QByteArray("element 2: refused: no \"group\"\n"));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out.count('\n'), 2);
    QVERIFY(run.out.endsWith(hexLine(kReferenceJson)));
    QCOMPARE(run.out, readAll(file));
    QVERIFY2(!QFile::exists(dir.filePath(QStringLiteral("-"))), "\"-\" is standard output, not a file");
}

void TestCvx::encodeIntoMissingFolderWritesNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString missingFolder = dir.filePath(QStringLiteral("missing"));
    const QString output = missingFolder + QStringLiteral("/materials.cvx");

    const Run run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), output}, kPla);
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith("corvane-cvx: " + output.toLocal8Bit() + ": cannot write: "),
             run.err.constData());
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(run.err.endsWith('\n'));
    QVERIFY(!QFile::exists(output));
    QVERIFY(!QFileInfo::exists(missingFolder));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

// An unreadable input, or an output that cannot be replaced, must not cost the user the old file.
void TestCvx::failedEncodeLeavesExistingFileAlone()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString output = dir.filePath(QStringLiteral("library.cvx"));
    const QByteArray old = hexLine(kPla);
    QVERIFY(writeAll(output, old));

    const Run run = cvx({QStringLiteral("encode"), dir.filePath(QStringLiteral("missing.json")),
                         QStringLiteral("-o"), output});
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(readAll(output), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("library.cvx")});
}

// "-" reads standard input; the result must equal reading the same bytes from a file.
void TestCvx::standardInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("content");

    const QByteArray mixed =
        fixtureBytes("version_then_materials.cvx") + "zz\n" + fixtureBytes("duplicate_ids.cvx");
    QTest::addRow("list") << QStringList{QStringLiteral("list"), QStringLiteral("{in}")} << mixed;
    QTest::addRow("check") << QStringList{QStringLiteral("check"), QStringLiteral("{in}")} << mixed;
    QTest::addRow("decode") << QStringList{QStringLiteral("decode"), QStringLiteral("{in}")} << mixed;
    QTest::addRow("decode --compact")
        << QStringList{QStringLiteral("decode"), QStringLiteral("--compact"), QStringLiteral("{in}")}
        << mixed;
    QTest::addRow("encode") << QStringList{QStringLiteral("encode"), QStringLiteral("{in}"),
                                           QStringLiteral("-o"), QStringLiteral("-")}
                            << "[" + kPla + ",{}," + kPetg + "]";
    QTest::addRow("check of an empty input")
        << QStringList{QStringLiteral("check"), QStringLiteral("{in}")} << QByteArray();
}

void TestCvx::standardInput()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("input"));
    QVERIFY(writeAll(file, content));
    QStringList fromFile = args;
    QStringList fromStdin = args;
    fromFile.replaceInStrings(QStringLiteral("{in}"), file);
    fromStdin.replaceInStrings(QStringLiteral("{in}"), QStringLiteral("-"));

    const Run expected = cvx(fromFile);
    VERIFY_RAN(expected);
    QVERIFY(expected.exitCode == 0 || expected.exitCode == 1);
    QVERIFY(!expected.out.isEmpty());
    const Run run = cvx(fromStdin, content);
    VERIFY_RAN(run);
    QCOMPARE(run.out, expected.out);
    QCOMPARE(run.err, expected.err);
    QCOMPARE(run.exitCode, expected.exitCode);
}

void TestCvx::usageAndIoErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expectedErr"); // "{dir}" is the temporary folder

    const auto row = [](const char *name, const QStringList &args, const QString &message) {
        QTest::newRow(name) << args << QStringLiteral("corvane-cvx: ") + message + QLatin1Char('\n');
    };
    const auto usage = [&row](const char *name, const QStringList &args, const char *message) {
        row(name, args, QLatin1String(message) + QStringLiteral(" (see corvane-cvx --help)"));
    };
    const QString in = QStringLiteral("{dir}/in.json");
    const QString missing = QStringLiteral("{dir}/missing.cvx");
    const QString folder = QStringLiteral("{dir}");
    const QString out = QStringLiteral("{dir}/out.cvx");
    const QString cannotOpen = missing + QStringLiteral(": cannot open: No such file or directory");
    const QString isFolder = folder + QStringLiteral(": is a directory");

    usage("no arguments", {}, "no command given");
    usage("unknown command", {QStringLiteral("frob")}, "unknown command 'frob'");
    usage("list without FILE", {QStringLiteral("list")}, "list takes one FILE");
    usage("list with two files", {QStringLiteral("list"), in, in}, "list takes one FILE");
    usage("check without FILE", {QStringLiteral("check")}, "check takes one FILE");
    usage("decode without FILE", {QStringLiteral("decode"), QStringLiteral("--compact")},
          "decode takes one FILE");
    usage("decode with two files", {QStringLiteral("decode"), in, in}, "decode takes one FILE");
    usage("encode without -o", {QStringLiteral("encode"), in}, "encode needs INPUT and -o OUTPUT");
    usage("encode without INPUT", {QStringLiteral("encode"), QStringLiteral("-o"), out},
          "encode needs INPUT and -o OUTPUT");
    usage("encode with -o last", {QStringLiteral("encode"), in, QStringLiteral("-o")}, "-o needs one OUTPUT");
    usage("encode with two -o",
          {QStringLiteral("encode"), in, QStringLiteral("-o"), out, QStringLiteral("-o"), out},
          "-o needs one OUTPUT");
    usage("encode with two inputs", {QStringLiteral("encode"), in, in, QStringLiteral("-o"), out},
          "encode takes one INPUT");

    row("list of a missing file", {QStringLiteral("list"), missing}, cannotOpen);
    row("check of a missing file", {QStringLiteral("check"), missing}, cannotOpen);
    row("decode of a missing file", {QStringLiteral("decode"), missing}, cannotOpen);
    row("encode of a missing file", {QStringLiteral("encode"), missing, QStringLiteral("-o"), out},
        cannotOpen);
    row("list of a folder", {QStringLiteral("list"), folder}, isFolder);
    row("check of a folder", {QStringLiteral("check"), folder}, isFolder);
    row("decode of a folder", {QStringLiteral("decode"), QStringLiteral("--compact"), folder}, isFolder);
    row("encode of a folder", {QStringLiteral("encode"), folder, QStringLiteral("-o"), out}, isFolder);
    // The rest of this line is the system's wording.
    QTest::newRow("encode into a folder")
        << QStringList{QStringLiteral("encode"), in, QStringLiteral("-o"), folder}
        << QStringLiteral("corvane-cvx: {dir}: cannot write: ");
}

void TestCvx::usageAndIoErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expectedErr);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeAll(dir.filePath(QStringLiteral("in.json")), kPla));

    const Run run = cvx(expandDir(args, dir));
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    const QString err = QString::fromLocal8Bit(run.err);
    if (expectedErr.endsWith(QLatin1Char('\n')))
        QCOMPARE(err, expandDir(expectedErr, dir));
    else
        QVERIFY2(err.startsWith(expandDir(expectedErr, dir)), qPrintable(err));
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY(err.endsWith(QLatin1Char('\n')));
    QVERIFY2(!QFile::exists(dir.filePath(QStringLiteral("out.cvx"))), "nothing is written after an error");
}

void TestCvx::fullStandardOutputIsAnError_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::addRow("list") << QStringList{QStringLiteral("list"), QStringLiteral("{file}")};
    QTest::addRow("check") << QStringList{QStringLiteral("check"), QStringLiteral("{file}")};
    QTest::addRow("decode") << QStringList{QStringLiteral("decode"), QStringLiteral("{file}")};
    QTest::addRow("decode --compact")
        << QStringList{QStringLiteral("decode"), QStringLiteral("--compact"), QStringLiteral("{file}")};
    QTest::addRow("encode -o -") << QStringList{QStringLiteral("encode"), QStringLiteral("{json}"),
                                                QStringLiteral("-o"), QStringLiteral("-")};
}

// Output lost to a full disk must not pass for success.
void TestCvx::fullStandardOutputIsAnError()
{
    QFETCH(QStringList, args);
    const QString full = QStringLiteral("/dev/full");
    if (!QFileInfo(full).exists() || QFileInfo(full).isFile())
        QSKIP("no /dev/full device");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("materials.cvx"));
    const QString json = dir.filePath(QStringLiteral("materials.json"));
    QVERIFY(writeAll(file, hexLine(kReferenceJson)));
    QVERIFY(writeAll(json, kReferenceJson));
    args.replaceInStrings(QStringLiteral("{file}"), file);
    args.replaceInStrings(QStringLiteral("{json}"), json);

    const Run run = cvx(args, QByteArray(), full);
    VERIFY_RAN(run);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err.count('\n'), 1);
}

void TestCvx::garbageNeverCrashes_data()
{
    QTest::addColumn<QByteArray>("content");

    // Fixed seeds keep a failure reproducible.
    QRandomGenerator random(0x5eed);
    QByteArray bytes(256 * 1024, '\0');
    for (char &c : bytes)
        c = char(random.generate() & 0xff);
    QTest::addRow("random bytes") << bytes;

    QByteArray hexOfRandom;
    for (int line = 0; line < 200; ++line) {
        QByteArray chunk(int(random.bounded(1, 400)), '\0');
        for (char &c : chunk)
            c = char(random.generate() & 0xff);
        hexOfRandom += hexLine(chunk);
    }
    QTest::addRow("hex lines of random bytes") << hexOfRandom;

    const int depth = 10000;
    const QByteArray deepArray = QByteArray(depth, '[') + QByteArray(depth, ']');
    QByteArray deepObject;
    for (int i = 0; i < depth; ++i)
        deepObject += "{\"group\":";
    deepObject += "[]" + QByteArray(depth, '}');
    const QByteArray deepGroup =
        R"({"b2":"a","b3":"b","group":)" + QByteArray(depth, '[') + QByteArray(depth, ']') + "}";
    QTest::addRow("10000-deep array as JSON") << deepArray + '\n';
    QTest::addRow("10000-deep array as a hex line") << hexLine(deepArray);
    QTest::addRow("10000-deep objects as JSON") << deepObject + '\n';
    QTest::addRow("10000-deep objects as a hex line") << hexLine(deepObject);
    QTest::addRow("10000-deep group as a hex line") << hexLine(deepGroup);
    QTest::addRow("10000-deep group in an array") << "[" + deepGroup + "]";

    const int huge = 5 * 1024 * 1024;
    QTest::addRow("5 MB line of hex digits") << QByteArray(huge, 'a') + '\n';
    QTest::addRow("5 MB line that is not hex") << QByteArray(huge, 'z') + '\n';
    QTest::addRow("5 MB of digits on line 1") << QByteArray(huge, '1') + ".x\n";
    QTest::addRow("5 MB unterminated string as a hex line")
        << hexLine(R"({"b2":")" + QByteArray(huge / 2, 'x'));
    QTest::addRow("100000 empty lines") << QByteArray(100000, '\n');

    QByteArray prefixesHex;
    QByteArray prefixesJson;
    for (int length = 0; length < kReferenceJson.size(); ++length) {
        prefixesHex += hexLine(kReferenceJson.left(length));
        prefixesJson += kReferenceJson.left(length) + '\n';
    }
    QTest::addRow("every cut of a material as hex lines") << prefixesHex;
    QTest::addRow("every cut of a material as JSON Lines") << prefixesJson;
}

void TestCvx::garbageNeverCrashes()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("garbage"));
    QVERIFY(writeAll(file, content));

    const QList<QStringList> commands{
        {QStringLiteral("list"), file},
        {QStringLiteral("check"), file},
        {QStringLiteral("decode"), file},
        {QStringLiteral("decode"), QStringLiteral("--compact"), file},
        {QStringLiteral("encode"), file, QStringLiteral("-o"), dir.filePath(QStringLiteral("out.cvx"))},
    };
    for (const QStringList &args : commands) {
        const Run run = cvx(args);
        const QByteArray what = args.first().toLatin1() + ": " + run.err.left(200);
        QVERIFY2(run.finished, what.constData());
        QVERIFY2(run.status == QProcess::NormalExit, what.constData());
        QVERIFY2(run.exitCode == 0 || run.exitCode == 1, what.constData());
    }
}

void TestCvx::hugeNameIsCutTo32Bytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("huge.cvx"));
    const QByteArray name = QByteArray("0123456789abcdefghijklmnopqrstuv") + QByteArray(5 * 1024 * 1024, 'x');
    const QByteArray json = R"({"b1":9,"b2":")" + name + R"(","b3":"M","group":[]})";

    Run run = cvx({QStringLiteral("encode"), QStringLiteral("-"), QStringLiteral("-o"), file}, json);
    VERIFY_RAN(run);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(readAll(file).size() < 2000);

    QVERIFY(writeAll(dir.filePath(QStringLiteral("direct.cvx")), hexLine(json)));
    for (const QString &path : {file, dir.filePath(QStringLiteral("direct.cvx"))}) {
        run = cvx({QStringLiteral("list"), path});
        VERIFY_RAN(run);
        QCOMPARE(run.out, QByteArray("9\t0123456789abcdefghijklmnopqrstuv\tM\tunlocked\t0\n"));
        QCOMPARE(run.exitCode, 0);
    }
}

QTEST_GUILESS_MAIN(TestCvx)
#include "tst_cvx.moc"
