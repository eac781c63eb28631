#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"
#include "base/cfutility.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <clocale>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <signal.h>
#include <sys/resource.h>

namespace {
// A known material and its exact JSON text: PLA, one print set for the 10112 printer.
const char kExampleJson[] =
    R"({"m1":"","m2":9100,"b1":721355203,"b2":"PLA","b3":"KestRona","b4":210,"b5":50,"b6":50,)"
    R"("b7":1.75,"b8":1.2400000095367432,)"
    R"("b9":[0.0030000000260770321,0.0030000000260770321,0.0030000000260770321],)"
    R"("b10":9.4367351531982422,"b11":100,"b12":0,"b13":0,"b14":0,)"
    R"("group":[{"p1":10112,"p2":0.40000000596046448,"p3":0.20000000298023224,"p4":0,)"
    R"("p5":0.94367355108261108,"p6":210,"p7":220,"p8":50,"p9":20,"p10":10,)"
    R"("p11":[0.5,0.5,0.5],"p12":[30,40,50],"p13":[1,1,1],"p14":[0,0,0],"p15":[1000,1500,2000],)"
    R"("p16":0.20000000298023224,"p17":150,"p18":0.10000000149011612,"p19":30,)"
    R"("p20":0.800000011920929,"p21":0.800000011920929,"p22":1.5,"p23":0.25,)"
    R"("p24":0.62999999523162842,"p25":1.1024999618530273,"p26":1,"p27":0.019999999552965164,"p28":15}]})";

const char kLock[] = "0123456789abcdef0123456789abcdef";

CPrintMaterial exampleMaterial()
{
    CPrintMaterial mat;
    mat.SetNameAndManu("PLA", "KestRona");
    mat.m_nMatID = 721355203;
    mat.m_nCreateDay = 9100;
    mat.m_fFilaDia = 1.75f;
    mat.m_fDensity = 1.24f;
    for (float &s : mat.m_fShrink)
        s = 0.003f;
    PrintSetData set;
    set.nPrinterType = 10112;
    mat.AddOrReplaceSet(set, nullptr);
    return mat;
}

// Two records that use every field, escapes in the texts, and keys that the reader must keep apart.
std::vector<CPrintMaterial> richMaterials()
{
    CPrintMaterial a;
    a.SetNameAndManu("Q\"uo\\te\ttab caf\xc3\xa9", "Maker/1");
    std::strcpy(a.m_szPwMD5, kLock);
    a.m_nMatID = -123456789;
    a.m_nCreateDay = 8000;
    a.m_nPrintTemp = 215;
    a.m_nPlatTemp = 65;
    a.m_fFilaDia = 2.85f;
    a.m_fDensity = 1.27f;
    a.m_fShrink[0] = 0.003f;
    a.m_fShrink[1] = -0.0015f;
    a.m_fShrink[2] = 0.1f;
    a.m_fB12 = 1.5f;
    a.m_fB13 = -2.25e-5f;
    a.m_fB14 = 3e10f;
    a.m_bDefaultFallback = 0; // a copy made in the program; files do not carry it
    const struct { int type; float nozzle; float layer; int quality; } keys[] = {
        {10110, 0.6f, 0.3f, 2}, {10110, 0.4f, 0.2504f, 0}, {-1, 0.8f, 0.45f, 6}, {10102, 0.2f, 0.07f, 1}};
    int n = 0;
    for (const auto &k : keys) {
        PrintSetData s;
        s.nPrinterType = k.type;
        s.fNozzleDia = k.nozzle;
        s.fLayerThick = k.layer;
        s.nQuality = k.quality;
        s.fWidth[0] = 0.42f + 0.01f * float(n);
        s.fSpeed[1] = 55.5f;
        s.fExtrude[2] = 0.95f;
        s.nTempBias[1] = -3 - n;
        s.fAcc[0] = 800.0f; // written as 1000
        s.fAcc[2] = 2600.0f + float(n);
        s.fOverlap = 0.15f;
        s.fCornerAngle = 45.0f;
        s.nWithdraw = 33 + n;
        s.fTolerance = -0.05f;
        if (a.AddOrReplaceSet(s, kLock) != 1)
            qFatal("print set %d of the sample is not valid", n);
        ++n;
    }

    CPrintMaterial b;
    b.SetNameAndManu("PETG", "");
    b.m_nMatID = INT_MAX;
    b.m_nCreateDay = -1;
    b.m_nPrintTemp = 240;
    return {a, b};
}

QByteArray qbytes(const std::string &s)
{
    return QByteArray(s.data(), int(s.size()));
}

// The record as JSON, for failure messages; derived fields are left as they stand.
QByteArray describe(const CPrintMaterial &mat)
{
    const QByteArray out = QByteArray::fromStdString(MaterialJsonText(mat));
    return out + " fallback=" + QByteArray::number(mat.m_bDefaultFallback)
           + " printTemp2=" + QByteArray::number(mat.m_nPrintTemp2);
}

// What a reader makes of a written record: the two fields that files do not carry have their
// defaults.
CPrintMaterial asReadBack(CPrintMaterial mat)
{
    const CPrintMaterial fresh;
    mat.m_bDefaultFallback = fresh.m_bDefaultFallback;
    mat.m_nPrintTemp2 = fresh.m_nPrintTemp2;
    return mat;
}

#define COMPARE_RECORDS(actual, expected)                                                                   \
    QVERIFY2((actual) == (expected),                                                                         \
             ("\n   Actual:   " + describe(actual) + "\n   Expected: " + describe(expected)).constData())

// Writes the records as the program's writer does and reads them back as its reader does.
std::vector<CPrintMaterial> writeAndReadBack(std::vector<CPrintMaterial> &records, const QString &path)
{
    std::vector<CPrintMaterial> back;
    MaterialFileWriter writer(path);
    if (!writer.Open())
        return back;
    for (CPrintMaterial &mat : records) {
        if (!writer.Write(mat))
            return back;
    }
    if (!writer.Commit())
        return back;
    std::vector<std::string> lines;
    ReadFileToString(QStringToStdString(path), lines);
    for (const std::string &line : lines) {
        CPrintMaterial mat;
        if (DecodeMaterial(DecodeMaterialLine(line).c_str(), mat))
            back.push_back(mat);
    }
    return back;
}

// The comma locale for the life of the object; "C" afterwards.
struct CommaLocale
{
    bool active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    ~CommaLocale() { std::setlocale(LC_ALL, "C"); }
};

QByteArray named(const QByteArray &members)
{
    return R"({"b2":"N","b3":"M",)" + members + "}";
}

CPrintMaterial namedRecord()
{
    CPrintMaterial mat;
    mat.SetNameAndManu("N", "M");
    return mat;
}
} // namespace

