// Damaged and odd input from disk: material files and the user library.
// The good materials beside the bad lines survive, what was skipped is in the log, and nothing on
// disk changes unless the user saves.

#include "LibraryFixture.h"
#include "core/MaterialFormat.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString kTool = QStringLiteral(CORVANE_BIN_DIR "/corvane-cvx");
const QString kPla = QStringLiteral("PLA Basic");
const QString kPetg = QStringLiteral("PETG Clear");
const QString kHome = QStringLiteral("Home Blend"); // the user library's own material

QByteArray goodLine(const char *name, int id)
{
    CPrintMaterial mat = makeMaterial(name, "Fixture", id, {{10112, 0.4f, 0.2f, 0}});
    return QByteArray::fromStdString(EncodeMaterialLine(mat));
}

// JSON texts as the lines of a file, between two good materials.
QByteArray betweenGood(const QByteArrayList &jsons)
{
    QByteArray lines = goodLine("PLA Basic", 11001);
    for (const QByteArray &json : jsons)
        lines += hexLine(json);
    return lines + goodLine("PETG Clear", 11002);
}

QStringList skips(const QList<int> &lines, const char *reason = "not JSON")
{
    QStringList out;
    for (int line : lines)
        out << QStringLiteral("Skipped line %1: %2").arg(line).arg(reason);
    return out;
}
} // namespace

class TstBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(kTool), qPrintable(kTool + " is not built")); }
    void materialFile_data();
    void materialFile();
    void dataFolderThatCannotBeMadeLeavesAnEmptyLibrary();
    void userLibraryThatIsAFolderIsNeverReplaced();
};

void TstBadInput::materialFile_data()
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
    const QStringList good = {kPla, kPetg};
    const auto first32 = [](const QString &name) { return QString::fromUtf8(name.toUtf8().left(32)); };
    const auto set = [](const char *what) { return QStringLiteral("Skipped on line %1").arg(what); };

    row("binary garbage between good lines, a CR byte in it ending a line", "binary_garbage.cvx", good, 6,
        skips({2, 3, 4, 5}));
    row("last line cut short without line feed", "truncated_last_line.cvx", {kPla}, 2, skips({2}));
    row("CR LF, blank and lone CR line ends keep every material; a lone CR ends a line",
        "crlf_and_mixed_line_ends.cvx", {kPla, kPetg, "ABS Grey", "TPU Soft"}, 6, skips({2, 5}));
    row("materials joined on one line are all read", "two_materials_on_one_line.cvx",
        {kPla, kPetg, "ABS Grey", "TPU Soft"}, 2);
    row("UTF-8 byte-order marks before and inside the hex", "byte_order_mark.cvx", good, 2);
    row("UTF-16 with byte-order mark", "utf16_with_byte_order_mark.cvx", good, 3, skips({3}));
    row("odd digit counts: misaligned lines skipped, a last hex digit never dropped", "odd_length_line.cvx",
        {kPla}, 4, skips({1, 3, 4}));
    row("group, name or manufacturer missing", "missing_group_or_name.cvx", good, 7,
        skips({2}, "no \"group\"") + skips({3}, "\"b3\" missing") + skips({4}, "\"b2\" missing") +
            skips({5}, "\"b2\" and \"b3\" missing") + skips({6}, "no \"group\""));
    row("every field with a wrong JSON type", "wrong_json_types.cvx", {kPla, "Wrong Types", kPetg}, 10,
        QStringList{set("2: print set 1 (printer 0, nozzle 0,"),
                    set("2: print set 7 (printer 0, nozzle 0,")} +
            skips({3}, "\"b2\" missing") + skips({4}, "\"b3\" missing") +
            skips({5, 6, 7}, "\"group\" is not an array") + skips({8, 9}, "not a JSON object"));
    row("numbers beyond the float and int ranges; Infinity and NaN are not JSON",
        "numbers_beyond_float_and_int.cvx", {kPla, "Huge Numbers", "Tiny Numbers", kPetg}, 6, skips({4, 5}));
    row("a NUL escape ends the name; a raw NUL byte is not JSON", "name_with_nul_escape.cvx",
        {kPla, "Nul", "", kPetg}, 5, skips({4}));
    row("invalid UTF-8 kept as bytes; lone surrogate escapes are not JSON", "invalid_utf8_and_high_bytes.cvx",
        {kPla, QString::fromUtf8("Caf\xc3"), QString::fromUtf8("\xff\xfe Bytes"),
         QString::fromUtf8("Half \xe2\x82"), kPetg},
        7, skips({5, 6}));
    const QChar e(0xe9);
    row("names cut to 32 bytes, names equal in them kept apart; a long lock text does no harm",
        "names_and_lock_over_32_bytes.cvx",
        {kPla, first32("Forty Byte Name Forty Byte Name 12345678"), first32(QString(17, e)),
         first32("a" + QString(16, e)), "Same First Thirty-Two Bytes Here",
         "Same First Thirty-Two Byte_Copy1", kPetg},
        7, {"Material Same First Thirty-Two Bytes Here / Fixture is in the file more than once"});
    row("one name or one ID twice in a file: every material kept, renamed or renumbered",
        "duplicate_ids_in_one_file.cvx", {kPla, kPetg, kPla + "_Copy1", "Nylon Twin", "Nylon Other"}, 5,
        {"Material PLA Basic / Fixture is in the file more than once", "Material PLA Basic_Copy1 / Fixture "
         "renumbered from 11002 to", "Material Nylon Other / Fixture renumbered from"});
    row("a negative quality is refused, not a wildcard that replaces a set", "negative_quality.cvx",
        {kPla, "Qualities", kPetg}, 3,
        {set("2: print set 2 (printer 10102, nozzle 0.4, layer 0.2, quality -1): "
             "quality -1 is negative, which would stand for every quality")},
        betweenGood({R"({"b1":11063,"b2":"Qualities","b3":"Fixture","group":[)"
                    R"({"p1":10102,"p4":2,"p6":180},{"p1":10102,"p4":-1,"p6":190}]})"}));
    row("print sets the catalogue refuses are logged, the material kept",
        "print_sets_refused_by_catalogue.cvx", {"Sets Refused", kPetg}, 2,
        {set("1: print set 2 (printer 10112, nozzle 0.6, layer 0.3, quality 0)"),
         set("1: print set 3 (printer 10102, nozzle 0.4, layer 0.12, quality 1)")});
    const QByteArray head = "{\"b1\":11062,\"b2\":\"Huge Line\",\"b3\":\"Fixture\",\"group\":[],\"pad\":\"";
    row("a single line of 50 MB", "huge_line.cvx", {kPla, "Huge Line", kPetg}, 3, {},
        betweenGood({head + QByteArray(25 * 1000 * 1000 - head.size() - 2, 'x') + "\"}"}));
    row("a line of 80 MB refused unheld, the next one read", "line_over_64_mb.cvx", good, 3,
        skips({2}, "longer than 64 MB"),
        goodLine("PLA Basic", 11001) + QByteArray("7b").repeated(40 * 1000 * 1000) + '\n' +
            goodLine("PETG Clear", 11002));
    row("80,000 values on one line that are not materials: one line skipped, with the count", "values.cvx",
        {kPla}, 2, skips({2}, "80000 values that are not materials, the first: not a JSON object"),
        goodLine("PLA Basic", 11001) + QByteArray("0 ").repeated(80000).toHex() + '\n');
}

