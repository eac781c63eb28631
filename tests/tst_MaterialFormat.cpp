#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"
#include "base/cfutility.h"

#include "TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

#include <clocale>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <signal.h>
#include <sys/resource.h>

namespace {
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

// Two records that use every kind of field, escapes in the texts, and a locked record's sets.
std::vector<CPrintMaterial> richMaterials()
{
    CPrintMaterial a = exampleMaterial();
    a.SetNameAndManu("Q\"uo\\te\ttab caf\xc3\xa9", "Maker/1");
    std::strcpy(a.m_szPwMD5, kLock);
    a.m_nMatID = -123456789;
    a.m_nPlatTemp = 65;
    a.m_bDefaultFallback = 0; // as in a copy made in the program; files do not carry it
    a.m_fShrink[1] = -0.0015f;
    a.m_fB12 = 1.5f;
    a.m_fB13 = -2.25e-5f;
    a.m_fB14 = 3e10f;
    const struct { int type; float nozzle; float layer; int quality; } keys[] = {
        {10110, 0.6f, 0.3f, 2}, {10110, 0.4f, 0.2504f, 0}, {-1, 0.8f, 0.45f, 6}, {10102, 0.2f, 0.07f, 1}};
    for (const auto &k : keys) {
        PrintSetData s{k.type, k.nozzle, k.layer, k.quality};
        s.fWidth[0] = 0.42f + k.layer;
        s.nTempBias[1] = -3 - k.quality;
        s.fAcc[0] = 800.0f; // written as 1000
        s.fTolerance = -0.05f;
        s.nWithdraw = 33 + k.quality;
        if (a.AddOrReplaceSet(s, kLock) != 1)
            qFatal("a print set of the sample is not valid");
    }
    CPrintMaterial b;
    b.SetNameAndManu("PETG", "");
    b.m_nMatID = INT_MAX;
    b.m_nCreateDay = -1;
    return {a, b};
}

// The one print set a text leaves: the one of basic temperature 190.
void keep190(CPrintMaterial &mat, PrintSetData set)
{
    set.nBasicTemp = 190;
    mat.m_lstSets.push_back(set);
}

#define COMPARE_RECORDS(actual, expected)                                                                   \
    QVERIFY2((actual) == (expected), ("\n   Actual:   " + MaterialJsonText(actual) +                        \
                                      "\n   Expected: " + MaterialJsonText(expected)).c_str())

} // namespace

Q_DECLARE_METATYPE(CPrintMaterial)

class TstMaterialFormat : public QObject
{
    Q_OBJECT

private slots:
    void formatJsonNumberMatchesPrintf();
    void decode_data();
    void decode();
    void hexLines_data();
    void hexLines();
    void roundTrip_data();
    void roundTrip();
    void writer_data();
    void writer();
    void versionLine_data();
    void versionLine();
};

// The fast formatter must agree with the printf rule it stands for on any value.
void TstMaterialFormat::formatJsonNumberMatchesPrintf()
{
    const auto format = [](double value) { return QByteArray::fromStdString(FormatJsonNumber(value)); };
    QCOMPARE(format(std::numeric_limits<double>::infinity()), QByteArray("null"));
    QCOMPARE(format(std::numeric_limits<double>::quiet_NaN()), QByteArray("null"));
    const auto reference = [](double value) {
        char text[64];
        std::snprintf(text, sizeof(text), "%1.15g", value);
        if (std::strtod(text, nullptr) != value)
            std::snprintf(text, sizeof(text), "%1.17g", value);
        return QByteArray(text);
    };
    for (double value : {-0.0, 0.0, 210.0, -5.0, 1e20, 1e-7, 1e15, 999999999999999.0, -999999999999999.0,
                         4503599627370497.0, 123456789012345678.0, 1e16 + 2, 0.1, 1.0 / 3})
        QCOMPARE(format(value), reference(value));
    QRandomGenerator random(42);
    for (int i = 0; i < 200000; ++i) {
        // Widened floats, short decimals and any bit pattern, in turn.
        const quint64 bits = random.generate64();
        float f;
        double value;
        std::memcpy(&f, &bits, sizeof(f));
        std::memcpy(&value, &bits, sizeof(value));
        if (i % 3 == 0)
            value = double(f);
        else if (i % 3 == 1)
            value = double(int(bits % 2000001) - 1000000) / std::pow(10.0, double(bits >> 60));
        if (std::isfinite(value) && format(value) != reference(value))
            QFAIL(qPrintable(QString::number(value, 'g', 17) + ": got " + format(value) + ", printf gives " +
                             reference(value)));
    }
}

