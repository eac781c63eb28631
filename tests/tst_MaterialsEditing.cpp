#include "LibraryFixture.h"
#include "core/MaterialDiff.h"
#include "core/MaterialIdentity.h"
#include "library/SetDerivation.h"
#include "models/PrintSetModel.h"

#include <QtTest>

#include <cmath>
#include <cstring>

namespace {
const int kThirdID = 1003;
const char *const kDigestUpper = "0123456789ABCDEF0123456789ABCDEF";

// The value (to four decimals) and flag of every row.
QStringList rowState(Materials &m)
{
    QStringList state;
    for (const ParamItem &row : *m.items())
        state << QStringLiteral("%1/%2").arg(row.paramVal, 0, 'f', 4).arg(row.paramFlag);
    return state;
}

// The value table as text: the qualities, then a line per nozzle and layer with each cell's
// value, "↺" after a marked one, "·" for a set the material lacks.
QStringList tableText(const QVariantMap &table)
{
    QStringList text{QString()};
    for (const QVariant &quality : table["qualities"].toList())
        text[0] += quality.toMap()["id"].toString();
    for (const QVariant &line : table["lines"].toList()) {
        text << QStringLiteral("%1/%2:")
                    .arg(line.toMap()["nozzle"].toFloat())
                    .arg(line.toMap()["layer"].toFloat());
        for (const QVariant &cell : line.toMap()["cells"].toList()) {
            const QVariantMap c = cell.toMap();
            text.last() +=
                c["exists"].toBool() ? " " + c["value"].toString() + (c["marked"].toBool() ? "↺" : "") : " ·";
        }
    }
    return text;
}
} // namespace

// Something done to the current material, with what it answers.
using Edit = std::function<QString(Materials &)>;
Q_DECLARE_METATYPE(Edit)

class TstMaterialsEditing : public QObject
{
    Q_OBJECT

private slots:
    // A value typed into a row is stored into every current set (each row's own field and
    // conversion are the catalogue's); a change by an amount or a percentage keeps each set's own
    // value, clamped to the row's range and stored as its field stores it, as foreseen by the
    // row's spread. Nothing is stored while locked, out of range or without a set.
    // clang-format off
    void changeValue_data()
    {
        QTest::addColumn<int>("kind"); // 0: typed, 1: plus the amount, 2: plus the percentage
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("printer");
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("value");
        QTest::addColumn<QList<double>>("stored"); // typed: the row loaded again; else the printer's
                                                   // four sets; empty: nothing stored
        const QList<double> none;
        QTest::addRow("print temp truncated") << 0 << false << 10102 << 0 << 215.7 << QList<double>{215};
        QTest::addRow("unused row 2 keeps the typed value")
            << 0 << false << 10102 << 2 << 99.0 << QList<double>{99};
        QTest::addRow("contour extrusion into every set, which differed")
            << 0 << false << 10102 << 21 << 95.0 << QList<double>{95};
        QTest::addRow("unused row 32") << 0 << false << 10102 << 32 << 7.0 << QList<double>{kNoValue};
        QTest::addRow("locked, print row") << 0 << true << 10102 << 15 << 1.0 << none;
        QTest::addRow("ID 45") << 0 << false << 10102 << 45 << 1.0 << none;
        QTest::addRow("print row without current sets: the row only")
            << 0 << false << -1000 << 15 << 1.0 << none;
        QTest::addRow("platform temperatures 40 to 43 plus 5")
            << 1 << false << 10102 << 10 << 5.0 << QList<double>{45, 46, 47, 48};
        QTest::addRow("clamped to the range")
            << 1 << false << 10102 << 10 << 200.0 << QList<double>{150, 150, 150, 150};
        QTest::addRow("a change of 0 stores nothing and makes no step") << 1 << false << 10102 << 21 << 0.0 << none;
        QTest::addRow("an acceleration below the floor that Save applies is refused")
            << 0 << false << 10102 << 18 << 999.0 << none;
        QTest::addRow("extrusions 100 to 115 less 5 percent")
            << 2 << false << 10102 << 21 << -5.0 << QList<double>{95, 99.75, 104.5, 109.25};
        QTest::addRow("relative change while locked") << 1 << true << 10102 << 10 << 5.0 << none;
    }
    // clang-format on
    void changeValue()
    {
        QFETCH(int, kind);
        QFETCH(bool, locked);
        QFETCH(int, printer);
        QFETCH(int, id);
        QFETCH(double, value);
        QFETCH(QList<double>, stored);
        LibraryFixture fx;
        fx.loadSample(locked ? -1 : kSampleID);
        Materials &m = fx.mats();
        m.selectPrinter(printer);
        const CPrintMaterial before = *m.currentMaterial();
        const QStringList loaded = rowState(m);
        const QVariantMap forecast = m.valueSpread(id, kind ? value : 0.0, kind == 2);

        if (kind == 0)
            m.setParameter(id, value);
        else
            m.changeParameterBy(id, value, kind == 2);
        // What the dialogs show before OK is what the change leaves.
        if (kind)
            QCOMPARE(m.valueSpread(id), forecast);

        QStringList rows = loaded;
        if (kind == 0 && !locked && id >= 0 && id < kParamCount && (!stored.isEmpty() || printer == -1000))
            rows[id] = QStringLiteral("%1/1").arg(value, 0, 'f', 4); // as typed; the sets now agree
        if (kind == 0 || stored.isEmpty())
            QCOMPARE(rowState(m), rows);
        if (stored.isEmpty()) {
            QVERIFY(*m.currentMaterial() == before);
            QVERIFY(!m.canUndo());
            return;
        }
        // Loaded again, the rows show what was stored, and only there (as they did at once after a
        // change by an amount); the other printer's set keeps its values.
        const QStringList shownAtOnce = rowState(m);
        m.selectMaterial(kSampleID);
        m.selectPrinter(printer);
        QVERIFY(m.currentMaterial()->m_lstSets.back() == before.m_lstSets.back());
        if (kind == 0) {
            rows = loaded;
            rows[id] = QStringLiteral("%1/1").arg(stored[0], 0, 'f', 4);
            QCOMPARE(rowState(m), rows);
            return;
        }
        QCOMPARE(rowState(m), shownAtOnce);
        QList<double> values;
        for (const PrintSetData &set : m.currentMaterial()->m_lstSets) {
            if (set.nPrinterType == 10102)
                values << std::round(ShownPrintValue(set, id) * 1000) / 1000;
        }
        QCOMPARE(values, stored);
    }

