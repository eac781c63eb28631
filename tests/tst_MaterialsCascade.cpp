#include "LibraryFixture.h"
#include "SignalRecorder.h"
#include "core/PrinterCatalogue.h"
#include "library/Materials.h"

#include <QtTest>

#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

namespace {
using Keys = std::vector<SetKeySpec>;
using KeyPairs = std::vector<std::pair<SetKeySpec, SetKeySpec>>; // source key -> copied key

const int kSampleID = 1001;
const int kOtherID = 1002;
const char *const kDigest = "0123456789abcdef0123456789abcdef";

// Five sets that give every level of the cascade two or more choices. Each set carries its own
// values so that a copy can be told from its source.
const Keys kSampleKeys = {
    {10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}, {10102, 0.4f, 0.3f, 0},
    {10102, 0.6f, 0.3f, 0}, {10110, 0.4f, 0.2f, 0},
};

CPrintMaterial materialWith(const char *name, int id, const Keys &keys)
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
        set.fSpeed[0] = 31.0f + float(n);
        set.fExtrude[1] = 0.9f + 0.01f * float(n);
        set.nWithdraw = 21 + n;
        ++n;
        mat.m_lstSets.push_back(set);
    }
    return mat;
}

// Imports the materials through a file in the test's own folder. Nothing was current before, so
// the first material ends up current and locked.
void load(LibraryFixture &fx, const std::vector<CPrintMaterial> &mats)
{
    const QString path = fx.shippedDir() + QStringLiteral("/import.cvx");
    QVERIFY(writeMaterialFile(path, mats));
    fx.mats().importMaterials(path, false);
    QCOMPARE(fx.mats().materialCount(), int(mats.size()));
}

