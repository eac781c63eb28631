#include "base/cfutility.h"
#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"

#include "TestSupport.h"

#include <QDir>
#include <QtTest>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace {

// Every kind of field, escapes in the texts, and a locked record's sets.
const QByteArray kRich =
    "{\"m1\":\"0123456789abcdef0123456789abcdef\",\"b1\":-123456789,"
    "\"b2\":\"Q\\\"uo\\\\te\\ttab caf\xc3\xa9\",\"b3\":\"Maker/1\","
    R"("b5":65,"b9":[0.003,-0.0015,0.003],"b12":1.5,"b13":-2.25e-5,"b14":3e10,"group":[)"
    R"({"p1":10110,"p2":0.6,"p3":0.3,"p4":2,"p9":35,"p11":[0.72],"p14":[0,-5],"p15":[800],"p27":-0.05},)"
    R"({"p1":-1,"p2":0.8,"p3":0.45,"p4":6,"p9":39,"p11":[0.87],"p14":[0,-9],"p27":-0.05},)"
    R"({"p1":10102,"p2":0.2,"p3":0.07,"p4":1,"p12":[12.5,0.1],"p13":[105]}]})";

// The one print set a text leaves: the one of basic temperature 190.
void keep190(CPrintMaterial &mat, PrintSetData set)
{
    set.nBasicTemp = 190;
    mat.m_lstSets.push_back(set);
}

// clang-format off
#define COMPARE_RECORDS(actual, expected)                                                                   \
    QVERIFY2((actual) == (expected), ("\n   Actual:   " + MaterialJsonText(actual) +                        \
                                      "\n   Expected: " + MaterialJsonText(expected)).c_str())
// clang-format on

struct Lines
{
    QByteArray content;
    QList<QByteArray> lines; // "<N bytes>" for a line too long to hold
    bool loneCr = false;     // a lone CR ends a line
    int maxLength = -1;      // the longest line held, -1 for no limit
    int error = 0;           // what Error() says at the end
    // Read this instead of a file of the content: "{dir}" the folder itself, "{fifo}" a FIFO that a
    // program opens a moment after the reader and writes the content into, unless it is empty.
    QString path = {};
};
} // namespace

Q_DECLARE_METATYPE(CPrintMaterial)
Q_DECLARE_METATYPE(Lines)

class TstMaterialFormat : public QObject
{
    Q_OBJECT

private slots:
    // printf's "%.15g", or "%.17g" where that is needed to read the same double back; JSON has no
    // infinity or NaN.
    void formatJsonNumber()
    {
        // clang-format off
        const QList<QPair<double, QByteArray>> cases = {
            {-0.0, "-0"}, {210.0, "210"}, {3e10, "30000000000"}, {-999999999999999.0, "-999999999999999"},
            {1e15, "1e+15"}, {-2.25e-5, "-2.25e-05"}, {0.1, "0.1"}, {1.0 / 3, "0.33333333333333331"},
            {double(0.3f), "0.30000001192092896"}, {1e16 + 2, "10000000000000002"},
            {123456789012345678.0, "1.2345678901234568e+17"}, {INFINITY, "null"}, {NAN, "null"}};
        // clang-format on
        for (const auto &[value, text] : cases)
            QCOMPARE(QByteArray::fromStdString(FormatJsonNumber(value)), text);
    }

