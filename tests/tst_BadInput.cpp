// Damaged and odd input from disk: material files, vendor libraries, language and setting files.
// The good materials beside the bad lines survive, what was skipped is in the log, and nothing on
// disk changes unless the user saves.

#include "LibraryFixture.h"
#include "base/TLanguage.h"
#include "core/MaterialFormat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <set>

namespace {
const QString kTool = QStringLiteral(CORVANE_BIN_DIR "/corvane-cvx");
const QString kPla = QStringLiteral("PLA Basic");
const QString kPetg = QStringLiteral("PETG Clear");
const QString kAbs = QStringLiteral("ABS Grey");
const QString kTpu = QStringLiteral("TPU Soft");
const QString kHome = QStringLiteral("Home Blend"); // the user library's own material
// Generous: a sanitizer build runs several times slower.
constexpr qint64 kTimeLimitMs = 60000;

QByteArray goodLine(const char *name, int id)
{
    CPrintMaterial mat = makeMaterial(name, "Fixture", id, {{10112, 0.4f, 0.2f, 0}});
    return QByteArray::fromStdString(EncodeMaterialLine(mat));
}

QByteArray nestedTenThousandDeep()
{
    const int depth = 10000;
    QByteArray arrays = R"({"b1":11060,"b2":"Deep Arrays","b3":"Fixture","group":[)";
    arrays += QByteArray(depth, '[') + QByteArray(depth, ']') + "]}";
    QByteArray objects = R"({"b1":11061,"b2":"Deep Objects","b3":"Fixture","group":[)";
    for (int i = 0; i < depth; ++i)
        objects += R"({"p1":)";
    objects += "1" + QByteArray(depth, '}') + "]}";
    return goodLine("PLA Basic", 11001) + arrays.toHex() + '\n' + objects.toHex() + '\n' +
           goodLine("PETG Clear", 11002);
}

// A line of JSON values that are not materials, 80,000 of them: each was once parsed again over
// the whole rest of the line.
QByteArray eightyThousandValuesOnALine()
{
    return goodLine("PLA Basic", 11001) + QByteArray("0 ").repeated(80000).toHex() + '\n';
}

// Two materials split by a lone carriage return, the file without a last line feed: odd in length,
// and the last character a hex digit.
QByteArray loneCarriageReturnWithoutFinalLineFeed()
{
    return goodLine("PLA Basic", 11001).chopped(1) + '\r' + goodLine("PETG Clear", 11002).chopped(1);
}

// A print set of quality -1 after one of quality 2 with the same printer, nozzle and layer.
QByteArray negativeQuality()
{
    const QByteArray json = R"({"b1":11063,"b2":"Qualities","b3":"Fixture","group":[)"
                            R"({"p1":10102,"p4":2,"p6":180},{"p1":10102,"p4":-1,"p6":190}]})";
    return json.toHex() + '\n' + goodLine("PETG Clear", 11002);
}

// One material of 250,000 print sets, each of its own printer type: each set once walked the
// whole list for the one it replaces.
QByteArray quarterMillionPrintSets()
{
    QByteArray json = R"({"b1":11064,"b2":"Many Sets","b3":"Fixture","group":[)";
    for (int type = 0; type < 250000; ++type)
        json += (type ? ",{\"p1\":" : "{\"p1\":") + QByteArray::number(type) + '}';
    json += "]}";
    return json.toHex() + '\n' + goodLine("PETG Clear", 11002);
}

// A line longer than the reader holds, between two good ones.
QByteArray eightyMegabyteLine()
{
    return goodLine("PLA Basic", 11001) + QByteArray("7b").repeated(40 * 1000 * 1000) + '\n' +
           goodLine("PETG Clear", 11002);
}

QByteArray fiftyMegabyteLine()
{
    const QByteArray head = R"({"b1":11062,"b2":"Huge Line","b3":"Fixture","group":[],"pad":")";
    const QByteArray json = head + QByteArray(25 * 1000 * 1000 - head.size() - 2, 'x') + "\"}";
    return goodLine("PLA Basic", 11001) + json.toHex() + '\n';
}

struct CheckRun
{
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QByteArray summary; // the last line of standard output
};