// Accepted texts: the record "N" by "M" with the change the text makes. Refusals and their
// reasons are the damaged-file tests' and the command-line tool's.
void TstMaterialFormat::decode_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<CPrintMaterial>("expected");
    const auto row = [](const char *name, const QByteArray &members, void (*change)(CPrintMaterial &)) {
        CPrintMaterial e;
        e.SetNameAndManu("N", "M");
        change(e);
        QTest::newRow(name) << R"({"b2":"N","b3":"M",)" + members + "}" << e;
    };
    using M = CPrintMaterial &;
    row("B4 upper case is b4", R"("B4":215,"group":[])", [](M m) { m.m_nPrintTemp = 215; });
    row("duplicate names differing in case: first counts", R"("b4":200,"B4":215,"group":[])",
        [](M m) { m.m_nPrintTemp = 200; });
    row("m2 -1000 reads as 0", R"("m2":-1000,"group":[])", [](M) {});
    row("b4 210.9 truncates", R"("b4":210.9,"group":[])", [](M m) { m.m_nPrintTemp = 210; });
    row("integers out of range saturate", R"("b4":1e12,"b5":-1e999,"group":[])",
        [](M m) { m.m_nPrintTemp = INT_MAX, m.m_nPlatTemp = INT_MIN; });
    row("numbers beyond the float range hold the largest float",
        R"("b7":1e39,"b8":-1e999,"b9":[3.5e38],"group":[])",
        [](M m) { m.m_fFilaDia = FLT_MAX, m.m_fDensity = -FLT_MAX, m.m_fShrink[0] = FLT_MAX; });
    row("true reads 1 in an integer, 0 in a number; text and null read 0",
        R"("b4":true,"b7":true,"b5":"60","b8":null,"group":[])",
        [](M m) { m.m_nPrintTemp = 1, m.m_fFilaDia = 0.0f, m.m_nPlatTemp = 0, m.m_fDensity = 0.0f; });
    row("look-alike keys and nested members ignored",
        R"("b01":5,"b15":5,"b4 ":5,"p4":5,"m3":5,"x":{"b4":1},"":[[[]]],"group":[])", [](M) {});
    row("duplicate set key: later replaces earlier, key included, layer rounded as written",
        R"("group":[{"p1":10102,"p6":180},{"p1":10102,"p2":0.405,"p3":0.2004,"p6":190}])",
        [](M m) { keep190(m, {10102, 0.405f, 0.2f, 0}); });
    // Every set kept reads back as it is once saved.
    row("negative nozzle, layer or quality refused, none taken as a wildcard that replaces a set",
        R"("group":[{"p1":10102,"p2":0.6,"p3":0.3,"p4":2},{"p1":10102,"p2":-1,"p3":-0.256,"p4":-3},)"
        R"({"p1":10102,"p2":0.6,"p3":-0.3,"p4":2},{"p1":10102,"p2":0.6,"p3":0.3,"p4":-1,"p6":190}])",
        [](M m) { m.m_lstSets.push_back({10102, 0.6f, 0.3f, 2}); });
    row("nozzle within 0.01 of a set but not offered refused",
        R"("group":[{"p1":10102,"p2":0.405},{"p1":10102,"p2":0.414,"p6":190}])",
        [](M m) { m.m_lstSets.push_back({10102, 0.405f, 0.2f, 0}); });
    row("a set replacing one also replaces a later one with its key",
        R"("group":[{"p1":10102,"p2":0.391},{"p1":10102,"p2":0.409},{"p1":10102,"p2":0.4,"p6":190}])",
        [](M m) { keep190(m, {10102, 0.4f, 0.2f, 0}); });
    row("layers written alike are one set",
        R"("group":[{"p1":10102,"p3":0.1991},{"p1":10102,"p3":0.2009,"p6":190}])",
        [](M m) { keep190(m, {10102, 0.4f, 0.2f, 0}); });
    row("refused set dropped; short arrays fill the front, long ones lose the rest",
        R"("group":[{"p1":10112,"p2":0.6,"p3":0.3},)"
        R"({"p1":10102,"p2":0.6,"p3":0.3,"p11":[0.45],"p14":[1.9,-2.9,true,7]}])",
        [](M m) {
            PrintSetData s{10102, 0.6f, 0.3f, 0};
            s.fWidth[0] = 0.45f;
            s.nTempBias[0] = 1, s.nTempBias[1] = -2, s.nTempBias[2] = 1;
            m.m_lstSets.push_back(s);
        });
    row("locked material keeps its sets", R"("m1":"0123456789abcdef0123456789abcdef","group":[{}])", [](M m) {
        std::strcpy(m.m_szPwMD5, kLock);
        m.m_lstSets.emplace_back();
    });
    CPrintMaterial cut;
    cut.SetNameAndManu("0123456789abcdefghijklmnopqrstuv", "KestRona");
    QTest::newRow("byte-order mark skipped, 40-byte name cut to 32")
        << QByteArray("\xEF\xBB\xBF" R"({"b2":"0123456789abcdefghijklmnopqrstuvwxyzWXYZ",)"
                      R"("b3":"KestRona","group":[]})")
        << cut;
}

