#include "LibraryFixture.h"
#include "core/MaterialFormat.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

#include <cstring>

// The history: the guard of a locked material on undo and redo, the editor that records what a
// change touches, and the recovery copy that keeps unsaved work through a crash. Its steps, their
// texts and the unsaved flag are tested with every operation (tst_SelectionCascade), what it
// counts as changed since a save with the merge of a changed user library (tst_LibraryFiles).
class TstLibraryHistory : public QObject
{
    Q_OBJECT

private slots:
    // Undo and redo never edit a material behind its password: a guarded step waits until that
    // material is current and unlocked; the step that set the lock is undone without it; steps of
    // materials without a password, additions, removals and unguarded steps never wait. (A step on
    // the current material while it is locked, and the undo of a lock: the library's rows below.)
    // clang-format off
    void lockedMaterialsWaitForTheirPassword_data()
    {
        QTest::addColumn<bool>("guarded");
        QTest::addColumn<QByteArray>("before"); // the password before and after the step
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("undo");
        QTest::addColumn<int>("current");       // 0: none; 1: it, locked; 2: it, unlocked
        QTest::addColumn<bool>("refused");
        const QByteArray pw = kDigest, none;
        QTest::addRow("another is current") << true << pw << pw << false << 0 << true;
        QTest::addRow("current and unlocked") << true << pw << pw << true << 2 << false;
        QTest::addRow("no password") << true << none << none << true << 0 << false;
        QTest::addRow("redo of setting the lock") << true << none << pw << false << 0 << false;
        QTest::addRow("unguarded") << false << pw << pw << true << 1 << false;
    }
    // clang-format on
    void lockedMaterialsWaitForTheirPassword()
    {
        QFETCH(bool, guarded);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(bool, undo);
        QFETCH(int, current);
        QFETCH(bool, refused);
        MaterialLibrary library;
        library.Append(library.NewEntry(pla(7)));
        std::strcpy(library.Modify(0).mat.m_szPwMD5, (undo ? after : before).constData());
        EntryChange change;
        change.before = change.after = library.At(0);
        std::strcpy(change.before->mat.m_szPwMD5, before.constData());
        std::strcpy(change.after->mat.m_szPwMD5, after.constData());
        const LibraryStep step([](const LibraryStep &, bool) {}, {change}, Selection(), Selection(),
                               StepPage::Start, StepText(), guarded);
        const QString refusal = LibraryHistory::Refusal(step, undo, library, current ? 7 : 8, current != 2);
        QCOMPARE(!refusal.isEmpty(), refused);
    }

    // The editor of a change copies an entry before its first change, gives a touch that changed
    // nothing as no change, puts everything back when the change is refused, and tells whether the
    // change touched a material with a password.
    void editorRecordsWhatAChangeTouches()
    {
        MaterialLibrary library;
        library.Append(library.NewEntry(pla(7)));
        library.Append(library.NewEntry(pla(8)));
        std::strcpy(library.Modify(1).mat.m_szPwMD5, kDigest);
        const CPrintMaterial first = library.At(0).mat;
        const quint64 revision = library.At(0).revision;
        LibraryEditor editor(library);
        editor.Touch(0).mat.m_nPrintTemp = 230;
        editor.Touch(0).mat.m_nPrintTemp = 231;
        editor.Touch(1);
        QVERIFY(editor.TouchesLockedMaterial());
        editor.Add(library.NewEntry(pla(9)));
        const std::vector<EntryChange> changes = editor.Finish();
        QCOMPARE(changes.size(), size_t(2)); // the first changed, the third added; the second unchanged
        QVERIFY(changes[0].before->mat == first && changes[0].after->mat.m_nPrintTemp == 231);
        QVERIFY(!changes[1].before && changes[1].position == 2);
        QVERIFY(library.At(0).revision != revision);
        LibraryEditor refused(library);
        refused.Touch(0).mat.m_nPrintTemp = 1;
        refused.Add(library.NewEntry(pla(10)));
        refused.Revert();
        QCOMPARE(library.Size(), size_t(3));
        QCOMPARE(library.At(0).mat.m_nPrintTemp, 231);
        QVERIFY(!refused.TouchesLockedMaterial());
    }