Q_DECLARE_METATYPE(CPrintMaterial)

class TstMaterialFormat : public QObject
{
    Q_OBJECT

private slots:
    void knownMaterialText();
    void formatJsonNumber_data();
    void formatJsonNumber();
    void formatJsonNumberMatchesPrintf();
    void decode_data();
    void decode();
    void decodeLine_data();
    void decodeLine();
    void roundTrip();
    void commaLocale();
    void parseMaterials();
    void writerReplacesWholeFile();
    void writerFailureKeepsTarget_data();
    void writerFailureKeepsTarget();
};

void TstMaterialFormat::knownMaterialText()
{
    CPrintMaterial mat = exampleMaterial();
    std::string json;
    QCOMPARE(mat.ToJson(json), 0);
    QCOMPARE(json.size(), size_t(723));
    QCOMPARE(qbytes(json), QByteArray(kExampleJson));

    const std::string line = EncodeMaterialLine(mat);
    QCOMPARE(line.size(), size_t(1447));
    QCOMPARE(qbytes(line).left(38), QByteArray("7b226d31223a22222c226d32223a393130302c"));
    QCOMPARE(qbytes(line), QByteArray(kExampleJson).toHex() + '\n');

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("example.cvx"));
    MaterialFileWriter writer(path);
    QVERIFY(writer.Open());
    QVERIFY(writer.Write(mat));
    QVERIFY(writer.Commit());
    QCOMPARE(readAll(path), QByteArray(kExampleJson).toHex() + '\n');
}