void TstMaterialFormat::decode()
{
    QFETCH(QByteArray, json);
    QFETCH(CPrintMaterial, expected);
    CPrintMaterial mat;
    MaterialDecodeReport report;
    QVERIFY(DecodeMaterial(json.constData(), mat, &report));
    QCOMPARE(report.Reason(), std::string());
    COMPARE_RECORDS(mat, expected);
}

// A line of a file to the text it holds, as QByteArray::fromHex decodes it: characters that are not
// hex digits (the line end among them) skipped, digits paired from the end, so that an odd count
// leaves the first digit a byte of its own and no digit is dropped.
void TstMaterialFormat::hexLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("text");
    QTest::addRow("CR LF skipped") << exampleJson().toHex() + "\r\n" << exampleJson();
    QTest::addRow("upper-case digits") << QByteArray("7B0A") << QByteArray("\x7b\x0a");
    QTest::addRow("odd length keeps a last hex digit") << QByteArray("7b7d7") << QByteArray("\x07\xb7\xd7");
    QTest::addRow("odd length loses its line feed") << QByteArray("7b7d\n") << QByteArray("{}");
    QTest::addRow("odd length loses a lone CR") << QByteArray("7b7d\r") << QByteArray("{}");
    QTest::addRow("non-hex inside a pair skipped") << QByteArray("4g1") << QByteArray("A");
    QTest::addRow("stray character in an even line") << QByteArray("7bx0a1") << QByteArray("\x07\xb0\xa1");
    QTest::addRow("NUL and high bytes kept") << QByteArray("00ff0000") << QByteArray("\x00\xff\x00\x00", 4);
    QTest::addRow("empty line") << QByteArray("\n") << QByteArray();
}

// Writing is the other way: lowercase, two digits a byte.
void TstMaterialFormat::hexLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, text);
    QCOMPARE(QByteArray::fromStdString(DecodeMaterialLine(line.toStdString())), text);
    QCOMPARE(QByteArray::fromStdString(HexToString(line.toStdString())), text);
    QCOMPARE(text, QByteArray::fromHex(line));
    QCOMPARE(QByteArray::fromStdString(StringToHex(text.toStdString())), text.toHex());
}

// Files and messages use "." whatever the user's locale.
void TstMaterialFormat::roundTrip_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addRow("C locale") << QByteArray("C");
    QTest::addRow("decimal comma locale") << QByteArray("de_DE.UTF-8");
}