// The file merged into a library that holds one material of its own, then checked by corvane-cvx:
// both count lines as lines, however many values a line holds.
void TstBadInput::materialFile()
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
    const QString summary = QStringLiteral("%1 materials, %2 lines not materials, %3 print sets refused, ")
                                .arg(names.size())
                                .arg(skippedLines)
                                .arg(notes.filter("Skipped on").size());
    QVERIFY2(QString(check.out).section('\n', -2, -2).startsWith(summary), check.out.right(200).constData());
    QCOMPARE(m.lastImportReport().value("skipped").toInt(), skippedLines);
}

void TstBadInput::dataFolderThatCannotBeMadeLeavesAnEmptyLibrary()
{
    LibraryFixture fx;
    QVERIFY(QFile::copy(fixture("vendor_newer_version.cvx"), fx.shippedDir() + "/DB/vendor.cvx"));
    const QString blocker = fx.dataDir() + "/blocker";
    QVERIFY(writeAll(blocker, "a file, not a folder"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker + "/data")); // TempDataHome restores it
    LogCapture log;
    fx.restart();
    Materials &m = fx.mats();
    m.checkVendorMaterials();
    m.importVendorMaterials();
    m.importUserMaterials();
    QVERIFY(m.materialCount() == 0 && m.UserPath().startsWith(blocker + '/'));
    QVERIFY(log.contains("/Lang  failed") && log.contains("ReadFileToString() nRet: 0 vecList size: 0"));
    m.importMaterials(fixture("vendor_newer_version.cvx"), false);
    QVERIFY(!m.exportUserMaterials());
    QCOMPARE(readAll(blocker), QByteArray("a file, not a folder"));
}

// A user library that cannot be read completely is remembered as such until it is read again
// or saved over; what was read is kept, and the folder in its place is never replaced.
void TstBadInput::userLibraryThatIsAFolderIsNeverReplaced()
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
    QCOMPARE(namesOf(m), QStringList({kPla, kPetg, kHome}));
}

QTEST_GUILESS_MAIN(TstBadInput)
#include "tst_BadInput.moc"
