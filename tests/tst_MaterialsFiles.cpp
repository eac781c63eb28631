#include "LibraryFixture.h"
#include "SignalRecorder.h"
#include "base/cfutility.h"
#include "core/MaterialFormat.h"

#include <QDir>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {
std::vector<CPrintMaterial> readMaterials(const QString &path)
{
    std::vector<std::string> lines;
    ReadFileToString(path.toStdString(), lines);
    std::vector<CPrintMaterial> mats;
    for (const std::string &line : lines) {
        CPrintMaterial mat;
        if (DecodeMaterial(DecodeMaterialLine(line).c_str(), mat))
            mats.push_back(mat);
    }
    return mats;
}

// Every record, in library order.
QStringList libraryState(const Materials &m)
{
    QStringList state;
    for (int row = 0; row < m.materialCount(); ++row)
        state << QString::fromStdString(MaterialJsonText(*m.materialAt(row)));
    return state;
}

const QStringList kReselectSequence = {
    "curMaterialChanged", "matChanged",       "bMatLockedChanged", "curPrinterChanged",
    "curNozzleChanged",   "curLayerThickChanged", "curQualityChanged", "matChanged",
    "qualityChanged",     "layerThickChanged", "nozzleChanged",     "printerChanged",
};

// Limits the size of files this process writes, as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
} // namespace


class TstMaterialsFiles : public QObject
{
    Q_OBJECT

private slots:
    void firstStartInstallsTheVendorLibraryAndCreatesTheUserLibrary()
    {
        LibraryFixture fx;
        QVERIFY(writeMaterialFile(fx.shippedDir() + "/DB/vendor.cvx",
                                  {makeMaterial("PLA", "Orvik", 101, {{-1, 0.4f, 0.2f, 0}}),
                                   makeMaterial("ABS", "Orvik", 102, {{-1, 0.4f, 0.2f, 0}})},
                                  "1.0.0\n"));
        Materials &m = fx.mats();
        m.checkVendorMaterials();
        QCOMPARE(readAll(m.VendorPath()), readAll(fx.shippedDir() + "/DB/vendor.cvx"));
        m.importVendorMaterials();
        QCOMPARE(m.bMatLocked(), 1); // nothing was current: the first material, locked
        m.importUserMaterials();
        QVERIFY(QFile::exists(m.UserPath()));
        QCOMPARE(readAll(m.UserPath()), QByteArray());
        QCOMPARE(namesOf(m), QStringList({"PLA", "ABS"}));
        QCOMPARE(m.curMatID(), 101);
        QCOMPARE(m.bMatLocked(), 0); // re-selected by its ID: its real lock state
    }

    void vendorUpdateByVersionText_data()
    {
        QTest::addColumn<QByteArray>("installed");
        QTest::addColumn<QByteArray>("shipped");
        QTest::addColumn<bool>("replaced");
        QTest::addRow("newer shipped replaces") << QByteArray("1.0.1\n") << QByteArray("1.0.2\n") << true;
        QTest::addRow("equal texts keep") << QByteArray("1.0.2\n") << QByteArray("1.0.2\n") << false;
        QTest::addRow("older shipped keeps") << QByteArray("1.0.3\n") << QByteArray("1.0.2\n") << false;
        QTest::addRow("installed without a version line is replaced") << QByteArray() << QByteArray("1.0.2\n") << true;
        QTest::addRow("garbage shipped keeps") << QByteArray("1.0.1\n") << QByteArray("\x01\xff\n", 3) << false;
    }
    void vendorUpdateByVersionText()
    {
        QFETCH(QByteArray, installed);
        QFETCH(QByteArray, shipped);
        QFETCH(bool, replaced);
        LibraryFixture fx;
        QVERIFY(writeMaterialFile(fx.shippedDir() + "/DB/vendor.cvx", {makeMaterial("New", "V", 1)}, shipped));
        QVERIFY(writeMaterialFile(fx.mats().VendorPath(), {makeMaterial("Old", "V", 2)}, installed));
        const QByteArray before = readAll(fx.mats().VendorPath());
        fx.mats().checkVendorMaterials();
        QCOMPARE(readAll(fx.mats().VendorPath()),
                 replaced ? readAll(fx.shippedDir() + "/DB/vendor.cvx") : before);
    }