// The worked example byte for byte, then records that use every kind of field back as they were.
void TstMaterialFormat::roundTrip()
{
    QFETCH(QByteArray, locale);
    if (!std::setlocale(LC_ALL, locale.constData()))
        QFAIL("locale de_DE.UTF-8 is missing: generate it (the set-up script does)");
    const auto restore = qScopeGuard([] { std::setlocale(LC_ALL, "C"); });

    std::vector<CPrintMaterial> records = richMaterials();
    records.insert(records.begin(), exampleMaterial());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("user.cvx"));
    MaterialFileWriter writer(path);
    QVERIFY(writer.Open());
    for (CPrintMaterial &mat : records)
        QVERIFY(writer.Write(mat));
    QVERIFY(writer.Commit());
    QCOMPARE(records[1].m_lstSets.front().fAcc[0], 1000.0f); // writing left the record up to date

    std::vector<std::string> lines;
    QVERIFY(ReadFileToString(QStringToStdString(path), lines));
    QCOMPARE(lines.size(), records.size());
    QCOMPARE(QByteArray::fromStdString(lines[0]), hexLine(exampleJson()));
    for (size_t i = 0; i < records.size(); ++i) {
        CPrintMaterial back;
        QVERIFY(DecodeMaterial(DecodeMaterialLine(lines[i]).c_str(), back));
        // Files do not carry these two fields: a reader gives them their defaults.
        records[i].m_bDefaultFallback = 1;
        records[i].m_nPrintTemp2 = CPrintMaterial().m_nPrintTemp2;
        COMPARE_RECORDS(back, records[i]);
    }
    // So do the reasons a reader gives.
    MaterialDecodeReport report;
    CPrintMaterial refused;
    QVERIFY(DecodeMaterial(R"({"b2":"N","b3":"M","group":[{"p1":10112,"p2":0.6}]})", refused, &report));
    QCOMPARE(MaterialDecodeReport::DescribeDroppedSet(report.droppedSets.at(0)),
             std::string("print set 1 (printer 10112, nozzle 0.6, layer 0.2, quality 0): "
                         "nozzle 0.6 is not offered for printer type 10112"));
}

void TstMaterialFormat::writer_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("sizeLimit"); // 0: none
    QTest::addColumn<bool>("commit");
    QTest::addColumn<bool>("replaced");
    QTest::addRow("commit replaces a longer file whole") << "user.cvx" << 0 << true << true;
    QTest::addRow("target in a missing folder") << "absent/user.cvx" << 0 << true << false;
    // A full disk as far as the writer can tell; unlike folder permissions it binds root too.
    QTest::addRow("file size limit reached while writing") << "user.cvx" << 4096 << true << false;
    QTest::addRow("dropped without commit") << "user.cvx" << 0 << false << false;
}

void TstMaterialFormat::writer()
{
    QFETCH(QString, target);
    QFETCH(int, sizeLimit);
    QFETCH(bool, commit);
    QFETCH(bool, replaced);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("user.cvx"));
    const QByteArray old = QByteArray(80000, 'o') + '\n';
    QVERIFY(writeAll(path, old));
    CPrintMaterial mat = exampleMaterial();

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(sizeLimit);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, sizeLimit ? &small : &saved), 0);
    bool committed;
    QString error;
    {
        MaterialFileWriter writer(dir.filePath(target));
        bool ok = writer.Open();
        for (int i = 0; ok && i < 40; ++i)
            ok = writer.Write(mat);
        committed = ok && commit && writer.Commit();
        error = writer.ErrorString();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    QCOMPARE(committed, replaced);
    QCOMPARE(error.isEmpty(), replaced || !commit);
    QCOMPARE(readAll(path), replaced ? hexLine(exampleJson()).repeated(40) : old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("user.cvx")});
}

void TstMaterialFormat::versionLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("version");
    QTest::addRow("dotted, line feed") << QByteArray("1.0.0\n") << true;
    QTest::addRow("CR LF and spaces") << QByteArray(" 10.2.33 \r\n") << true;
    QTest::addRow("one number") << QByteArray("7") << true;
    QTest::addRow("empty group") << QByteArray("1..2") << false;
    QTest::addRow("trailing dot") << QByteArray("1.\n") << false;
    QTest::addRow("leading dot") << QByteArray(".1") << false;
    QTest::addRow("blank") << QByteArray(" \n") << false;
    QTest::addRow("a material's hex") << QByteArray("7b2262") << false;
}

void TstMaterialFormat::versionLine()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, version);
    QCOMPARE(IsVersionLine(line.toStdString()), version);
}

QTEST_GUILESS_MAIN(TstMaterialFormat)
#include "tst_MaterialFormat.moc"
