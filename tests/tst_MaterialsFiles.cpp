#include "LibraryFixture.h"
#include "base/cfutility.h"
#include "core/MaterialFormat.h"

#include <QDir>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {
// The names of the materials a file holds.
QStringList namesIn(const QString &path)
{
    std::vector<std::string> lines;
    ReadFileToString(path.toStdString(), lines);
    QStringList names;
    for (const std::string &line : lines) {
        CPrintMaterial mat;
        if (DecodeMaterial(DecodeMaterialLine(line).c_str(), mat))
            names << QString::fromUtf8(mat.m_szName);
    }
    return names;
}

// "PLA" (ID 7) with one print set of printer 10102.
CPrintMaterial pla(int id = 7)
{
    return makeMaterial("PLA", "A", id, {{10102, 0.4f, 0.2f, 0}});
}

// Limits the size of files this process writes, as a full disk would.
struct FileSizeLimit
{
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
        rlimit limit = {bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    rlimit old{};
};
} // namespace

class TstMaterialsFiles : public QObject
{
    Q_OBJECT

private slots:
    // With nothing shipped nothing stands in for the vendor library. The first start makes an empty
    // user library, the data folder's only file that is made when missing. An import of a missing
    // file makes nothing and says so (a file URL is a path before anything looks at it); an export
    // of an empty library touches nothing.
    void missingFiles()
    {
        LibraryFixture fx;
        Materials &m = fx.mats();
        LogCapture log;
        m.checkVendorMaterials();
        m.importVendorMaterials();
        QVERIFY(m.lastImportReport().value("missing").toBool());
        m.importUserMaterials();
        QCOMPARE(readAll(m.UserPath()), QByteArray());
        QCOMPARE(m.userLibraryReadError(), QString());
        QCOMPARE(m.materialCount(), 0);
        QVERIFY(!QFile::exists(m.VendorPath()));
        const QString missing = fx.dataDir() + "/missing.cvx";
        m.importMaterials(QUrl::fromLocalFile(missing).toString(), false);
        QVERIFY(m.lastImportReport().value("missing").toBool());
        QCOMPARE(m.lastImportReport().value("readError").toString(), QString());
        QVERIFY(log.contains("importMaterials() No such file: " + missing));
        QVERIFY(m.exportMaterials(missing, false));
        QVERIFY(!QFile::exists(missing));
        // An installed library that is empty or has no version line is replaced by the shipped one.
        for (const QByteArray &installed :
             {QByteArray(), hexLine(R"({"b1":1,"b2":"V","b3":"A","group":[]})")}) {
            QVERIFY(writeAll(m.VendorPath(), installed));
            fx.startWithVendor({makeMaterial("V2", "Orvik", 502)});
            QCOMPARE(readAll(m.VendorPath()), readAll(fx.shippedDir() + "/DB/vendor.cvx"));
        }
    }

    // Export writes every material, the vendor's too unless left out; derived fields are brought
    // up to date first.
    void exportWritesTheLibrary()
    {
        LibraryFixture fx;
        Materials &m = fx.mats();
        const QString out = fx.dataDir() + "/out.cvx";
        CPrintMaterial slow = makeMaterial("V", "A", 1, {{10102, 0.4f, 0.2f, 0}});
        slow.m_lstSets.front().fAcc[0] = 800.0f;
        QVERIFY(writeMaterialFile(out, {slow}));
        m.importMaterials(out, true);
        fx.load({makeMaterial("U", "A", 2)});
        QVERIFY(m.exportMaterials(QUrl::fromLocalFile(out).toString(), true));
        QCOMPARE(namesIn(out), QStringList{"U"});
        QVERIFY(m.exportMaterials(out, false));
        QCOMPARE(namesIn(out), QStringList({"V", "U"}));
        QCOMPARE(m.materialAt(0)->m_lstSets.front().fAcc[0], 1000.0f);
    }

