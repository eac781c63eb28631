#include "LibraryFixture.h"
#include "core/MaterialDiff.h"
#include "models/PrintSetModel.h"

#include <QtTest>

// The vendor reference: what a material's standing, a page's marks, Save and the differences
// listed by name say of "changed from the vendor's", resets and vendor materials brought back,
// the list of removed ones, and vendor materials beside the user's own across a restart.
class TstVendorReference : public QObject
{
    Q_OBJECT

private slots:
    // A standing is computed again whenever the material or the reference changes, with nobody
    // telling the cache; an ID the load gave is no change, any other ID is.
    void standingFollowsEveryChange()
    {
        CPrintMaterial vendor = pla(501);
        VendorReference reference;
        reference.Set({FlatMaterial::From(vendor)});
        MaterialLibrary library;
        library.Append(library.NewEntry(vendor));
        library.Modify(0).vendorRef = 0;
        const auto standing = [&] { return reference.StandingOf(library.At(0)); };
        QCOMPARE(standing(), VendorReference::Same);
        library.Modify(0).mat.m_lstSets.front().fSpeed[0] += 1.0f;
        QCOMPARE(standing(), VendorReference::Changed);
        library.Modify(0).mat.m_lstSets.front().fSpeed[0] -= 1.0f;
        QCOMPARE(standing(), VendorReference::Same);
        library.Modify(0).mat.m_nMatID = library.Modify(0).loadID = 777;
        QCOMPARE(standing(), VendorReference::Same);
        library.Modify(0).mat.m_nMatID = 778;
        QCOMPARE(standing(), VendorReference::Changed);
        library.Modify(0).mat.m_nMatID = 777;
        vendor.m_nPrintTemp += 5;
        reference.Set({FlatMaterial::From(vendor)});
        QCOMPARE(standing(), VendorReference::Changed);
        library.Modify(0).vendorRef = -1;
        QCOMPARE(standing(), VendorReference::None);
    }

