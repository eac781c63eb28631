#include "LibraryFixture.h"
#include "SignalRecorder.h"
#include "library/Materials.h"

#include <QtTest>

#include <climits>
#include <cstring>

namespace {
const int kSampleID = 1001;
const int kOtherID = 1002;
const int kRemove = INT_MIN; // in place of a copy index: remove the current sets instead

// "Sample": five sets that give every level of the cascade two or more choices, each with its own
// values so that a copy can be told from its source; "Other" has a password.
void loadSample(LibraryFixture &fx, int select = kSampleID)
{
    CPrintMaterial sample = makeMaterial("Sample", "Maker", kSampleID,
                                         {{10102, 0.4f, 0.2f, 0},
                                          {10102, 0.4f, 0.2f, 1},
                                          {10102, 0.4f, 0.3f, 0},
                                          {10102, 0.6f, 0.3f, 0},
                                          {10110, 0.4f, 0.2f, 0}});
    int n = 0;
    for (PrintSetData &set : sample.m_lstSets) {
        set.nBasicTemp = 200 + n;
        set.fSpeed[0] = 31.0f + float(n++);
    }
    CPrintMaterial other = makeMaterial("Other", "Maker", kOtherID, {{10102, 0.4f, 0.2f, 0}});
    std::strcpy(other.m_szPwMD5, "0123456789abcdef0123456789abcdef");
    const QString path = fx.shippedDir() + QStringLiteral("/import.cvx");
    QVERIFY(writeMaterialFile(path, {sample, other}));
    fx.mats().importMaterials(path, false);
    fx.mats().selectMaterial(select);
}

// Walks the cascade down to the given key; negative levels stay unchosen.
void choose(Materials &m, const SetKeySpec &sel)
{
    m.selectPrinter(sel.type);
    if (sel.nozzle >= 0)
        m.selectNozzle(sel.nozzle);
    if (sel.layer >= 0)
        m.selectLayerThick(sel.layer);
    if (sel.quality >= 0)
        m.selectQuality(sel.quality);
}

template <typename T> QString text(const std::vector<T> &values)
{
    QStringList parts;
    for (const T v : values)
        parts << QString::number(v);
    return parts.join(QLatin1Char(' '));
}

QStringList selectionTexts(Materials &m)
{
    return {m.curPrinter(), m.curNozzle(), m.curLayerThick(), m.curQuality()};
}

// All that the views show of the selection: texts, the four menus, the set count, the rows.
QStringList shown(Materials &m)
{
    QStringList state = selectionTexts(m);
    state << text(m.m_PrinterTypes) << text(m.m_NozzleDias) << text(m.m_LayerThicks) << text(m.m_Qualities)
          << QString::number(m.curSetNumber());
    for (const ParamItem &row : *m.items())
        state << QStringLiteral("%1/%2").arg(row.paramVal).arg(row.paramFlag);
    return state;
}

// The set of the material with the key of the given one, or null.
const PrintSetData *sameKey(CPrintMaterial &mat, const PrintSetData &key)
{
    const auto sets = mat.ListSets(key.nPrinterType, key.nQuality, key.fNozzleDia, key.fLayerThick);
    return sets.empty() ? nullptr : sets.front();
}

const QStringList kPrinterFanOut = {
    "curPrinterChanged", "curNozzleChanged", "curLayerThickChanged", "curQualityChanged",
    "matChanged",        "qualityChanged",   "layerThickChanged",    "nozzleChanged",
};
const QStringList kNozzleFanOut = kPrinterFanOut.mid(1, 6);
const QStringList kLayerFanOut = kPrinterFanOut.mid(2, 4);
const QStringList kQualityFanOut = kPrinterFanOut.mid(3, 2);
const QStringList kReselect = QStringList{"curMaterialChanged", "matChanged", "bMatLockedChanged"} +
                              kPrinterFanOut + QStringList{"printerChanged"};
const QString kQualities = "Fast|Turbo|Custom1|Custom2|Custom3 ";
const QString kPrinters = "Default|Orvik pico|Orvik HULL|Orvik Wren|Orvik pico2|Orvik Solo 3|Orvik HULL+|"
                          "Orvik 250|Orvik V9 ";
} // namespace