void TstMaterialFormat::formatJsonNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("text");

    QTest::addRow("15 digits suffice") << 1.75 << QByteArray("1.75");
    QTest::addRow("float 0.4 needs 17 digits") << double(0.4f) << QByteArray("0.40000000596046448");
    QTest::addRow("whole number") << 210.0 << QByteArray("210");
    QTest::addRow("negative zero keeps its sign") << -0.0 << QByteArray("-0");
    QTest::addRow("large exponent") << 1e20 << QByteArray("1e+20");
    QTest::addRow("small exponent") << 1e-7 << QByteArray("1e-07");
    QTest::addRow("long integer needs 17 digits") << 123456789012345678.0 << QByteArray("1.2345678901234568e+17");
    QTest::addRow("infinity") << std::numeric_limits<double>::infinity() << QByteArray("null");
    QTest::addRow("NaN") << std::numeric_limits<double>::quiet_NaN() << QByteArray("null");
}

void TstMaterialFormat::formatJsonNumber()
{
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    QCOMPARE(qbytes(FormatJsonNumber(value)), text);
}

// The fast formatter must agree with the printf rule it stands for on any value.
void TstMaterialFormat::formatJsonNumberMatchesPrintf()
{
    const auto reference = [](double value) {
        char text[64];
        std::snprintf(text, sizeof(text), "%1.15g", value);
        if (std::strtod(text, nullptr) != value)
            std::snprintf(text, sizeof(text), "%1.17g", value);
        return QByteArray(text);
    };
    QRandomGenerator random(42);
    for (int i = 0; i < 200000; ++i) {
        const quint64 bits = random.generate64();
        double value;
        if (i % 3 == 0) {
            float f;
            const quint32 low = quint32(bits);
            std::memcpy(&f, &low, sizeof(f));
            value = double(f);
        } else if (i % 3 == 1) {
            value = double(int(bits % 2000001) - 1000000) / std::pow(10.0, double(bits >> 60));
        } else {
            std::memcpy(&value, &bits, sizeof(value));
        }
        if (!std::isfinite(value))
            continue;
        const QByteArray got = qbytes(FormatJsonNumber(value));
        if (got != reference(value))
            QFAIL(qPrintable(QStringLiteral("%1: got %2, printf gives %3")
                                 .arg(value, 0, 'g', 17).arg(QString(got), QString(reference(value)))));
    }
}