    // A save that fails says why and leaves the library on disk as it was.
    void failedSaveKeepsTheOldLibrary_data()
    {
        QTest::addColumn<bool>("readOnlyFolder"); // else the disk is full
        QTest::addColumn<QString>("message");     // what the error says, "{dir}" the data folder
        QTest::addRow("disk full while writing") << false << QString();
        // The file itself is writable; the save writes beside it.
        QTest::addRow("writable library in a read-only folder: the message names the folder")
            << true
            << "cannot make a file in the folder {dir} (Permission denied): a save writes the new file there "
               "first and then puts it in the old one's place, so the folder must be writable";
    }
    void failedSaveKeepsTheOldLibrary()
    {
        QFETCH(bool, readOnlyFolder);
        QFETCH(QString, message);
        if (readOnlyFolder && ::geteuid() == 0)
            QSKIP("root may write into a read-only folder: permissions cannot make this case for root");
        LibraryFixture fx;
        std::vector<CPrintMaterial> many;
        for (int i = 0; i < 50; ++i)
            many.push_back(
                makeMaterial(qPrintable(QStringLiteral("M%1").arg(i)), "A", 100 + i, {{-1, 0.4f, 0.2f, 0}}));
        fx.load(many);
        QVERIFY(writeAll(fx.mats().UserPath(), "previous library\n"));
        LogCapture log;
        const QFile::Permissions permissions = QFile::permissions(fx.dataDir());
        if (readOnlyFolder)
            QVERIFY(QFile::setPermissions(fx.dataDir(), QFile::ReadOwner | QFile::ExeOwner));
        {
            FileSizeLimit limit(readOnlyFolder ? RLIM_INFINITY : 4096);
            QVERIFY(!fx.mats().exportUserMaterials());
        }
        QVERIFY(QFile::setPermissions(fx.dataDir(), permissions));
        QVERIFY(!fx.mats().lastExportError().isEmpty());
        if (!message.isEmpty())
            QCOMPARE(fx.mats().lastExportError(), QString(message).replace("{dir}", fx.dataDir()));
        QVERIFY(log.contains("the file is unchanged"));
        QCOMPARE(readAll(fx.mats().UserPath()), QByteArray("previous library\n"));
    }

    // Each change is made in a run of its own and saved, the previous library kept beside; then
    // the library starts again with the vendor's next library, installed only if its version text
    // is newer. Save keeps what is the user's: a
    // vendor material as the vendor has it is not written, so that the update reaches it; a removed
    // one is remembered and can be brought back. Save asks when another program changed user.cvx
    // since it was loaded or saved; taking its materials in first keeps both.
    void whatIsSavedSurvivesARestart_data()
    {
        QTest::addColumn<QList<LibraryChange>>("runs");
        QTest::addColumn<QStringList>("saved");  // the materials user.cvx holds
        QTest::addColumn<QStringList>("names");  // after a start with the vendor's update
        QTest::addColumn<int>("temperature");    // of V1 then; 0: removed
        QTest::addColumn<QByteArray>("version"); // of the next library
        using F = LibraryChange;
        const F copy = [](Materials &m) { m.addCopyMaterial(7); };
        // The user library starts with one name twice: the first start keeps both, the second apart.
        const QStringList user = {"PLA", "PLA_Copy1"}, vendor = {"V1", "V2"};
        QTest::addRow("nothing changed: the update shows")
            << QList<F>{[](Materials &) {}} << user << vendor + user << 205 << QByteArray("1.0.1\n");
        QTest::addRow("the same version text again: the installed library stays")
            << QList<F>{[](Materials &) {}} << user << vendor + user << 200 << QByteArray("1.0.0\n");
        QTest::addRow("a changed vendor material stays the user's") << QList<F>{[](Materials &m) {
            m.selectMaterial(501);
            m.setParameter(0, 215);
        }} << QStringList{"V1"} + user << vendor + user << 215 << QByteArray("1.0.1\n");
        QTest::addRow("a copy in each of two runs: two names (by the manufacturer of copies)")
            << QList<F>{copy, copy} << user + QStringList{"PLA_Copy1", "PLA_Copy2"}
            << vendor + user + QStringList{"PLA_Copy1", "PLA_Copy2"} << 205 << QByteArray("1.0.1\n");
        QTest::addRow("renamed") << QList<F>{[](Materials &m) { m.setMatNameAndManu("PETG", "Maker", ""); }}
                                 << QStringList{"PETG", "PLA_Copy1"}
                                 << vendor + QStringList{"PETG", "PLA_Copy1"} << 205 << QByteArray("1.0.1\n");
        QTest::addRow("written by another program") << QList<F>{[](Materials &m) {
            writeMaterialFile(m.UserPath(), {makeMaterial("TPU", "B", 9)});
            QVERIFY(m.userLibraryChangedOnDisk());
            m.importMaterials(m.UserPath(), false);
        }} << user + QStringList{"TPU"} << vendor + user + QStringList{"TPU"}
                                                    << 205 << QByteArray("1.0.1\n");
        QTest::addRow("removed by another program") << QList<F>{[](Materials &m) {
            QFile::remove(m.UserPath());
            QVERIFY(m.userLibraryChangedOnDisk());
        }} << user << vendor + user << 205 << QByteArray("1.0.1\n");
        QTest::addRow("every material of the user removed: the empty library is saved")
            << QList<F>{[](Materials &m) {
                   m.removeMaterial(7);
                   m.removeMaterial(8);
               }}
            << QStringList() << vendor << 205 << QByteArray("1.0.1\n");
        QTest::addRow("a removed vendor material stays removed")
            << QList<F>{[](Materials &m) { m.removeMaterial(501); }} << user << QStringList{"V2"} + user << 0
            << QByteArray("1.0.1\n");
    }
    void whatIsSavedSurvivesARestart()
    {
        QFETCH(QList<LibraryChange>, runs);
        QFETCH(QStringList, saved);
        QFETCH(QStringList, names);
        QFETCH(int, temperature);
        QFETCH(QByteArray, version);
        LibraryFixture fx;
        QVERIFY(writeMaterialFile(fx.mats().UserPath(), {pla(), makeMaterial("PLA", "A", 8)}));
        CPrintMaterial v1 = makeMaterial("V1", "Orvik", 501, {{10102, 0.4f, 0.2f, 0}});
        v1.m_nPrintTemp = 200;
        for (const LibraryChange &change : runs) {
            fx.restart();
            fx.startWithVendor({v1, makeMaterial("V2", "Orvik", 502)});
            Materials &m = fx.mats();
            QCOMPARE(m.startupNotes().isEmpty(), &change != &runs.front()); // told once, at the first start
            QVERIFY(!m.userLibraryChangedOnDisk());
            QCOMPARE(QList<int>({m.curMatID(), m.bMatLocked()}), QList<int>({501, 0})); // by its ID: unlocked
            m.selectMaterial(7);
            m.selectPrinter(10102);
            m.setParameter(18, 800); // a save brings it up to 1000
            change(m);
            const QByteArray previous = readAll(m.UserPath());
            QVERIFY(m.exportUserMaterials());
            QCOMPARE(readAll(m.UserPath() + ".bak"), previous);
            QVERIFY(m.curSetNumber() == 0 ||
                    m.items()->at(18).paramVal == 1000.0); // the rows show what is stored
            QVERIFY(!m.userLibraryChangedOnDisk());
        }
        QCOMPARE(namesIn(fx.mats().UserPath()), saved);
        v1.m_nPrintTemp = 205;
        fx.restart();
        fx.startWithVendor({v1, makeMaterial("V2", "Orvik", 502)}, version);
        Materials &m = fx.mats();
        QCOMPARE(readAll(m.VendorPath()) == readAll(fx.shippedDir() + "/DB/vendor.cvx"),
                 version == "1.0.1\n");
        QCOMPARE(namesOf(m), names);
        QVERIFY(m.startupNotes().isEmpty());
        QCOMPARE(m.removedVendorCount(), temperature ? 0 : 1);
        if (temperature) {
            QCOMPARE(m.materialAt(0)->m_nPrintTemp, temperature);
            return;
        }
        QCOMPARE(m.bringBackRemovedVendor(), 1);
        QCOMPARE(namesOf(m), names + QStringList{"V1"});
        m.undo();
        QCOMPARE(namesOf(m), names);
    }