using Action = void (*)(Materials &);
Q_DECLARE_METATYPE(SetKeySpec)
Q_DECLARE_METATYPE(Action)

class TstMaterialsCascade : public QObject
{
    Q_OBJECT

private slots:
    void emptyLibrary()
    {
        LibraryFixture fx;
        Materials &m = fx.mats();
        QCOMPARE(m.curMaterial(), QStringLiteral("Material "));
        QVERIFY(m.curMatName().isEmpty() && m.curManu().isEmpty());
        QCOMPARE(selectionTexts(m), (QStringList{"-3D Printer-", "----", "----", "----"}));
        QCOMPARE(m.curSetNumber(), 0);
        QCOMPARE(m.bMatLocked(), 1);
        QCOMPARE(m.availNewSet(), QString());

        // The cascade still runs and signals; the rows show that there is no material.
        SignalRecorder rec(&m);
        m.selectMaterial(5);
        QCOMPARE(rec.names(), kReselect);
        QCOMPARE(m.curMatID(), -1);
        for (int id = 0; id < kParamCount; ++id) {
            QCOMPARE(m.items()->at(id).paramVal, id <= kLastBasicParam ? -1.0 : kNoValue);
            QCOMPARE(m.items()->at(id).paramFlag, id <= kLastBasicParam ? 2 : 3);
        }
    }