// corvane-cvx check, with its address space limited to 240 MB: room for a line of 64 MB and its
// decoding, and not for holding a longer line. AddressSanitizer reserves far more than that for
// itself, so a sanitized build runs without the limit.
CheckRun cvxCheck(const QString &path)
{
    QProcess process;
#if defined(__SANITIZE_ADDRESS__)
    process.start(kTool, {QStringLiteral("check"), path});
#else
    const QString limited = QStringLiteral("ulimit -v 240000 && exec \"$0\" check \"$1\"");
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), limited, kTool, path});
#endif
    CheckRun run;
    run.finished = process.waitForFinished(int(kTimeLimitMs));
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.status = process.exitStatus();
    run.exitCode = process.exitCode();
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    run.summary = lines.last();
    return run;
}

bool distinctIds(const Materials &mats)
{
    std::set<int> ids;
    for (const MaterialItem &item : mats.materialItems())
        ids.insert(item.matID);
    return int(ids.size()) == mats.materialCount();
}
} // namespace

class TstBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(kTool), qPrintable(kTool + " is not built")); }

    void materialFile_data()
    {
        QTest::addColumn<QString>("file");         // a fixture, or a file made at run time
        QTest::addColumn<QByteArray>("generated"); // the content of a file made at run time
        QTest::addColumn<QStringList>("names");    // the good materials after the merge, in order
        QTest::addColumn<int>("accepted");         // texts read as materials, as corvane-cvx check counts
        QTest::addColumn<int>("lines");
        QTest::addColumn<QStringList>("skipped"); // the beginnings of the log's "Skipped" lines
        const QByteArray none;
        const QStringList good = {kPla, kPetg};
        auto first32 = [](const QString &name) { return QString::fromUtf8(name.toUtf8().left(32)); };
        auto skip = [](int line, const char *reason) {
            return QStringLiteral("Skipped line %1: %2").arg(line).arg(reason);
        };

        QTest::addRow("empty file") << "empty_file.cvx" << none << QStringList() << 0 << 0 << QStringList();
        QTest::addRow("binary garbage between good lines, a CR byte in it ending a line")
            << "binary_garbage.cvx" << none << good << 2 << 6
            << QStringList{skip(2, "not JSON"), skip(3, "not JSON"), skip(4, "not JSON"), skip(5, "not JSON")};
        QTest::addRow("last line cut short without line feed")
            << "truncated_last_line.cvx" << none << QStringList{kPla} << 1 << 2
            << QStringList{skip(2, "not JSON")};
        QTest::addRow("CR LF, blank and lone CR line ends keep every material; a lone CR ends a line")
            << "crlf_and_mixed_line_ends.cvx" << none << QStringList{kPla, kPetg, kAbs, kTpu} << 4 << 6
            << QStringList{skip(2, "not JSON"), skip(5, "not JSON")};
        QTest::addRow("two materials split by a lone CR, no line feed at the end: both read")
            << "lone_cr_without_final_line_feed.cvx" << loneCarriageReturnWithoutFinalLineFeed() << good << 2
            << 2 << QStringList();
        QTest::addRow("materials joined on one line are all read")
            << "two_materials_on_one_line.cvx" << none << QStringList{kPla, kPetg, kAbs, kTpu} << 4 << 2
            << QStringList();
        QTest::addRow("UTF-8 byte-order marks before and inside the hex")
            << "byte_order_mark.cvx" << none << good << 2 << 2 << QStringList();
        QTest::addRow("UTF-16 with byte-order mark")
            << "utf16_with_byte_order_mark.cvx" << none << good << 2 << 3 << QStringList{skip(3, "not JSON")};
        QTest::addRow("odd digit counts: misaligned lines skipped, a last hex digit never dropped")
            << "odd_length_line.cvx" << none << QStringList{kPla} << 1 << 4
            << QStringList{skip(1, "not JSON"), skip(3, "not JSON"), skip(4, "not JSON")};
        QTest::addRow("upper-case hex digits")
            << "uppercase_hex.cvx" << none << good << 2 << 2 << QStringList();
        QTest::addRow("blank and whitespace lines")
            << "blank_and_whitespace_lines.cvx" << none << good << 2 << 8
            << QStringList{skip(1, "not JSON"), skip(3, "not JSON"), skip(4, "not JSON"),
                           skip(5, "not JSON"), skip(7, "not JSON"), skip(8, "not JSON")};
        QTest::addRow("hex of invalid JSON") << "hex_of_invalid_json.cvx" << none << good << 2 << 6
                                             << QStringList{skip(2, "not JSON"), skip(3, "not JSON"),
                                                            skip(4, "not JSON"), skip(5, "not JSON")};
        QTest::addRow("group, name or manufacturer missing")
            << "missing_group_or_name.cvx" << none << good << 2 << 7
            << QStringList{skip(2, "no \"group\""), skip(3, "\"b3\" missing"), skip(4, "\"b2\" missing"),
                           skip(5, "\"b2\" and \"b3\" missing"), skip(6, "no \"group\"")};
        QTest::addRow("every field with a wrong JSON type")
            << "wrong_json_types.cvx" << none << QStringList{kPla, "Wrong Types", kPetg} << 3 << 10
            << QStringList{"Skipped on line 2: print set 1 (printer 0, nozzle 0,",
                           "Skipped on line 2: print set 7 (printer 0, nozzle 0,",
                           skip(3, "\"b2\" missing"),
                           skip(4, "\"b3\" missing"),
                           skip(5, "\"group\" is not an array"),
                           skip(6, "\"group\" is not an array"),
                           skip(7, "\"group\" is not an array"),
                           skip(8, "not a JSON object"),
                           skip(9, "not a JSON object")};
        QTest::addRow("numbers beyond the float and int ranges; Infinity and NaN are not JSON")
            << "numbers_beyond_float_and_int.cvx" << none
            << QStringList{kPla, "Huge Numbers", "Tiny Numbers", kPetg} << 4 << 6
            << QStringList{skip(4, "not JSON"), skip(5, "not JSON")};
        QTest::addRow("a NUL escape ends the name; a raw NUL byte is not JSON")
            << "name_with_nul_escape.cvx" << none << QStringList{kPla, "Nul", "", kPetg} << 4 << 5
            << QStringList{skip(4, "not JSON")};
        QTest::addRow("invalid UTF-8 kept as bytes; lone surrogate escapes are not JSON")
            << "invalid_utf8_and_high_bytes.cvx" << none
            << QStringList{kPla, QString::fromUtf8("Caf\xc3"), QString::fromUtf8("\xff\xfe Bytes"),
                           QString::fromUtf8("Half \xe2\x82"), kPetg}
            << 5 << 7 << QStringList{skip(5, "not JSON"), skip(6, "not JSON")};
        const QChar e(0xe9);
        QTest::addRow("names cut to 32 bytes, names equal in them kept apart; a long lock text does no harm")
            << "names_and_lock_over_32_bytes.cvx" << none
            << QStringList{kPla,
                           first32("Forty Byte Name Forty Byte Name 12345678"),
                           first32(QString(17, e)),
                           first32("a" + QString(16, e)),
                           "Same First Thirty-Two Bytes Here",
                           "Same First Thirty-Two Byte_Copy1",
                           kPetg}
            << 7 << 7 << QStringList();
        QTest::addRow("keys differing in case: the first counts")
            << "duplicate_keys_differing_in_case.cvx" << none
            << QStringList{kPla, "First Name Wins", "Case Twin", kPetg} << 4 << 5
            << QStringList{skip(3, "\"group\" is not an array")};
        QTest::addRow("one name or one ID twice in a file: every material kept, renamed or renumbered")
            << "duplicate_ids_in_one_file.cvx" << none
            << QStringList{kPla, kPetg, kPla + "_Copy1", "Nylon Twin", "Nylon Other"} << 5 << 5
            << QStringList();
        QTest::addRow("version line alone: nothing skipped") << "version_line_alone.cvx" << none << QStringList() << 0 << 1
                                            << QStringList();
        QTest::addRow("vendor library with a newer version text")
            << "vendor_newer_version.cvx" << none << good << 2 << 3 << QStringList();
        QTest::addRow("vendor library with a garbage version text")
            << "vendor_garbage_version.cvx" << none << good << 2 << 3 << QStringList{skip(1, "not JSON")};
        QTest::addRow("a negative quality is refused, not a wildcard that replaces a set")
            << "negative_quality.cvx" << negativeQuality() << QStringList{"Qualities", kPetg} << 2 << 2
            << QStringList{"Skipped on line 1: print set 2 (printer 10102, nozzle 0.4, layer 0.2, quality -1): "
                           "quality -1 is negative, which would stand for every quality"};
        QTest::addRow("print sets the catalogue refuses are logged, the material kept")
            << "print_sets_refused_by_catalogue.cvx" << none << QStringList{"Sets Refused", kPetg} << 2 << 2
            << QStringList{
                   "Skipped on line 1: print set 2 (printer 10112, nozzle 0.6, layer 0.3, quality 0)",
                   "Skipped on line 1: print set 3 (printer 10102, nozzle 0.4, layer 0.12, quality 1)"};
        QTest::addRow("JSON nested 10000 deep")
            << "json_nested_10000_deep.cvx" << nestedTenThousandDeep() << good << 2 << 4
            << QStringList{skip(2, "not JSON"), skip(3, "not JSON")};
        QTest::addRow("a single line of 50 MB") << "single_line_50_mb.cvx" << fiftyMegabyteLine()
                                                << QStringList{kPla, "Huge Line"} << 2 << 2 << QStringList();
        QTest::addRow("a material of 250,000 print sets")
            << "quarter_million_print_sets.cvx" << quarterMillionPrintSets() << QStringList{"Many Sets", kPetg}
            << 2 << 2 << QStringList();
        QTest::addRow("a line of 80 MB refused unheld, the next one read")
            << "line_over_64_mb.cvx" << eightyMegabyteLine() << good << 2 << 3
            << QStringList{skip(2, "longer than 64 MB")};
        QTest::addRow("80,000 values on one line that are not materials: one line skipped, with the count")
            << "eighty_thousand_values.cvx" << eightyThousandValuesOnALine() << QStringList{kPla} << 1 << 2
            << QStringList{skip(2, "80000 values that are not materials, the first: not a JSON object")};
    }

    void materialFile()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, generated);
        QFETCH(QStringList, names);
        QFETCH(int, accepted);
        QFETCH(int, lines);
        QFETCH(QStringList, skipped);
        LibraryFixture fx;
        Materials &m = fx.mats();
        const QString path = generated.isEmpty() ? fixture(file) : fx.dataDir() + '/' + file;
        if (!generated.isEmpty())
            QVERIFY(writeAll(path, generated));
        const QByteArray input = readAll(path);
        QVERIFY(writeMaterialFile(m.UserPath(),
                                  {makeMaterial("Home Blend", "User", 900001, {{10112, 0.4f, 0.2f, 0}})}));
        m.importUserMaterials();
        const QByteArray userLibrary = readAll(m.UserPath());

        LogCapture log;
        QElapsedTimer timer;
        timer.start();
        m.importMaterials(path, false);
        QVERIFY2(timer.elapsed() < kTimeLimitMs, "import took too long");
        QCOMPARE(namesOf(m), QStringList{kHome} + names);
        QVERIFY(!m.IsHaveSameID());
        QVERIFY(log.contains(QStringLiteral("ReadFileToString() nRet: 1 vecList size: %1").arg(lines)));
        QVERIFY(log.contains(QStringLiteral("Current materials is %1").arg(1 + names.size())));
        const QStringList skips = log.lines().filter(QStringLiteral("Skipped "));
        QCOMPARE(skips.size(), skipped.size());
        for (int i = 0; i < skips.size(); ++i)
            QVERIFY2(skips[i].startsWith("importMaterials() " + skipped[i]), qPrintable(skips[i]));
        QCOMPARE(readAll(m.UserPath()), userLibrary); // nothing is saved unless the user saves
        QVERIFY(readAll(path) == input);              // the imported file is only read

        const CheckRun check = cvxCheck(path);
        QVERIFY2(check.finished, "corvane-cvx check did not finish in time");
        QVERIFY2(check.status == QProcess::NormalExit, "corvane-cvx check ended by a signal");
        QVERIFY2(check.exitCode == 0 || check.exitCode == 1, qPrintable(QString::number(check.exitCode)));
        // Both count lines as lines, however many values a line holds.
        const int skippedLines = skipped.filter(QRegularExpression("^Skipped line ")).size();
        QVERIFY2(check.summary.startsWith(QByteArray::number(accepted) + " materials, " +
                                          QByteArray::number(skippedLines) + " lines not materials, "),
                 check.summary);
        QCOMPARE(m.lastImportReport().value("skipped").toInt(), skippedLines);
    }

    void duplicateIdsAcrossTwoImportsStayDistinct()
    {
        LibraryFixture fx;
        Materials &m = fx.mats();
        QVERIFY(writeMaterialFile(m.UserPath(), {makeMaterial("Home Blend", "User", 900001)}));
        m.importUserMaterials();
        LogCapture log;
        m.importMaterials(fixture("duplicate_ids_in_one_file.cvx"), false);
        QVERIFY(log.contains("PLA Basic_Copy1 / Fixture renumbered from 11002 to"));
        m.importMaterials(fixture("crlf_and_mixed_line_ends.cvx"), false);
        QCOMPARE(namesOf(m), QStringList({kHome, kPla, kPetg, kPla + "_Copy1", "Nylon Twin", "Nylon Other",
                                          kAbs, kTpu}));
        QVERIFY(!m.IsHaveSameID());
        QVERIFY(distinctIds(m));
        QCOMPARE(m.materialAt(1)->m_nMatID, 11001);   // its own ID again: no other material holds it now
        QCOMPARE(m.materialAt(1)->m_nPrintTemp, 205); // the second file's values, not the first's 199
    }

    void vendorLibraryVersionText_data()
    {
        QTest::addColumn<QString>("shipped");   // a fixture
        QTest::addColumn<QString>("installed"); // a fixture, or empty for an "Old Vendor" library at 1.0.0
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<QStringList>("names");
        const QStringList good = {kPla, kPetg};
        QTest::addRow("newer shipped version replaces the installed library")
            << "vendor_newer_version.cvx" << QString() << true << good;
        QTest::addRow("garbage shipped version keeps the installed library")
            << "vendor_garbage_version.cvx" << QString() << false << QStringList{"Old Vendor"};
        QTest::addRow("installed library without a version line is replaced")
            << "vendor_newer_version.cvx"
            << "vendor_garbage_version.cvx" << true << good;
        QTest::addRow("installed version line alone is updated") << "vendor_newer_version.cvx"
                                                                 << "version_line_alone.cvx" << true << good;
    }
    void vendorLibraryVersionText()
    {
        QFETCH(QString, shipped);
        QFETCH(QString, installed);
        QFETCH(bool, replaced);
        QFETCH(QStringList, names);
        LibraryFixture fx;
        Materials &m = fx.mats();
        QVERIFY(QFile::copy(fixture(shipped), fx.shippedDir() + "/DB/vendor.cvx"));
        if (installed.isEmpty())
            QVERIFY(writeMaterialFile(m.VendorPath(), {makeMaterial("Old Vendor", "Fixture", 1)}, "1.0.0\n"));
        else
            QVERIFY(writeAll(m.VendorPath(), readAll(fixture(installed))));
        const QByteArray before = readAll(m.VendorPath());
        m.checkVendorMaterials();
        m.importVendorMaterials();
        m.importUserMaterials();
        QCOMPARE(readAll(m.VendorPath()), replaced ? readAll(fixture(shipped)) : before);
        QCOMPARE(namesOf(m), names);
    }

    void dataFolderThatCannotBeMadeLeavesAnEmptyLibrary()
    {
        LibraryFixture fx;
        QVERIFY(QFile::copy(fixture("vendor_newer_version.cvx"), fx.shippedDir() + "/DB/vendor.cvx"));
        const QString blocker = fx.dataDir() + "/blocker";
        QVERIFY(writeAll(blocker, "a file, not a folder"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker + "/data")); // TempDataHome restores it
        LogCapture log;
        fx.restart();
        Materials &m = fx.mats();
        QVERIFY(m.UserPath().startsWith(blocker + '/'));
        m.checkVendorMaterials();
        m.importVendorMaterials();
        m.importUserMaterials();
        QCOMPARE(m.materialCount(), 0);
        QVERIFY(log.contains("/Lang  failed"));
        QVERIFY(log.contains("ReadFileToString() nRet: 0 vecList size: 0"));
        QCOMPARE(m.curPrinter(), QStringLiteral("-3D Printer-"));
        m.importMaterials(fixture("vendor_newer_version.cvx"), false);
        QCOMPARE(namesOf(m), QStringList({kPla, kPetg}));
        QVERIFY(!m.exportUserMaterials());
        QCOMPARE(readAll(blocker), QByteArray("a file, not a folder"));
    }

    // A user library that cannot be read completely is remembered as such until it is read again
    // or saved over; what was read is kept.
    void userLibraryThatIsAFolderIsNeverReplaced()
    {
        LibraryFixture fx;
        Materials &m = fx.mats();
        QVERIFY(QDir().mkpath(m.UserPath()));
        QVERIFY(writeAll(m.UserPath() + "/keep.txt", "kept"));
        QSignalSpy reason(&m, &Materials::userLibraryReadErrorChanged);
        LogCapture log;
        m.importUserMaterials();
        QCOMPARE(m.materialCount(), 0);
        QCOMPARE(m.userLibraryReadError(), QStringLiteral("Is a directory"));
        QCOMPARE(reason.count(), 1);
        QCOMPARE(m.lastImportReport().value("readError").toString(), m.userLibraryReadError());
        QVERIFY(!m.lastImportReport().value("missing").toBool());
        QVERIFY(log.contains("importMaterials() Could not read " + m.UserPath() + " completely: Is a directory"));
        m.importMaterials(fixture("vendor_newer_version.cvx"), false);
        QVERIFY(!m.exportUserMaterials());
        QVERIFY(!m.lastExportError().isEmpty());
        QVERIFY(QFileInfo(m.UserPath()).isDir());
        QCOMPARE(QDir(m.UserPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"keep.txt"});
        QCOMPARE(readAll(m.UserPath() + "/keep.txt"), QByteArray("kept"));
        QCOMPARE(namesOf(m), QStringList({kPla, kPetg}));
        QCOMPARE(m.userLibraryReadError(), QStringLiteral("Is a directory")); // not saved over

        // Read again whole: the reason goes.
        QVERIFY(QDir(m.UserPath()).removeRecursively());
        QVERIFY(writeMaterialFile(m.UserPath(), {makeMaterial("Home Blend", "User", 900001)}));
        m.importUserMaterials();
        QCOMPARE(m.userLibraryReadError(), QString());
        QCOMPARE(reason.count(), 2);
        // Saved over by choice: the reason goes too.
        QVERIFY(QFile::remove(m.UserPath()) && QDir().mkpath(m.UserPath()));
        m.importUserMaterials();
        QCOMPARE(reason.count(), 3);
        QVERIFY(QDir(m.UserPath()).removeRecursively());
        QVERIFY(m.exportUserMaterials());
        QCOMPARE(m.userLibraryReadError(), QString());
        QCOMPARE(reason.count(), 4);
        QCOMPARE(namesOf(m), QStringList({kPla, kPetg, kHome}));
    }

    void languageAndSettingFiles_data()
    {
        QTest::addColumn<QString>("langFile"); // a fixture as the language file of "zh", or a good one
        QTest::addColumn<bool>("workingCopy"); // the language file lies in the data folder, none is built in
        QTest::addColumn<QString>("setting");  // a fixture as the setting file, or "zh"
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("logged");
        QTest::addRow("empty language file")
            << "lang_empty.json" << false << QString() << 10 << "json doc is null";
        QTest::addRow("empty working copy without a built-in file")
            << "lang_empty.json" << true << QString() << 10 << "json doc is null";
        QTest::addRow("language file not JSON")
            << "lang_not_json.json" << false << QString() << 10 << "json doc is null";
        QTest::addRow("language file an array")
            << "lang_array.json" << true << QString() << 10 << "json doc is array";
        QTest::addRow("empty setting file")
            << QString() << false << "setting_empty.cfg" << 0 << "Load language setting: en";
        QTest::addRow("setting not a language code")
            << QString() << false << "setting_not_a_code.cfg" << 0 << "Load language setting: en";
        QTest::addRow("setting of binary bytes")
            << QString() << false << "setting_binary.cfg" << 0 << "Load language setting: en";
    }
    void languageAndSettingFiles()
    {
        QFETCH(QString, langFile);
        QFETCH(bool, workingCopy);
        QFETCH(QString, setting);
        QFETCH(int, index);
        QFETCH(QString, logged);
        LibraryFixture fx;
        const QByteArray good = R"({"--trans version--": 1, "-3D Printer-": "-3D 打印机-", "Fine": "精细"})";
        const QString langPath =
            workingCopy ? fx.dataDir() + "/Lang/local_zh.json" : fx.shippedDir() + "/Lang/local_zh.json";
        QVERIFY(writeAll(langPath, langFile.isEmpty() ? good : readAll(fixture(langFile))));
        QVERIFY(writeAll(fx.dataDir() + "/lang.cfg", setting.isEmpty() ? "zh" : readAll(fixture(setting))));
        LogCapture log;
        fx.restart();
        QVERIFY2(log.contains(logged), qPrintable(logged));
        QCOMPARE(LangTrans::Instance()->GetLanguageIndex(), index);
        QCOMPARE(LangTrans::Instance()->Translate("Fine"), QStringLiteral("Fine"));
        QCOMPARE(fx.mats().curPrinter(), QStringLiteral("-3D Printer-"));
    }
};

QTEST_GUILESS_MAIN(TstBadInput)
#include "tst_BadInput.moc"