    // A name, a password or an ID is changed or refused; a stored password is proven first, a
    // typed name is cut at 32 bytes on a whole character. Every row, print rows too, follows the
    // lock at once; a change is one step.
    // clang-format off
    void identity_data()
    {
        QTest::addColumn<QByteArray>("stored"); // the password of "First"
        QTest::addColumn<bool>("select");       // else current by the fallback, and so locked
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("outcome");   // the result code, or a word of the ID's refusal
        QTest::addColumn<QStringList>("state"); // name, manufacturer, ID, lock, password
        const QByteArray open, pw = kDigest;
        const QString a30(30, QLatin1Char('a')), other(32, QLatin1Char('b'));
        const auto name = [](const QString &name, const QString &digest) {
            return Edit(
                [=](Materials &m) { return QString::number(m.setMatNameAndManu(name, "M", digest)); });
        };
        const auto password = [](const QString &old, const QString &next) {
            return Edit([=](Materials &m) { return QString::number(m.changePassword(old, next)); });
        };
        const auto id = [](int id) {
            return Edit([=](Materials &m) {
                const QString refusal = m.matIDRefusal(id);
                m.setProperty("curMatID", id);
                return refusal;
            });
        };
        const QStringList first = {"First", "Maker", "1001", "0", ""},
                          lockedFirst = {"First", "Maker", "1001", "1", pw};
        QTest::addRow("open: renamed, stays open")
            << open << true << name("New", "") << "0" << QStringList{"New", "M", "1001", "0", ""};
        QTest::addRow("locked by the fallback, no password: lock stays")
            << open << false << name("New", "") << "0" << QStringList{"New", "M", "1001", "1", ""};
        QTest::addRow("upper-case stored text, lower-case digest")
            << QByteArray(kDigestUpper) << true << name("New", pw) << "0"
            << QStringList{"New", "M", "1001", "0", kDigestUpper};
        QTest::addRow("wrong digest") << pw << true << name("New", other) << "-2" << lockedFirst;
        QTest::addRow("2-byte character across the cut dropped")
            << open << true << name(a30 + "aé", "") << "0" << QStringList{a30 + "a", "M", "1001", "0", ""};
        QTest::addRow("another material's name and manufacturer refused")
            << open << true
            << Edit([](Materials &m) { return QString::number(m.setMatNameAndManu("Taken", "TAKEN", "")); })
            << "-3" << first;
        QTest::addRow("password removed") << pw << true << password(pw, "") << "0" << first;
        QTest::addRow("wrong old password") << pw << true << password(other, "") << "-2" << lockedFirst;
        QTest::addRow("own ID again") << open << true << id(-kSampleID) << "" << first;
        QTest::addRow("ID bit 18 refused") << open << true << id(-0x40000) << "generated" << first;
        QTest::addRow("ID of a locked material ignored")
            << open << false << id(-700) << "locked" << QStringList{"First", "Maker", "1001", "1", ""};
    }
    // clang-format on
    void identity()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, select);
        QFETCH(Edit, edit);
        QFETCH(QString, outcome);
        QFETCH(QStringList, state);
        LibraryFixture fx;
        fx.load({sampleMaterial("First", kSampleID, stored.constData()),
                 makeMaterial("Taken", "TAKEN", kOtherID)},
                select ? kSampleID : -1);
        Materials &m = fx.mats();
        m.selectPrinter(10102);
        const CPrintMaterial before = *m.currentMaterial();

        const QString got = edit(m);

        QVERIFY2(got.contains(outcome) && got.isEmpty() == outcome.isEmpty(), qPrintable(got));
        const CPrintMaterial &mat = *m.currentMaterial();
        QCOMPARE(QStringList({m.curMatName(), m.curManu(), QString::number(m.curMatID()),
                              QString::number(m.bMatLocked()), mat.m_szPwMD5}),
                 state);
        QCOMPARE(m.curMaterial(), state[0] + " ( " + state[1] + " )");
        QCOMPARE(m.materialAt(1)->m_nMatID, kOtherID);
        for (int id = 0; id < kParamCount; ++id)
            QCOMPARE(m.items()->at(id).paramFlag & 2, 2 * m.bMatLocked());
        if (mat != before) {
            m.undo();
            QVERIFY(*m.currentMaterial() == before);
        }
        // With a password, the material is locked when selected.
        m.selectMaterial(m.curMatID());
        QCOMPARE(m.bMatLocked(), int(m.currentMaterial()->m_szPwMD5[0] != '\0'));
    }

    // A name and a manufacturer that are not UTF-8 (or end in a cut character) read with
    // replacement characters; the name dialog confirmed as shown, to lock or to unlock, keeps the
    // stored bytes.
    // clang-format off
    void namesConfirmedAsShownKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("stored"); // the password
        QTest::addRow("setting a password") << QByteArray();
        QTest::addRow("proving the password") << QByteArray(kDigest);
    }
    // clang-format on
    void namesConfirmedAsShownKeepTheirBytes()
    {
        QFETCH(QByteArray, stored);
        LibraryFixture fx;
        CPrintMaterial mat = sampleMaterial("", kSampleID, stored.constData());
        mat.SetNameAndManu("Fir\xffst", "Mak\xc3");
        fx.load({mat}, kSampleID);
        Materials &m = fx.mats();
        QCOMPARE(m.setMatNameAndManu(m.curMatName(), m.curManu(), kDigest), 0);
        QCOMPARE(QByteArray(m.currentMaterial()->m_szName) + '/' + m.currentMaterial()->m_szManu,
                 QByteArray("Fir\xffst/Mak\xc3"));
        QCOMPARE(m.bMatLocked(), 0);
    }

    // The table of one value over the printer's sets (stored out of order, one changed from the
    // vendor's): lines by nozzle and layer, qualities as columns, a missing set an empty cell, a
    // value that differs from the vendor's set with its key marked. A cell's value goes into its
    // set alone (not the other printer's set of that key) as one step; refused while locked, below
    // the acceleration floor, or for a key the printer lacks.
    // clang-format off
    void valueTable_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("id");
        QTest::addColumn<QList<double>>("cell"); // nozzle, layer, quality, value; empty: nothing typed
        QTest::addColumn<QStringList>("table");  // after it
        const QStringList shown{"01", "0.4/0.2: 31 39↺", "0.4/0.3: 33 ·", "0.6/0.3: 34 ·"};
        QTest::addRow("sorted, empty where no set, marked where changed") << false << 15 << QList<double>{} << shown;
        QTest::addRow("typed into one cell: that set alone, marked") << false << 15 << QList<double>{0.4, 0.2, 0, 45.5}
            << QStringList{"01", "0.4/0.2: 45.5↺ 39↺", "0.4/0.3: 33 ·", "0.6/0.3: 34 ·"};
        QTest::addRow("the vendor's value typed back: unmarked") << false << 15 << QList<double>{0.4, 0.2, 1, 32}
            << QStringList{"01", "0.4/0.2: 31 32", "0.4/0.3: 33 ·", "0.6/0.3: 34 ·"};
        QTest::addRow("a key the printer lacks") << false << 15 << QList<double>{0.6, 0.3, 1, 50} << shown;
        QTest::addRow("below the acceleration floor") << false << 18 << QList<double>{0.4, 0.2, 0, 999}
            << QStringList{"01", "0.4/0.2: 1000 1000", "0.4/0.3: 1000 ·", "0.6/0.3: 1000 ·"};
        QTest::addRow("locked") << true << 15 << QList<double>{0.4, 0.2, 0, 50} << shown;
        QTest::addRow("a basic row has no table") << false << 0 << QList<double>{} << QStringList{""};
    }
    // clang-format on
    void valueTable()
    {
        QFETCH(bool, locked);
        QFETCH(int, id);
        QFETCH(QList<double>, cell);
        QFETCH(QStringList, table);
        LibraryFixture fx;
        CPrintMaterial mine = sampleMaterial("Sample", kSampleID, locked ? kDigest : "");
        mine.m_lstSets.reverse();
        for (PrintSetData &set : mine.m_lstSets)
            set.fSpeed[0] = set.nQuality == 1 ? 39.0f : set.fSpeed[0];
        writeMaterialFile(fx.mats().UserPath(), {mine});
        fx.startWithVendor({sampleMaterial()});
        Materials &m = fx.mats();
        m.selectMaterial(kSampleID);
        m.selectPrinter(10102);
        const QStringList tableBefore = tableText(m.parameterTable(id));
        const CPrintMaterial before = *m.currentMaterial();

        const bool stored = !cell.isEmpty() && m.setValueInSet(id, cell[0], cell[1], int(cell[2]), cell[3]);

        QCOMPARE(tableText(m.parameterTable(id)), table);
        QCOMPARE(QList<bool>({stored, m.canUndo()}),
                 QList<bool>({table != tableBefore, table != tableBefore}));
        auto now = m.currentMaterial()->m_lstSets.begin();
        int changed = 0;
        for (const PrintSetData &set : before.m_lstSets)
            changed += set != *now++;
        QCOMPARE(changed, int(stored));
        m.undo();
        QVERIFY(*m.currentMaterial() == before);
        QCOMPARE(tableText(m.parameterTable(id)), tableBefore);
    }

    // A change of a group of rows, in the current material's selected sets or across the materials
    // chosen: each value ends as a change of its row alone (changeParameterBy, or setParameter where
    // the row's range holds the value) leaves it, and nothing else changes; the preview counts what
    // OK changes, names the locked materials and those without a set selected; one step, which undo
    // gives back byte for byte.
    // clang-format off
    void groupChange_data()
    {
        QTest::addColumn<QList<int>>("chosen"); // empty: the current material alone
        QTest::addColumn<SetKeySpec>("selection");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QList<int>>("counts"); // values, sets, materials
        QTest::addColumn<QStringList>("skipped"); // locked, then without a set
        const SetKeySpec printer{10102, -1, -1, -1};
        const QList<int> speeds{15, 16, 17, 27}, chosen{kSampleID, kOtherID, kThirdID, 1004};
        QTest::newRow("speeds +10 %: every speed row of every selected set")
            << QList<int>{} << printer << speeds << 2 << 10.0 << QList<int>{16, 4, 1} << QStringList{};
        QTest::addRow("temperatures +2.5: whole numbers round as alone, the shared platform field once")
            << QList<int>{} << printer << QList<int>{9, 10, 12, 13, 14, 28, 29} << 1 << 2.5
            << QList<int>{24, 4, 1} << QStringList{};
        QTest::newRow("accelerations -50 %: held at the floor, one there already unchanged")
            << QList<int>{} << printer << QList<int>{18, 19, 20} << 2 << -50.0 << QList<int>{8, 4, 1} << QStringList{};
        QTest::addRow("a ticked subset: those rows alone")
            << QList<int>{} << printer << QList<int>{16, 27} << 1 << 5.0 << QList<int>{8, 4, 1} << QStringList{};
        QTest::addRow("set all speeds to 60: Raft Speed's range refuses it")
            << QList<int>{} << printer << speeds << 0 << 60.0 << QList<int>{12, 4, 1} << QStringList{};
        QTest::addRow("one quality selected: its set alone")
            << QList<int>{} << SetKeySpec{10102, 0.4f, 0.2f, 1} << speeds << 1 << 1.0 << QList<int>{4, 1, 1}
            << QStringList{};
        QTest::addRow("a change of 0 is no step") << QList<int>{} << printer << speeds << 1 << 0.0
                                                  << QList<int>{0, 0, 0} << QStringList{};
        QTest::addRow("across materials: locked and setless ones skipped and named, one not chosen untouched")
            << chosen << printer << speeds << 2 << 10.0 << QList<int>{32, 8, 2}
            << QStringList{"Other (Maker)", "Empty (Maker)"};
        QTest::addRow("across materials: sets outside the nozzle untouched")
            << chosen << SetKeySpec{10102, 0.6f, -1, -1} << QList<int>{16} << 1 << -5.0 << QList<int>{2, 2, 2}
            << QStringList{"Other (Maker)", "Empty (Maker)"};
        QTest::addRow("across materials: a change of 0 is no step")
            << chosen << printer << speeds << 2 << 0.0 << QList<int>{0, 0, 0}
            << QStringList{"Other (Maker)", "Empty (Maker)"};
    }
    // clang-format on
    void groupChange()
    {
        QFETCH(QList<int>, chosen);
        QFETCH(SetKeySpec, selection);
        QFETCH(QList<int>, rows);
        QFETCH(int, mode);
        QFETCH(double, amount);
        QFETCH(QList<int>, counts);
        QFETCH(QStringList, skipped);
        LibraryFixture fx;
        fx.load({sampleMaterial(), sampleMaterial("Other", kOtherID, kDigest),
                 sampleMaterial("Third", kThirdID),
                 makeMaterial("Empty", "Maker", 1004, {{10110, 0.4f, 0.2f, 0}}),
                 sampleMaterial("Not chosen", 1005)},
                kSampleID);
        Materials &m = fx.mats();
        const auto library = [&m]() {
            std::vector<CPrintMaterial> all;
            for (int i = 0; i < m.materialCount(); ++i)
                all.push_back(*m.materialAt(i));
            return all;
        };
        const std::vector<CPrintMaterial> before = library();
        // Each row alone, in each material the change reaches; then back.
        for (const int id : chosen.isEmpty() ? QList<int>{kSampleID} : QList<int>{kSampleID, kThirdID}) {
            m.selectMaterial(id);
            choose(m, selection);
            for (const int row : rows) {
                if (row == 29) // row 10's field
                    continue;
                if (mode != 0)
                    m.changeParameterBy(row, amount, mode == 2);
                else if (amount >= ParamCatalogue()[row].minVal && amount <= ParamCatalogue()[row].maxVal)
                    m.setParameter(row, amount);
            }
        }
        const std::vector<CPrintMaterial> alone = library();
        while (m.canUndo())
            m.undo();
        QVERIFY(library() == before);
        m.selectMaterial(kSampleID);
        choose(m, selection);
        QVariantList ids, matIDs;
        for (const int id : rows)
            ids << id;
        for (const int id : chosen)
            matIDs << id;
        const QVariantList forecast = m.groupResults(ids, mode, amount);
        const QVariantMap preview = m.bulkPreview(matIDs, ids, mode, amount);

        const QVariantMap done = chosen.isEmpty() ? m.changeGroup(ids, mode, amount)
                                                  : m.applyBulkChange(matIDs, ids, mode, amount);

        QCOMPARE(QList<int>({done["values"].toInt(), done["sets"].toInt(),
                             done.value("materials", counts[2]).toInt()}),
                 counts);
        if (!chosen.isEmpty()) {
            QCOMPARE(done["locked"].toStringList() + done["noSets"].toStringList(), skipped);
            QCOMPARE(done["locked"].toStringList() + done["noSets"].toStringList(), skipped);
        }
        QVERIFY(library() == alone);
        QCOMPARE(m.HistorySteps(), counts[0] ? 1 : 0);
        // The results shown before OK are what the pages show after it.
        int changed = 0;
        for (const QVariant &r : chosen.isEmpty() ? forecast : QVariantList()) {
            const QVariantMap spread = m.valueSpread(r.toMap()["id"].toInt());
            QCOMPARE(QList<double>({r.toMap()["min"].toDouble(), r.toMap()["max"].toDouble()}),
                     QList<double>({spread["min"].toDouble(), spread["max"].toDouble()}));
            changed += r.toMap()["changed"].toInt();
        }
        QCOMPARE(changed, chosen.isEmpty() ? counts[0] : 0);
        m.undo();
        QVERIFY(library() == before);
    }

    void copies()
    {
        LibraryFixture fx;
        CPrintMaterial source = sampleMaterial("PLA Silk", kSampleID, kDigest);
        source.m_nCreateDay = 100;
        const QByteArray longName(30, 'n');
        fx.load({source, sampleMaterial("Other", kOtherID), sampleMaterial(longName.constData(), kThirdID),
                 sampleMaterial("Twin", 1004)},
                kSampleID);
        Materials &m = fx.mats();
        // Two others share an ID (no operation makes that): drawing a new one must still end.
        const_cast<CPrintMaterial *>(m.materialAt(3))->m_nMatID = kOtherID;
        m.selectPrinter(10102);
        const CPrintMaterial before = *m.materialAt(0);

        m.addCopyMaterial(kSampleID);

        QVERIFY(*m.materialAt(0) == before);
        const CPrintMaterial &copy = *m.materialAt(4);
        // The whole record, without its lock, with today, a new ID and the fallback off.
        CPrintMaterial expected = before;
        expected.SetNameAndManu("PLA Silk_Copy1", "Manufacturer");
        std::memset(expected.m_szPwMD5, 0, sizeof(expected.m_szPwMD5));
        expected.m_bDefaultFallback = 0;
        expected.m_nMatID = copy.m_nMatID;
        expected.m_nCreateDay = copy.m_nCreateDay;
        QVERIFY(copy == expected);
        QVERIFY(qAbs(copy.m_nCreateDay - CreationDayNumber(QDateTime::currentDateTime())) <= 1); // today
        // The copy is current, editable, with no printer chosen.
        QCOMPARE(QList<int>({m.curMatID(), m.bMatLocked()}), QList<int>({copy.m_nMatID, 0}));
        QCOMPARE(m.curPrinter(), QStringLiteral("-3D Printer-"));

        // Each copy takes the first free name; a long name gives way to the whole suffix.
        m.addCopyMaterial(kThirdID);
        m.addCopyMaterial(kThirdID);
        m.addCopyMaterial(kOtherID);
        m.addCopyMaterial(kSampleID);
        QCOMPARE(namesOf(m).mid(5), QStringList({longName.left(26) + "_Copy1", longName.left(26) + "_Copy2",
                                                 "Other_Copy1", "PLA Silk_Copy2"}));
    }

    // The flow of the selected sets from their stored values, and the material's flow limit: one
    // step to set, undone and redone whole; kept beside the library by Save and in the recovery
    // copy, for a vendor material that Save does not write too, and no material file changes.
    void flowLimit_data()
    {
        QTest::addColumn<int>("matID");
        QTest::addColumn<bool>("recovery");
        QTest::addRow("the user's own, saved") << 7 << false;
        QTest::addRow("a vendor material as the vendor has it, saved") << 501 << false;
        QTest::addRow("a vendor material, from the recovery copy") << 501 << true;
    }

    void flowLimit()
    {
        QFETCH(int, matID);
        QFETCH(bool, recovery);
        LibraryFixture fx;
        CPrintMaterial own = makeMaterial("PLA", "A", 7, {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.3f, 0}});
        own.m_lstSets.front().fSpeed[0] = 40.5f;
        own.m_lstSets.front().fWidth[0] = 0.45f;
        CPrintMaterial vendor = own;
        vendor.m_nMatID = 501;
        vendor.SetNameAndManu("V1", "Orvik");
        QVERIFY(writeMaterialFile(fx.mats().UserPath(), {own}));
        const auto start = [&]() {
            fx.restart();
            fx.startWithVendor({vendor});
            fx.mats().selectMaterial(matID);
            choose(fx.mats(), {10102, 0.4f, -1, -1});
        };
        start();
        // 40.5 × 0.45 × 0.2 and 30 × 0.5 × 0.3 as the floats hold them.
        QVariantMap contour = fx.mats().flowLines().value(0).toMap();
        QCOMPARE(QList<double>({contour["low"].toDouble(), contour["high"].toDouble()}),
                 QList<double>({3.645, 4.5}));
        QVERIFY(!contour["over"].toBool());
        Materials &m = fx.mats();
        QVERIFY(m.setFlowLimit(4.4));
        QVERIFY(!m.setFlowLimit(4.4) && !m.setFlowLimit(-1.0) && !m.setFlowLimit(qInf()));
        QCOMPARE(m.HistorySteps(), 1);
        QVERIFY(m.flowLines().value(0).toMap()["over"].toBool());
        m.undo();
        QCOMPARE(m.flowLimit(), 0.0);
        m.redo();
        QCOMPARE(m.flowLimit(), 4.4);
        if (recovery) {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(fx.dataDir() + "/recovery.cvx"), 5000);
            m.Recovery().Flush();
        } else {
            QVERIFY(m.exportUserMaterials());
        }
        QCOMPARE(namesIn(m.UserPath()), QStringList{"PLA"});
        start();
        if (recovery) {
            QCOMPARE(fx.mats().restoreRecovery(), QString());
            fx.mats().selectMaterial(matID);
        }
        QCOMPARE(fx.mats().flowLimit(), 4.4);
        // The check finds the speeds over it, support on the 0.2 layer first, and goes to their sets.
        const QVariantMap first = fx.mats().materialAdvice().value(0).toMap();
        QCOMPARE(QStringList({first["row"].toString(), first["suggested"].toString()}),
                 QStringList({"17", "44"}));
        QVERIFY(fx.mats().showPrintSet(10102, 0.4, 0.3, 0));
        QCOMPARE(fx.mats().curSetNumber(), 1);
        QCOMPARE(fx.mats().items()->at(15).paramVal, 30.0);
    }

    // The current material against a second one over the selection: counts of differing values
    // and print sets, and what each take changes, one step each that undo gives back whole. A
    // locked material takes nothing; a file's material is compared without changing the library.
    // clang-format off
    void compareAndTake_data()
    {
        QTest::addColumn<SetKeySpec>("selection");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QList<int>>("counts"); // values, sets, only mine, only theirs
        QTest::addColumn<QList<int>>("after");  // the counts after the action; empty: no step
        const SetKeySpec printer{10102, -1, -1, -1}, none{-1000, -1, -1, -1};
        const QList<int> all{2, 3, 1, 1};
        QTest::addRow("a printer: a basic value, a set's value, a set on each side")
            << printer << "" << false << all << QList<int>{};
        QTest::addRow("a quality whose set is alike: the basic value only")
            << SetKeySpec{10102, 0.4f, 0.2f, 1} << "" << false << QList<int>{1, 0, 0, 0} << QList<int>{};
        QTest::addRow("no printer: no print set") << none << "" << false << QList<int>{1, 0, 0, 0} << QList<int>{};
        QTest::addRow("take a print value") << printer << "value 15" << false << all << QList<int>{1, 2, 1, 1};
        QTest::addRow("take a basic value") << printer << "value 0" << false << all << QList<int>{1, 3, 1, 1};
        QTest::addRow("take the set only theirs: added") << printer << "set theirs" << false << all
                                                          << QList<int>{2, 2, 1, 0};
        QTest::addRow("take a set both have: replaced") << printer << "set both" << false << all
                                                         << QList<int>{1, 2, 1, 1};
        QTest::addRow("a set only mine offers nothing") << printer << "set mine" << false << all << QList<int>{};
        QTest::addRow("take every differing value") << printer << "all" << false << all << QList<int>{0, 2, 1, 1};
        QTest::addRow("a value alike takes nothing") << printer << "value 10" << false << all << QList<int>{};
        QTest::addRow("locked: take a value refused") << printer << "value 15" << true << all << QList<int>{};
        QTest::addRow("locked: take everything refused") << printer << "all" << true << all << QList<int>{};
        QTest::addRow("a file's material: compared without a change")
            << printer << "file" << false << all << QList<int>{};
        QTest::addRow("a file's material: a value taken") << printer << "file value 15" << false << all
                                                          << QList<int>{1, 2, 1, 1};
    }
    // clang-format on
    void compareAndTake()
    {
        QFETCH(SetKeySpec, selection);
        QFETCH(QString, action);
        QFETCH(bool, locked);
        QFETCH(QList<int>, counts);
        QFETCH(QList<int>, after);
        CPrintMaterial theirs = sampleMaterial("Second", kThirdID);
        theirs.m_nPrintTemp += 20;
        theirs.m_lstSets.front().fSpeed[0] += 9.0f;
        theirs.RemoveSets(10102, 0, "", 0.4f, 0.3f);
        theirs.AddOrReplaceSet(makeMaterial("", "", 0, {{10102, 0.6f, 0.3f, 1}}).m_lstSets.front(), "");
        const bool file = action.startsWith("file");
        const CPrintMaterial mine = sampleMaterial("First", kSampleID, locked ? kDigest : "");
        LibraryFixture fx;
        fx.load(file ? std::vector<CPrintMaterial>{mine} : std::vector<CPrintMaterial>{mine, theirs},
                kSampleID);
        Materials &m = fx.mats();
        const QString path = fx.dataDir() + "/theirs.cvx";
        if (file) {
            writeMaterialFile(path, {theirs});
            const QVariantMap read = m.readCompareFile(QUrl::fromLocalFile(path).toString());
            QCOMPARE(read.value("materials").toList().size(), 1);
            QVERIFY(m.compareWithFileMaterial(0));
        } else {
            QVERIFY(!m.compareWith(kSampleID)); // not with itself
            QVERIFY(m.compareWith(kThirdID));
        }
        choose(m, selection);
        const int steps = m.HistorySteps();
        const CPrintMaterial before = *m.currentMaterial();
        const auto countsNow = [&m]() {
            const QVariantMap c = m.comparison();
            return QList<int>{c.value("values").toInt(), c.value("sets").toInt(), c.value("mineOnly").toInt(),
                              c.value("theirsOnly").toInt()};
        };
        QCOMPARE(countsNow(), counts);
        QCOMPARE(m.comparison().value("refusal").toString().isEmpty(), !locked);
        const QVariantList sets = m.comparison().value("printSets").toList();
        const auto setOf = [&sets](const QString &side) {
            for (const QVariant &set : sets) {
                if (set.toMap().value("side") == side &&
                    (side != "both" || set.toMap().value("differing").toInt()))
                    return set.toMap().value("index").toInt();
            }
            return -1;
        };

        const QString take = action.mid(file ? 5 : 0);
        if (take.startsWith("value"))
            m.takeValue(take.mid(6).toInt());
        else if (take.startsWith("set"))
            m.takeSet(setOf(take.mid(4)));
        else if (take == "all")
            m.takeAllValues();

        QCOMPARE(m.HistorySteps(), steps + (after.isEmpty() ? 0 : 1));
        QCOMPARE(countsNow(), after.isEmpty() ? counts : after);
        QCOMPARE(m.materialCount(), file ? 1 : 2);
        if (after.isEmpty()) {
            QVERIFY(*m.currentMaterial() == before);
            QVERIFY(!m.isModified());
            return;
        }
        m.undo();
        QVERIFY(*m.currentMaterial() == before);
        QCOMPARE(countsNow(), counts);
        m.redo();
        QCOMPARE(countsNow(), after);
    }

    // Print sets made for another nozzle or layer from the selected ones: each maps to the target's
    // nearest layer (a tie to the thinner; of two sources for one key, the nearer layer's), the
    // widths scale with the nozzles, clamped to their range, and the speeds stay or keep the flow;
    // everything else is the source's. Existing sets are kept or replaced as chosen, in one step
    // that undo gives back whole; a locked material offers nothing.
    // clang-format off
    void deriveSets_data()
    {
        QTest::addColumn<QList<SetKeySpec>>("sets"); // of a material with default values; empty: the sample
        QTest::addColumn<SetKeySpec>("from");        // a layer chosen: to another layer, else nozzle
        QTest::addColumn<double>("target");
        QTest::addColumn<bool>("keepFlow");
        QTest::addColumn<QList<bool>>("replace");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QStringList>("plan");  // "+" made, "=" exists, "✗" not made, "!" refusal
        QTest::addColumn<QStringList>("after"); // the target's sets: contour width and speed
        const SetKeySpec nozzle04{10102, 0.4f, -1, -1}, layer02{10102, 0.4f, 0.2f, -1};
        const QStringList sampleTo06{"+ 0.40 / 0.20 / Fine → 0.60 / 0.30 / Fine",
                                     "= 0.40 / 0.30 / Normal → 0.60 / 0.30 / Normal",
                                     "✗ 0.40 / 0.20 / Normal → 0.60 / 0.30 / Normal: made from 0.40 / 0.30 / Normal, whose layer is nearer"};
        QTest::addRow("0.4 → 0.6: the nearer layer takes a key, the existing set kept, speeds as they were")
            << QList<SetKeySpec>{} << nozzle04 << 0.6 << false << QList<bool>{} << false << sampleTo06
            << QStringList{"0.6/0.3/0: 0.5 34", "0.6/0.3/1: 0.75 32"};
        QTest::addRow("0.4 → 0.6 keeping the flow, the existing set replaced: one layer, speed ÷ 1.5")
            << QList<SetKeySpec>{} << nozzle04 << 0.6 << true << QList<bool>{false, true} << false << sampleTo06
            << QStringList{"0.6/0.3/0: 0.75 22", "0.6/0.3/1: 0.75 14.222"};
        QTest::addRow("layer 0.2 → 0.3 keeping the flow: widths stay, speed × 2/3")
            << QList<SetKeySpec>{} << layer02 << 0.3 << true << QList<bool>{} << false
            << QStringList{"= 0.40 / 0.20 / Normal → 0.40 / 0.30 / Normal", "+ 0.40 / 0.20 / Fine → 0.40 / 0.30 / Fine"}
            << QStringList{"0.4/0.3/0: 0.5 33", "0.4/0.3/1: 0.5 21.333"};
        QTest::addRow("0.45 ties between 0.4 and 0.5: the thinner, which the nearer 0.4 takes")
            << QList<SetKeySpec>{{10102, 0.8f, 0.4f, 1}, {10102, 0.8f, 0.45f, 1}, {10102, 0.8f, 0.6f, 1}}
            << SetKeySpec{10102, 0.8f, -1, -1} << 1.0 << false << QList<bool>{} << false
            << QStringList{"+ 0.80 / 0.40 / Fine → 1.00 / 0.40 / Fine", "+ 0.80 / 0.60 / Fine → 1.00 / 0.60 / Fine",
                           "✗ 0.80 / 0.45 / Fine → 1.00 / 0.40 / Fine: made from 0.80 / 0.40 / Fine, whose layer is nearer"}
            << QStringList{"1/0.4/1: 0.625 30", "1/0.6/1: 0.625 30"};
        QTest::addRow("0.2 → 1.0: the width held at 2 mm, the speed from the width held")
            << QList<SetKeySpec>{{10102, 0.2f, 0.1f, 0}} << SetKeySpec{10102, 0.2f, -1, -1} << 1.0 << true
            << QList<bool>{} << false << QStringList{"+ 0.20 / 0.10 / Normal → 1.00 / 0.40 / Normal"}
            << QStringList{"1/0.4/0: 2 1.875"};
        QTest::addRow("a layer the catalogue does not offer") << QList<SetKeySpec>{} << layer02 << 0.33 << true
            << QList<bool>{} << false
            << QStringList{"✗ 0.40 / 0.20 / Normal → 0.40 / 0.33 / Normal: the catalogue does not offer this key for Orvik Solo",
                           "✗ 0.40 / 0.20 / Fine → 0.40 / 0.33 / Fine: the catalogue does not offer this key for Orvik Solo"}
            << QStringList{};
        QTest::addRow("the current nozzle is no target") << QList<SetKeySpec>{} << nozzle04 << 0.4 << false
            << QList<bool>{true} << false << QStringList{"! Choose another size than the current one."}
            << QStringList{"0.4/0.2/0: 0.5 31", "0.4/0.2/1: 0.5 32", "0.4/0.3/0: 0.5 33"};
        QTest::addRow("locked") << QList<SetKeySpec>{} << nozzle04 << 0.6 << false << QList<bool>{true} << true
            << QStringList{"! Sample is locked: give its password first (✍)."} << QStringList{"0.6/0.3/0: 0.5 34"};
    }
    // clang-format on
    void deriveSets()
    {
        QFETCH(QList<SetKeySpec>, sets);
        QFETCH(SetKeySpec, from);
        QFETCH(double, target);
        QFETCH(bool, keepFlow);
        QFETCH(QList<bool>, replace);
        QFETCH(bool, locked);
        QFETCH(QStringList, plan);
        QFETCH(QStringList, after);
        CPrintMaterial mat = sampleMaterial("Sample", kSampleID, locked ? kDigest : "");
        if (!sets.isEmpty())
            mat.m_lstSets.clear();
        for (const SetKeySpec &key : sets)
            mat.AddOrReplaceSet(makeMaterial("", "", 0, {key}).m_lstSets.front(), mat.m_szPwMD5);
        LibraryFixture fx;
        fx.load({mat}, kSampleID);
        Materials &m = fx.mats();
        choose(m, from);
        const bool layer = from.layer > 0;

        const QVariantMap planned = m.derivePlan(layer, target, keepFlow);
        QStringList shown;
        if (!planned["refusal"].toString().isEmpty())
            shown << "! " + planned["refusal"].toString();
        for (const QVariant &row : planned["rows"].toList())
            shown << (row.toMap()["exists"].toBool() ? "= " : "+ ") + row.toMap()["text"].toString();
        for (const QVariant &row : planned["refused"].toList())
            shown << "✗ " + row.toMap()["text"].toString() + ": " + row.toMap()["why"].toString();
        QCOMPARE(shown, plan);
        // Everything but the key, the widths and the speeds is the source's, bit for bit; the speeds
        // too unless the flow is kept.
        const SetDerivation derivation(*m.currentMaterial(), from.type, from.nozzle, from.layer,
                                       layer ? SetDerivation::Kind::Layer : SetDerivation::Kind::Nozzle,
                                       target, keepFlow);
        for (const SetDerivation::Planned &p : derivation.Sets()) {
            PrintSetData expected = p.source;
            expected.fNozzleDia = p.made.fNozzleDia;
            expected.fLayerThick = p.made.fLayerThick;
            std::copy(std::begin(p.made.fWidth), std::end(p.made.fWidth), expected.fWidth);
            if (keepFlow)
                std::copy(std::begin(p.made.fSpeed), std::end(p.made.fSpeed), expected.fSpeed);
            QVERIFY(expected == p.made);
        }
        const CPrintMaterial before = *m.currentMaterial();
        const int steps = m.HistorySteps();
        QVariantList choices;
        for (const bool choice : replace)
            choices << choice;

        const QVariantMap result = m.deriveSets(layer, target, keepFlow, choices);

        QStringList targetSets;
        for (const PrintSetData &set : m.currentMaterial()->m_lstSets) {
            if (set.nPrinterType == from.type && (layer ? IsSameNozzle(set.fNozzleDia, from.nozzle) &&
                                                              IsSameLayer(set.fLayerThick, float(target))
                                                        : IsSameNozzle(set.fNozzleDia, float(target))))
                targetSets << QStringLiteral("%1/%2/%3: %4 %5")
                                  .arg(double(set.fNozzleDia))
                                  .arg(double(set.fLayerThick))
                                  .arg(set.nQuality)
                                  .arg(RoundShownValue(set.fWidth[0]))
                                  .arg(RoundShownValue(set.fSpeed[0]));
        }
        targetSets.sort();
        QCOMPARE(targetSets, after);
        const int existing = plan.filter(QRegularExpression("^= ")).size();
        const int replaced = int(replace.count(true));
        const int made = plan.filter(QRegularExpression("^\\+ ")).size() + (existing ? replaced : 0);
        QCOMPARE(QList<int>({result["made"].toInt(), result["kept"].toInt(), m.HistorySteps()}),
                 QList<int>({made, existing - (existing ? replaced : 0), steps + (made > 0 ? 1 : 0)}));
        m.undo();
        QVERIFY(*m.currentMaterial() == before);
    }

    // The nearest layer of a nozzle's list; a tie goes to the thinner.
    void nearestLayer_data()
    {
        QTest::addColumn<QList<double>>("layers");
        QTest::addColumn<double>("layer");
        QTest::addColumn<double>("nearest");
        QTest::addRow("the nearest, not the next thicker")
            << QList<double>{0.1, 0.15, 0.2, 0.25} << 0.22 << 0.2;
        QTest::addRow("a tie goes to the thinner") << QList<double>{0.4, 0.5, 0.6} << 0.45 << 0.4;
        QTest::addRow("none in the list") << QList<double>{} << 0.2 << -1.0;
    }
    void nearestLayer()
    {
        QFETCH(QList<double>, layers);
        QFETCH(double, layer);
        QFETCH(double, nearest);
        QCOMPARE(SetDerivation::NearestLayer(std::vector<double>(layers.begin(), layers.end()), layer),
                 nearest);
    }

    // Swapped, the second material is current with the selection, and the sides change places.
    void compareSwapped()
    {
        CPrintMaterial theirs = sampleMaterial("Second", kThirdID);
        theirs.RemoveSets(10102, 0, "", 0.4f, 0.3f);
        LibraryFixture fx;
        fx.load({sampleMaterial("First", kSampleID), theirs}, kSampleID);
        Materials &m = fx.mats();
        QVERIFY(m.compareWith(kThirdID));
        choose(m, {10102, 0.4f, -1, -1});
        QCOMPARE(m.comparison().value("mineOnly").toInt(), 1);
        QVERIFY(m.swapComparison());
        QCOMPARE(QList<int>({m.curMatID(), m.comparison().value("mineOnly").toInt(),
                             m.comparison().value("theirsOnly").toInt()}),
                 QList<int>({kThirdID, 0, 1}));
        QCOMPARE(m.curNozzle(), QStringLiteral("Dia: 0.40 "));
        QVERIFY(!m.compareWithFileMaterial(0)); // nothing read
    }
};

QTEST_GUILESS_MAIN(TstMaterialsEditing)
#include "tst_MaterialsEditing.moc"