    void selection_data()
    {
        QTest::addColumn<SetKeySpec>("from"); // differs at the step's level and below
        QTest::addColumn<Action>("step");
        QTest::addColumn<QByteArray>("signal"); // carries the new text of its property
        QTest::addColumn<QStringList>("emitted");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("menus");
        QTest::addColumn<int>("sets");
        QTest::addColumn<int>("locked");
        const QString p = "Orvik Solo", d = "Dia: 0.40 ", l = "Layer: 0.20 ";
        const QStringList none = {"-3D Printer-", "----", "----", "----"};
        const QByteArray material = SIGNAL(curMaterialChanged(QString));
        const SetKeySpec deep = {10102, 0.6f, 0.3f, 0};
        QTest::addRow("selectMaterial") << deep << Action([](Materials &m) { m.selectMaterial(kSampleID); })
                                        << material << kReselect << none << "10102 10110///" << 0 << 0;
        QTest::addRow("selectMaterial with a password: locked")
            << deep << Action([](Materials &m) { m.selectMaterial(kOtherID); }) << material << kReselect
            << none << "10102///" << 0 << 1;
        QTest::addRow("selectMaterial, unknown ID: the first, locked although open")
            << deep << Action([](Materials &m) { m.selectMaterial(999); }) << material << kReselect << none
            << "10102 10110///" << 0 << 1;
        QTest::addRow("selectPrinter")
            << SetKeySpec{10110, 0.4f, 0.2f, 0} << Action([](Materials &m) { m.selectPrinter(10102); })
            << QByteArray(SIGNAL(curPrinterChanged(QString))) << kPrinterFanOut
            << QStringList{p, "-Nozzle-", "----", "----"} << "10102 10110/0.4 0.6//" << 4 << 0;
        QTest::addRow("selectNozzle: trailing space")
            << deep << Action([](Materials &m) { m.selectNozzle(0.4f); })
            << QByteArray(SIGNAL(curNozzleChanged(QString))) << kNozzleFanOut
            << QStringList{p, d, "-Layer Thick-", "----"} << "10102 10110/0.4 0.6/0.2 0.3/" << 3 << 0;
        QTest::addRow("selectLayerThick: trailing space")
            << SetKeySpec{10102, 0.4f, 0.3f, 0} << Action([](Materials &m) { m.selectLayerThick(0.2f); })
            << QByteArray(SIGNAL(curLayerThickChanged(QString))) << kLayerFanOut
            << QStringList{p, d, l, "-Quality-"} << "10102 10110/0.4 0.6/0.2 0.3/0 1" << 2 << 0;
        QTest::addRow("selectQuality: 0 is a chosen quality")
            << SetKeySpec{10102, 0.4f, 0.2f, 1} << Action([](Materials &m) { m.selectQuality(0); })
            << QByteArray(SIGNAL(curQualityChanged(QString))) << kQualityFanOut
            << QStringList{p, d, l, "Normal"} << "10102 10110/0.4 0.6/0.2 0.3/0 1" << 1 << 0;
    }
    void selection()
    {
        QFETCH(SetKeySpec, from);
        QFETCH(Action, step);
        QFETCH(QByteArray, signal);
        QFETCH(QStringList, emitted);
        QFETCH(QStringList, texts);
        QFETCH(QString, menus);
        QFETCH(int, sets);
        QFETCH(int, locked);
        LibraryFixture fx;
        loadSample(fx);
        Materials &m = fx.mats();
        choose(m, from);
        SignalRecorder rec(&m);
        QSignalSpy spy(&m, signal.constData());

        step(m);

        QCOMPARE(rec.names(), emitted);
        const QByteArray property = signal.mid(1, signal.indexOf("Changed") - 1); // from "2curXChanged(..."
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), m.property(property).toString());
        QCOMPARE(selectionTexts(m), texts);
        QCOMPARE(shown(m).mid(4, 4).join(QLatin1Char('/')), menus);
        QCOMPARE(m.curSetNumber(), sets);
        // Every row, basic and print, carries the lock.
        QCOMPARE(m.bMatLocked(), locked);
        for (int id = 0; id < kParamCount; ++id)
            QVERIFY2((m.items()->at(id).paramFlag & 2) == 2 * locked, qPrintable(QString::number(id)));
    }

    void commonValueFlag()
    {
        LibraryFixture fx;
        CPrintMaterial mat =
            makeMaterial("Pair", "Maker", kSampleID, {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.3f, 0}});
        PrintSetData &a = mat.m_lstSets.front(), &b = mat.m_lstSets.back();
        a.nBasicTemp = 210, b.nBasicTemp = 215;
        a.fSpeed[0] = 30.0f, b.fSpeed[0] = 30.0005f;
        a.nPlatTemp = 65, b.nPlatTemp = 70;
        const QString path = fx.shippedDir() + QStringLiteral("/pair.cvx");
        QVERIFY(writeMaterialFile(path, {mat}));
        Materials &m = fx.mats();
        m.importMaterials(path, false);
        m.selectMaterial(kSampleID);
        choose(m, {10102, 0.4f, -1, -1});
        // Rows that disagree show the first set's value with bit 0 cleared; 10 and 29 are one field.
        const QVector<ParamItem> &rows = *m.items();
        QCOMPARE(rows[9].paramVal, 210.0);
        QCOMPARE(rows[10].paramVal, 65.0);
        QCOMPARE(rows[29].paramVal, 65.0);
        QCOMPARE(rows[15].paramVal, 30.0);
        for (int id = 9; id < kParamCount; ++id)
            QVERIFY2(rows[id].paramFlag == (id == 9 || id == 10 || id == 29 ? 0 : 1),
                     qPrintable(QString::number(id)));
    }

    void translatedTexts()
    {
        LibraryFixture fx;
        QVERIFY(writeAll(fx.shippedDir() + QStringLiteral("/Lang/local_de.json"),
                         R"({"--trans version--": 1, "-3D Printer-": "-Drucker-", "Orvik pico": "NEIN",
                             "Dia: %1 ": "Düse %1 ", "Layer: %1 ": "Schicht %1 ", "Normal": "Norm",
                             "Fast": "Schnell", "Custom3": "Eigene 3"})"));
        loadSample(fx);
        Materials &m = fx.mats();
        m.setCurLanguage(2);
        QCOMPARE(m.curPrinter(), QStringLiteral("-Drucker-"));
        // Printer model names are never translated, quality names always are.
        QVERIFY(m.availNewSet().startsWith(QStringLiteral("Default|Orvik pico|")));
        choose(m, {10102, 0.4f, 0.2f, 0});
        QCOMPARE(selectionTexts(m), (QStringList{"Orvik Solo", "Düse 0.40 ", "Schicht 0.20 ", "Norm"}));
        QCOMPARE(m.availNewSet(), QStringLiteral("Schnell|Turbo|Custom1|Custom2|Eigene 3 "));
    }

    // Copying and removing print sets, done or refused, end as if "to" had been chosen afresh.
    void copyOrRemove_data()
    {
        QTest::addColumn<int>("material");
        QTest::addColumn<SetKeySpec>("sel");
        QTest::addColumn<QString>("choices"); // empty: not read at this level
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("result");
        QTest::addColumn<SetKeySpec>("to");
        QTest::addColumn<QStringList>("emitted");
        const SetKeySpec q0 = {10102, 0.4f, 0.2f, 0}, layer = {10102, 0.4f, 0.2f, -1};
        const SetKeySpec nozzle = {10102, 0.4f, -1, -1}, printer = {10102, -1, -1, -1};
        const QStringList toQuality = QStringList{"qualityChanged"} + kQualityFanOut;
        const QStringList toLayer = QStringList{"layerThickChanged"} + kLayerFanOut;
        const QStringList toNozzle = QStringList{"nozzleChanged"} + kNozzleFanOut;
        const QStringList toPrinter = QStringList{"printerChanged"} + kPrinterFanOut;
        const int s = kSampleID;
        QTest::addRow("copy quality 0 to Turbo")
            << s << q0 << kQualities << 1 << 1 << SetKeySpec{10102, 0.4f, 0.2f, 3} << toQuality;
        QTest::addRow("copy layer 0.2 to 0.25")
            << s << layer << "Layer: 0.10mm|Layer: 0.15mm|Layer: 0.25mm|Layer: 0.35mm " << 2 << 2
            << SetKeySpec{10102, 0.4f, 0.25f, -1} << toLayer;
        // Nozzle 0.3 offers no layer 0.3: that copy is refused and not counted.
        QTest::addRow("copy nozzle 0.4 to 0.3, an invalid key skipped")
            << s << nozzle << "Dia: 0.20mm|Dia: 0.30mm|Dia: 0.50mm|Dia: 0.80mm|Dia: 1.00mm " << 1 << 2
            << SetKeySpec{10102, 0.3f, -1, -1} << toNozzle;
        QTest::addRow("copy printer 10102 to Orvik Solo 3")
            << s << printer << kPrinters << 5 << 4 << SetKeySpec{10113, -1, -1, -1} << toPrinter;
        QTest::addRow("copy without a printer: nothing copied, selection moves")
            << s << SetKeySpec{-1000, -1, -1, -1} << kPrinters << 0 << 0 << SetKeySpec{-1, -1, -1, -1}
            << toPrinter;
        QTest::addRow("remove quality: layer kept") << s << q0 << "" << kRemove << 1 << layer << toQuality;
        QTest::addRow("remove layer") << s << layer << "" << kRemove << 2 << nozzle << toLayer;
        QTest::addRow("remove nozzle") << s << nozzle << "" << kRemove << 3 << printer << toNozzle;
        QTest::addRow("remove printer")
            << s << printer << "" << kRemove << 4 << SetKeySpec{-1000, -1, -1, -1} << toPrinter;
        const QStringList none;
        QTest::addRow("copy refused: locked")
            << kOtherID << q0 << "Fine|" + kQualities << 0 << 0 << q0 << none;
        QTest::addRow("copy refused: negative index") << s << q0 << kQualities << -1 << 0 << q0 << none;
        QTest::addRow("copy refused: index past the choices")
            << s << q0 << kQualities << 5 << 0 << q0 << none;
        QTest::addRow("copy refused: choices of this level never read")
            << s << q0 << "" << 0 << 0 << q0 << none;
        QTest::addRow("remove refused: locked") << kOtherID << q0 << "" << kRemove << 0 << q0 << none;
        QTest::addRow("remove refused: quality without a set")
            << s << SetKeySpec{10102, 0.4f, 0.2f, 5} << "" << kRemove << 0 << SetKeySpec{10102, 0.4f, 0.2f, 5}
            << none;
    }
    void copyOrRemove()
    {
        QFETCH(int, material);
        QFETCH(SetKeySpec, sel);
        QFETCH(QString, choices);
        QFETCH(int, index);
        QFETCH(int, result);
        QFETCH(SetKeySpec, to);
        QFETCH(QStringList, emitted);
        LibraryFixture fx;
        loadSample(fx, material);
        Materials &m = fx.mats();
        QVERIFY(!m.availNewSet().isEmpty()); // fills the printer-level choices only
        choose(m, sel);
        if (!choices.isEmpty())
            QCOMPARE(m.availNewSet(), choices);
        CPrintMaterial before = *m.currentMaterial();
        SignalRecorder rec(&m);

        QCOMPARE(index == kRemove ? m.removeCurSets() : m.copyCurSets(index), result);

        QCOMPARE(rec.names(), emitted);
        const QStringList after = shown(m);
        m.selectMaterial(material);
        choose(m, to);
        QCOMPARE(after, shown(m));
        CPrintMaterial mat = *m.currentMaterial();
        const int added = index == kRemove ? -result : result;
        QCOMPARE(int(mat.m_lstSets.size()), int(before.m_lstSets.size()) + added);
        if (emitted.isEmpty()) {
            QVERIFY(mat == before);
            return;
        }
        if (index == kRemove) {
            QVERIFY(mat.ListSets(sel.type, sel.quality, sel.nozzle, sel.layer).empty());
            return;
        }
        // Each copy keeps its source's values and takes the new key; the sources stay.
        for (const PrintSetData *source : before.ListSets(sel.type, sel.quality, sel.nozzle, sel.layer)) {
            PrintSetData copy = *source;
            QVERIFY(sameKey(mat, copy) && *sameKey(mat, copy) == copy);
            copy.nPrinterType = to.type;
            copy.fNozzleDia = to.nozzle >= 0 ? to.nozzle : copy.fNozzleDia;
            copy.fLayerThick = to.layer >= 0 ? to.layer : copy.fLayerThick;
            copy.nQuality = to.quality >= 0 ? to.quality : copy.nQuality;
            const PrintSetData *found = sameKey(mat, copy);
            result -= found ? 1 : 0;
            QVERIFY(!found || *found == copy);
        }
        QCOMPARE(result, 0);
    }

    void copyOntoAnExistingKeyReplacesUncounted()
    {
        LibraryFixture fx;
        loadSample(fx);
        Materials &m = fx.mats();
        choose(m, {10102, 0.4f, 0.3f, 0});
        QCOMPARE(m.availNewSet(), "Fine|" + kQualities);
        choose(m, {10102, 0.4f, 0.2f, 0}); // the choices are not read again: "Fine" exists here
        CPrintMaterial before = *m.currentMaterial();
        QCOMPARE(m.copyCurSets(0), 0);
        CPrintMaterial after = *m.currentMaterial();
        QCOMPARE(after.m_lstSets.size(), before.m_lstSets.size());
        PrintSetData copy = *before.ListSets(10102, 0, 0.4f, 0.2f).front();
        copy.nQuality = 1;
        QVERIFY(sameKey(after, copy) && *sameKey(after, copy) == copy);
    }
};

QTEST_GUILESS_MAIN(TstMaterialsCascade)
#include "tst_MaterialsCascade.moc"