    // Undo never edits a material behind its password: a step made while it was unlocked waits
    // for the password again, but a lock set in the session is undone first, without one.
    // clang-format off
    void undoNeverEditsALockedMaterial_data()
    {
        QTest::addColumn<int>("material"); // else the edit is followed by setting the lock
        QTest::addRow("edited while unlocked, locked again") << kOtherID;
        QTest::addRow("lock set after the edit goes first") << kSampleID;
    }
    // clang-format on

    void undoNeverEditsALockedMaterial()
    {
        QFETCH(int, material);
        const bool lockedBefore = material == kOtherID;
        LibraryFixture fx;
        fx.loadSample(material);
        Materials &m = fx.mats();
        const auto name = [&m] { return QString::fromUtf8(m.currentMaterial()->m_szName); };
        if (lockedBefore)
            QCOMPARE(m.setMatNameAndManu(name(), "Maker", kDigest), 0);
        m.selectPrinter(10102);
        const CPrintMaterial edited = *m.currentMaterial();
        m.setParameter(15, 70);
        if (!lockedBefore)
            m.setMatNameAndManu(name(), "Maker", kDigest);
        m.selectMaterial(kSampleID + kOtherID - material);
        m.selectMaterial(material);
        QCOMPARE(m.bMatLocked(), 1);
        QSignalSpy refused(&m, &Materials::historyRefused);

        m.undo();
        QCOMPARE(refused.count(), lockedBefore ? 1 : 0);
        if (lockedBefore) {
            QCOMPARE(m.currentMaterial()->m_lstSets.front().fSpeed[0], 70.0f);
            QCOMPARE(m.setMatNameAndManu(name(), "Maker", kDigest), 0); // the password again
        } else {
            QCOMPARE(QByteArray(m.currentMaterial()->m_szPwMD5), QByteArray()); // the lock went first
            QCOMPARE(m.bMatLocked(), 0);
        }
        m.undo();
        QCOMPARE(refused.count(), lockedBefore ? 1 : 0);
        QVERIFY(m.currentMaterial()->m_lstSets == edited.m_lstSets);
        QCOMPARE(m.bMatLocked(), 0);
    }

    // A recovery copy that cannot be written is said once, not at every change, and again only
    // after one was written.
    void recoveryCopyThatCannotBeWrittenIsSaidOnce()
    {
        LibraryFixture fx;
        fx.load({pla()}, 7);
        Materials &m = fx.mats();
        QSignalSpy failed(&m, &Materials::recoveryWriteFailed);
        QVERIFY(QDir(fx.dataDir()).mkdir("recovery.cvx")); // a folder in its place
        for (const int value : {211, 212}) {
            m.setParameter(0, value);
            QVERIFY(!m.Recovery().Flush());
            QCoreApplication::processEvents();
        }
        QCOMPARE(failed.count(), 1);
        QVERIFY(QDir().rmdir(m.Recovery().Path()));
        m.setParameter(0, 213);
        QVERIFY(m.Recovery().Flush());
        QCoreApplication::processEvents();
        QVERIFY(QFile::remove(m.Recovery().Path()) && QDir(fx.dataDir()).mkdir("recovery.cvx"));
        m.setParameter(0, 214);
        QVERIFY(!m.Recovery().Flush());
        QTRY_COMPARE(failed.count(), 2);
    }

