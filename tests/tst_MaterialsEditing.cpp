#include "LibraryFixture.h"
#include "SignalRecorder.h"
#include "core/MaterialIdentity.h"
#include "library/Materials.h"
#include "models/PrintSetModel.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <set>
#include <vector>

namespace {
const int kFirstID = 1001;
const int kSecondID = 1002;
const int kThirdID = 1003;
const char *const kDigest = "0123456789abcdef0123456789abcdef";
const char *const kDigestUpper = "0123456789ABCDEF0123456789ABCDEF";

// Three sets of one printer and nozzle whose values all differ, and one set of another printer.
CPrintMaterial materialWith(const char *name, int id, const char *lock = "")
{
    CPrintMaterial mat = makeMaterial(
        name, "Maker", id,
        {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}, {10102, 0.4f, 0.3f, 0}, {10110, 0.4f, 0.2f, 0}});
    int n = 0;
    for (PrintSetData &set : mat.m_lstSets) {
        set.nPlatTemp = 40 + n;
        set.fExtrude[0] = 1.0f + 0.05f * float(n++);
    }
    std::strcpy(mat.m_szPwMD5, lock);
    return mat;
}

// Imports the materials; the first ends up current, locked by the fallback.
void load(LibraryFixture &fx, const std::vector<CPrintMaterial> &mats)
{
    const QString path = fx.shippedDir() + QStringLiteral("/import.cvx");
    QVERIFY(writeMaterialFile(path, mats));
    fx.mats().importMaterials(path, false);
}

// The value and flag of every row.
QList<QPair<double, int>> rowState(Materials &m)
{
    QList<QPair<double, int>> state;
    for (const ParamItem &row : *m.items())
        state << qMakePair(row.paramVal, row.paramFlag);
    return state;
}

// States that no operation leaves behind (an unlocked selection without its record, two
// materials with one ID) are made by changing a record behind the library's back.
void forceID(Materials &m, int row, int id)
{
    const_cast<CPrintMaterial *>(m.materialAt(row))->m_nMatID = id;
}

const QStringList kRenamed = {"curMaterialChanged", "matChanged", "bMatLockedChanged"};
const QStringList kReselect =
    kRenamed + QStringList{"curPrinterChanged", "curNozzleChanged", "curLayerThickChanged",
                           "curQualityChanged", "matChanged",       "qualityChanged",
                           "layerThickChanged", "nozzleChanged",    "printerChanged"};
} // namespace