    // Only the data folder's own user library is made when missing; an import of a missing file,
    // the installed vendor library among them, makes nothing and says the file is missing. A file
    // URL is a path before anything looks at it.
    void importOfAMissingFileMakesNothing()
    {
        LibraryFixture fx;
        Materials &m = fx.mats();
        LogCapture log;
        m.checkVendorMaterials(); // nothing shipped: nothing installed
        m.importVendorMaterials();
        QVERIFY(!QFile::exists(m.VendorPath()));
        QVERIFY(m.lastImportReport().value("missing").toBool());
        const QString missing = fx.dataDir() + "/missing.cvx";
        m.importMaterials(QUrl::fromLocalFile(missing).toString(), false);
        QVERIFY(!QFile::exists(missing));
        const QVariantMap report = m.lastImportReport();
        QVERIFY(report.value("missing").toBool());
        QCOMPARE(report.value("readError").toString(), QString());
        QVERIFY(log.contains("importMaterials() No such file: " + missing));
        QVERIFY(log.lines().filter("file://").isEmpty());
        QVERIFY(log.lines().filter("Could not open file for ReadWrite").isEmpty());
        QCOMPARE(QDir(fx.dataDir()).entryList(QDir::Files), QStringList());
        m.importUserMaterials(); // the first start makes the user library
        QCOMPARE(readAll(m.UserPath()), QByteArray());
        QVERIFY(!m.lastImportReport().value("missing").toBool());
        QCOMPARE(m.userLibraryReadError(), QString());
        QCOMPARE(m.materialCount(), 0);

        // With no empty stand-in in the way, a vendor library shipped later is installed.
        QVERIFY(writeMaterialFile(fx.shippedDir() + "/DB/vendor.cvx", {makeMaterial("PLA", "Orvik", 101)}, "1.0.0\n"));
        m.checkVendorMaterials();
        QCOMPARE(readAll(m.VendorPath()), readAll(fx.shippedDir() + "/DB/vendor.cvx"));
    }

    void importMergesByNameAndManufacturerThenById()
    {
        LibraryFixture fx;
        const QString first = fx.dataDir() + "/first.cvx";
        const QString second = fx.dataDir() + "/second.cvx";
        QVERIFY(writeMaterialFile(first, {makeMaterial("PLA", "A", 1), makeMaterial("ABS", "A", 2),
                                          makeMaterial("PETG", "A", 3)}));
        CPrintMaterial renamed = makeMaterial("ABS+", "B", 2); // same ID as ABS
        CPrintMaterial samePla = makeMaterial("PLA", "A", 1);
        samePla.m_nPrintTemp = 199;
        QVERIFY(writeMaterialFile(second, {samePla, renamed, makeMaterial("TPU", "A", 4)}));
        Materials &m = fx.mats();
        m.importMaterials(first, false);
        m.importMaterials(first, false);
        QCOMPARE(m.materialCount(), 3); // the same file twice: every record matches its copy
        m.importMaterials(QUrl::fromLocalFile(second).toString(), true);
        QCOMPARE(namesOf(m), QStringList({"PLA", "ABS+", "PETG", "TPU"}));
        QCOMPARE(m.materialAt(0)->m_nPrintTemp, 199);
        QCOMPARE(m.materialAt(3)->m_nMatID, 4);
    }

