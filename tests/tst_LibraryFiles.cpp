#include "LibraryFixture.h"
#include "base/cfutility.h"
#include "core/MaterialFormat.h"

#include <QDir>
#include <QUrl>
#include <QtTest>

#include <unistd.h>

class TstLibraryFiles : public QObject
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
        // Versions compare by their numbers, not by their first five characters.
        for (const auto &versions : {std::pair<QByteArray, QByteArray>{"1.0.9\n", "1.0.10\n"},
                                     std::pair<QByteArray, QByteArray>{"1.0.10\n", "1.0.9\n"}}) {
            QVERIFY(writeMaterialFile(m.VendorPath(), {makeMaterial("V1", "Orvik", 501)}, versions.first));
            fx.startWithVendor({makeMaterial("V2", "Orvik", 502)}, versions.second);
            QVERIFY(readAll(m.VendorPath()).startsWith("1.0.10\n")); // the newer stays or comes
        }
    }

    // Export writes every material, the vendor's too unless left out, or the chosen ones; derived
    // fields are brought up to date first.
    void exportWritesTheLibrary()
    {
        LibraryFixture fx;
        Materials &m = fx.mats();
        const QString out = fx.dataDir() + "/out.cvx";
        CPrintMaterial slow = makeMaterial("V", "A", 1, {{10102, 0.4f, 0.2f, 0}});
        slow.m_lstSets.front().fAcc[0] = 800.0f;
        QVERIFY(writeAll(out, rawLine(slow))); // as it stands
        m.importMaterials(out, true);
        fx.load({makeMaterial("U", "A", 2)});
        QVERIFY(m.exportMaterials(QUrl::fromLocalFile(out).toString(), true));
        QCOMPARE(namesIn(out), QStringList{"U"});
        QVERIFY(m.exportMaterials(out, false));
        QCOMPARE(namesIn(out), QStringList({"V", "U"}));
        QVERIFY(m.exportMaterialIDs(out, {2}));
        QCOMPARE(namesIn(out), QStringList{"U"});
        QVERIFY(m.exportMaterialIDs(out, {}));
        // The file has the acceleration raised to the floor; what the editor holds is unchanged.
        QVERIFY(readAll(out).contains(QByteArray(R"("p15":[1000,)").toHex()));
        QCOMPARE(m.materialAt(0)->m_lstSets.front().fAcc[0], 800.0f);
    }

    // A save that fails says why and leaves the library on disk as it was.
    // clang-format off
    void failedSaveKeepsTheOldLibrary_data()
    {
        QTest::addColumn<bool>("readOnlyFolder"); // else the disk is full
        QTest::addColumn<QString>("message");     // what the error says, "{dir}" the data folder
        QTest::addRow("disk full while writing: the system's reason") << false << QString("File too large");
        // The file itself is writable; the save writes beside it.
        QTest::addRow("writable library in a read-only folder: the message names the folder")
            << true
            << "cannot make a file in the folder {dir} (Permission denied): a save writes the new file there "
               "first and then puts it in the old one's place, so the folder must be writable";
    }
    // clang-format on
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
        QVERIFY2(fx.mats().lastExportError().contains(QString(message).replace("{dir}", fx.dataDir())),
                 qPrintable(fx.mats().lastExportError()));
        QVERIFY(log.contains("the file is unchanged"));
        QCOMPARE(readAll(fx.mats().UserPath()), QByteArray("previous library\n"));
    }

    // A user library with lines that are not whole materials is read as far as it can be, said so
    // at start, and replaced only when the user agrees, the file as it was kept beside it.
    // clang-format off
    void damagedUserLibraryIsKeptWhole_data()
    {
        QTest::addColumn<QByteArray>("bad"); // line 2 of user.cvx
        QTest::addRow("cut short") << hexLine(exampleJson()).left(120) + '\n';
        QTest::addRow("a print set the printer does not offer")
            << hexLine(R"({"b1":3,"b2":"C","b3":"A","group":[{"p1":10102,"p2":0.6,"p3":0.05}]})");
    }
    // clang-format on
    void damagedUserLibraryIsKeptWhole()
    {
        QFETCH(QByteArray, bad);
        LibraryFixture fx;
        Materials &m = fx.mats();
        const QByteArray file = rawLine(pla(1)) + bad + rawLine(makeMaterial("ABS", "A", 2));
        QVERIFY(writeAll(m.UserPath(), file));
        m.importUserMaterials();
        QCOMPARE(m.userLibraryReadError(), "lines that are not whole materials: 2");
        QVERIFY(m.startupNotes().contains(m.UserPath() + " could not be read completely"));
        QVERIFY(m.exportUserMaterials()); // the user said "Save anyway"
        const QStringList aside = QDir(fx.dataDir()).entryList({"user.cvx.unread-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readAll(fx.dataDir() + "/" + aside[0]), file);
        QVERIFY(m.lastSaveNote().contains(aside[0]));
        QCOMPARE(m.userLibraryReadError(), QString());
        QVERIFY(m.exportUserMaterials());
        QCOMPARE(QDir(fx.dataDir()).entryList({"user.cvx.unread-*"}).size(), 1);
    }

    // Each change is made in a run of its own and saved, the previous library kept beside; then
    // the library starts again with the vendor's next library, installed only if its version text
    // is newer. Save keeps what is the user's: a
    // vendor material as the vendor has it is not written, so that the update reaches it; a removed
    // one is remembered and can be brought back. Save asks when another program changed user.cvx
    // since it was loaded or saved; taking its materials in first keeps both.
    // clang-format off
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
        QTest::addRow("a changed vendor material after the first keeps its place")
            << QList<F>{[](Materials &m) {
                   m.selectMaterial(502);
                   m.setParameter(0, 215);
               }}
            << QStringList{"V2"} + user << vendor + user << 205 << QByteArray("1.0.1\n");
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
    // clang-format on
    void whatIsSavedSurvivesARestart()
    {
        QFETCH(QList<LibraryChange>, runs);
        QFETCH(QStringList, saved);
        QFETCH(QStringList, names);
        QFETCH(int, temperature);
        QFETCH(QByteArray, version);
        LibraryFixture fx;
        CPrintMaterial slow = pla(); // a save brings its acceleration up to the floor
        slow.m_lstSets.front().fAcc[0] = 800.0f;
        QVERIFY(writeAll(fx.mats().UserPath(), rawLine(slow) + rawLine(makeMaterial("PLA", "A", 8))));
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
        // As the editor starts: read on another thread, taken in a material at a time.
        fx.startWithVendor({v1, makeMaterial("V2", "Orvik", 502)}, version, LibraryFixture::Load::InPieces);
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

    // While the library loads in the background, what needs all of it waits: Save, exports and
    // changes are refused and write nothing; the list only grows and the progress only rises; the
    // last session's material shows as soon as it is read, and nothing before it. Quitting during
    // the load writes nothing and keeps the recovery copy for the next start.
    void whileTheLibraryLoads_data()
    {
        QTest::addColumn<int>("quitAt"); // the number of materials listed; -1: the load ends
        QTest::addColumn<int>("last");   // the last session's material; -1: none
        QTest::addRow("to the end, the last session's material last in the file") << -1 << 739;
        QTest::addRow("to the end, the last session's material gone") << -1 << 999;
        QTest::addRow("to the end, without a last session") << -1 << -1;
        QTest::addRow("quit with some of the user's materials in") << 10 << 739;
        QTest::addRow("quit at once") << 0 << 739;
    }
    void whileTheLibraryLoads()
    {
        QFETCH(int, quitAt);
        QFETCH(int, last);
        LibraryFixture fx;
        std::vector<CPrintMaterial> user;
        for (int i = 0; i < 40; ++i)
            user.push_back(makeMaterial(qPrintable(QStringLiteral("M%1").arg(i)), "Maker", 700 + i,
                                        {{10102, 0.4f, 0.2f, 0}}));
        // Kept apart as in one go: a name twice (the later one renamed), an ID the vendor's has.
        user[20] = makeMaterial("M3", "Maker", 720, {{10102, 0.4f, 0.2f, 0}});
        user[30] = makeMaterial("M30", "Maker", 501, {{10102, 0.4f, 0.2f, 0}});
        writeMaterialFile(fx.mats().UserPath(), user);
        const QString recovery = fx.dataDir() + "/recovery.cvx";
        QVERIFY(writeAll(recovery, rawLine(pla())));
        QVERIFY(writeAll(fx.dataDir() + "/editor-data.json", "{}"));
        const QByteArray before = readAll(fx.mats().UserPath());
        fx.restart();
        Materials &m = fx.mats();
        QSignalSpy restored(&m, &Materials::selectionRestored);
        QSignalSpy refused(&m, &Materials::historyRefused);
        fx.startWithVendor({makeMaterial("V1", "Orvik", 501), makeMaterial("V2", "Orvik", 502)}, "1.0.0\n",
                           LibraryFixture::Load::Started);
        QVERIFY(m.loading());
        if (last >= 0)
            m.restoreSelection(last, 10102, 0.4, 0.2, 0);
        const auto listed = [&m](int id) {
            for (int row = 0; row < m.materialCount(); ++row)
                if (m.materialAt(row)->m_nMatID == id)
                    return true;
            return false;
        };
        int count = 0;
        double progress = 0.0;
        while (m.loading() && m.materialCount() < quitAt + (quitAt < 0 ? 1000 : 0)) {
            QVERIFY(m.materialCount() >= count && m.loadProgress() >= progress && m.loadProgress() <= 1.0);
            count = m.materialCount();
            progress = m.loadProgress();
            // Nothing of the last session's selection before its material, then all of it.
            const bool shown = last >= 0 && m.curMatID() == last;
            QCOMPARE(shown, last >= 0 && listed(last));
            QCOMPARE(restored.count(), shown ? 1 : 0);
            QCOMPARE(m.curPrinter().startsWith('-'), !shown);
            QVERIFY(!m.exportUserMaterials());
            QVERIFY(!m.exportMaterials(fx.dataDir() + "/out.cvx", false));
            QVERIFY(m.previewImport(m.UserPath()).isEmpty());
            m.setParameter(0, 230);
            m.addCopyMaterial(501);
            QVERIFY(!m.canUndo() && !m.isModified());
            QCoreApplication::processEvents();
        }
        QVERIFY(!refused.isEmpty() || count == 0);
        if (quitAt >= 0) {
            // One round of events may take in every piece read by then: only at once is certain.
            QVERIFY(m.loading() || quitAt > 0);
            m.endCleanly();
            fx.restart(); // the reading stops with the library it fills
        } else {
            QCOMPARE(m.materialCount(), 41); // the one with V1's ID took its place, as any library matches
            QCOMPARE(m.loadProgress(), 1.0);
            const bool gone = last == 999 || last < 0;
            QCOMPARE(m.curMatID(), gone ? m.materialAt(0)->m_nMatID : last); // the first
            QCOMPARE(restored.count(), gone ? 0 : 1);
            // The same library as read in one go, its first material shown as unlocked (it has no
            // password) as there.
            const auto identities = [](Materials &mats) {
                QStringList all;
                for (int row = 0; row < mats.materialCount(); ++row)
                    all << QStringLiteral("%1/%2/%3")
                               .arg(mats.materialAt(row)->m_szName, mats.materialAt(row)->m_szManu)
                               .arg(mats.materialAt(row)->m_nMatID);
                return all << mats.startupNotes() << QStringLiteral("locked: %1").arg(mats.bMatLocked());
            };
            const QStringList inPieces = identities(m);
            QVERIFY(inPieces.contains("M3_Copy1/Maker/720"));
            fx.restart();
            fx.startWithVendor({makeMaterial("V1", "Orvik", 501), makeMaterial("V2", "Orvik", 502)});
            QCOMPARE(inPieces, identities(fx.mats()));
        }
        QCOMPARE(readAll(fx.mats().UserPath()), before);
        QCOMPARE(readAll(fx.dataDir() + "/editor-data.json"), QByteArray("{}"));
        QCOMPARE(readAll(recovery), rawLine(pla()));
        QVERIFY(!QFile::exists(fx.dataDir() + "/out.cvx"));
    }

    // An import matches by name and manufacturer, else by ID. Made directly, it merges: a material
    // of the file that would give two materials one ID is renumbered. With a preview, it shows first
    // what each material of the file is to the library, and takes each as the user chooses: new ones
    // added, the same skipped, a different one beside the library's own, in its place, or not at
    // all. Either way a material twice in the file is kept apart under a new name, in one step.
    // clang-format off
    void importMerges_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<QVariantList>("choices");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("temperature");   // of the library's PLA afterwards
        QTest::addColumn<QList<int>>("counts"); // added, replaced, renumbered, renamed, kept
        QTest::addColumn<QStringList>("renamed"); // as the report names them
        const QStringList merged = {"PLA", "ABS+", "PC", "TPU", "PETG", "PETG_Copy1"};
        QTest::addRow("direct: merged")
            << true << QVariantList() << merged << 215 << QList<int>{3, 3, 2, 1, 0}
            << QStringList{"PETG → PETG_Copy1"};
        // Beside the library's own: renamed where the name is taken, renumbered where the ID is.
        QTest::addRow("defaults: new added, same skipped, different beside")
            << false << QVariantList()
            << QStringList{"PLA", "ABS", "PC", "PLA_Copy1", "ABS+", "TPU", "PETG", "PETG_Copy1"} << 210
            << QList<int>{5, 0, 3, 2, 1} << QStringList{"PLA → PLA_Copy1", "PETG → PETG_Copy1"};
        QTest::addRow("mine kept") << false << QVariantList{"keep", "keep", "skip", "skip", "skip", "skip"}
                                   << QStringList{"PLA", "ABS", "PC"} << 210 << QList<int>{0, 0, 0, 0, 6}
                                   << QStringList();
    }
    // clang-format on
    void importMerges()
    {
        QFETCH(bool, direct);
        QFETCH(QVariantList, choices);
        QFETCH(QStringList, names);
        QFETCH(int, temperature);
        QFETCH(QList<int>, counts);
        QFETCH(QStringList, renamed);
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
                     QStringList({"ID: 1 → 2", "Print Temp: 210 ℃ → 215 ℃"}));
            QVERIFY(m.applyImport(choices));
        }
        const QVariantMap report = m.lastImportReport();
        QCOMPARE(namesOf(m), names);
        QCOMPARE(m.materialAt(0)->m_nPrintTemp, temperature);
        QCOMPARE(QList<int>({report.value("added").toInt(), report.value("replaced").toInt(),
                             report.value("renumbered").toInt(), report.value("renamed").toInt(),
                             report.value("kept").toInt()}),
                 counts);
        QCOMPARE(report.value("renamedNames").toStringList(), renamed);
        QCOMPARE(report.value("renumberedNames").toStringList().size(), counts[2]);
        if (temperature == 215) // theirs took the place of the library's PLA, with a new ID
            QVERIFY(log.contains(QStringLiteral("renumbered from 2 to %1").arg(m.materialAt(0)->m_nMatID)));
        QVERIFY(!m.IsHaveSameID());
        m.undo();
        QCOMPARE(namesOf(m), library);
        QVERIFY(!m.applyImport({})); // a preview is used up, and a direct import leaves none
    }

    // Another program changed user.cvx while the editor held changes of its own: merging goes
    // through the preview, whose defaults keep what the editor changed since its last save (a
    // pending rename, an undo) and what it removed, and take what only the other program changed
    // or added.
    void changesOnDiskAreMergedNotTaken()
    {
        LibraryFixture fx;
        std::vector<CPrintMaterial> user;
        for (int id = 1; id <= 4; ++id)
            user.push_back(makeMaterial(qPrintable(QStringLiteral("M%1").arg(id)), "A", id));
        fx.load(user, 4);
        Materials &m = fx.mats();
        m.setParameter(0, 220); // M4: changed here before the save, changed there after it
        m.selectMaterial(2);
        m.setParameter(0, 230); // M2: changed here before the save, undone after it, changed there
        QVERIFY(m.exportUserMaterials());
        m.undo();
        m.selectMaterial(1);
        m.setMatNameAndManu("M1 renamed", "A", ""); // M1: renamed here, changed there too
        m.removeMaterial(3);                        // M3: removed here
        user[0].m_nPrintTemp = user[1].m_nPrintTemp = user[3].m_nPrintTemp = 240;
        user.push_back(makeMaterial("M5", "A", 5)); // M5: new there
        QVERIFY(writeMaterialFile(m.UserPath(), user));
        QVERIFY(m.userLibraryChangedOnDisk());

        QStringList rows;
        for (const QVariant &item : m.previewImport(m.UserPath()))
            rows << item.toMap().value("state").toString() + "/" + item.toMap().value("choice").toString();
        QCOMPARE(rows, QStringList({"different/keep", "different/keep", "removed/skip", "different/take",
                                    "new/add"}));
        QVERIFY(m.applyImport({}));
        QVERIFY(m.exportUserMaterials());
        QCOMPARE(namesIn(m.UserPath()), QStringList({"M1 renamed", "M2", "M4", "M5"}));
        QCOMPARE(QList<int>({m.materialAt(0)->m_nPrintTemp, m.materialAt(1)->m_nPrintTemp,
                             m.materialAt(2)->m_nPrintTemp}),
                 QList<int>({210, 210, 240}));
    }

    // A save that stops after the list of removed vendor materials (here: the editor's data cannot
    // be written) leaves the user library as it was; the next start leaves out the vendor material
    // the user removed, and the changed version of it that the user library still holds.
    void saveStoppedAfterTheRemovedListBringsNothingBack()
    {
        LibraryFixture fx;
        const std::vector<CPrintMaterial> vendor = {makeMaterial("V1", "Orvik", 501),
                                                    makeMaterial("V2", "Orvik", 502)};
        fx.startWithVendor(vendor);
        Materials &m = fx.mats();
        m.selectMaterial(502);
        m.setParameter(0, 215);
        QVERIFY(m.exportUserMaterials());
        m.removeMaterial(502);
        const QString data = fx.dataDir() + "/editor-data.json";
        const QByteArray linked = readAll(data);
        QVERIFY(QFile::remove(data) && QDir().mkdir(data));
        QVERIFY(!m.exportUserMaterials());
        QVERIFY(QDir().rmdir(data) && writeAll(data, linked));
        fx.restart();
        fx.startWithVendor(vendor);
        QCOMPARE(namesOf(fx.mats()), QStringList{"V1"});
    }
};

QTEST_GUILESS_MAIN(TstLibraryFiles)
#include "tst_LibraryFiles.moc"
