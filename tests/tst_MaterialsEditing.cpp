#include "LibraryFixture.h"
#include "SignalRecorder.h"
#include "core/MaterialIdentity.h"
#include "core/PrinterCatalogue.h"
#include "library/Materials.h"

#include <QtTest>

#include <cstring>
#include <set>
#include <vector>

namespace {
using Keys = std::vector<SetKeySpec>;

const int kFirstID = 1001;
const int kSecondID = 1002;
const int kThirdID = 1003;
const char *const kDigest = "0123456789abcdef0123456789abcdef";
const char *const kDigestUpper = "0123456789ABCDEF0123456789ABCDEF";

// Three sets of one printer and nozzle whose values all differ, and one set of another printer.
const Keys kKeys = {
    {10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}, {10102, 0.4f, 0.3f, 0}, {10110, 0.4f, 0.2f, 0}};

CPrintMaterial materialWith(const char *name, int id, const Keys &keys = kKeys, const char *lock = "")
{
    CPrintMaterial mat = makeMaterial(name, "Maker", id);
    int n = 0;
    for (const SetKeySpec &key : keys) {
        PrintSetData set;
        set.nPrinterType = key.type;
        set.fNozzleDia = key.nozzle;
        set.fLayerThick = key.layer;
        set.nQuality = key.quality;
        set.nBasicTemp = 200 + n;
        set.nPlatTemp = 40 + n;
        set.fExtrude[0] = 1.0f + 0.05f * float(n);
        set.fBottomWidth = 0.7f + 0.01f * float(n);
        ++n;
        mat.m_lstSets.push_back(set);
    }
    std::strcpy(mat.m_szPwMD5, lock);
    return mat;
}

void load(LibraryFixture &fx, const std::vector<CPrintMaterial> &mats)
{
    const QString path = fx.shippedDir() + QStringLiteral("/import.cvx");
    QVERIFY(writeMaterialFile(path, mats));
    fx.mats().importMaterials(path, false);
    QCOMPARE(fx.mats().materialCount(), int(mats.size()));
}

// Two open materials; the first is current and unlocked.
void loadOpen(LibraryFixture &fx)
{
    load(fx, {materialWith("First", kFirstID), materialWith("Second", kSecondID)});
    fx.mats().selectMaterial(kFirstID);
    QCOMPARE(fx.mats().bMatLocked(), 0);
}

// The value and flag of every row, to show that nothing changed.
QList<QPair<double, int>> rowState(Materials &m)
{
    QList<QPair<double, int>> state;
    for (const ParamItem &row : *m.items())
        state << qMakePair(row.paramVal, row.paramFlag);
    return state;
}

int copySuffix(const QString &name)
{
    const int at = name.lastIndexOf(QStringLiteral("_Copy"));
    return at < 0 ? -1 : name.mid(at + 5).toInt();
}

// States that no operation of the library leaves behind (an unlocked selection without its
// record, two materials with one ID) are made by changing a record behind the library's back.
void forceID(Materials &m, int row, int id)
{
    const_cast<CPrintMaterial *>(m.materialAt(row))->m_nMatID = id;
}

const QStringList kReselect = {
    "curMaterialChanged", "matChanged",           "bMatLockedChanged", "curPrinterChanged",
    "curNozzleChanged",   "curLayerThickChanged", "curQualityChanged", "matChanged",
    "qualityChanged",     "layerThickChanged",    "nozzleChanged",     "printerChanged",
};
} // namespace

using MatEdit = void (*)(CPrintMaterial &);
using SetEdit = void (*)(PrintSetData &);
Q_DECLARE_METATYPE(MatEdit)
Q_DECLARE_METATYPE(SetEdit)