    // Unsaved work outlives an end without Save or Discard (here: the library object destroyed):
    // the next start offers it back, as Save would have written it, so that a vendor update since
    // reaches what the user did not change; Discard keeps it once. A copy that is damaged or cut
    // short (without its closing line) is kept aside and reported, the library left as saved.
    // Nothing is brought up to date on the way (an acceleration below the floor stays as it was).
    // clang-format off
    void unsavedWorkSurvivesACrash_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<QByteArray>("damage"); // how the copy is damaged before the restore
        QTest::addColumn<QString>("why");
        QTest::addRow("restored") << true << QByteArray() << QString();
        QTest::addRow("discarded") << false << QByteArray() << QString();
        QTest::addRow("a line that is not a material") << true << QByteArray("junk") << "1 parts could not be read";
        QTest::addRow("cut after its first line") << true << QByteArray("cut") << "it is incomplete";
        QTest::addRow("a count its lines do not reach") << true << QByteArray("count") << "it holds 2 of 3 materials";
        QTest::addRow("a library read in part stays so") << true << QByteArray("unread") << QString();
    }
    // clang-format on

    void unsavedWorkSurvivesACrash()
    {
        QFETCH(bool, restore);
        QFETCH(QByteArray, damage);
        QFETCH(QString, why);
        LibraryFixture fx;
        CPrintMaterial slow = pla();
        slow.m_lstSets.front().fAcc[0] = 800.0f;
        QVERIFY(
            writeAll(fx.mats().UserPath(), rawLine(slow) + (damage == "unread" ? "not a material\n" : "")));
        CPrintMaterial v1 = makeMaterial("V1", "Orvik", 501, {{10102, 0.4f, 0.2f, 0}});
        v1.m_nPrintTemp = 200;
        fx.startWithVendor({v1, makeMaterial("V2", "Orvik", 502)});
        const QByteArray saved = readAll(fx.mats().UserPath());
        const QString recovery = fx.dataDir() + "/recovery.cvx";
        fx.mats().selectMaterial(7);
        fx.mats().selectPrinter(10102);
        fx.mats().setParameter(9, 223);
        fx.mats().addCopyMaterial(7);
        fx.mats().removeMaterial(502);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recovery), 5000);
        fx.mats().Recovery().Flush();
        const QList<QByteArray> lines = readAll(recovery).split('\n');
        QCOMPARE(lines.size(), 4); // the user's two materials, what else the library knew, the line end
        if (!damage.isEmpty() && damage != "unread")
            QVERIFY(writeAll(recovery, damage == "junk" ? readAll(recovery) + hexLine("not a material")
                                       : damage == "count"
                                           ? readAll(recovery).replace("\"count\":2", "\"count\":3")
                                           : lines[0] + '\n'));

        if (damage == "unread") // read whole at the next start: only the copy knows
            QVERIFY(writeAll(fx.mats().UserPath(), rawLine(slow)));
        v1.m_nPrintTemp = 205; // the vendor's update, installed at the next start
        fx.restart();
        fx.startWithVendor({v1, makeMaterial("V2", "Orvik", 502)}, "1.0.1\n");
        Materials &m = fx.mats();
        QVERIFY(!m.recoveryTime().isEmpty());
        m.selectMaterial(501);
        m.setParameter(0, 230); // nothing overwrites the copy before the answer
        QTest::qWait(RecoveryFile::kDelayMs + 200);
        const QStringList atStart = {"V1", "V2", "PLA"};
        if (!why.isEmpty()) {
            QCOMPARE(m.restoreRecovery().section(". It", 0, 0),
                     "The recovery copy could not be read (" + why + ")");
            QCOMPARE(namesOf(m), atStart);
            QCOMPARE(QDir(fx.dataDir()).entryList({"recovery.cvx*"}).join(' ').left(21),
                     "recovery.cvx.damaged-");
        } else if (restore) {
            QCOMPARE(m.restoreRecovery(), QString());
            QCOMPARE(namesOf(m), QStringList({"V1", "PLA", "PLA_Copy1"}));
            QCOMPARE(m.materialAt(0)->m_nPrintTemp, 205);
            QCOMPARE(m.materialAt(1)->m_lstSets.front().nBasicTemp, 223);
            QCOMPARE(m.materialAt(1)->m_lstSets.front().fAcc[0], 800.0f);
            QVERIFY(m.isModified());
            // Save still asks before replacing a library that was not read whole.
            QCOMPARE(m.userLibraryReadError().isEmpty(), damage != "unread");
            QVERIFY(m.exportUserMaterials()); // a clean end
            QVERIFY(!QFile::exists(recovery));
            QCOMPARE(namesIn(m.UserPath()), QStringList({"PLA", "PLA_Copy1"}));
        } else {
            m.discardRecovery();
            QCOMPARE(namesOf(m), atStart);
            QVERIFY(QFile::exists(recovery + ".bak"));
            m.undo();
            m.endCleanly();
            QVERIFY(!QFile::exists(recovery));
            QCOMPARE(readAll(m.UserPath()), saved);
        }
        QVERIFY(m.recoveryTime().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstLibraryHistory)
#include "tst_LibraryHistory.moc"