void TstMaterialFormat::decode_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("reason"); // empty: accepted
    QTest::addColumn<CPrintMaterial>("expected");

    const QByteArray group = R"("group":[])";
    CPrintMaterial e;

    QTest::addRow("empty group accepted") << named(group) << QString() << namedRecord();

    e = namedRecord();
    e.m_nPrintTemp = 215;
    QTest::addRow("B4 upper case is b4") << named(R"("B4":215,)" + group) << QString() << e;

    e = namedRecord();
    e.m_nPrintTemp = 200;
    QTest::addRow("duplicate names differing in case: first counts")
        << named(R"("b4":200,"B4":215,)" + group) << QString() << e;

    e = namedRecord();
    e.m_fShrink[0] = 0.01f;
    e.m_fShrink[1] = 0.02f;
    QTest::addRow("b9 with two elements leaves Z") << named(R"("b9":[0.01,0.02],)" + group) << QString() << e;
    e.m_fShrink[2] = 0.03f;
    QTest::addRow("b9 fourth element ignored") << named(R"("b9":[0.01,0.02,0.03,0.04],)" + group) << QString() << e;

    e = namedRecord();
    e.m_nCreateDay = 0;
    QTest::addRow("m2 -1000 reads as 0") << named(R"("m2":-1000,)" + group) << QString() << e;
    e.m_nCreateDay = -999;
    QTest::addRow("m2 -999 kept") << named(R"("m2":-999,)" + group) << QString() << e;

    e = namedRecord();
    e.m_nPrintTemp = 210;
    QTest::addRow("b4 210.9 truncates") << named(R"("b4":210.9,)" + group) << QString() << e;
    e.m_nPrintTemp = INT_MAX;
    QTest::addRow("b4 1e12 saturates") << named(R"("b4":1e12,)" + group) << QString() << e;
    e.m_nPrintTemp = INT_MIN;
    QTest::addRow("b4 -1e999 saturates") << named(R"("b4":-1e999,)" + group) << QString() << e;
    e.m_nPrintTemp = 1;
    QTest::addRow("true reads 1 in an integer") << named(R"("b4":true,)" + group) << QString() << e;

    e = namedRecord();
    e.m_fFilaDia = 0.0f;
    e.m_nPlatTemp = 0;
    e.m_fDensity = 0.0f;
    QTest::addRow("true reads 0 in a float, text and null read 0")
        << named(R"("b7":true,"b5":"60","b8":null,)" + group) << QString() << e;

    QTest::addRow("look-alike keys ignored") << named(R"("b01":5,"b15":5,"b4 ":5,"p4":5,"m3":5,)" + group)
                                             << QString() << namedRecord();
    QTest::addRow("nested garbage ignored")
        << named(R"("x":{"y":[1,{"z":null}],"b4":1},"":[[[]]],)" + group) << QString() << namedRecord();
    QTest::addRow("byte-order mark skipped") << QByteArray("\xEF\xBB\xBF") + named(group) << QString()
                                             << namedRecord();

    e = CPrintMaterial();
    e.SetNameAndManu("0123456789abcdefghijklmnopqrstuv", "M");
    QTest::addRow("40-byte name cut to 32")
        << QByteArray(R"({"b2":"0123456789abcdefghijklmnopqrstuvwxyzWXYZ","b3":"M",)" + group + "}") << QString()
        << e;

    // Print sets.
    PrintSetData s;
    s.nPrinterType = 10102;
    s.fNozzleDia = 0.405f; // the whole later set, key included, replaces the earlier one
    s.fLayerThick = 0.2004f;
    s.nBasicTemp = 190;
    e = namedRecord();
    e.m_lstSets.push_back(s);
    QTest::addRow("duplicate set key: later replaces earlier")
        << named(R"("group":[{"p1":10102,"p6":180},{"p1":10102,"p2":0.405,"p3":0.2004,"p6":190}])") << QString() << e;

    s = PrintSetData();
    s.nPrinterType = 10102;
    s.fNozzleDia = 0.6f;
    s.fLayerThick = 0.3f;
    s.fWidth[0] = 0.45f;
    s.nTempBias[0] = 1;
    s.nTempBias[1] = -2;
    s.nTempBias[2] = 1;
    e = namedRecord();
    e.m_lstSets.push_back(s);
    QTest::addRow("refused set dropped, arrays partly filled")
        << named(R"("group":[{"p1":10112,"p2":0.6,"p3":0.3},)"
                 R"({"p1":10102,"p2":0.6,"p3":0.3,"p11":[0.45],"p14":[1.9,-2.9,true,7]}])")
        << QString() << e;

    e = namedRecord();
    std::strcpy(e.m_szPwMD5, kLock);
    e.m_lstSets.push_back(PrintSetData());
    QTest::addRow("locked material keeps its sets") << named(R"("m1":")" + QByteArray(kLock) + R"(","group":[{}])")
                                                    << QString() << e;

    // Refusals.
    QTest::addRow("missing group refused") << named(R"("b4":1)") << QStringLiteral("no \"group\"") << CPrintMaterial();
    QTest::addRow("group not an array refused") << named(R"("group":{})")
                                                << QStringLiteral("\"group\" is not an array") << CPrintMaterial();
    QTest::addRow("b2 without b3 refused, name not set") << QByteArray(R"({"b2":"N","group":[]})")
                                                         << QStringLiteral("\"b3\" missing") << CPrintMaterial();
    QTest::addRow("neither name nor manufacturer") << QByteArray(R"({"group":[]})")
                                                   << QStringLiteral("\"b2\" and \"b3\" missing") << CPrintMaterial();
    QTest::addRow("array is not an object") << QByteArray("[1,2]") << QStringLiteral("not a JSON object")
                                            << CPrintMaterial();
    QTest::addRow("cut-off text") << QByteArray(R"({"b2":"N","b3":)") << QStringLiteral("not JSON") << CPrintMaterial();
}