    void importThatWouldDuplicateAnIdRenumbers()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/lib.cvx";
        QVERIFY(writeMaterialFile(path, {makeMaterial("PLA", "A", 10), makeMaterial("ABS", "A", 20)}));
        fx.mats().importMaterials(path, false);
        // PLA by name and manufacturer, but with ABS's ID.
        CPrintMaterial clash = makeMaterial("PLA", "A", 20);
        clash.m_nPrintTemp = 205;
        QVERIFY(writeMaterialFile(path, {clash}));
        LogCapture log;
        fx.mats().importMaterials(path, false);
        const CPrintMaterial *pla = fx.mats().materialAt(0);
        const CPrintMaterial *abs = fx.mats().materialAt(1);
        QCOMPARE(pla->m_nPrintTemp, 205);  // the imported values arrived
        QCOMPARE(abs->m_nMatID, 20);       // the other material keeps its ID
        QVERIFY(pla->m_nMatID != 20);
        QVERIFY(!fx.mats().IsHaveSameID());
        QVERIFY(log.contains(QStringLiteral("renumbered from 20 to %1").arg(pla->m_nMatID)));
    }

    void importLinesThatAreNotMaterialsAreSkipped()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/mixed.cvx";
        QByteArray bytes = "1.0.2\nnot hex at all\n";
        CPrintMaterial good = makeMaterial("Good", "A", 5, {{10102, 0.4f, 0.2f, 1}});
        bytes += QByteArray::fromStdString(EncodeMaterialLine(good));
        bytes += QByteArray::fromStdString(StringToHex("{\"b2\":\"NoManu\",\"group\":[]}")) + "\r\n";
        QVERIFY(writeAll(path, bytes));
        LogCapture log;
        fx.mats().importMaterials(path, false);
        QCOMPARE(namesOf(fx.mats()), QStringList({"Good"}));
        QVERIFY(log.contains("ReadFileToString() nRet: 1 vecList size: 4"));
        QVERIFY(log.contains("importMaterials() Current materials is 1"));
    }

    void importReselectsWithTheWholeSequence()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/lib.cvx";
        QVERIFY(writeMaterialFile(path, {makeMaterial("PLA", "A", 1)}));
        SignalRecorder rec(&fx.mats());
        fx.mats().importMaterials(path, false);
        QCOMPARE(rec.names(), kReselectSequence + QStringList{"modifiedChanged"});
    }

    void exportWritesEveryMaterialAndUpdatesDerivedFields()
    {
        LibraryFixture fx;
        const QString in = fx.dataDir() + "/in.cvx";
        CPrintMaterial slow = makeMaterial("PLA", "A", 1, {{10102, 0.4f, 0.2f, 0}});
        slow.m_lstSets.front().fAcc[0] = 800.0f;
        QVERIFY(writeMaterialFile(in, {slow, makeMaterial("ABS", "A", 2)}));
        fx.mats().importMaterials(in, true); // vendor entries are written too when not left out
        const QString out = fx.dataDir() + "/out.cvx";
        QVERIFY(fx.mats().exportMaterials(QUrl::fromLocalFile(out).toString(), false));
        QCOMPARE(fx.mats().materialAt(0)->m_lstSets.front().fAcc[0], 1000.0f);
        const std::vector<CPrintMaterial> back = readMaterials(out);
        QCOMPARE(int(back.size()), 2);
        QVERIFY(back[0].SameStoredContent(*fx.mats().materialAt(0)));
        QVERIFY(back[1].SameStoredContent(*fx.mats().materialAt(1)));
    }

    void exportLeavesOutVendorEntriesOnlyWhenAsked()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/lib.cvx";
        QVERIFY(writeMaterialFile(path, {makeMaterial("V", "A", 1)}));
        fx.mats().importMaterials(path, true);
        QVERIFY(writeMaterialFile(path, {makeMaterial("U", "A", 2)}));
        fx.mats().importMaterials(path, false);
        QVERIFY(fx.mats().exportMaterials(path, true));
        QCOMPARE(int(readMaterials(path).size()), 1);
        QVERIFY(fx.mats().exportMaterials(path, false));
        QCOMPARE(int(readMaterials(path).size()), 2);
    }

    void exportOfAnEmptyLibraryTouchesNothing()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/keep.cvx";
        QVERIFY(writeAll(path, "old content\n"));
        QVERIFY(fx.mats().exportMaterials(path, false));
        QCOMPARE(readAll(path), QByteArray("old content\n"));
    }

    void failedSaveKeepsTheOldLibrary_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("message"); // what the error says, "{dir}" the data folder
        QTest::addRow("folder that cannot hold the file") << "plain file as folder" << QString();
        QTest::addRow("disk full while writing") << "disk full" << QString();
        // The file itself is writable; the save writes beside it.
        QTest::addRow("writable library in a read-only folder: the message names the folder")
            << "read-only folder"
            << "cannot make a file in the folder {dir} (Permission denied): a save writes the new file there "
               "first and then puts it in the old one's place, so the folder must be writable";
    }
    void failedSaveKeepsTheOldLibrary()
    {
        QFETCH(QString, cause);
        QFETCH(QString, message);
        if (cause == "read-only folder" && ::geteuid() == 0)
            QSKIP("root may write into a read-only folder: permissions cannot make this case for root");
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/lib.cvx";
        std::vector<CPrintMaterial> many;
        for (int i = 0; i < 50; ++i)
            many.push_back(makeMaterial(qPrintable(QStringLiteral("M%1").arg(i)), "A", 100 + i, {{-1, 0.4f, 0.2f, 0}}));
        QVERIFY(writeMaterialFile(path, many));
        fx.mats().importMaterials(path, false);
        QVERIFY(writeAll(fx.mats().UserPath(), "previous library\n"));
        LogCapture log;
        bool saved = true;
        if (cause == "disk full") {
            FileSizeLimit limit(4096);
            saved = fx.mats().exportUserMaterials();
        } else if (cause == "read-only folder") {
            QFile::Permissions permissions = QFile::permissions(fx.dataDir());
            QVERIFY(QFile::setPermissions(fx.dataDir(), QFile::ReadOwner | QFile::ExeOwner));
            saved = fx.mats().exportUserMaterials();
            QVERIFY(QFile::setPermissions(fx.dataDir(), permissions));
        } else {
            QVERIFY(writeAll(fx.dataDir() + "/plain-file", "x"));
            saved = fx.mats().exportMaterials(fx.dataDir() + "/plain-file/user.cvx", false);
        }
        QVERIFY(!saved);
        QVERIFY(!fx.mats().lastExportError().isEmpty());
        if (!message.isEmpty())
            QCOMPARE(fx.mats().lastExportError(), QString(message).replace("{dir}", fx.dataDir()));
        QVERIFY(log.contains("the file is unchanged"));
        QCOMPARE(readAll(fx.mats().UserPath()), QByteArray("previous library\n"));
    }

    // Each change is made in a run of its own, saved, and the library started again.
    void whatIsSavedSurvivesARestart_data()
    {
        QTest::addColumn<QList<LibraryChange>>("runs");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("basicTemp"); // of the first material's set; 0: no material
        using F = LibraryChange;
        const F copy = [](Materials &m) { m.addCopyMaterial(7); };
        // The library starts with one name twice: the first start keeps both, the second apart.
        QTest::addRow("edited value") << QList<F>{[](Materials &m) { m.setParameter(9, 223); }}
                                      << QStringList{"PLA", "PLA_Copy1"} << 223;
        QTest::addRow("a copy in each of two runs: two names (by the manufacturer of copies)")
            << QList<F>{copy, copy} << QStringList{"PLA", "PLA_Copy1", "PLA_Copy1", "PLA_Copy2"} << 210;
        QTest::addRow("renamed") << QList<F>{[](Materials &m) { m.setMatNameAndManu("PLA 2", "A", ""); }}
                                 << QStringList{"PLA 2", "PLA_Copy1"} << 210;
        QTest::addRow("every material removed: the empty library is saved")
            << QList<F>{[](Materials &m) {
                   m.removeMaterial(7);
                   m.removeMaterial(8);
               }}
            << QStringList() << 0;
    }
    void whatIsSavedSurvivesARestart()
    {
        QFETCH(QList<LibraryChange>, runs);
        QFETCH(QStringList, names);
        QFETCH(int, basicTemp);
        LibraryFixture fx;
        CPrintMaterial pla = makeMaterial("PLA", "A", 7, {{10102, 0.4f, 0.2f, 0}});
        pla.m_lstSets.front().fAcc[0] = 800.0f;
        QVERIFY(writeMaterialFile(fx.mats().UserPath(), {pla, makeMaterial("PLA", "A", 8)}));
        for (const LibraryChange &change : runs) {
            fx.restart();
            Materials &m = fx.mats();
            m.importUserMaterials();
            QCOMPARE(m.startupNotes().isEmpty(), &change != &runs.front()); // told once, at the first start
            m.selectMaterial(7);
            m.selectPrinter(10102);
            change(m);
            QVERIFY(m.exportUserMaterials());
            // Saving brings derived fields up to date (an acceleration of 800 becomes 1000); the
            // rows show what is stored now.
            if (m.curSetNumber() > 0)
                QCOMPARE(m.items()->at(18).paramVal, 1000.0);
        }
        fx.restart();
        fx.mats().importUserMaterials();
        QCOMPARE(namesOf(fx.mats()), names);
        QVERIFY(fx.mats().startupNotes().isEmpty());
        if (basicTemp)
            QCOMPARE(fx.mats().materialAt(0)->m_lstSets.front().nBasicTemp, basicTemp);
    }

    // Save keeps what is the user's: a vendor material as the vendor has it is not written, so that
    // the vendor's next library reaches it; a removed one is remembered and can be brought back.
    void vendorUpdatesReachWhatTheUserLeftAlone_data()
    {
        QTest::addColumn<LibraryChange>("change");
        QTest::addColumn<QStringList>("saved");    // the materials user.cvx holds
        QTest::addColumn<QStringList>("names");    // after a start with the vendor's update
        QTest::addColumn<int>("temperature");      // of V1 then
        using F = LibraryChange;
        QTest::addRow("nothing changed: nothing saved, the update shows")
            << F([](Materials &) {}) << QStringList() << QStringList{"V1", "V2"} << 205;
        QTest::addRow("a changed vendor material stays the user's")
            << F([](Materials &m) { m.setParameter(0, 215); }) << QStringList{"V1"} << QStringList{"V1", "V2"} << 215;
        QTest::addRow("a copy is the user's own")
            << F([](Materials &m) { m.addCopyMaterial(501); }) << QStringList{"V1_Copy1"}
            << QStringList{"V1", "V2", "V1_Copy1"} << 205;
        QTest::addRow("a removed vendor material stays removed")
            << F([](Materials &m) { m.removeMaterial(501); }) << QStringList() << QStringList{"V2"} << 0;
    }
    void vendorUpdatesReachWhatTheUserLeftAlone()
    {
        QFETCH(LibraryChange, change);
        QFETCH(QStringList, saved);
        QFETCH(QStringList, names);
        QFETCH(int, temperature);
        LibraryFixture fx;
        CPrintMaterial v1 = makeMaterial("V1", "Orvik", 501, {{10102, 0.4f, 0.2f, 0}});
        v1.m_nPrintTemp = 200;
        fx.startWithVendor({v1, makeMaterial("V2", "Orvik", 502)});
        fx.mats().selectMaterial(501);
        change(fx.mats());
        QVERIFY(fx.mats().exportUserMaterials());
        QStringList written;
        for (const CPrintMaterial &mat : readMaterials(fx.mats().UserPath()))
            written << QString::fromUtf8(mat.m_szName);
        QCOMPARE(written, saved);

        v1.m_nPrintTemp = 205;
        fx.restart();
        fx.startWithVendor({v1, makeMaterial("V2", "Orvik", 502)}, "1.0.1\n");
        Materials &m = fx.mats();
        QCOMPARE(namesOf(m), names);
        if (temperature)
            QCOMPARE(m.materialAt(0)->m_nPrintTemp, temperature);
        QCOMPARE(m.removedVendorCount(), temperature ? 0 : 1);
        if (!temperature) {
            QCOMPARE(m.bringBackRemovedVendor(), 1);
            QCOMPARE(namesOf(m), QStringList({"V2", "V1"}));
            m.undo();
            QCOMPARE(namesOf(m), names);
        }
    }

    // Every change of the content is one step: undone, the library is record by record what it
    // was, with the step's material and cascade selected again; redone, what it became. The
    // unsaved flag follows the history, and a save moves the saved point.
    void everyChangeIsOneUndoableStep_data()
    {
        QTest::addColumn<LibraryChange>("change");
        QTest::addColumn<QString>("undoText"); // empty: no step
        QTest::addColumn<int>("selectedOnUndo");
        using F = LibraryChange;
        QTest::addRow("print value") << F([](Materials &m) { m.setParameter(15, 55); })
                                     << "Undo Contour Speed 30 → 55" << 7;
        QTest::addRow("basic value") << F([](Materials &m) { m.setParameter(0, 215); }) << "Undo Print Temp 210 → 215"
                                     << 7;
        QTest::addRow("unused row") << F([](Materials &m) { m.setParameter(2, 5); }) << "" << 7;
        QTest::addRow("rename") << F([](Materials &m) { m.setMatNameAndManu("PLA 2", "A", ""); })
                                << "Undo rename PLA to PLA 2" << 7;
        QTest::addRow("same name again") << F([](Materials &m) { m.setMatNameAndManu("PLA", "A", ""); }) << "" << 7;
        QTest::addRow("lock") << F([](Materials &m) { m.setMatNameAndManu("PLA", "A", QString(32, 'a')); })
                              << "Undo lock PLA" << 7;
        QTest::addRow("material ID") << F([](Materials &m) { m.modifyMatID(-77); }) << "Undo ID of PLA: 7 → 77" << 7;
        QTest::addRow("copy print sets") << F([](Materials &m) {
            m.availNewSet();
            m.copyCurSets(0);
        }) << "Undo copy 1 print sets to Default" << 7;
        QTest::addRow("remove print sets") << F([](Materials &m) { m.removeCurSets(); })
                                           << "Undo remove 1 print sets of Orvik Solo" << 7;
        QTest::addRow("copy material") << F([](Materials &m) { m.addCopyMaterial(7); }) << "Undo add PLA_Copy1" << 7;
        QTest::addRow("remove another material: it comes back current")
            << F([](Materials &m) { m.removeMaterial(8); }) << "Undo remove ABS" << 8;
        QTest::addRow("import") << F([](Materials &m) {
            CPrintMaterial pla = makeMaterial("PLA", "A", 7, {{10102, 0.4f, 0.2f, 0}});
            pla.m_nPrintTemp = 199;
            writeMaterialFile(m.UserPath() + ".in.cvx", {pla, makeMaterial("TPU", "A", 9)});
            m.importMaterials(m.UserPath() + ".in.cvx", false);
        }) << "Undo import user.cvx.in.cvx" << 7;
        QTest::addRow("selection only") << F([](Materials &m) { m.selectMaterial(8); }) << "" << 8;
    }
    void everyChangeIsOneUndoableStep()
    {
        QFETCH(LibraryChange, change);
        QFETCH(QString, undoText);
        QFETCH(int, selectedOnUndo);
        LibraryFixture fx;
        QVERIFY(writeMaterialFile(fx.mats().UserPath(), {makeMaterial("PLA", "A", 7, {{10102, 0.4f, 0.2f, 0}}),
                                                         makeMaterial("ABS", "A", 8)}));
        Materials &m = fx.mats();
        m.importVendorMaterials();
        m.importUserMaterials();
        QVERIFY(!m.isModified()); // loading at start is no change
        QVERIFY(!m.canUndo());
        m.selectMaterial(7);
        m.selectPrinter(10102);
        const QStringList before = libraryState(m);
        QSignalSpy spy(&m, &Materials::modifiedChanged);
        change(m);
        const bool step = !undoText.isEmpty();
        QCOMPARE(m.isModified(), step);
        QCOMPARE(spy.count(), step ? 1 : 0);
        QCOMPARE(m.canUndo(), step);
        if (!step)
            return;
        QCOMPARE(m.undoText(), undoText);
        const QStringList after = libraryState(m);
        m.selectMaterial(8);

        m.undo();
        QCOMPARE(libraryState(m), before);
        QVERIFY(!m.isModified());
        QCOMPARE(m.curMatID(), selectedOnUndo);
        if (selectedOnUndo == 7)
            QCOMPARE(m.curPrinter(), QStringLiteral("Orvik Solo"));
        QCOMPARE(m.redoText(), "Redo" + undoText.mid(4));

        m.redo();
        QCOMPARE(libraryState(m), after);
        QVERIFY(m.isModified());
        QVERIFY(m.exportUserMaterials());
        QVERIFY(!m.isModified());
        m.undo();
        QVERIFY(m.isModified()); // away from what was saved
    }

    // An import shows first what each material of the file is to the library, and takes each as
    // the user chooses: new ones added, the same skipped, a different one beside the library's
    // own, in its place, or not at all. One step.
    void importPreviewAndChoices_data()
    {
        QTest::addColumn<QVariantList>("choices");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("temperature"); // of the library's PLA afterwards
        QTest::addColumn<int>("kept");
        QTest::addRow("defaults: new added, same skipped, different beside")
            << QVariantList() << QStringList{"PLA", "ABS", "PLA_Copy1", "TPU"} << 210 << 1;
        QTest::addRow("theirs in place of mine") << QVariantList{"take"} << QStringList{"PLA", "ABS", "TPU"} << 215
                                                 << 1;
        QTest::addRow("mine kept") << QVariantList{"keep", "skip", "skip"} << QStringList{"PLA", "ABS"} << 210 << 3;
    }
    void importPreviewAndChoices()
    {
        QFETCH(QVariantList, choices);
        QFETCH(QStringList, names);
        QFETCH(int, temperature);
        QFETCH(int, kept);
        LibraryFixture fx;
        Materials &m = fx.mats();
        QVERIFY(writeMaterialFile(m.UserPath(), {makeMaterial("PLA", "A", 1), makeMaterial("ABS", "A", 2)}));
        m.importUserMaterials();
        CPrintMaterial theirs = makeMaterial("PLA", "A", 1);
        theirs.m_nPrintTemp = 215;
        const QString file = fx.dataDir() + "/colleague.cvx";
        QVERIFY(writeMaterialFile(file, {theirs, makeMaterial("ABS", "A", 2), makeMaterial("TPU", "A", 4)}));

        const QVariantList preview = m.previewImport(QUrl::fromLocalFile(file).toString());
        QCOMPARE(namesOf(m), QStringList({"PLA", "ABS"})); // nothing changes before the choice
        QStringList states, defaults;
        for (const QVariant &item : preview) {
            states << item.toMap().value("state").toString();
            defaults << item.toMap().value("choice").toString();
        }
        QCOMPARE(states, QStringList({"different", "same", "new"}));
        QCOMPARE(defaults, QStringList({"both", "skip", "add"}));
        QCOMPARE(preview[0].toMap().value("differences").toStringList(), QStringList{"Print Temp: 210 ℃ -> 215 ℃"});

        QVERIFY(m.applyImport(choices));
        QCOMPARE(namesOf(m), names);
        QCOMPARE(m.materialAt(0)->m_nPrintTemp, temperature);
        QCOMPARE(m.lastImportReport().value("kept").toInt(), kept);
        m.undo();
        QCOMPARE(namesOf(m), QStringList({"PLA", "ABS"}));
        QVERIFY(!m.applyImport({})); // the preview is used up
    }

    // Save asks when another program changed user.cvx since it was loaded or saved; taking its
    // materials in first keeps both.
    void userLibraryChangedOnDisk_data()
    {
        QTest::addColumn<QByteArray>("written"); // by another program; "-" removes the file
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QStringList>("names");  // after importing it and saving
        QTest::addRow("untouched") << QByteArray() << false << QStringList{"PLA"};
        QTest::addRow("written by another program") << QByteArray("TPU") << true << QStringList{"PLA", "TPU"};
        QTest::addRow("removed") << QByteArray("-") << true << QStringList{"PLA"};
    }
    void userLibraryChangedOnDisk()
    {
        QFETCH(QByteArray, written);
        QFETCH(bool, changed);
        QFETCH(QStringList, names);
        LibraryFixture fx;
        Materials &m = fx.mats();
        QVERIFY(writeMaterialFile(m.UserPath(), {makeMaterial("PLA", "A", 7)}));
        m.importUserMaterials();
        QVERIFY(!m.userLibraryChangedOnDisk());
        if (written == "-")
            QVERIFY(QFile::remove(m.UserPath()));
        else if (!written.isEmpty())
            QVERIFY(writeMaterialFile(m.UserPath(), {makeMaterial(written.constData(), "B", 8)}));
        QCOMPARE(m.userLibraryChangedOnDisk(), changed);
        if (changed)
            m.importMaterials(m.UserPath(), false);
        QVERIFY(m.exportUserMaterials());
        QVERIFY(!m.userLibraryChangedOnDisk());
        QCOMPARE(namesOf(m), names);
    }

    // Unsaved work outlives an end without Save or Discard (here: the library object destroyed):
    // the next start offers it back; Discard keeps it once and leaves the saved library as it was.
    void unsavedWorkSurvivesACrash_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addRow("restored") << true;
        QTest::addRow("discarded") << false;
    }
    void unsavedWorkSurvivesACrash()
    {
        QFETCH(bool, restore);
        LibraryFixture fx;
        QVERIFY(writeMaterialFile(fx.mats().UserPath(), {makeMaterial("PLA", "A", 7, {{10102, 0.4f, 0.2f, 0}})}));
        const QByteArray saved = readAll(fx.mats().UserPath());
        const QString recovery = fx.dataDir() + "/recovery.cvx";
        fx.mats().importUserMaterials();
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
        if (restore) {
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

    void importMarksUnsavedAndLockedEditsDoNot()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/lib.cvx";
        CPrintMaterial locked = makeMaterial("PETG", "A", 9, {{10102, 0.4f, 0.2f, 0}});
        std::strcpy(locked.m_szPwMD5, "0123456789abcdef0123456789abcdef");
        QVERIFY(writeMaterialFile(path, {locked}));
        fx.mats().importMaterials(path, false);
        QVERIFY(fx.mats().isModified());
        QVERIFY(fx.mats().exportUserMaterials());
        fx.mats().selectPrinter(10102);
        fx.mats().setParameter(15, 70); // refused: locked
        QVERIFY(!fx.mats().isModified());
        QVERIFY(writeAll(path, "not a material\n"));
        fx.mats().importMaterials(path, false); // nothing in it
        QVERIFY(!fx.mats().isModified());
    }

    void saveKeepsThePreviousLibraryBeside()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/lib.cvx";
        QVERIFY(writeMaterialFile(path, {makeMaterial("PLA", "A", 7)}));
        fx.mats().importMaterials(path, false);
        QVERIFY(fx.mats().exportUserMaterials());
        QVERIFY(!QFile::exists(fx.mats().UserPath() + ".bak") || readAll(fx.mats().UserPath() + ".bak").isEmpty());
        const QByteArray first = readAll(fx.mats().UserPath());
        fx.mats().setMatNameAndManu("PLA 2", "A", "");
        QVERIFY(fx.mats().exportUserMaterials());
        QCOMPARE(readAll(fx.mats().UserPath() + ".bak"), first);
        QVERIFY(readAll(fx.mats().UserPath()) != first);
    }

    void importReportCounts()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/lib.cvx";
        QVERIFY(writeMaterialFile(path, {makeMaterial("PLA", "A", 1), makeMaterial("ABS", "A", 2)}));
        fx.mats().importMaterials(path, false);
        // PLA again, ABS by ID under a new name, PETG new, PETG again with PLA's ID (kept apart:
        // renamed and renumbered), a line that is not a material; the version text is not counted.
        QByteArray bytes = "1.0.0\n";
        std::vector<CPrintMaterial> mats = {makeMaterial("PLA", "A", 1), makeMaterial("ABS+", "B", 2),
                                            makeMaterial("PETG", "A", 3), makeMaterial("PETG", "A", 1)};
        for (CPrintMaterial &mat : mats)
            bytes += QByteArray::fromStdString(EncodeMaterialLine(mat));
        QVERIFY(writeAll(path, bytes + "zz\n"));
        fx.mats().importMaterials(path, false);
        const QVariantMap report = fx.mats().lastImportReport();
        QCOMPARE(report.value("added").toInt(), 2);
        QCOMPARE(report.value("replaced").toInt(), 2);
        QCOMPARE(report.value("renumbered").toInt(), 1);
        QCOMPARE(report.value("renamed").toInt(), 1);
        QCOMPARE(report.value("skipped").toInt(), 1);
        QCOMPARE(namesOf(fx.mats()), QStringList({"PLA", "ABS+", "PETG", "PETG_Copy1"}));
    }

    void sameIdReportIsLogged()
    {
        LibraryFixture fx;
        const QString path = fx.dataDir() + "/lib.cvx";
        QVERIFY(writeMaterialFile(path, {makeMaterial("PLA", "A", 3)}));
        fx.mats().importMaterials(path, false);
        QVERIFY(!fx.mats().IsHaveSameID());
    }
};

QTEST_GUILESS_MAIN(TstMaterialsFiles)
#include "tst_MaterialsFiles.moc"