void loadSample(LibraryFixture &fx)
{
    load(fx, {materialWith("Sample", kSampleID, kSampleKeys),
              materialWith("Other", kOtherID, {{-1, 0.4f, 0.2f, 0}})});
    fx.mats().selectMaterial(kSampleID);
    QCOMPARE(fx.mats().bMatLocked(), 0);
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

// The menu of the deepest chosen level of the key.
QString menuOf(Materials &m, const SetKeySpec &sel)
{
    if (sel.quality >= 0)
        return text(m.m_Qualities);
    if (sel.layer >= 0)
        return text(m.m_LayerThicks);
    if (sel.nozzle >= 0)
        return text(m.m_NozzleDias);
    return text(m.m_PrinterTypes);
}

QStringList selectionTexts(Materials &m)
{
    return {m.curPrinter(), m.curNozzle(), m.curLayerThick(), m.curQuality()};
}

const PrintSetData *findSet(const CPrintMaterial &mat, const SetKeySpec &key)
{
    for (const PrintSetData &s : mat.m_lstSets) {
        if (s.nPrinterType == key.type && IsSameNozzle(s.fNozzleDia, key.nozzle) &&
            IsSameLayer(s.fLayerThick, key.layer) && s.nQuality == key.quality)
            return &s;
    }
    return nullptr;
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
} // namespace

Q_DECLARE_METATYPE(SetKeySpec)
Q_DECLARE_METATYPE(Keys)
Q_DECLARE_METATYPE(KeyPairs)

using SetField = void (*)(PrintSetData &, double);
Q_DECLARE_METATYPE(SetField)

class TstMaterialsCascade : public QObject
{
    Q_OBJECT

private slots:
    void emptyLibraryShowsPlaceholders()
    {
        LibraryFixture fx;
        Materials &m = fx.mats();
        QCOMPARE(m.curMaterial(), QStringLiteral("Material "));
        QCOMPARE(m.curMatName(), QString());
        QCOMPARE(m.curManu(), QString());
        QCOMPARE(selectionTexts(m), (QStringList{"-3D Printer-", "----", "----", "----"}));
        QCOMPARE(m.curSetNumber(), 0);
        QCOMPARE(m.bMatLocked(), 1);
        QCOMPARE(m.curMatID(), -1);
        QCOMPARE(m.availNewSet(), QString());

        // The cascade still runs and signals without a material; the rows show "no material".
        SignalRecorder rec(&m);
        m.selectMaterial(5);
        QCOMPARE(rec.names(), kReselect);
        QCOMPARE(m.curMatID(), -1);
        m.selectPrinter(10102);
        QCOMPARE(selectionTexts(m), (QStringList{"Orvik Solo", "-Nozzle-", "----", "----"}));
        QVERIFY(m.m_PrinterTypes.empty() && m.m_NozzleDias.empty());
        for (int id = 0; id < kParamCount; ++id) {
            const ParamItem &row = m.items()->at(id);
            QCOMPARE(row.paramVal, id <= kLastBasicParam ? -1.0 : kNoValue);
            QCOMPARE(row.paramFlag, id <= kLastBasicParam ? 2 : 3);
        }
    }

    void placeholders_data()
    {
        QTest::addColumn<SetKeySpec>("sel");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("sets");
        QTest::addColumn<QString>("menu");

        QTest::addRow("material only")
            << SetKeySpec{-1000, -1, -1, -1} << QStringList{"-3D Printer-", "----", "----", "----"} << 0
            << "10102 10110";
        QTest::addRow("printer") << SetKeySpec{10102, -1, -1, -1}
                                 << QStringList{"Orvik Solo", "-Nozzle-", "----", "----"} << 4
                                 << "10102 10110";
        QTest::addRow("nozzle with trailing space")
            << SetKeySpec{10102, 0.4f, -1, -1}
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "-Layer Thick-", "----"} << 3 << "0.4 0.6";
        QTest::addRow("layer with trailing space")
            << SetKeySpec{10102, 0.4f, 0.2f, -1}
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "Layer: 0.20 ", "-Quality-"} << 2 << "0.2 0.3";
        QTest::addRow("quality 0 is a chosen quality")
            << SetKeySpec{10102, 0.4f, 0.2f, 0}
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "Layer: 0.20 ", "Normal"} << 1 << "0 1";
        QTest::addRow("quality without a set")
            << SetKeySpec{10102, 0.4f, 0.2f, 5}
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "Layer: 0.20 ", "Custom2"} << 0 << "0 1";
        QTest::addRow("quality outside the catalogue")
            << SetKeySpec{10102, 0.4f, 0.2f, 7}
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "Layer: 0.20 ", "Unknow Quality"} << 0 << "0 1";
        QTest::addRow("alias printer name")
            << SetKeySpec{10108, -1, -1, -1} << QStringList{"Orvik Solo 2", "-Nozzle-", "----", "----"} << 0
            << "10102 10110";
        QTest::addRow("unknown printer")
            << SetKeySpec{10009, -1, -1, -1} << QStringList{"Unknow printer", "-Nozzle-", "----", "----"} << 0
            << "10102 10110";
    }
    void placeholders()
    {
        QFETCH(SetKeySpec, sel);
        QFETCH(QStringList, texts);
        QFETCH(int, sets);
        QFETCH(QString, menu);
        LibraryFixture fx;
        loadSample(fx);
        choose(fx.mats(), sel);
        QCOMPARE(selectionTexts(fx.mats()), texts);
        QCOMPARE(fx.mats().curSetNumber(), sets);
        QCOMPARE(menuOf(fx.mats(), sel), menu);
    }

    void signalSequences_data()
    {
        QTest::addColumn<int>("level"); // 0 material, 1 printer, 2 nozzle, 3 layer, 4 quality
        QTest::addColumn<QStringList>("emitted");
        QTest::addRow("selectMaterial") << 0 << kReselect;
        QTest::addRow("selectPrinter") << 1 << kPrinterFanOut;
        QTest::addRow("selectNozzle") << 2 << kNozzleFanOut;
        QTest::addRow("selectLayerThick") << 3 << kLayerFanOut;
        QTest::addRow("selectQuality") << 4 << kQualityFanOut;
    }
    void signalSequences()
    {
        QFETCH(int, level);
        QFETCH(QStringList, emitted);
        LibraryFixture fx;
        loadSample(fx);
        Materials &m = fx.mats();
        choose(m, {10102, 0.4f, 0.2f, -1});
        SignalRecorder rec(&m);
        QSignalSpy textSpy(&m, level == 0   ? &Materials::curMaterialChanged
                               : level == 1 ? &Materials::curPrinterChanged
                               : level == 2 ? &Materials::curNozzleChanged
                               : level == 3 ? &Materials::curLayerThickChanged
                                            : &Materials::curQualityChanged);
        QString expectedText;
        switch (level) {
        case 0:
            m.selectMaterial(kSampleID);
            expectedText = QStringLiteral("Sample ( Maker )");
            break;
        case 1:
            m.selectPrinter(10110);
            expectedText = QStringLiteral("Orvik Solo 2");
            break;
        case 2:
            m.selectNozzle(0.6f);
            expectedText = QStringLiteral("Dia: 0.60 ");
            break;
        case 3:
            m.selectLayerThick(0.3f);
            expectedText = QStringLiteral("Layer: 0.30 ");
            break;
        default:
            m.selectQuality(1);
            expectedText = QStringLiteral("Fine");
        }
        QCOMPARE(rec.names(), emitted);
        QCOMPARE(textSpy.count(), 1);
        QCOMPARE(textSpy.at(0).at(0).toString(), expectedText);
    }

    void lockState_data()
    {
        QTest::addColumn<bool>("firstHasPassword");
        QTest::addColumn<int>("select"); // 0: only the import's own re-selection
        QTest::addColumn<int>("locked");
        QTest::addColumn<int>("current");
        QTest::addRow("open material by ID") << false << kSampleID << 0 << kSampleID;
        QTest::addRow("password material by ID") << false << kOtherID << 1 << kOtherID;
        QTest::addRow("unknown ID: first, locked although open") << false << 999 << 1 << kSampleID;
        QTest::addRow("unknown ID: first with a password") << true << 999 << 1 << kSampleID;
        QTest::addRow("first import: first, locked although open") << false << 0 << 1 << kSampleID;
    }
    void lockState()
    {
        QFETCH(bool, firstHasPassword);
        QFETCH(int, select);
        QFETCH(int, locked);
        QFETCH(int, current);
        LibraryFixture fx;
        CPrintMaterial first = materialWith("Sample", kSampleID, kSampleKeys);
        CPrintMaterial second = materialWith("Other", kOtherID, {{10102, 0.4f, 0.2f, 0}});
        std::strcpy(second.m_szPwMD5, kDigest);
        if (firstHasPassword)
            std::strcpy(first.m_szPwMD5, kDigest);
        load(fx, {first, second});
        Materials &m = fx.mats();
        QSignalSpy lockSpy(&m, &Materials::bMatLockedChanged);
        if (select)
            m.selectMaterial(select);
        QCOMPARE(m.bMatLocked(), locked);
        QCOMPARE(m.curMatID(), current);
        if (select)
            QCOMPARE(lockSpy.takeFirst().at(0).toInt(), locked);
        // Every row, basic and print, carries the lock, also once print sets are chosen.
        for (int pass = 0; pass < 2; ++pass) {
            for (int id = 0; id < kParamCount; ++id)
                QVERIFY2(bool(m.items()->at(id).paramFlag & 2) == bool(locked),
                         qPrintable(QString::number(id)));
            m.selectPrinter(10102);
        }
    }

    void commonValueFlag_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<SetField>("field");
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::addColumn<double>("shown");
        QTest::addColumn<bool>("common");
        const SetField baseTemp = [](PrintSetData &s, double v) { s.nBasicTemp = int(v); };
        const SetField contourSpeed = [](PrintSetData &s, double v) { s.fSpeed[0] = float(v); };
        const SetField bottomWidth = [](PrintSetData &s, double v) { s.fBottomWidth = float(v); };
        QTest::addRow("base temps 210/215 disagree, first shown")
            << 9 << baseTemp << 210.0 << 215.0 << 210.0 << false;
        QTest::addRow("speeds 30/30.0005 agree within 0.001")
            << 15 << contourSpeed << 30.0 << 30.0005 << 30.0 << true;
        QTest::addRow("speeds 40/41 disagree") << 15 << contourSpeed << 40.0 << 41.0 << 40.0 << false;
        QTest::addRow("bottom width shown as percent with offset")
            << 30 << bottomWidth << 0.8 << 0.8 << double(0.8f * 100.0f) + 0.0001 << true;
    }
    void commonValueFlag()
    {
        QFETCH(int, row);
        QFETCH(SetField, field);
        QFETCH(double, first);
        QFETCH(double, second);
        QFETCH(double, shown);
        QFETCH(bool, common);
        LibraryFixture fx;
        CPrintMaterial mat =
            makeMaterial("Pair", "Maker", kSampleID, {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.3f, 0}});
        field(mat.m_lstSets.front(), first);
        field(mat.m_lstSets.back(), second);
        load(fx, {mat});
        fx.mats().selectMaterial(kSampleID);
        choose(fx.mats(), {10102, 0.4f, -1, -1});
        QCOMPARE(fx.mats().curSetNumber(), 2);
        const QVector<ParamItem> &rows = *fx.mats().items();
        QVERIFY(qAbs(rows[row].paramVal - shown) < 1e-9);
        QCOMPARE(bool(rows[row].paramFlag & 1), common);
        // The disagreement stays in its own row.
        for (int id = 9; id < kParamCount; ++id) {
            if (id != row)
                QVERIFY2(rows[id].paramFlag == 1, qPrintable(QString::number(id)));
        }
    }

    void platformRows10And29ShowOneField()
    {
        LibraryFixture fx;
        CPrintMaterial mat =
            makeMaterial("Pair", "Maker", kSampleID, {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.3f, 0}});
        mat.m_lstSets.front().nPlatTemp = 65;
        mat.m_lstSets.back().nPlatTemp = 70;
        load(fx, {mat});
        Materials &m = fx.mats();
        m.selectMaterial(kSampleID);
        choose(m, {10102, 0.4f, 0.3f, -1});
        QCOMPARE(m.items()->at(10).paramVal, 70.0);
        QCOMPARE(m.items()->at(29).paramVal, 70.0);
        m.selectLayerThick(-1);
        for (const int id : {10, 29}) {
            QCOMPARE(m.items()->at(id).paramVal, 65.0);
            QCOMPARE(m.items()->at(id).paramFlag, 0);
        }
    }

    void availNewSet_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<SetKeySpec>("sel");
        QTest::addColumn<QString>("choices");
        Keys everyPrinter;
        for (const int32_t type : GetPrinterTypeList())
            everyPrinter.push_back({type, 0.4f, 0.2f, 0});

        QTest::addRow("printer level without a printer")
            << kSampleKeys << SetKeySpec{-1000, -1, -1, -1}
            << "Default|Orvik pico|Orvik HULL|Orvik Wren|Orvik pico2|Orvik Solo 3|Orvik HULL+|Orvik "
               "250|Orvik V9 ";
        QTest::addRow("every printer used: empty, no space")
            << everyPrinter << SetKeySpec{10102, -1, -1, -1} << "";
        QTest::addRow("two nozzles left: last | becomes a space")
            << Keys{{10102, 0.2f, 0.1f, 0},
                    {10102, 0.3f, 0.1f, 0},
                    {10102, 0.4f, 0.2f, 0},
                    {10102, 0.5f, 0.2f, 0},
                    {10102, 1.0f, 0.4f, 0}}
            << SetKeySpec{10102, 0.4f, -1, -1} << "Dia: 0.60mm|Dia: 0.80mm ";
        QTest::addRow("single-nozzle printer used up")
            << Keys{{10104, 0.4f, 0.2f, 0}} << SetKeySpec{10104, 0.4f, -1, -1} << "";
        QTest::addRow("layers left for the nozzle")
            << Keys{{10102, 0.4f, 0.1f, 0},
                    {10102, 0.4f, 0.15f, 0},
                    {10102, 0.4f, 0.2f, 0},
                    {10102, 0.4f, 0.25f, 0},
                    {10102, 0.6f, 0.3f, 0}}
            << SetKeySpec{10102, 0.4f, 0.2f, -1} << "Layer: 0.30mm|Layer: 0.35mm ";
        QTest::addRow("qualities left")
            << kSampleKeys << SetKeySpec{10102, 0.4f, 0.2f, 1} << "Fast|Turbo|Custom1|Custom2|Custom3 ";
        QTest::addRow("qualities left for a quality without a set")
            << kSampleKeys << SetKeySpec{10102, 0.4f, 0.3f, 6} << "Fine|Fast|Turbo|Custom1|Custom2|Custom3 ";
    }
    void availNewSet()
    {
        QFETCH(Keys, keys);
        QFETCH(SetKeySpec, sel);
        QFETCH(QString, choices);
        LibraryFixture fx;
        load(fx, {materialWith("Sample", kSampleID, keys)});
        fx.mats().selectMaterial(kSampleID);
        choose(fx.mats(), sel);
        QCOMPARE(fx.mats().availNewSet(), choices);
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
        m.selectLayerThick(-1);
        QCOMPARE(m.availNewSet(),
                 QStringLiteral("Dia: 0.20mm|Dia: 0.30mm|Dia: 0.50mm|Dia: 0.80mm|Dia: 1.00mm "));
    }

    void typeResolution_data()
    {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<int>("printer");
        QTest::addColumn<QString>("nozzles");
        QTest::addColumn<QString>("layers"); // for nozzle 0.6
        QTest::addColumn<int>("sets");       // at nozzle 0.6
        const Keys generic = {{-1, 0.4f, 0.2f, 0}, {-1, 0.6f, 0.3f, 0}};
        // The menus resolve the type, but the current sets are those of the type itself.
        QTest::addRow("generic sets serve a named printer") << generic << 10102 << "0.4 0.6"
                                                            << "0.3" << 0;
        QTest::addRow("generic sets serve an unknown printer") << generic << 10009 << "0.4 0.6"
                                                               << "0.3" << 0;
        QTest::addRow("generic sets serve an alias") << generic << 10007 << "0.4 0.6"
                                                     << "0.3" << 0;
        QTest::addRow("own sets hide the generic ones")
            << Keys{{-1, 0.4f, 0.2f, 0}, {10102, 0.6f, 0.35f, 0}} << 10102 << "0.6"
            << "0.35" << 1;
        QTest::addRow("alias 10007 lists the 10110 sets")
            << Keys{{10110, 0.4f, 0.2f, 0}, {10110, 0.6f, 0.3f, 0}, {10110, 0.6f, 0.4f, 0}} << 10007
            << "0.4 0.6"
            << "0.3 0.4" << 0;
        QTest::addRow("canonical 10110 lists and selects its sets")
            << Keys{{10110, 0.4f, 0.2f, 0}, {10110, 0.6f, 0.3f, 0}, {10110, 0.6f, 0.4f, 0}} << 10110
            << "0.4 0.6"
            << "0.3 0.4" << 2;
    }
    void typeResolution()
    {
        QFETCH(Keys, keys);
        QFETCH(int, printer);
        QFETCH(QString, nozzles);
        QFETCH(QString, layers);
        QFETCH(int, sets);
        LibraryFixture fx;
        load(fx, {materialWith("Sample", kSampleID, keys)});
        Materials &m = fx.mats();
        m.selectMaterial(kSampleID);
        m.selectPrinter(printer);
        QCOMPARE(text(m.m_NozzleDias), nozzles);
        m.selectNozzle(0.6f);
        QCOMPARE(text(m.m_LayerThicks), layers);
        QCOMPARE(m.curSetNumber(), sets);
    }

    void copyCurSets_data()
    {
        QTest::addColumn<SetKeySpec>("sel");
        QTest::addColumn<QString>("choices");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("added");
        QTest::addColumn<KeyPairs>("copies");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("sets");
        QTest::addColumn<QStringList>("emitted");
        QTest::addColumn<QString>("menu");
        const QString printers = "Default|Orvik pico|Orvik HULL|Orvik Wren|Orvik pico2|Orvik Solo 3|Orvik "
                                 "HULL+|Orvik 250|Orvik V9 ";

        QTest::addRow("quality 0 to Fast")
            << SetKeySpec{10102, 0.4f, 0.2f, 0} << "Fast|Turbo|Custom1|Custom2|Custom3 " << 0 << 1
            << KeyPairs{{{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 2}}}
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "Layer: 0.20 ", "Fast"} << 1
            << (QStringList{"qualityChanged"} + kQualityFanOut) << "0 1 2";
        QTest::addRow("layer 0.2 to 0.25")
            << SetKeySpec{10102, 0.4f, 0.2f, -1} << "Layer: 0.10mm|Layer: 0.15mm|Layer: 0.25mm|Layer: 0.35mm "
            << 2 << 2
            << KeyPairs{{{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.25f, 0}},
                        {{10102, 0.4f, 0.2f, 1}, {10102, 0.4f, 0.25f, 1}}}
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "Layer: 0.25 ", "-Quality-"} << 2
            << (QStringList{"layerThickChanged"} + kLayerFanOut) << "0.2 0.25 0.3";
        QTest::addRow("nozzle 0.4 to 0.5")
            << SetKeySpec{10102, 0.4f, -1, -1}
            << "Dia: 0.20mm|Dia: 0.30mm|Dia: 0.50mm|Dia: 0.80mm|Dia: 1.00mm " << 2 << 3
            << KeyPairs{{{10102, 0.4f, 0.2f, 0}, {10102, 0.5f, 0.2f, 0}},
                        {{10102, 0.4f, 0.2f, 1}, {10102, 0.5f, 0.2f, 1}},
                        {{10102, 0.4f, 0.3f, 0}, {10102, 0.5f, 0.3f, 0}}}
            << QStringList{"Orvik Solo", "Dia: 0.50 ", "-Layer Thick-", "----"} << 3
            << (QStringList{"nozzleChanged"} + kNozzleFanOut) << "0.4 0.5 0.6";
        QTest::addRow("nozzle 0.4 to 0.3 skips a layer 0.3 does not offer")
            << SetKeySpec{10102, 0.4f, -1, -1}
            << "Dia: 0.20mm|Dia: 0.30mm|Dia: 0.50mm|Dia: 0.80mm|Dia: 1.00mm " << 1 << 2
            << KeyPairs{{{10102, 0.4f, 0.2f, 0}, {10102, 0.3f, 0.2f, 0}},
                        {{10102, 0.4f, 0.2f, 1}, {10102, 0.3f, 0.2f, 1}}}
            << QStringList{"Orvik Solo", "Dia: 0.30 ", "-Layer Thick-", "----"} << 2
            << (QStringList{"nozzleChanged"} + kNozzleFanOut) << "0.3 0.4 0.6";
        QTest::addRow("printer 10102 to Orvik Solo 3")
            << SetKeySpec{10102, -1, -1, -1} << printers << 5 << 4
            << KeyPairs{{{10102, 0.4f, 0.2f, 0}, {10113, 0.4f, 0.2f, 0}},
                        {{10102, 0.4f, 0.2f, 1}, {10113, 0.4f, 0.2f, 1}},
                        {{10102, 0.4f, 0.3f, 0}, {10113, 0.4f, 0.3f, 0}},
                        {{10102, 0.6f, 0.3f, 0}, {10113, 0.6f, 0.3f, 0}}}
            << QStringList{"Orvik Solo 3", "-Nozzle-", "----", "----"} << 4
            << (QStringList{"printerChanged"} + kPrinterFanOut) << "10102 10110 10113";
        QTest::addRow("no printer chosen: nothing copied, selection moves")
            << SetKeySpec{-1000, -1, -1, -1} << printers << 0 << 0 << KeyPairs{}
            << QStringList{"Default", "-Nozzle-", "----", "----"} << 0
            << (QStringList{"printerChanged"} + kPrinterFanOut) << "10102 10110";
    }
    void copyCurSets()
    {
        QFETCH(SetKeySpec, sel);
        QFETCH(QString, choices);
        QFETCH(int, index);
        QFETCH(int, added);
        QFETCH(KeyPairs, copies);
        QFETCH(QStringList, texts);
        QFETCH(int, sets);
        QFETCH(QStringList, emitted);
        QFETCH(QString, menu);
        LibraryFixture fx;
        loadSample(fx);
        Materials &m = fx.mats();
        choose(m, sel);
        QCOMPARE(m.availNewSet(), choices);
        const CPrintMaterial before = *m.currentMaterial();
        SignalRecorder rec(&m);

        QCOMPARE(m.copyCurSets(index), added);

        QCOMPARE(rec.names(), emitted);
        QCOMPARE(selectionTexts(m), texts);
        QCOMPARE(m.curSetNumber(), sets);
        QCOMPARE(menuOf(m, sel), menu);
        const CPrintMaterial &after = *m.currentMaterial();
        QCOMPARE(int(after.m_lstSets.size()), int(before.m_lstSets.size()) + added);
        for (const auto &pair : copies) {
            const PrintSetData *source = findSet(before, pair.first);
            const PrintSetData *copy = findSet(after, pair.second);
            QVERIFY(source && copy);
            QVERIFY(*findSet(after, pair.first) == *source);
            PrintSetData expected = *source;
            expected.nPrinterType = pair.second.type;
            expected.fNozzleDia = pair.second.nozzle;
            expected.fLayerThick = pair.second.layer;
            expected.nQuality = pair.second.quality;
            QVERIFY(*copy == expected);
        }
    }

    void copyCurSetsRefused_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("readChoices");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("logged");
        QTest::addRow("locked material") << true << true << 0 << false;
        QTest::addRow("negative index") << false << true << -1 << false;
        QTest::addRow("index equal to the number of choices") << false << true << 5 << true;
        QTest::addRow("choices of this level never read") << false << false << 0 << true;
    }
    void copyCurSetsRefused()
    {
        QFETCH(bool, locked);
        QFETCH(bool, readChoices);
        QFETCH(int, index);
        QFETCH(bool, logged);
        LibraryFixture fx;
        load(fx, {materialWith("Sample", kSampleID, kSampleKeys)});
        Materials &m = fx.mats();
        if (!locked)
            m.selectMaterial(kSampleID);
        QVERIFY(!m.availNewSet().isEmpty()); // printer-level choices only
        choose(m, {10102, 0.4f, 0.2f, 0});
        if (readChoices)
            QCOMPARE(m.availNewSet(), QStringLiteral("Fast|Turbo|Custom1|Custom2|Custom3 "));
        const CPrintMaterial before = *m.currentMaterial();
        SignalRecorder rec(&m);
        LogCapture log;

        QCOMPARE(m.copyCurSets(index), 0);

        QCOMPARE(rec.names(), QStringList());
        QVERIFY(*m.currentMaterial() == before);
        QCOMPARE(selectionTexts(m), (QStringList{"Orvik Solo", "Dia: 0.40 ", "Layer: 0.20 ", "Normal"}));
        QCOMPARE(log.contains(QStringLiteral("copyCurSets() ")), logged);
    }

    void copyOntoExistingKeyReplacesUncounted()
    {
        LibraryFixture fx;
        loadSample(fx);
        Materials &m = fx.mats();
        choose(m, {10102, 0.4f, 0.3f, 0});
        QCOMPARE(m.availNewSet(), QStringLiteral("Fine|Fast|Turbo|Custom1|Custom2|Custom3 "));
        // Choices not read again: "Fine" already exists at layer 0.2.
        choose(m, {10102, 0.4f, 0.2f, 0});
        const CPrintMaterial before = *m.currentMaterial();
        QCOMPARE(m.copyCurSets(0), 0);
        const CPrintMaterial &after = *m.currentMaterial();
        QCOMPARE(after.m_lstSets.size(), before.m_lstSets.size());
        PrintSetData expected = *findSet(before, {10102, 0.4f, 0.2f, 0});
        expected.nQuality = 1;
        QVERIFY(*findSet(after, {10102, 0.4f, 0.2f, 1}) == expected);
        QCOMPARE(m.curQuality(), QStringLiteral("Fine"));
    }

    void removeCurSets_data()
    {
        QTest::addColumn<SetKeySpec>("sel");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("sets");
        QTest::addColumn<QStringList>("emitted");
        QTest::addColumn<QString>("menu");
        QTest::addRow("quality: back to no quality, layer kept")
            << SetKeySpec{10102, 0.4f, 0.2f, 0} << 1
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "Layer: 0.20 ", "-Quality-"} << 1
            << (QStringList{"qualityChanged"} + kQualityFanOut) << "1";
        QTest::addRow("layer: back to no layer")
            << SetKeySpec{10102, 0.4f, 0.2f, -1} << 2
            << QStringList{"Orvik Solo", "Dia: 0.40 ", "-Layer Thick-", "----"} << 1
            << (QStringList{"layerThickChanged"} + kLayerFanOut) << "0.3";
        QTest::addRow("nozzle: back to no nozzle")
            << SetKeySpec{10102, 0.4f, -1, -1} << 3 << QStringList{"Orvik Solo", "-Nozzle-", "----", "----"}
            << 1 << (QStringList{"nozzleChanged"} + kNozzleFanOut) << "0.6";
        QTest::addRow("printer: back to no printer")
            << SetKeySpec{10102, -1, -1, -1} << 4 << QStringList{"-3D Printer-", "----", "----", "----"} << 0
            << (QStringList{"printerChanged"} + kPrinterFanOut) << "10110";
    }
    void removeCurSets()
    {
        QFETCH(SetKeySpec, sel);
        QFETCH(int, removed);
        QFETCH(QStringList, texts);
        QFETCH(int, sets);
        QFETCH(QStringList, emitted);
        QFETCH(QString, menu);
        LibraryFixture fx;
        loadSample(fx);
        Materials &m = fx.mats();
        choose(m, sel);
        CPrintMaterial before = *m.currentMaterial();
        const size_t matching = before.ListSets(sel.type, sel.quality, sel.nozzle, sel.layer).size();
        QCOMPARE(int(matching), removed);
        SignalRecorder rec(&m);

        QCOMPARE(m.removeCurSets(), removed);

        QCOMPARE(rec.names(), emitted);
        QCOMPARE(selectionTexts(m), texts);
        QCOMPARE(m.curSetNumber(), sets);
        QCOMPARE(menuOf(m, sel), menu);
        CPrintMaterial after = *m.currentMaterial();
        QCOMPARE(int(after.m_lstSets.size()), int(kSampleKeys.size()) - removed);
        QVERIFY(after.ListSets(sel.type, sel.quality, sel.nozzle, sel.layer).empty());
    }

    void removeCurSetsRefused_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<SetKeySpec>("sel");
        QTest::addRow("locked material") << true << SetKeySpec{10102, 0.4f, 0.2f, 0};
        QTest::addRow("no printer chosen") << false << SetKeySpec{-1000, -1, -1, -1};
        QTest::addRow("quality without a set") << false << SetKeySpec{10102, 0.4f, 0.2f, 5};
    }
    void removeCurSetsRefused()
    {
        QFETCH(bool, locked);
        QFETCH(SetKeySpec, sel);
        LibraryFixture fx;
        load(fx, {materialWith("Sample", kSampleID, kSampleKeys)});
        Materials &m = fx.mats();
        if (!locked)
            m.selectMaterial(kSampleID);
        choose(m, sel);
        const QStringList texts = selectionTexts(m);
        const int sets = m.curSetNumber();
        const CPrintMaterial before = *m.currentMaterial();
        SignalRecorder rec(&m);

        QCOMPARE(m.removeCurSets(), 0);

        QCOMPARE(rec.names(), QStringList());
        QVERIFY(*m.currentMaterial() == before);
        QCOMPARE(selectionTexts(m), texts);
        QCOMPARE(m.curSetNumber(), sets);
    }
};

QTEST_GUILESS_MAIN(TstMaterialsCascade)
#include "tst_MaterialsCascade.moc"