    // The list of removed vendor materials names them by ID, name and manufacturer, so that two
    // with one ID are told apart (vendorMaterialsBesideTheUsers removes one of two); a line of an
    // older editor holds the ID alone and names every vendor material with it; anything else names
    // nothing. What is written reads back.
    // clang-format off
    void removedListNamesVendorMaterials_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<bool>>("removed");
        QTest::addRow("an ID alone: every one with it") << QByteArray("501\n") << QList<bool>{true, true, false};
        QTest::addRow("a name that is not theirs") << QByteArray("502 41 42\n") << QList<bool>{false, false, false};
        QTest::addRow("not a list") << QByteArray("PLA\n\n ") << QList<bool>{false, false, false};
    }
    // clang-format on
    void removedListNamesVendorMaterials()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<bool>, removed);
        VendorReference reference;
        reference.Set({FlatMaterial::From(makeMaterial("V1", "Orvik", 501)),
                       FlatMaterial::From(makeMaterial("Twin", "Orvik", 501)),
                       FlatMaterial::From(makeMaterial("V2", "Orvik", 502))});
        const std::vector<bool> named = reference.RemovedBy(text);
        QCOMPARE(QList<bool>(named.begin(), named.end()), removed);
        MaterialLibrary library; // standing for what is not named
        for (int i = 0; i < 3; ++i) {
            if (!removed[i]) {
                library.Append(library.NewEntry(reference.At(size_t(i)).ToRecord()));
                library.Modify(library.Size() - 1).vendorRef = i;
            }
        }
        const std::vector<bool> back = reference.RemovedBy(reference.RemovedText(library));
        QCOMPARE(QList<bool>(back.begin(), back.end()), removed);
    }

    // Whether a material differs from the vendor's is one answer everywhere: the value's mark, the
    // drawer's mark, the count of a reset, Save, and the differences listed by name all agree, on
    // values that the pages show alike and on values they show apart.
    // clang-format off
    void oneAnswerToChangedFromTheVendor_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<float>("nudge"); // added to the stored field of the first set
        QTest::addColumn<bool>("differs");
        QTest::newRow("a percentage 0.0004 % off") << 21 << 0.000004f << false;
        QTest::newRow("a percentage 0.001 % off") << 21 << 0.00001f << true;
        QTest::addRow("a speed 0.001 off") << 15 << 0.001f << true;
    }
    // clang-format on

    void oneAnswerToChangedFromTheVendor()
    {
        QFETCH(int, row);
        QFETCH(float, nudge);
        QFETCH(bool, differs);
        LibraryFixture fx;
        CPrintMaterial vendor = makeMaterial("PLA", "Orvik", 7, {{10102, 0.4f, 0.2f, 0}});
        vendor.m_lstSets.front().fExtrude[0] = 1.15f;
        fx.startWithVendor({vendor});
        Materials &m = fx.mats();
        PrintSetData &set = const_cast<CPrintMaterial *>(m.materialAt(0))->m_lstSets.front();
        (row == 21 ? set.fExtrude[0] : set.fSpeed[0]) += nudge;
        m.selectMaterial(7);
        choose(m, {10102, 0.4f, 0.2f, 0});
        QVERIFY(m.exportUserMaterials());
        QCOMPARE(QList<bool>({m.vendorMark(row).differs, m.VendorState(0) == Materials::VendorChanged,
                              m.vendorResetPreview().value("values").toInt() > 0, m.lastWrittenCount() > 0,
                              !DescribeValueDifferences(*m.materialAt(0), vendor).empty()}),
                 QList<bool>({differs, differs, differs, differs, differs}));
    }

    // Values are marked where they differ from the vendor's beyond the rows' tolerance, in the
    // sets the vendor has; a mark resets the value, and the whole material can be reset too,
    // each one step.
    // clang-format off
    void valuesAgainstTheVendor_data()
    {
        QTest::addColumn<LibraryChange>("change"); // before the value is typed
        QTest::addColumn<int>("row");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("tip"); // empty: not marked
        using F = LibraryChange;
        const F none = [](Materials &) {};
        const QString speed = QStringLiteral("Vendor: 30 mm/s");
        QTest::addRow("just beyond the tolerance") << none << 15 << 30.01 << speed;
        QTest::addRow("a basic value") << none << 0 << 215.0 << "Vendor: 210 ℃";
        QTest::addRow("one set of two: the vendor's range")
            << F([](Materials &m) { m.selectQuality(1); }) << 17 << 70.0 << "Vendor: 50 – 60 mm/s";
        QTest::addRow("the first set of two, the second as the vendor's")
            << F([](Materials &m) { m.selectQuality(0); }) << 17 << 70.0 << "Vendor: 50 – 60 mm/s";
        QTest::addRow("a set the vendor does not have") << F([](Materials &m) {
            m.selectQuality(0);
            m.availNewSet();
            m.copyCurSets(0); // to quality 2
        }) << 15 << 55.0 << QString();
        QTest::addRow("counterpart by name, the ID changed")
            << F([](Materials &m) { m.modifyMatID(-77); }) << 15 << 55.0 << speed;
        QTest::addRow("counterpart by ID, renamed")
            << F([](Materials &m) { m.setMatNameAndManu("Renamed", "Other", ""); }) << 15 << 55.0 << speed;
        QTest::addRow("a copy: measured by the one it was copied from") << F([](Materials &m) {
            m.addCopyMaterial(7);
            m.selectPrinter(10102);
        }) << 15 << 55.0 << "PLA (Orvik): 30 mm/s";
        QTest::addRow("a copy whose parent was removed: the vendor's") << F([](Materials &m) {
            m.addCopyMaterial(7);
            const int copy = m.curMatID();
            m.removeMaterial(7);
            m.selectMaterial(copy);
            m.selectPrinter(10102);
        }) << 15 << 55.0 << speed;
        QTest::addRow("a copy unlinked: measured by nothing") << F([](Materials &m) {
            m.addCopyMaterial(7);
            QVERIFY(m.unlinkParent());
            m.selectPrinter(10102);
        }) << 15 << 55.0 << QString();
    }
    // clang-format on

    void valuesAgainstTheVendor()
    {
        QFETCH(LibraryChange, change);
        QFETCH(int, row);
        QFETCH(double, value);
        QFETCH(QString, tip);
        LibraryFixture fx;
        CPrintMaterial vendor =
            makeMaterial("PLA", "Orvik", 7, {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}});
        vendor.m_lstSets.back().fSpeed[2] = 60.0f;
        fx.startWithVendor({vendor});
        Materials &m = fx.mats();
        m.selectMaterial(7);
        choose(m, {10102, 0.4f, 0.2f, -1});
        change(m);
        m.setParameter(row, value);
        choose(m, {10102, 0.4f, 0.2f, -1});
        PrintSetModel rows;
        rows.setMats(&m);
        const QModelIndex index = rows.index(row);
        QCOMPARE(rows.data(index, PrintSetModel::VendorDiffRole).toBool(), !tip.isEmpty());
        if (tip.isEmpty())
            return;
        QCOMPARE(rows.data(index, PrintSetModel::VendorTipRole).toString(), tip);
        const QVariantMap before = m.valueSpread(row);

        m.resetValueToVendor(row);
        QVERIFY(!m.vendorMark(row).differs);
        m.undo();
        QCOMPARE(m.valueSpread(row), before);
        QVERIFY(m.vendorResetPreview().value("values").toInt() > 0);
        const CPrintMaterial changed = *m.currentMaterial();
        QVERIFY(m.resetMaterialToVendor());
        const int current = namesOf(m).indexOf(m.curMatName());
        QVERIFY(m.VendorState(current) == Materials::VendorSame ||
                m.VendorState(current) == Materials::VendorNone);
        QCOMPARE(m.currentMaterial()->m_lstSets.size(), vendor.m_lstSets.size());
        m.undo();
        QVERIFY(*m.currentMaterial() == changed);
        // Locked, its marks reset nothing.
        QCOMPARE(m.setMatNameAndManu(m.curMatName(), m.curManu(), kDigest), 0);
        m.restoreSelection(m.curMatID(), 10102, 0.4, 0.2, -1);
        const CPrintMaterial locked = *m.currentMaterial();
        m.resetValueToVendor(row);
        QVERIFY(!m.resetMaterialToVendor() && *m.currentMaterial() == locked);
    }

    // A copy is measured by the one it was copied from, across Save and a restart. When that one
    // goes (here, or removed by another program before a start), the link moves up the chain,
    // else to the vendor's material, else it ends, and the start page says which; undone, the
    // removal gives the link back. A parent copied from the material itself is refused.
    // clang-format off
    void copiesRememberTheirParent_data()
    {
        QTest::addColumn<bool>("ownRoot"); // "Mine" (9), else the vendor's PLA (7)
        QTest::addColumn<LibraryChange>("change"); // with the second copy current at the end
        QTest::addColumn<QString>("note");          // of the second copy
        QTest::addColumn<int>("standing");          // of the second copy, one value changed in it
        QTest::addColumn<QString>("removedOnDisk"); // by another program after the save
        using F = LibraryChange;
        const QString first = QStringLiteral("Copied from PLA_Copy1 (Manufacturer)");
        const QString gone = QStringLiteral("Copied from PLA_Copy1 (Manufacturer), which was removed: ");
        const auto remove = [](QStringList names) {
            return F([names](Materials &m) {
                const int copy = m.curMatID();
                for (const QString &name : names)
                    m.removeMaterial(m.materialAt(int(namesOf(m).indexOf(name)))->m_nMatID);
                m.selectMaterial(copy);
            });
        };
        QTest::addRow("a copy of a copy: its parent") << false << F([](Materials &) {}) << first << 3 << QString();
        QTest::addRow("its parent removed: the next up the chain")
            << false << remove({"PLA_Copy1"}) << gone + "now measured by PLA (Orvik)" << 3 << QString();
        QTest::addRow("the chain removed up to a vendor material: the vendor's")
            << false << remove({"PLA_Copy1", "PLA"}) << gone + "now measured by the vendor's PLA (Orvik)" << 3 << QString();
        QTest::addRow("the chain removed up to one of the user's: the link ends")
            << true << remove({"PLA_Copy1", "PLA"}) << gone + "the link has ended" << 2 << QString();
        QTest::addRow("its parent removed by another program: the next up the chain")
            << false << F([](Materials &) {}) << first << 3 << QString("PLA_Copy1");
        QTest::addRow("unlinked") << false << F([](Materials &m) { QVERIFY(m.unlinkParent()); }) << QString() << 2 << QString();
        QTest::addRow("another parent; one copied from it, or itself, refused") << true << F([](Materials &m) {
            const int copy = m.curMatID();
            m.selectMaterial(m.materialAt(int(namesOf(m).indexOf("PLA_Copy1")))->m_nMatID);
            QVERIFY(!m.chooseParent(copy).isEmpty());
            QVERIFY(!m.chooseParent(m.curMatID()).isEmpty());
            m.selectMaterial(copy);
            QCOMPARE(m.chooseParent(9), QString());
        }) << "Copied from PLA (Orvik)" << 3 << QString();
    }
    // clang-format on

    void copiesRememberTheirParent()
    {
        QFETCH(bool, ownRoot);
        QFETCH(LibraryChange, change);
        QFETCH(QString, note);
        QFETCH(int, standing);
        QFETCH(QString, removedOnDisk);
        LibraryFixture fx;
        const std::vector<CPrintMaterial> vendor{makeMaterial("PLA", "Orvik", 7, {{10102, 0.4f, 0.2f, 0}})};
        fx.startWithVendor(vendor);
        Materials &m = fx.mats();
        if (ownRoot) {
            m.removeMaterial(7);
            QVERIFY(writeMaterialFile(fx.dataDir() + "/mine.cvx",
                                      {makeMaterial("PLA", "Orvik", 9, {{10102, 0.4f, 0.2f, 0}})}));
            m.importMaterials(fx.dataDir() + "/mine.cvx", false);
        }
        m.addCopyMaterial(ownRoot ? 9 : 7);
        m.addCopyMaterial(m.curMatID());
        const int copy = m.curMatID();
        m.selectPrinter(10102);
        m.setParameter(15, 44.0);
        const auto check = [&](Materials &r, const QString &expected, int expectedStanding) {
            r.selectMaterial(copy);
            QCOMPARE(r.parentNote(), expected);
            QCOMPARE(r.VendorState(namesOf(r).indexOf(r.curMatName())), expectedStanding);
        };
        const int before = m.HistorySteps();
        change(m);
        check(m, note, standing);
        const int steps = m.HistorySteps() - before;
        for (int i = 0; i < steps; ++i)
            m.undo();
        check(m, QStringLiteral("Copied from PLA_Copy1 (Manufacturer)"), 3);
        for (int i = 0; i < steps; ++i)
            m.redo();
        check(m, note, standing);
        QVERIFY(m.exportUserMaterials());
        if (!removedOnDisk.isEmpty()) {
            std::vector<CPrintMaterial> kept;
            for (const QString &name : namesIn(m.UserPath())) {
                if (name != removedOnDisk)
                    kept.push_back(*m.materialAt(namesOf(m).indexOf(name)));
            }
            QVERIFY(writeMaterialFile(m.UserPath(), kept));
        }
        fx.restart();
        fx.startWithVendor(vendor);
        check(
            fx.mats(),
            removedOnDisk.isEmpty()
                ? note
                : QStringLiteral(
                      "Copied from PLA_Copy1 (Manufacturer), which was removed: now measured by PLA (Orvik)"),
            standing);
    }

    // No operation leaves two materials with one name and manufacturer, which would become one at
    // the next start: a reset to the vendor's or a vendor material brought back renames the user's
    // material that has its name now, unless it is locked, and keeps apart from the one that has
    // its ID; both survive a restart.
    // clang-format off
    void vendorNamesAreNeverDoubled_data()
    {
        QTest::addColumn<bool>("reset"); // else the vendor's material is brought back
        QTest::addColumn<bool>("lockedHolder");
        QTest::addColumn<QStringList>("names"); // after a save and a restart
        QTest::addRow("reset") << true << false << QStringList({"V1", "Mine", "V1_Copy1"});
        QTest::addRow("reset refused: the one in the way is locked") << true << true << QStringList({"Changed", "Mine", "V1"});
        QTest::addRow("brought back") << false << false << QStringList({"V1", "Mine", "V1_Copy1"});
        QTest::addRow("not brought back: the one in the way is locked") << false << true << QStringList({"Mine", "V1"});
    }
    // clang-format on

    void vendorNamesAreNeverDoubled()
    {
        QFETCH(bool, reset);
        QFETCH(bool, lockedHolder);
        QFETCH(QStringList, names);
        LibraryFixture fx;
        fx.startWithVendor({makeMaterial("V1", "Orvik", 501, {{10102, 0.4f, 0.2f, 0}})});
        Materials &m = fx.mats();
        QVERIFY(writeMaterialFile(fx.dataDir() + "/mine.cvx", {makeMaterial("Mine", "A", 9)}));
        m.importMaterials(fx.dataDir() + "/mine.cvx", false);
        m.selectMaterial(501);
        if (reset) {
            m.setMatNameAndManu("Changed", "Orvik", "");
            m.modifyMatID(-777);
        } else {
            m.removeMaterial(501);
        }
        m.selectMaterial(9);
        m.modifyMatID(-501); // the vendor's ID, free now
        m.addCopyMaterial(501);
        QCOMPARE(m.setMatNameAndManu("V1", "Orvik", lockedHolder ? kDigest : ""),
                 0); // the vendor's name, free now
        if (reset) {
            m.selectMaterial(777);
            QCOMPARE(m.vendorResetPreview().value("nameTakenBy").toString().left(12), "V1 / Orvik (");
            QCOMPARE(m.resetMaterialToVendor(), !lockedHolder);
        } else {
            QCOMPARE(m.bringBackPreview().value(lockedHolder ? "blocked" : "renames").toStringList().size(),
                     1);
            QCOMPARE(m.bringBackRemovedVendor(), lockedHolder ? 0 : 1);
        }
        QVERIFY(!m.IsHaveSameID());
        QVERIFY(m.exportUserMaterials());
        fx.restart();
        fx.startWithVendor({makeMaterial("V1", "Orvik", 501, {{10102, 0.4f, 0.2f, 0}})});
        QCOMPARE(namesOf(fx.mats()), names);
    }

    // The vendor's library gains materials that the user's own ones resemble: the user's stay
    // theirs (no marks against the vendor's, nothing to reset), the vendor's come beside them,
    // renumbered where their ID is taken, and the start says so. Vendor materials that share an
    // ID are told apart: removing one leaves the other, and an unchanged save writes neither.
    // clang-format off
    void vendorMaterialsBesideTheUsers_data()
    {
        QTest::addColumn<CPrintMaterial>("own");
        QTest::addColumn<QList<CPrintMaterial>>("update"); // the vendor's library after the save
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("note");
        const CPrintMaterial v1 = makeMaterial("V1", "Orvik", 501);
        QTest::addRow("a new vendor material with the name of the user's")
            << makeMaterial("New", "Orvik", 9) << QList<CPrintMaterial>{v1, makeMaterial("New", "Orvik", 600)}
            << QStringList({"V1", "New", "New"}) << true;
        QTest::addRow("a new vendor material with the ID of the user's")
            << makeMaterial("Mine", "A", 600) << QList<CPrintMaterial>{v1, makeMaterial("Theirs", "Orvik", 600)}
            << QStringList({"V1", "Theirs", "Mine"}) << true;
        QTest::addRow("two vendor materials with one ID, the second removed")
            << CPrintMaterial() << QList<CPrintMaterial>{v1, makeMaterial("V2", "Orvik", 501)}
            << QStringList({"V1"}) << false;
    }
    // clang-format on

    void vendorMaterialsBesideTheUsers()
    {
        QFETCH(CPrintMaterial, own);
        QFETCH(QList<CPrintMaterial>, update);
        QFETCH(QStringList, names);
        QFETCH(bool, note);
        LibraryFixture fx;
        const bool twins = own.m_nMatID == 0;
        fx.startWithVendor(twins ? std::vector<CPrintMaterial>(update.begin(), update.end())
                                 : std::vector<CPrintMaterial>{update[0]});
        Materials &m = fx.mats();
        if (twins) {
            m.removeMaterial(m.materialAt(1)->m_nMatID); // the second, renumbered by the load
        } else {
            QVERIFY(writeMaterialFile(fx.dataDir() + "/own.cvx", {own}));
            m.importMaterials(fx.dataDir() + "/own.cvx", false);
        }
        QVERIFY(m.exportUserMaterials());
        for (int run = 0; run < 2; ++run) { // the same at every start
            fx.restart();
            fx.startWithVendor(std::vector<CPrintMaterial>(update.begin(), update.end()), "1.0.1\n");
            Materials &r = fx.mats();
            QCOMPARE(namesOf(r), names);
            QCOMPARE(!r.startupNotes().isEmpty(), note);
            const int ownRow = twins ? -1 : r.materialCount() - 1;
            if (!twins) {
                QCOMPARE(QList<int>({r.materialAt(ownRow)->m_nMatID, r.VendorState(ownRow)}),
                         QList<int>({own.m_nMatID, int(Materials::VendorNone)}));
                r.selectMaterial(own.m_nMatID);
                QVERIFY(!r.vendorResetPreview().value("available").toBool());
            }
            QVERIFY(r.exportUserMaterials());
            QCOMPARE(namesIn(r.UserPath()), twins ? QStringList() : QStringList{QString(own.m_szName)});
        }
    }
};

QTEST_GUILESS_MAIN(TstVendorReference)
#include "tst_VendorReference.moc"