void TstMaterialFormat::decode()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, reason);
    QFETCH(CPrintMaterial, expected);

    CPrintMaterial mat;
    MaterialDecodeReport report;
    const bool accepted = DecodeMaterial(json.constData(), mat, &report);
    QCOMPARE(QString::fromStdString(report.Reason()), reason);
    QCOMPARE(accepted, reason.isEmpty());
    if (accepted) {
        COMPARE_RECORDS(mat, expected);
    } else if (report.refusal == MaterialDecodeReport::Refusal::NoNameOrManu) {
        QCOMPARE(QByteArray(mat.m_szName), QByteArray("Undefine"));
        QCOMPARE(QByteArray(mat.m_szManu), QByteArray("KestRona"));
    }
}

void TstMaterialFormat::decodeLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("text");

    const QByteArray hex = QByteArray(kExampleJson).toHex();
    QTest::addRow("line feed") << hex + "\n" << QByteArray(kExampleJson);
    QTest::addRow("CR LF skipped") << hex + "\r\n" << QByteArray(kExampleJson);
    QTest::addRow("no final line feed") << hex << QByteArray(kExampleJson);
    QTest::addRow("odd length loses its last digit") << QByteArray("7b7d7") << QByteArray("{}");
    QTest::addRow("empty line") << QByteArray("\n") << QByteArray();
}

void TstMaterialFormat::decodeLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, text);
    QCOMPARE(qbytes(DecodeMaterialLine(std::string(line.constData(), size_t(line.size())))), text);
}

void TstMaterialFormat::roundTrip()
{
    std::vector<CPrintMaterial> records = richMaterials();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::vector<CPrintMaterial> back = writeAndReadBack(records, dir.filePath(QStringLiteral("user.cvx")));
    QCOMPARE(back.size(), records.size());

    // Writing brought the records up to date and left them so.
    QCOMPARE(records[0].m_lstSets.front().fAcc[0], 1000.0f);
    QCOMPARE(records[0].m_lstSets.back().fLayerThick, 0.07f);
    for (size_t i = 0; i < records.size(); ++i)
        COMPARE_RECORDS(back[i], asReadBack(records[i]));
}

void TstMaterialFormat::commaLocale()
{
    CommaLocale locale;
    if (!locale.active)
        QFAIL("locale de_DE.UTF-8 is missing: generate it (the set-up script does)");
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));

    CPrintMaterial mat = exampleMaterial();
    std::string json;
    mat.ToJson(json);
    QCOMPARE(qbytes(json), QByteArray(kExampleJson));
    QCOMPARE(qbytes(FormatJsonNumber(1.75)), QByteArray("1.75"));

    CPrintMaterial decoded;
    QVERIFY(DecodeMaterial(kExampleJson, decoded));
    COMPARE_RECORDS(decoded, asReadBack(mat));

    std::vector<CPrintMaterial> records = richMaterials();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::vector<CPrintMaterial> back = writeAndReadBack(records, dir.filePath(QStringLiteral("user.cvx")));
    QCOMPARE(back.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i)
        COMPARE_RECORDS(back[i], asReadBack(records[i]));
}