class TstMaterialsEditing : public QObject
{
    Q_OBJECT

private slots:
    void setBasicParameter_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("value");
        QTest::addColumn<MatEdit>("edit");
        QTest::addRow("print temp truncated")
            << 0 << 215.7 << MatEdit([](CPrintMaterial &m) { m.m_nPrintTemp = 215; });
        QTest::addRow("negative platform temp truncated toward zero")
            << 1 << -3.7 << MatEdit([](CPrintMaterial &m) { m.m_nPlatTemp = -3; });
        QTest::addRow("filament diameter narrowed")
            << 3 << 1.75 << MatEdit([](CPrintMaterial &m) { m.m_fFilaDia = 1.75f; });
        QTest::addRow("X shrink stored as a fraction")
            << 6 << 0.35 << MatEdit([](CPrintMaterial &m) { m.m_fShrink[0] = float(0.35 / 100.0); });
        QTest::addRow("Z shrink") << 8 << -0.5
                                  << MatEdit([](CPrintMaterial &m) { m.m_fShrink[2] = -0.005f; });
        QTest::addRow("unused row 2 writes nothing") << 2 << 99.0 << MatEdit([](CPrintMaterial &) {});
    }
    void setBasicParameter()
    {
        QFETCH(int, id);
        QFETCH(double, value);
        QFETCH(MatEdit, edit);
        LibraryFixture fx;
        loadOpen(fx);
        Materials &m = fx.mats();
        CPrintMaterial expected = *m.currentMaterial();
        edit(expected);
        SignalRecorder rec(&m);

        m.setParameter(id, value);

        QCOMPARE(rec.names(), QStringList{"matChanged"});
        QVERIFY(*m.currentMaterial() == expected);
        QCOMPARE(m.items()->at(id).paramVal, value); // as typed until the rows are reloaded
    }

    void setPrintParameter_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("value");
        QTest::addColumn<SetEdit>("edit");
        QTest::addColumn<double>("reloaded");
        QTest::addRow("base temp truncated")
            << 9 << 215.9 << SetEdit([](PrintSetData &s) { s.nBasicTemp = 215; }) << 215.0;
        QTest::addRow("platform temp, row 10")
            << 10 << 60.0 << SetEdit([](PrintSetData &s) { s.nPlatTemp = 60; }) << 60.0;
        QTest::addRow("plat temp, row 29, same field")
            << 29 << 65.0 << SetEdit([](PrintSetData &s) { s.nPlatTemp = 65; }) << 65.0;
        QTest::addRow("bias truncated toward zero")
            << 13 << -3.7 << SetEdit([](PrintSetData &s) { s.nTempBias[1] = -3; }) << -3.0;
        QTest::addRow("contour extrusion 95 on sets that differed")
            << 21 << 95.0 << SetEdit([](PrintSetData &s) { s.fExtrude[0] = float(95.0 / 100.0); }) << 95.0;
        QTest::addRow("bottom width as a fraction")
            << 30 << 80.0 << SetEdit([](PrintSetData &s) { s.fBottomWidth = float(0.8); }) << 80.0001;
        QTest::addRow("negative tolerance")
            << 37 << -0.05 << SetEdit([](PrintSetData &s) { s.fTolerance = -0.05f; }) << double(-0.05f);
        QTest::addRow("unused row 32 writes nothing")
            << 32 << 7.0 << SetEdit([](PrintSetData &) {}) << kNoValue;
    }
    void setPrintParameter()
    {
        QFETCH(int, id);
        QFETCH(double, value);
        QFETCH(SetEdit, edit);
        QFETCH(double, reloaded);
        LibraryFixture fx;
        loadOpen(fx);
        Materials &m = fx.mats();
        m.selectPrinter(10102);
        m.selectNozzle(0.4f);
        QCOMPARE(m.curSetNumber(), 3);
        QCOMPARE(m.items()->at(21).paramFlag & 1, 0); // the three sets disagree
        const CPrintMaterial before = *m.currentMaterial();
        SignalRecorder rec(&m);

        m.setParameter(id, value);

        QCOMPARE(rec.names(), QStringList{"matChanged"});
        QCOMPARE(m.items()->at(id).paramVal, value);
        QCOMPARE(m.items()->at(id).paramFlag & 1, 1);
        // Every current set gets the value; the other printer's set keeps its own.
        auto was = before.m_lstSets.begin();
        for (const PrintSetData &set : m.currentMaterial()->m_lstSets) {
            PrintSetData expected = *was++;
            if (expected.nPrinterType == 10102 && IsSameNozzle(expected.fNozzleDia, 0.4f))
                edit(expected);
            QVERIFY(set == expected);
        }
        m.selectNozzle(0.4f);
        QVERIFY(qAbs(m.items()->at(id).paramVal - reloaded) < 1e-4);
        QCOMPARE(m.items()->at(id).paramFlag, 1);
        QCOMPARE(m.items()->at(10).paramVal, m.items()->at(29).paramVal);
    }

    void setParameterRefused_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("id");
        QTest::addRow("locked, basic row") << true << 0;
        QTest::addRow("locked, print row") << true << 15;
        QTest::addRow("ID -1") << false << -1;
        QTest::addRow("ID 45") << false << 45;
        QTest::addRow("ID 1000") << false << 1000;
    }
    void setParameterRefused()
    {
        QFETCH(bool, locked);
        QFETCH(int, id);
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID)});
        Materials &m = fx.mats();
        if (!locked)
            m.selectMaterial(kFirstID);
        m.selectPrinter(10102);
        QCOMPARE(m.bMatLocked(), int(locked));
        const CPrintMaterial before = *m.currentMaterial();
        const auto rows = rowState(m);
        SignalRecorder rec(&m);
        LogCapture log;

        m.setParameter(id, 1.0);

        QCOMPARE(rec.names(), QStringList());
        QVERIFY(*m.currentMaterial() == before);
        QCOMPARE(rowState(m), rows);
        QCOMPARE(m.items()->size(), kParamCount);
        QCOMPARE(log.contains(QStringLiteral("setParameter() Material is locked, can't edit!")), locked);
    }

    void setParameterWithoutCurrentSets()
    {
        LibraryFixture fx;
        loadOpen(fx);
        Materials &m = fx.mats();
        QCOMPARE(m.curSetNumber(), 0);
        const CPrintMaterial before = *m.currentMaterial();
        const int flag = m.items()->at(15).paramFlag;
        SignalRecorder rec(&m);

        m.setParameter(15, 77.0);

        QCOMPARE(rec.names(), QStringList{"matChanged"});
        QCOMPARE(m.items()->at(15).paramVal, 77.0);
        QCOMPARE(m.items()->at(15).paramFlag, flag);
        QVERIFY(*m.currentMaterial() == before);
    }

    void editingWithoutCurrentMaterial()
    {
        LibraryFixture fx;
        loadOpen(fx);
        Materials &m = fx.mats();
        // Unlocked, but the current ID no longer names a record.
        forceID(m, 0, 4242);
        QCOMPARE(m.curMaterial(), QStringLiteral("Material "));
        SignalRecorder rec(&m);
        LogCapture log;

        m.setParameter(0, 300.0);
        QCOMPARE(rec.names(), QStringList{"matChanged"});
        QVERIFY(log.contains(QStringLiteral("SaveBasicInfo() The Current Material is NULL!!")));
        QCOMPARE(m.items()->at(0).paramVal, 300.0);
        QCOMPARE(m.materialAt(0)->m_nPrintTemp, 210);

        rec.clear();
        QCOMPARE(m.setMatNameAndManu(QStringLiteral("New"), QStringLiteral("Maker"), QString()), -1);
        m.setProperty("curMatID", -5);
        QCOMPARE(rec.names(), QStringList());
        QCOMPARE(m.curMatID(), kFirstID);
        QCOMPARE(QString::fromUtf8(m.materialAt(0)->m_szName), QStringLiteral("First"));
    }

    void renameWithoutPassword()
    {
        LibraryFixture fx;
        loadOpen(fx);
        Materials &m = fx.mats();
        SignalRecorder rec(&m);
        QSignalSpy nameSpy(&m, &Materials::curMaterialChanged);
        QSignalSpy lockSpy(&m, &Materials::bMatLockedChanged);

        QCOMPARE(m.setMatNameAndManu(QStringLiteral("New"), QStringLiteral("Maker2"), QString()), 0);

        QCOMPARE(rec.names(), (QStringList{"curMaterialChanged", "matChanged", "bMatLockedChanged"}));
        QCOMPARE(nameSpy.at(0).at(0).toString(), QStringLiteral("New ( Maker2 )"));
        QCOMPARE(lockSpy.at(0).at(0).toInt(), 0);
        QCOMPARE(m.curMatName(), QStringLiteral("New"));
        QCOMPARE(m.curManu(), QStringLiteral("Maker2"));
        QCOMPARE(m.materialItem(0).name, QStringLiteral("New"));
        QCOMPARE(m.currentMaterial()->m_szPwMD5[0], '\0');
        m.selectMaterial(kFirstID);
        QCOMPARE(m.bMatLocked(), 0);
    }

    void passwordLifecycle()
    {
        LibraryFixture fx;
        loadOpen(fx);
        Materials &m = fx.mats();
        QCOMPARE(m.setMatNameAndManu(QStringLiteral("First"), QStringLiteral("Maker"), kDigest), 0);
        QCOMPARE(QByteArray(m.currentMaterial()->m_szPwMD5), QByteArray(kDigest));
        QCOMPARE(m.bMatLocked(), 0); // for the rest of this selection
        QCOMPARE(m.items()->at(0).paramFlag & 2, 0);

        m.selectMaterial(kFirstID);
        QCOMPARE(m.bMatLocked(), 1);
        QCOMPARE(m.items()->at(0).paramFlag & 2, 2);
        // A stored password can be neither removed nor replaced.
        QCOMPARE(m.setMatNameAndManu(QStringLiteral("First"), QStringLiteral("Maker"), QString()), -2);
        QCOMPARE(m.setMatNameAndManu(QStringLiteral("First"), QStringLiteral("Maker"),
                                     QStringLiteral("ffffffffffffffffffffffffffffffff")),
                 -2);
        QCOMPARE(QByteArray(m.currentMaterial()->m_szPwMD5), QByteArray(kDigest));
    }

    void protectedMaterial_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("given");
        QTest::addColumn<int>("result");
        QTest::addRow("correct digest unlocks and renames") << QByteArray(kDigest) << kDigest << 0;
        QTest::addRow("upper-case stored text, lower-case digest")
            << QByteArray(kDigestUpper) << kDigest << 0;
        QTest::addRow("wrong digest") << QByteArray(kDigest) << "00000000000000000000000000000000" << -2;
        QTest::addRow("empty digest") << QByteArray(kDigest) << "" << -2;
        QTest::addRow("upper-case digest") << QByteArray(kDigest) << kDigestUpper << -2;
    }
    void protectedMaterial()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, given);
        QFETCH(int, result);
        LibraryFixture fx;
        load(fx, {materialWith("Locked", kFirstID, kKeys, stored.constData())});
        Materials &m = fx.mats();
        m.selectMaterial(kFirstID);
        m.selectPrinter(10102);
        QCOMPARE(m.bMatLocked(), 1);
        SignalRecorder rec(&m);

        QCOMPARE(m.setMatNameAndManu(QStringLiteral("New"), QStringLiteral("Maker2"), given), result);

        const bool ok = result == 0;
        QCOMPARE(rec.names(),
                 ok ? (QStringList{"curMaterialChanged", "matChanged", "bMatLockedChanged"}) : QStringList());
        QCOMPARE(m.bMatLocked(), ok ? 0 : 1);
        QCOMPARE(m.curMaterial(), ok ? QStringLiteral("New ( Maker2 )") : QStringLiteral("Locked ( Maker )"));
        QCOMPARE(QByteArray(m.currentMaterial()->m_szPwMD5), stored);
        // Every row, print rows included, follows the lock at once.
        for (int id = 0; id < kParamCount; ++id)
            QCOMPARE(m.items()->at(id).paramFlag & 2, ok ? 0 : 2);
    }

    void openMaterialLockedByFallback()
    {
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID)});
        Materials &m = fx.mats();
        QCOMPARE(m.bMatLocked(), 1);
        // No password to prove: the rename goes through and the fallback lock stays.
        QCOMPARE(m.setMatNameAndManu(QStringLiteral("New"), QStringLiteral("Maker"), QString()), 0);
        QCOMPARE(m.curMatName(), QStringLiteral("New"));
        QCOMPARE(m.bMatLocked(), 1);
    }

    void utf8Names_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        const QString a29(29, QLatin1Char('a'));
        const QString a31(31, QLatin1Char('a'));
        QTest::addRow("umlaut round-trips") << "Prüfmaterial"
                                            << "Prüfmaterial";
        QTest::addRow("31 bytes and a 2-byte character: character dropped") << a31 + "é" << a31;
        QTest::addRow("30 bytes and a 2-byte character fill 32") << a29 + "aé" << a29 + "aé";
        QTest::addRow("40 ASCII bytes cut to 32")
            << QString(40, QLatin1Char('b')) << QString(32, QLatin1Char('b'));
        QTest::addRow("11 three-byte characters cut to 10")
            << QString(11, QChar(0x6750)) << QString(10, QChar(0x6750));
        QTest::addRow("4-byte character across the cut") << a29 + QString::fromUtf8("😀") << a29;
    }
    void utf8Names()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        LibraryFixture fx;
        loadOpen(fx);
        Materials &m = fx.mats();
        QCOMPARE(m.setMatNameAndManu(typed, typed, QString()), 0);
        QCOMPARE(m.curMatName(), stored);
        QCOMPARE(m.curManu(), stored);
        QCOMPARE(QByteArray(m.currentMaterial()->m_szName), stored.toUtf8());
        QCOMPARE(QByteArray(m.currentMaterial()->m_szManu), stored.toUtf8());
    }

    void modifyMatID_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("logLines");
        QTest::addRow("-700 gives 700") << false << -700 << 700 << 1;
        QTest::addRow("own ID again") << false << -kFirstID << kFirstID << 1;
        QTest::addRow("bit 17 allowed") << false << -0x20000 << 0x20000 << 1;
        QTest::addRow("bits above 23 allowed") << false << -0x1000000 << 0x1000000 << 1;
        QTest::addRow("positive ignored") << false << 5 << kFirstID << 1;
        QTest::addRow("bit 18 refused") << false << -0x40000 << kFirstID << 1;
        QTest::addRow("bit 23 refused") << false << -0x800000 << kFirstID << 1;
        QTest::addRow("another material's ID refused") << false << -kSecondID << kFirstID << 2;
        QTest::addRow("locked ignored") << true << -700 << kFirstID << 1;
    }
    void modifyMatID()
    {
        QFETCH(bool, locked);
        QFETCH(int, written);
        QFETCH(int, id);
        QFETCH(int, logLines);
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID), materialWith("Second", kSecondID)});
        Materials &m = fx.mats();
        if (!locked)
            m.selectMaterial(kFirstID);
        QCOMPARE(m.bMatLocked(), int(locked));
        SignalRecorder rec(&m);
        QSignalSpy idSpy(&m, &Materials::curMatIDChanged);
        LogCapture log;

        QVERIFY(m.setProperty("curMatID", written));

        const bool changed = id != kFirstID || written == -kFirstID;
        QCOMPARE(rec.names(), changed ? QStringList{"curMatIDChanged"} : QStringList());
        if (changed)
            QCOMPARE(idSpy.at(0).at(0).toInt(), id);
        QCOMPARE(m.curMatID(), id);
        QCOMPARE(m.materialAt(0)->m_nMatID, id);
        QCOMPARE(m.materialAt(1)->m_nMatID, kSecondID);
        QCOMPARE(m.curMatName(), QStringLiteral("First"));
        QCOMPARE(m.materialItem(0).bCur, true);
        QCOMPARE(m.bMatLocked(), int(locked));
        int lines = 0;
        for (const QString &line : log.lines())
            lines += line.startsWith(QStringLiteral("modifyMatID() ")) ? 1 : 0;
        QCOMPARE(lines, logLines);
    }

    void copyOfMaterial()
    {
        LibraryFixture fx;
        CPrintMaterial source = materialWith("PLA Silk", kFirstID, kKeys, kDigest);
        source.m_nCreateDay = 100;
        source.m_nPrintTemp = 222;
        source.m_fShrink[1] = 0.004f;
        load(fx, {source, materialWith("Other", kSecondID)});
        Materials &m = fx.mats();
        m.selectMaterial(kFirstID);
        m.selectPrinter(10102);
        const CPrintMaterial before = *m.materialAt(0);
        SignalRecorder rec(&m);
        const int dayBefore = CreationDayNumber(QDateTime::currentDateTime());

        m.addCopyMaterial(kFirstID);

        const int dayAfter = CreationDayNumber(QDateTime::currentDateTime());
        QCOMPARE(rec.names(), kReselect);
        QCOMPARE(m.materialCount(), 3);
        QVERIFY(*m.materialAt(0) == before);
        const CPrintMaterial &copy = *m.materialAt(2);
        const QString name = QString::fromUtf8(copy.m_szName);
        const int suffix = copySuffix(name);
        QVERIFY2(suffix >= 1, qPrintable(name));
        QCOMPARE(name, QStringLiteral("PLA Silk_Copy%1").arg(suffix));

        CPrintMaterial expected = before;
        std::strcpy(expected.m_szName, name.toUtf8().constData());
        std::strcpy(expected.m_szManu, "Manufacturer");
        std::memset(expected.m_szPwMD5, 0, sizeof(expected.m_szPwMD5));
        expected.m_bDefaultFallback = 0;
        expected.m_nMatID = copy.m_nMatID;
        QVERIFY(copy.m_nCreateDay >= dayBefore && copy.m_nCreateDay <= dayAfter);
        expected.m_nCreateDay = copy.m_nCreateDay;
        QVERIFY(copy == expected);

        const uint32_t id = uint32_t(copy.m_nMatID);
        QCOMPARE((id >> 16) & 0xFFu, 0xFFu);
        QCOMPARE((id >> 8) & 0xFFu, 1u); // "PLA"
        QVERIFY((id >> 24) >= 1 && (id >> 24) <= 100);

        // The copy is current, editable, with no printer chosen.
        QCOMPARE(m.curMatID(), copy.m_nMatID);
        QCOMPARE(m.bMatLocked(), 0);
        QCOMPARE(m.curMaterial(), name + QStringLiteral(" ( Manufacturer )"));
        QCOMPARE(m.curPrinter(), QStringLiteral("-3D Printer-"));
        QCOMPARE(m.m_PrinterTypes, (std::vector<int>{10102, 10110}));

        // The counter runs on whatever material is copied.
        m.addCopyMaterial(kSecondID);
        QCOMPARE(m.curMatName(), QStringLiteral("Other_Copy%1").arg(suffix + 1));
    }

    void copyOfLongNameKeepsTwoBytesOfSuffix()
    {
        LibraryFixture fx;
        const QByteArray name(30, 'n');
        load(fx, {materialWith(name.constData(), kFirstID)});
        Materials &m = fx.mats();
        m.addCopyMaterial(kFirstID);
        m.addCopyMaterial(kFirstID);
        QCOMPARE(QByteArray(m.materialAt(1)->m_szName), name + "_C");
        QCOMPARE(QByteArray(m.materialAt(2)->m_szName), name + "_C");
        QVERIFY(m.materialAt(1)->m_nMatID != m.materialAt(2)->m_nMatID);
    }

    void copyOfGenericMaterialServesNoOtherPrinter()
    {
        LibraryFixture fx;
        load(fx, {materialWith("Generic", kFirstID, {{-1, 0.4f, 0.2f, 0}})});
        Materials &m = fx.mats();
        m.selectPrinter(10102);
        QCOMPARE(m.m_NozzleDias, std::vector<float>{0.4f});
        m.addCopyMaterial(kFirstID);
        m.selectPrinter(10102);
        QVERIFY(m.m_NozzleDias.empty());
        m.selectPrinter(-1);
        QCOMPARE(m.m_NozzleDias, std::vector<float>{0.4f});
    }

    void manyCopiesKeepIDsDistinct()
    {
        LibraryFixture fx;
        load(fx, {materialWith("PLA", kFirstID), materialWith("PLA Matte", kSecondID, {}),
                  materialWith("ABS", kThirdID)});
        Materials &m = fx.mats();
        const int ids[] = {kFirstID, kSecondID, kThirdID};
        for (int i = 0; i < 300; ++i)
            m.addCopyMaterial(ids[i % 3]);
        std::set<int> seen;
        for (int row = 0; row < m.materialCount(); ++row)
            seen.insert(m.materialAt(row)->m_nMatID);
        QCOMPARE(int(seen.size()), 303);
        QVERIFY(!m.IsHaveSameID());
    }

    void copyWhileTwoOthersShareAnID()
    {
        LibraryFixture fx;
        load(fx, {materialWith("First", kFirstID), materialWith("Second", kSecondID),
                  materialWith("Third", kThirdID)});
        Materials &m = fx.mats();
        forceID(m, 2, kSecondID);
        QVERIFY(m.IsHaveSameID());

        m.addCopyMaterial(kFirstID);

        QCOMPARE(m.materialCount(), 4);
        const int copyID = m.materialAt(3)->m_nMatID;
        QVERIFY(copyID != kFirstID && copyID != kSecondID);
        QCOMPARE(m.curMatID(), copyID);
        QCOMPARE(m.curMatName(), QStringLiteral("First_Copy%1").arg(copySuffix(m.curMatName())));
    }

    void copyOfUnknownID()
    {
        LibraryFixture fx;
        loadOpen(fx);
        Materials &m = fx.mats();
        SignalRecorder rec(&m);
        m.addCopyMaterial(999);
        QCOMPARE(rec.names(), QStringList());
        QCOMPARE(m.materialCount(), 2);
        QCOMPARE(m.curMatID(), kFirstID);
    }

    void removeMaterial_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("newCurrent");
        QTest::addColumn<int>("locked");
        QTest::addColumn<QStringList>("emitted");
        QTest::addColumn<QList<int>>("left");
        // The third material has a password.
        QTest::addRow("non-current: only the list refreshes")
            << 3 << kFirstID << kSecondID << kFirstID << 0 << QStringList{"matChanged"}
            << QList<int>{kFirstID, kThirdID};
        QTest::addRow("current first: the next one")
            << 3 << kFirstID << kFirstID << kSecondID << 0 << kReselect << QList<int>{kSecondID, kThirdID};
        QTest::addRow("current in the middle: the next one, with its lock")
            << 3 << kSecondID << kSecondID << kThirdID << 1 << kReselect << QList<int>{kFirstID, kThirdID};
        QTest::addRow("current last: the first, locked although open")
            << 3 << kThirdID << kThirdID << kFirstID << 1 << kReselect << QList<int>{kFirstID, kSecondID};
        QTest::addRow("the only material: none current")
            << 1 << kFirstID << kFirstID << -1 << 1 << kReselect << QList<int>{};
        QTest::addRow("unknown ID: nothing") << 3 << kFirstID << 999 << kFirstID << 0 << QStringList()
                                             << QList<int>{kFirstID, kSecondID, kThirdID};
    }
    void removeMaterial()
    {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(int, removed);
        QFETCH(int, newCurrent);
        QFETCH(int, locked);
        QFETCH(QStringList, emitted);
        QFETCH(QList<int>, left);
        LibraryFixture fx;
        std::vector<CPrintMaterial> mats = {materialWith("First", kFirstID),
                                            materialWith("Second", kSecondID),
                                            materialWith("Third", kThirdID, kKeys, kDigest)};
        mats.resize(size_t(count));
        load(fx, mats);
        Materials &m = fx.mats();
        m.selectMaterial(current);
        m.selectPrinter(10102);
        const int sets = m.curSetNumber();
        SignalRecorder rec(&m);

        m.removeMaterial(removed);

        QCOMPARE(rec.names(), emitted);
        QList<int> ids;
        for (int row = 0; row < m.materialCount(); ++row)
            ids << m.materialAt(row)->m_nMatID;
        QCOMPARE(ids, left);
        QCOMPARE(m.curMatID(), newCurrent);
        QCOMPARE(m.bMatLocked(), locked);
        QCOMPARE(m.items()->at(0).paramFlag & 2, newCurrent == -1 ? 2 : 2 * locked);
        const bool reselected = emitted == kReselect;
        QCOMPARE(m.curPrinter(), reselected ? QStringLiteral("-3D Printer-") : QStringLiteral("Orvik Solo"));
        QCOMPARE(m.curSetNumber(), reselected ? 0 : sets);
        if (newCurrent == -1) {
            QCOMPARE(m.curMaterial(), QStringLiteral("Material "));
            QCOMPARE(m.items()->at(0).paramVal, -1.0);
        }
    }
};

QTEST_GUILESS_MAIN(TstMaterialsEditing)
#include "tst_MaterialsEditing.moc"