class TstMaterialsEditing : public QObject
{
    Q_OBJECT

private slots:
    void setParameter_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("printer"); // with nozzle 0.4: three current sets
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("reloaded"); // NaN: nothing stored
        const double none = qQNaN();
        QTest::addRow("print temp truncated") << false << 10102 << 0 << 215.7 << 215.0;
        QTest::addRow("filament diameter narrowed") << false << 10102 << 3 << 1.75 << 1.75;
        QTest::addRow("Z shrink, the last basic row, as a fraction") << false << 10102 << 8 << 0.35 << 0.35;
        QTest::addRow("unused row 2 keeps the typed value") << false << 10102 << 2 << 99.0 << 99.0;
        QTest::addRow("row 10 writes the field that row 29 shows") << false << 10102 << 10 << 60.0 << 60.0;
        QTest::addRow("contour extrusion into every set, which differed")
            << false << 10102 << 21 << 95.0 << 95.0;
        QTest::addRow("bottom width: the load offset stays") << false << 10102 << 30 << 80.0 << 80.0001;
        QTest::addRow("unused row 32") << false << 10102 << 32 << 7.0 << kNoValue;
        QTest::addRow("locked, print row") << true << 10102 << 15 << 1.0 << none;
        QTest::addRow("ID -1") << false << 10102 << -1 << 1.0 << none;
        QTest::addRow("ID 45") << false << 10102 << 45 << 1.0 << none;
        QTest::addRow("print row without current sets: the row only") << false << -1000 << 15 << 1.0 << none;
    }
    void setParameter()
    {
        QFETCH(bool, locked);
        QFETCH(int, printer);
        QFETCH(int, id);
        QFETCH(double, value);
        QFETCH(double, reloaded);
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID)});
        Materials &m = fx.mats();
        if (!locked)
            m.selectMaterial(kFirstID);
        m.selectPrinter(printer);
        m.selectNozzle(0.4f);
        const CPrintMaterial before = *m.currentMaterial();
        const auto loaded = rowState(m);
        SignalRecorder rec(&m);

        m.setParameter(id, value);

        const bool taken = !locked && id >= 0 && id < kParamCount;
        QCOMPARE(rec.names(), taken ? QStringList{"matChanged"} : QStringList());
        auto rows = loaded;
        if (taken)
            rows[id] = {value, 1}; // as typed until the rows are loaded again; the sets now agree
        QCOMPARE(rowState(m), rows);
        if (qIsNaN(reloaded)) {
            QVERIFY(*m.currentMaterial() == before);
            return;
        }
        // Loaded again, the rows show what was stored, and only there; the other printer's set
        // keeps its values.
        m.selectMaterial(kFirstID);
        m.selectPrinter(printer);
        m.selectNozzle(0.4f);
        const auto after = rowState(m);
        for (int row = 0; row < kParamCount; ++row) {
            const bool written = row == id || (id == 10 && row == 29);
            QVERIFY2(written ? qAbs(after[row].first - reloaded) < 1e-4 && after[row].second == 1
                             : after[row] == loaded[row],
                     qPrintable(QString::number(row)));
        }
        QVERIFY(m.currentMaterial()->m_lstSets.back() == before.m_lstSets.back());
    }

    void editingWithoutCurrentMaterial()
    {
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID)});
        Materials &m = fx.mats();
        m.selectMaterial(kFirstID);
        forceID(m, 0, 4242); // unlocked, but the current ID names no record
        const CPrintMaterial before = *m.materialAt(0);
        SignalRecorder rec(&m);

        m.setParameter(0, 300.0); // the row only
        QCOMPARE(m.setMatNameAndManu(QStringLiteral("New"), QStringLiteral("Maker"), QString()), -1);
        m.setProperty("curMatID", -5);

        QCOMPARE(rec.names(), QStringList{"matChanged"});
        QCOMPARE(m.items()->at(0).paramVal, 300.0);
        QCOMPARE(m.curMatID(), kFirstID);
        QVERIFY(*m.materialAt(0) == before);
    }

    // The manufacturer is typed in capitals so that the two cannot be mixed up.
    void nameAndPassword_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("select"); // else current by the fallback, and so locked
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("digest");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("locked");
        const QByteArray open, pw = kDigest;
        const QString no, a30(30, QLatin1Char('a'));
        QTest::addRow("open: renamed, stays open") << open << true << "New" << no << 0 << "New" << 0;
        QTest::addRow("locked by the fallback, no password: lock stays")
            << open << false << "New" << no << 0 << "New" << 1;
        QTest::addRow("first password: open until selected again")
            << open << false << "New" << kDigest << 0 << "New" << 0;
        QTest::addRow("correct digest unlocks") << pw << true << "New" << kDigest << 0 << "New" << 0;
        QTest::addRow("upper-case stored text, lower-case digest")
            << QByteArray(kDigestUpper) << true << "New" << kDigest << 0 << "New" << 0;
        QTest::addRow("wrong digest") << pw << true << "New"
                                      << "00000000000000000000000000000000" << -2 << "First" << 1;
        QTest::addRow("upper-case digest") << pw << true << "New" << kDigestUpper << -2 << "First" << 1;
        QTest::addRow("empty digest removes no password") << pw << true << "New" << no << -2 << "First" << 1;
        QTest::addRow("2-byte character ending at byte 32 kept")
            << open << true << a30 + "éb" << no << 0 << a30 + "é" << 0;
        QTest::addRow("2-byte character across the cut dropped")
            << open << true << a30 + "aé" << no << 0 << a30 + "a" << 0;
        QTest::addRow("4-byte character across the cut dropped")
            << open << true << a30 + QString::fromUtf8("😀") << no << 0 << a30 << 0;
        QTest::addRow("another material's name and manufacturer refused")
            << open << true << "Taken" << no << -3 << "First" << 0;
    }
    void nameAndPassword()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, select);
        QFETCH(QString, typed);
        QFETCH(QString, digest);
        QFETCH(int, result);
        QFETCH(QString, name);
        QFETCH(int, locked);
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID, stored.constData()), makeMaterial("Taken", "TAKEN", kSecondID)});
        Materials &m = fx.mats();
        if (select)
            m.selectMaterial(kFirstID);
        m.selectPrinter(10102);
        SignalRecorder rec(&m);
        QSignalSpy lockSpy(&m, &Materials::bMatLockedChanged);

        QCOMPARE(m.setMatNameAndManu(typed, typed.toUpper(), digest), result);

        const QString manu = result == 0 ? name.toUpper() : QStringLiteral("Maker");
        QCOMPARE(m.curMatName(), name);
        QCOMPARE(m.curManu(), manu);
        QCOMPARE(m.curMaterial(), name + " ( " + manu + " )");
        QCOMPARE(rec.names(), result == 0 ? kRenamed : QStringList());
        if (result == 0)
            QCOMPARE(lockSpy.at(0).at(0).toInt(), locked);
        // Every row, print rows too, follows the lock at once.
        QCOMPARE(m.bMatLocked(), locked);
        for (int id = 0; id < kParamCount; ++id)
            QCOMPARE(m.items()->at(id).paramFlag & 2, 2 * locked);
        // A stored password never changes; with one, the material is locked when selected.
        const QByteArray lock = stored.isEmpty() ? digest.toLatin1() : stored;
        QCOMPARE(QByteArray(m.currentMaterial()->m_szPwMD5), lock);
        m.selectMaterial(kFirstID);
        QCOMPARE(m.bMatLocked(), int(!lock.isEmpty()));
    }

    // The owner changes or removes a password after proving it; one step each.
    void changePassword_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("next");
        QTest::addColumn<int>("result");
        const QString other(32, QLatin1Char('b'));
        QTest::addRow("changed") << QByteArray(kDigest) << kDigest << other << 0;
        QTest::addRow("removed") << QByteArray(kDigest) << kDigest << QString() << 0;
        QTest::addRow("wrong old password") << QByteArray(kDigest) << other << QString() << -2;
        QTest::addRow("no password to change") << QByteArray() << QString() << other << -1;
    }
    void changePassword()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, old);
        QFETCH(QString, next);
        QFETCH(int, result);
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID, stored.constData())});
        Materials &m = fx.mats();
        m.selectMaterial(kFirstID);
        const QString lastStep = m.undoText();
        QCOMPARE(m.changePassword(old, next), result);
        QCOMPARE(QByteArray(m.currentMaterial()->m_szPwMD5), result == 0 ? next.toLatin1() : stored);
        QCOMPARE(m.undoText() != lastStep, result == 0);
        if (result == 0) {
            QCOMPARE(m.bMatLocked(), 0);
            m.undo();
            QCOMPARE(QByteArray(m.currentMaterial()->m_szPwMD5), stored);
        }
    }

    void modifyMatID_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("reason"); // a word of the refusal the dialog shows
        QTest::addRow("-700 gives 700") << false << -700 << 700 << "";
        QTest::addRow("own ID again") << false << -kFirstID << kFirstID << "";
        QTest::addRow("bit 17 allowed") << false << -0x20000 << 0x20000 << "";
        QTest::addRow("positive ignored, also without bits 18 to 23") << false << 0x1000000 << kFirstID
                                                                      << "negative";
        QTest::addRow("bit 18 refused") << false << -0x40000 << kFirstID << "generated";
        QTest::addRow("bit 23 refused") << false << -0x800000 << kFirstID << "generated";
        QTest::addRow("another material's ID refused") << false << -kSecondID << kFirstID << "Second / Maker";
        QTest::addRow("locked ignored") << true << -700 << kFirstID << "locked";
    }
    void modifyMatID()
    {
        QFETCH(bool, locked);
        QFETCH(int, written);
        QFETCH(int, id);
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID), materialWith("Second", kSecondID)});
        Materials &m = fx.mats();
        if (!locked)
            m.selectMaterial(kFirstID);
        SignalRecorder rec(&m);
        QSignalSpy idSpy(&m, &Materials::curMatIDChanged);
        QFETCH(QString, reason);
        const QString refusal = m.matIDRefusal(written);
        QVERIFY2(reason.isEmpty() ? refusal.isEmpty() : refusal.contains(reason), qPrintable(refusal));

        QVERIFY(m.setProperty("curMatID", written));

        const bool changed = id != kFirstID || written == -kFirstID;
        QCOMPARE(rec.names(), changed ? QStringList{"curMatIDChanged"} : QStringList());
        if (changed)
            QCOMPARE(idSpy.at(0).at(0).toInt(), id);
        QCOMPARE(m.curMatID(), id);
        QCOMPARE(m.materialAt(0)->m_nMatID, id);
        QCOMPARE(m.materialAt(1)->m_nMatID, kSecondID);
        QCOMPARE(m.bMatLocked(), int(locked));
    }

    void copies()
    {
        LibraryFixture fx;
        CPrintMaterial source = materialWith("PLA Silk", kFirstID, kDigest);
        source.m_nCreateDay = 100;
        QCOMPARE(source.m_bDefaultFallback, 1);
        const QByteArray longName(30, 'n');
        load(fx, {source, materialWith("Other", kSecondID), materialWith(longName.constData(), kThirdID),
                  materialWith("Twin", 1004)});
        Materials &m = fx.mats();
        forceID(m, 3, kSecondID); // two others share an ID: drawing a new one must still end
        m.selectMaterial(kFirstID);
        m.selectPrinter(10102);
        const CPrintMaterial before = *m.materialAt(0);
        SignalRecorder rec(&m);
        m.addCopyMaterial(999);
        QCOMPARE(rec.names(), QStringList()); // no such material

        m.addCopyMaterial(kFirstID);

        QCOMPARE(rec.names(), kReselect);
        QCOMPARE(m.materialCount(), 5);
        QVERIFY(*m.materialAt(0) == before);
        const CPrintMaterial &copy = *m.materialAt(4);
        const QString name = QString::fromUtf8(copy.m_szName);
        QCOMPARE(name, QStringLiteral("PLA Silk_Copy1"));
        // The whole record, without its lock, with today, a new ID and the fallback off.
        CPrintMaterial expected = before;
        std::strcpy(expected.m_szName, name.toUtf8().constData());
        std::strcpy(expected.m_szManu, "Manufacturer");
        std::memset(expected.m_szPwMD5, 0, sizeof(expected.m_szPwMD5));
        expected.m_bDefaultFallback = 0;
        expected.m_nMatID = copy.m_nMatID;
        expected.m_nCreateDay = copy.m_nCreateDay;
        QVERIFY(copy == expected);
        QVERIFY(qAbs(copy.m_nCreateDay - CreationDayNumber(QDateTime::currentDateTime())) <= 1); // today
        const uint32_t id = uint32_t(copy.m_nMatID);
        QCOMPARE((id >> 8) & 0xFFFFu, 0xFF01u); // the form of a "PLA" material
        QVERIFY((id >> 24) >= 1 && (id >> 24) <= 100);
        // The copy is current, editable, with no printer chosen.
        QCOMPARE(m.curMatID(), copy.m_nMatID);
        QCOMPARE(m.bMatLocked(), 0);
        QCOMPARE(m.curPrinter(), QStringLiteral("-3D Printer-"));

        // Each copy takes the first free name; a long name gives way to the whole suffix.
        m.addCopyMaterial(kThirdID);
        m.addCopyMaterial(kThirdID);
        QCOMPARE(QByteArray(m.materialAt(5)->m_szName), longName.left(26) + "_Copy1");
        QCOMPARE(QByteArray(m.materialAt(6)->m_szName), longName.left(26) + "_Copy2");
        m.addCopyMaterial(kSecondID);
        QCOMPARE(m.curMatName(), QStringLiteral("Other_Copy1"));
        m.addCopyMaterial(kFirstID);
        QCOMPARE(m.curMatName(), QStringLiteral("PLA Silk_Copy2"));
        // Enough copies of one form that drawn IDs would collide now and then.
        for (int i = 0; i < 600; ++i)
            m.addCopyMaterial(kFirstID);
        std::set<int> seen;
        for (int row = 0; row < m.materialCount(); ++row)
            seen.insert(m.materialAt(row)->m_nMatID);
        QCOMPARE(int(seen.size()), m.materialCount() - 1); // only the two made to share one
    }

    // A change by an amount or a percentage keeps each set's own value: per quality differences
    // survive a bulk change. Each result is clamped to the row's range and stored as its field
    // stores it.
    void relativeChange_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("percent");
        QTest::addColumn<QList<double>>("shown"); // the three sets of printer 10102 afterwards
        QTest::addRow("platform temperatures 40, 41, 42 plus 5") << 10 << 5.0 << false << QList<double>{45, 46, 47};
        QTest::addRow("clamped to the range") << 10 << 200.0 << false << QList<double>{150, 150, 150};
        QTest::addRow("an integer field takes the whole part") << 10 << 10.0 << true << QList<double>{44, 45, 46};
        QTest::addRow("extrusions 100, 105, 110 less 5 percent") << 21 << -5.0 << true << QList<double>{95, 99.75, 104.5};
        QTest::addRow("speeds less 10 percent") << 15 << -10.0 << true << QList<double>{27, 27, 27};
    }
    void relativeChange()
    {
        QFETCH(int, id);
        QFETCH(double, amount);
        QFETCH(bool, percent);
        QFETCH(QList<double>, shown);
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID)});
        Materials &m = fx.mats();
        m.selectMaterial(kFirstID);
        m.selectPrinter(10102);
        m.changeParameterBy(id, amount, percent);
        QList<double> values;
        for (const PrintSetData &set : m.currentMaterial()->m_lstSets) {
            if (set.nPrinterType == 10102)
                values << std::round(ShownPrintValue(set, id) * 1000) / 1000;
        }
        QCOMPARE(values, shown);
        QVERIFY(m.undoText().endsWith("(3 print sets)"));
        m.undo();
        QCOMPARE(m.currentMaterial()->m_lstSets.front().nPlatTemp, 40);
    }

    // Undo never edits a material behind its password: a step made while it was unlocked waits
    // for the password again, but a lock set in the session is undone first, without one.
    void undoNeverEditsALockedMaterial_data()
    {
        QTest::addColumn<bool>("lockedBefore"); // else the edit is followed by setting the lock
        QTest::addRow("edited while unlocked, locked again") << true;
        QTest::addRow("lock set after the edit goes first") << false;
    }
    void undoNeverEditsALockedMaterial()
    {
        QFETCH(bool, lockedBefore);
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID, lockedBefore ? kDigest : ""), materialWith("Second", kSecondID)});
        Materials &m = fx.mats();
        m.selectMaterial(kFirstID);
        if (lockedBefore)
            QCOMPARE(m.setMatNameAndManu("First", "Maker", kDigest), 0);
        m.selectPrinter(10102);
        m.setParameter(15, 70);
        if (!lockedBefore)
            m.setMatNameAndManu("First", "Maker", kDigest);
        m.selectMaterial(kSecondID);
        m.selectMaterial(kFirstID);
        QCOMPARE(m.bMatLocked(), 1);
        QSignalSpy refused(&m, &Materials::historyRefused);
        const auto speed = [&m] { return m.materialAt(0)->m_lstSets.front().fSpeed[0]; };

        m.undo();
        if (lockedBefore) {
            QCOMPARE(refused.count(), 1);
            QCOMPARE(speed(), 70.0f);
            QCOMPARE(m.setMatNameAndManu("First", "Maker", kDigest), 0); // the password again
            m.undo();
        } else {
            QCOMPARE(QByteArray(m.materialAt(0)->m_szPwMD5), QByteArray()); // the lock went first
            QCOMPARE(m.bMatLocked(), 0);
            m.undo();
        }
        QCOMPARE(refused.count(), lockedBefore ? 1 : 0);
        QCOMPARE(speed(), 30.0f);
        QCOMPARE(m.bMatLocked(), 0);
    }

    // Values are marked where they differ from the vendor's beyond the rows' tolerance, in the
    // sets the vendor has; a mark resets the value, and the whole material can be reset too,
    // each one step.
    void valuesAgainstTheVendor_data()
    {
        QTest::addColumn<LibraryChange>("change");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("tip"); // empty: not marked
        using F = LibraryChange;
        const QString speed = QStringLiteral("Vendor: 30 mm/s");
        QTest::addRow("equal") << F([](Materials &) {}) << 15 << QString();
        QTest::addRow("a print value") << F([](Materials &m) { m.setParameter(15, 55); }) << 15 << speed;
        QTest::addRow("within the tolerance") << F([](Materials &m) { m.setParameter(15, 30.0004); }) << 15 << QString();
        QTest::addRow("a basic value") << F([](Materials &m) { m.setParameter(0, 215); }) << 0 << "Vendor: 210 ℃";
        QTest::addRow("one set of two: the vendor's range") << F([](Materials &m) {
            m.setParameter(15, 55);
            m.selectQuality(1);
            m.setParameter(17, 70);
            m.selectLayerThick(0.2f);
        }) << 17 << "Vendor: 50 – 60 mm/s";
        QTest::addRow("a set the vendor does not have") << F([](Materials &m) {
            m.selectQuality(0);
            m.availNewSet();
            m.copyCurSets(0); // to quality 2
            m.setParameter(15, 55);
        }) << 15 << QString();
        QTest::addRow("counterpart by name, the ID changed") << F([](Materials &m) {
            m.modifyMatID(-77);
            m.setParameter(15, 55);
        }) << 15 << speed;
        QTest::addRow("counterpart by ID, renamed") << F([](Materials &m) {
            m.setMatNameAndManu("Renamed", "Other", "");
            m.setParameter(15, 55);
        }) << 15 << speed;
        QTest::addRow("no counterpart: a copy") << F([](Materials &m) {
            m.addCopyMaterial(7);
            m.selectPrinter(10102);
            m.setParameter(15, 55);
        }) << 15 << QString();
    }
    void valuesAgainstTheVendor()
    {
        QFETCH(LibraryChange, change);
        QFETCH(int, row);
        QFETCH(QString, tip);
        LibraryFixture fx;
        CPrintMaterial vendor = makeMaterial("PLA", "Orvik", 7, {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}});
        vendor.m_lstSets.back().fSpeed[2] = 60.0f;
        fx.startWithVendor({vendor});
        Materials &m = fx.mats();
        m.selectMaterial(7);
        m.selectPrinter(10102);
        m.selectNozzle(0.4f);
        m.selectLayerThick(0.2f);
        change(m);
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
        QVERIFY(m.vendorResetPreview().value("available").toBool());
        QVERIFY(m.vendorResetPreview().value("values").toInt() > 0);
        const CPrintMaterial changed = *m.currentMaterial();
        QVERIFY(m.resetMaterialToVendor());
        QCOMPARE(m.VendorState(0), int(Materials::VendorSame));
        QCOMPARE(m.currentMaterial()->m_lstSets.size(), vendor.m_lstSets.size());
        m.undo();
        QVERIFY(*m.materialAt(0) == changed);
    }

    void removeMaterial_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("newCurrent");
        QTest::addColumn<int>("locked");
        QTest::addColumn<QStringList>("emitted");
        // The third material has a password.
        QTest::addRow("non-current: only the list refreshes")
            << 3 << kFirstID << kSecondID << kFirstID << 0 << QStringList{"matChanged"};
        QTest::addRow("current in the middle: the next one, with its lock")
            << 3 << kSecondID << kSecondID << kThirdID << 1 << kReselect;
        QTest::addRow("current last: the first, locked although open")
            << 3 << kThirdID << kThirdID << kFirstID << 1 << kReselect;
        QTest::addRow("the only material: none current") << 1 << kFirstID << kFirstID << -1 << 1 << kReselect;
        QTest::addRow("unknown ID: nothing") << 3 << kFirstID << 999 << kFirstID << 0 << QStringList();
    }
    void removeMaterial()
    {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(int, removed);
        QFETCH(int, newCurrent);
        QFETCH(int, locked);
        QFETCH(QStringList, emitted);
        LibraryFixture fx;
        std::vector<CPrintMaterial> mats = {materialWith("First", kFirstID),
                                            materialWith("Second", kSecondID),
                                            materialWith("Third", kThirdID, kDigest)};
        mats.resize(size_t(count));
        load(fx, mats);
        Materials &m = fx.mats();
        m.selectMaterial(current);
        m.selectPrinter(10102);
        SignalRecorder rec(&m);

        m.removeMaterial(removed);

        QCOMPARE(rec.names(), emitted);
        QList<int> left = QList<int>{kFirstID, kSecondID, kThirdID}.mid(0, count), ids;
        left.removeOne(removed);
        for (int row = 0; row < m.materialCount(); ++row)
            ids << m.materialAt(row)->m_nMatID;
        QCOMPARE(ids, left);
        QCOMPARE(m.curMatID(), newCurrent);
        QCOMPARE(m.bMatLocked(), locked);
        // Only a removed current material moves the selection; the printer choice goes.
        QCOMPARE(m.curSetNumber(), emitted == kReselect ? 0 : 3);
        if (newCurrent == -1)
            QCOMPARE(m.curMaterial(), QStringLiteral("Material "));
    }
};

QTEST_GUILESS_MAIN(TstMaterialsEditing)
#include "tst_MaterialsEditing.moc"