void TstMaterialFormat::parseMaterials()
{
    const std::vector<std::string> texts = {
        R"({"b2":"A","b3":"M","group":[]})",
        "not json",
        R"({"b2":"B","b3":"M","m2":-1000,"group":[]})",
        R"({"b2":"lost","b3":"M"})",
        R"({"b2":"lost","group":[]})",
        "",
        R"({"b2":"C","b3":"M","m2":12,"group":[{"p1":10102}]})",
    };
    std::vector<CPrintMaterial> out(1);
    out[0].SetNameAndManu("kept", "M");
    QCOMPARE(ParseMaterials(texts, out), 3);
    QCOMPARE(int(out.size()), 4);
    QCOMPARE(QByteArray(out[0].m_szName), QByteArray("kept"));
    QCOMPARE(QByteArray(out[1].m_szName), QByteArray("A"));
    QCOMPARE(QByteArray(out[2].m_szName), QByteArray("B"));
    QCOMPARE(out[2].m_nCreateDay, 0);
    QCOMPARE(QByteArray(out[3].m_szName), QByteArray("C"));
    QCOMPARE(out[3].m_nCreateDay, 12);
    QCOMPARE(int(out[3].m_lstSets.size()), 1);
    QCOMPARE(out[3].m_bDefaultFallback, 1);

    std::vector<CPrintMaterial> none;
    QCOMPARE(ParseMaterials({}, none), 0);
    QVERIFY(none.empty());
}

void TstMaterialFormat::writerReplacesWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("user.cvx"));
    QVERIFY(writeAll(path, "an old and much longer content that must not survive\n"));
    std::vector<CPrintMaterial> records = richMaterials();
    MaterialFileWriter writer(path);
    QVERIFY(writer.Open());
    QVERIFY(writer.Write(records[0]));
    QVERIFY(writer.Write(records[1]));
    QVERIFY(writer.Commit());
    QCOMPARE(readAll(path), qbytes(EncodeMaterialLine(records[0]) + EncodeMaterialLine(records[1])));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("user.cvx")});
}

void TstMaterialFormat::writerFailureKeepsTarget_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addRow("target in a missing folder") << "missing folder";
    // A full disk as far as the writer can tell; unlike folder permissions it binds root too.
    QTest::addRow("file size limit reached while writing") << "size limit";
    QTest::addRow("dropped without commit") << "no commit";
}

void TstMaterialFormat::writerFailureKeepsTarget()
{
    QFETCH(QString, scenario);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("user.cvx"));
    const QByteArray old = QByteArray(kExampleJson).toHex() + '\n';
    QVERIFY(writeAll(path, old));
    CPrintMaterial mat = exampleMaterial();

    if (scenario == QLatin1String("missing folder")) {
        MaterialFileWriter writer(dir.filePath(QStringLiteral("absent/user.cvx")));
        QVERIFY(!writer.Open());
        QVERIFY(!writer.ErrorString().isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("absent"))));
    } else if (scenario == QLatin1String("size limit")) {
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 4096;
        const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool ok;
        {
            MaterialFileWriter writer(path);
            ok = writer.Open();
            for (int i = 0; ok && i < 40; ++i)
                ok = writer.Write(mat);
            ok = ok && writer.Commit();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, oldHandler);
        QVERIFY(!ok);
    } else {
        MaterialFileWriter writer(path);
        QVERIFY(writer.Open());
        QVERIFY(writer.Write(mat));
    }
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("user.cvx")});
}

QTEST_GUILESS_MAIN(TstMaterialFormat)
#include "tst_MaterialFormat.moc"