    // Accepted texts: the record "N" by "M" with the change the text makes. Refusals and their
    // reasons are the damaged-file tests' and the command-line tool's.
    // clang-format off
    void decode_data()
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
        row("keys differing in case: B5 is b5, the first counts", R"("B5":60,"b4":200,"B4":215,"group":[])",
            [](M m) { m.m_nPlatTemp = 60, m.m_nPrintTemp = 200; });
        row("numbers beyond the int and float ranges saturate",
            R"("b4":1e12,"b5":-1e999,"b7":1e39,"b8":-1e999,"b9":[3.5e38],"group":[])", [](M m) {
                m.m_nPrintTemp = INT_MAX, m.m_nPlatTemp = INT_MIN;
                m.m_fFilaDia = FLT_MAX, m.m_fDensity = -FLT_MAX, m.m_fShrink[0] = FLT_MAX;
            });
        row("integers truncate, m2 below 0 reads 0; true reads 1 in an integer, 0 in a number; text, null 0",
            R"("m2":-1000,"b4":210.9,"b11":true,"b7":true,"b5":"60","b8":null,"group":[])", [](M m) {
                m.m_nPrintTemp = 210, m.m_nB11 = 1, m.m_fFilaDia = 0.0f, m.m_nPlatTemp = 0,
                m.m_fDensity = 0.0f;
            });
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
        row("refused set dropped; short arrays fill the front, long ones lose the rest",
            R"("group":[{"p1":10112,"p2":0.6,"p3":0.3},)"
            R"({"p1":10102,"p2":0.6,"p3":0.3,"p11":[0.45],"p14":[1.9,-2.9,true,7]}])",
            [](M m) {
                PrintSetData s{10102, 0.6f, 0.3f, 0};
                s.fWidth[0] = 0.45f;
                s.nTempBias[0] = 1, s.nTempBias[1] = -2, s.nTempBias[2] = 1;
                m.m_lstSets.push_back(s);
            });
    }
    // clang-format on

    void decode()
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
    // clang-format off
    void hexLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addRow("CR LF skipped") << exampleJson().toHex() + "\r\n" << exampleJson();
        QTest::addRow("upper-case digits") << QByteArray("7B0A") << QByteArray("\x7b\x0a");
        QTest::addRow("odd length keeps a last hex digit")
            << QByteArray("7b7d7") << QByteArray("\x07\xb7\xd7");
        QTest::addRow("odd length loses its line feed") << QByteArray("7b7d\n") << QByteArray("{}");
        QTest::addRow("stray character in an even line")
            << QByteArray("7bx0a1") << QByteArray("\x07\xb0\xa1");
    }
    // clang-format on

    // Writing is the other way: lowercase, two digits a byte.
    void hexLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, text);
        QCOMPARE(QByteArray::fromStdString(DecodeMaterialLine(line.toStdString())), text);
        QCOMPARE(QByteArray::fromStdString(HexToString(line.toStdString())), text);
        QCOMPARE(text, QByteArray::fromHex(line));
        QCOMPARE(QByteArray::fromStdString(StringToHex(text.toStdString())), text.toHex());
    }

    // clang-format off
    void write_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<int>("sizeLimit"); // 0: none
        QTest::addColumn<bool>("commit");
        // Files and messages use "." whatever the user's locale.
        QTest::addRow("commit replaces a longer file whole, in a decimal comma locale")
            << QByteArray("de_DE.UTF-8") << 0 << true;
        // A full disk as far as the writer can tell; unlike folder permissions it binds root too.
        QTest::addRow("file size limit reached while writing") << QByteArray("C") << 4096 << true;
        QTest::addRow("dropped without commit") << QByteArray("C") << 0 << false;
    }
    // clang-format on

    // Records written and read back as they were, the worked example byte for byte. Only a whole
    // commit replaces the file, and no temporary file is left either way.
    void write()
    {
        QFETCH(QByteArray, locale);
        QFETCH(int, sizeLimit);
        QFETCH(bool, commit);
        if (!std::setlocale(LC_ALL, locale.constData()))
            QFAIL("locale de_DE.UTF-8 is missing: generate it (the set-up script does)");
        const auto restore = qScopeGuard([] { std::setlocale(LC_ALL, "C"); });
        const QByteArray last = R"({"m2":-1,"b1":2147483647,"b2":"PETG","b3":"","group":[]})";
        const QByteArrayList texts = {exampleJson(), kRich, last};
        std::vector<CPrintMaterial> records(size_t(texts.size()));
        for (size_t i = 0; i < records.size(); ++i)
            QVERIFY(DecodeMaterial(texts[int(i)].constData(), records[i]));
        QCOMPARE(records[1].m_lstSets.size(), size_t(3)); // a locked record keeps its sets
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("user.cvx"));
        const QByteArray old = QByteArray(80000, 'o') + '\n';
        QVERIFY(writeAll(path, old));
        bool ok;
        QString error;
        {
            const FileSizeLimit limit(sizeLimit ? rlim_t(sizeLimit) : RLIM_INFINITY);
            MaterialFileWriter writer(path);
            ok = writer.Open();
            for (size_t i = 0; ok && i < 30; ++i)
                ok = writer.Write(records[i % 3]);
            ok = ok && commit && writer.Commit();
            error = writer.ErrorString();
        }
        const bool replaced = commit && !sizeLimit;
        QCOMPARE(QPair(ok, error.isEmpty()), QPair(replaced, !sizeLimit));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("user.cvx")});
        std::vector<std::string> lines;
        QVERIFY(ReadFileToString(QStringToStdString(path), lines));
        QCOMPARE(QByteArray::fromStdString(lines[0]), replaced ? hexLine(exampleJson()) : old);
        QCOMPARE(lines.size(), replaced ? size_t(30) : size_t(1));
        for (size_t i = 0; replaced && i < lines.size(); ++i) {
            CPrintMaterial back, expected = records[i % 3];
            QVERIFY(DecodeMaterial(DecodeMaterialLine(lines[i]).c_str(), back));
            expected.m_nPrintTemp2 = CPrintMaterial().m_nPrintTemp2; // files do not carry it
            COMPARE_RECORDS(back, expected);
        }
        // So do the reasons a reader gives.
        MaterialDecodeReport report;
        CPrintMaterial refused;
        QVERIFY(DecodeMaterial(R"({"b2":"N","b3":"M","group":[{"p1":10112,"p2":0.6}]})", refused, &report));
        QCOMPARE(MaterialDecodeReport::DescribeDroppedSet(report.droppedSets.at(0)),
                 std::string("print set 1 (printer 10112, nozzle 0.6, layer 0.2, quality 0): "
                             "nozzle 0.6 is not offered for printer type 10112"));
    }

    // clang-format off
    void readLines_data()
    {
        QTest::addColumn<Lines>("c");
        const QByteArray longLine = QByteArray(10000, 'x') + '\n';
        const QByteArray chunk(64 * 1024, 'y'); // the reader's own buffer
        QTest::addRow("10,000-byte line, CR LF and a last line without line feed read whole")
            << Lines{longLine + "ab\r\ncd", {longLine, "ab\r\n", "cd"}};
        QTest::addRow("a lone CR is no line end unless asked") << Lines{"a\rb\n", {"a\rb\n"}};
        QTest::addRow("a lone CR ends a line, CR LF one line across two reads")
            << Lines{"a\rb\r\n\r" + chunk.left(chunk.size() - 7) + "\r\nc\r",
                     {"a\r", "b\r\n", "\r", chunk.left(chunk.size() - 7) + "\r\n", "c\r"}, true};
        QTest::addRow("a line over the limit is not held; the next is read")
            << Lines{"ab\n" + chunk + chunk + "\nlast", {"ab\n", "<131073 bytes>", "last"}, false, 70000};
        QTest::addRow("a line at the limit is held")
            << Lines{"abcd\nabcde\n", {"abcd\n", "<6 bytes>"}, false, 5};
        QTest::addRow("a read error is reported") << Lines{{}, {}, false, -1, EISDIR, "{dir}"};
        // Inputs that are not regular files may never end.
        QTest::addRow("a line of /dev/zero is refused as it passes the limit, and reading stops")
            << Lines{{}, {"<131072 bytes>"}, false, 70000, kReadEndlessLine, "/dev/zero"};
        QTest::addRow("a FIFO whose writer comes later is read to its end")
            << Lines{"ab\ncd", {"ab\n", "cd"}, false, -1, 0, "{fifo}"};
    }
    // clang-format on

    // Every option of LineReader. ReadFileToString's lines of real files are the damaged-file tests'
    // (the count of every file's lines is logged), a FIFO that no program writes to corvane-cvx's.
    void readLines()
    {
        QFETCH(Lines, c);
        QTemporaryDir dir;
        QVERIFY(writeAll(dir.filePath("lines"), c.content));
        const QString path =
            c.path.isEmpty()
                ? dir.filePath("lines")
                : QString(c.path).replace("{dir}", dir.path()).replace("{fifo}", dir.filePath("fifo"));
        QProcess writer;
        if (c.path == "{fifo}") {
            QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
            if (!c.content.isEmpty())
                writer.start("/bin/sh", {"-c", "sleep 0.5; cat \"$0\" >\"$1\"", dir.filePath("lines"), path});
        }
        LineReader::Options options;
        options.loneCarriageReturnEndsLine = c.loneCr;
        if (c.maxLength >= 0)
            options.maxLineLength = size_t(c.maxLength);
        QList<QByteArray> read;
        {
            LineReader reader(QFile::encodeName(path).toStdString(), options);
            QVERIFY(reader.IsOpen());
            for (std::string line; reader.Next(line);) {
                QCOMPARE(reader.Length(), reader.Oversized() ? reader.Length() : line.size());
                const QByteArray size = QByteArray::number(qulonglong(reader.Length()));
                read << (reader.Oversized() ? "<" + size + " bytes>" : QByteArray::fromStdString(line));
            }
            QCOMPARE(reader.Error(), c.error);
        }
        if (writer.state() != QProcess::NotRunning)
            QVERIFY(writer.waitForFinished());
        QCOMPARE(read, c.lines);
    }

    // A failed copy or snapshot keeps the destination as it was; a file of the user's that looks like a
    // temporary one beside it is left alone, and nothing is left behind.
    void copyAndSnapshot()
    {
        QTemporaryDir dir;
        const auto at = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };
        QVERIFY(CreatePath(at("a/b")) && CreatePath(at("a/b")) && writeAll(at("a/file"), "new\n"));
        QVERIFY(!CreatePath(at("a/file/sub")));
        QVERIFY(writeAll(at("dest"), "a longer old content\n") && writeAll(at("dest.part"), "the user's\n"));
        QVERIFY(!CopyFileReplace(at("missing"), at("dest")) && !CopyFileReplace(at("a"), at("dest")));
        QCOMPARE(readAll(at("dest")), QByteArray("a longer old content\n"));
        QVERIFY(CopyFileReplace(at("a/file"), at("dest")));
        QCOMPARE(readAll(at("dest")), QByteArray("new\n"));

        // The snapshot keeps the old content when the source is replaced by renaming, as a save does,
        // and when a source reached through a symbolic link is written in place.
        const auto replace = [&](const QByteArray &content) {
            return writeAll(at("n"), content) && ::rename(qPrintable(at("n")), qPrintable(at("src"))) == 0;
        };
        QVERIFY(replace("one\n") && SnapshotFile(at("src"), at("dest")) && replace("two\n"));
        QCOMPARE(readAll(at("dest")), QByteArray("one\n"));
        // Twice: the second time the snapshot already is the source's file.
        QVERIFY(SnapshotFile(at("src"), at("dest")) && SnapshotFile(at("src"), at("dest")));
        QVERIFY(QFile::link(at("src"), at("link")) && SnapshotFile(at("link"), at("dest")));
        QVERIFY(writeAll(at("src"), "three\n") && !SnapshotFile(at("missing"), at("dest")));
        QCOMPARE(readAll(at("dest")) + readAll(at("dest.part")), QByteArray("two\nthe user's\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"dest", "dest.part", "link", "src"}));
    }
};

QTEST_GUILESS_MAIN(TstMaterialFormat)
#include "tst_MaterialFormat.moc"