    // An import matches by name and manufacturer, else by ID. Made directly, it merges: a material
    // of the file that would give two materials one ID is renumbered. With a preview, it shows first
    // what each material of the file is to the library, and takes each as the user chooses: new ones
    // added, the same skipped, a different one beside the library's own, in its place, or not at
    // all. Either way a material twice in the file is kept apart under a new name, in one step.
    void importMerges_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<QVariantList>("choices");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("temperature");   // of the library's PLA afterwards
        QTest::addColumn<QList<int>>("counts"); // added, replaced, renumbered, renamed, kept
        const QStringList merged = {"PLA", "ABS+", "PC", "TPU", "PETG", "PETG_Copy1"};
        QTest::addRow("direct: merged")
            << true << QVariantList() << merged << 215 << QList<int>{3, 3, 2, 1, 0};
        QTest::addRow("defaults: new added, same skipped, different beside")
            << false << QVariantList()
            << QStringList{"PLA", "ABS", "PC", "PLA_Copy1", "ABS+_Copy1", "TPU", "PETG", "PETG_Copy1"} << 210
            << QList<int>{5, 0, 1, 3, 1};
        QTest::addRow("mine kept") << false << QVariantList{"keep", "keep", "skip", "skip", "skip", "skip"}
                                   << QStringList{"PLA", "ABS", "PC"} << 210 << QList<int>{0, 0, 0, 0, 6};
    }
    void importMerges()
    {
        QFETCH(bool, direct);
        QFETCH(QVariantList, choices);
        QFETCH(QStringList, names);
        QFETCH(int, temperature);
        QFETCH(QList<int>, counts);
        LibraryFixture fx;
        Materials &m = fx.mats();
        const QStringList library = {"PLA", "ABS", "PC"};
        fx.load({makeMaterial("PLA", "A", 1), makeMaterial("ABS", "A", 2), makeMaterial("PC", "A", 5)});
        CPrintMaterial theirs = makeMaterial("PLA", "A", 2); // with ABS's ID
        theirs.m_nPrintTemp = 215;
        const QString file = fx.dataDir() + "/colleague.cvx";
        QVERIFY(writeMaterialFile(file, {theirs, makeMaterial("ABS+", "B", 2), makeMaterial("PC", "A", 5),
                                         makeMaterial("TPU", "A", 4), makeMaterial("PETG", "A", 3),
                                         makeMaterial("PETG", "A", 3)}));
        LogCapture log;
        if (direct) {
            m.importMaterials(QUrl::fromLocalFile(file).toString(), false);
        } else {
            const QVariantList preview = m.previewImport(QUrl::fromLocalFile(file).toString());
            QCOMPARE(namesOf(m), library); // nothing changes before the choice
            QStringList states;
            for (const QVariant &item : preview)
                states << item.toMap().value("state").toString() + "/" +
                              item.toMap().value("choice").toString();
            QCOMPARE(states, QStringList({"different/both", "different/both", "same/skip", "new/add",
                                          "new/add", "new/add"}));
            QCOMPARE(preview[0].toMap().value("differences").toStringList(),
                     QStringList({"ID: 1 -> 2", "Print Temp: 210 ℃ -> 215 ℃"}));
            QVERIFY(m.applyImport(choices));
        }
        const QVariantMap report = m.lastImportReport();
        QCOMPARE(namesOf(m), names);
        QCOMPARE(m.materialAt(0)->m_nPrintTemp, temperature);
        QCOMPARE(QList<int>({report.value("added").toInt(), report.value("replaced").toInt(),
                             report.value("renumbered").toInt(), report.value("renamed").toInt(),
                             report.value("kept").toInt()}),
                 counts);
        if (temperature == 215) // theirs took the place of the library's PLA, with a new ID
            QVERIFY(log.contains(QStringLiteral("renumbered from 2 to %1").arg(m.materialAt(0)->m_nMatID)));
        QVERIFY(!m.IsHaveSameID());
        m.undo();
        QCOMPARE(namesOf(m), library);
        QVERIFY(!m.applyImport({})); // a preview is used up, and a direct import leaves none
    }

    // Unsaved work outlives an end without Save or Discard (here: the library object destroyed):
    // the next start offers it back; Discard keeps it once and leaves the saved library as it was.
    void unsavedWorkSurvivesACrash_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<bool>("damaged");
        QTest::addRow("restored") << true << false;
        QTest::addRow("discarded") << false << false;
        QTest::addRow("damaged: kept aside and reported, the library as saved") << true << true;
    }
    void unsavedWorkSurvivesACrash()
    {
        QFETCH(bool, restore);
        QFETCH(bool, damaged);
        LibraryFixture fx;
        fx.load({pla()});
        const QByteArray saved = readAll(fx.mats().UserPath());
        const QString recovery = fx.dataDir() + "/recovery.cvx";
        fx.mats().selectMaterial(7);
        fx.mats().selectPrinter(10102);
        fx.mats().setParameter(9, 223);
        fx.mats().addCopyMaterial(7);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recovery), 5000);
        fx.mats().Recovery().Flush();

        fx.restart();
        Materials &m = fx.mats();
        m.importUserMaterials();
        QVERIFY(!m.recoveryTime().isEmpty());
        m.setParameter(0, 230); // nothing overwrites the copy before the answer
        QTest::qWait(RecoveryFile::kDelayMs + 200);
        if (damaged) {
            QVERIFY(writeAll(recovery, readAll(recovery) + hexLine("not a material")));
            QVERIFY(m.restoreRecovery().startsWith("The recovery copy could not be read (1 parts"));
            QCOMPARE(namesOf(m), QStringList({"PLA"}));
            QCOMPARE(QDir(fx.dataDir()).entryList({"recovery.cvx*"}).join(' ').left(21),
                     "recovery.cvx.damaged-");
        } else if (restore) {
            QCOMPARE(m.restoreRecovery(), QString());
            QCOMPARE(namesOf(m), QStringList({"PLA", "PLA_Copy1"}));
            QCOMPARE(m.materialAt(0)->m_lstSets.front().nBasicTemp, 223);
            QVERIFY(m.isModified());
            QVERIFY(m.exportUserMaterials()); // a clean end
            QVERIFY(!QFile::exists(recovery));
        } else {
            m.discardRecovery();
            QCOMPARE(namesOf(m), QStringList({"PLA"}));
            QVERIFY(QFile::exists(recovery + ".bak"));
            m.undo();
            m.endCleanly();
            QVERIFY(!QFile::exists(recovery));
            QCOMPARE(readAll(m.UserPath()), saved);
        }
        QVERIFY(m.recoveryTime().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstMaterialsFiles)
#include "tst_MaterialsFiles.moc"
