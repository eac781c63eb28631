#include "LibraryFixture.h"
#include "core/MaterialFormat.h"
#include "models/LayerThickModel.h"
#include "models/MaterialModel.h"
#include "models/NozzleDiaModel.h"
#include "models/PrinterTypeModel.h"
#include "models/QualityModel.h"

#include <QMetaMethod>
#include <QtTest>

#include <climits>

namespace {
const int kRemove = INT_MIN; // in place of a copy index: remove the current sets instead

QStringList selectionTexts(Materials &m)
{
    return {m.curPrinter(), m.curNozzle(), m.curLayerThick(), m.curQuality()};
}

// All that the views show of the selection: the texts; the lists, read through the scene's models
// (which material is current, then the printer, nozzle, layer and quality menus); the set count;
// the rows.
QStringList shown(Materials &m)
{
    MaterialModel materials;
    PrinterTypeModel printers;
    NozzleDiaModel nozzles;
    LayerThickModel layers;
    QualityModel qualities;
    for (QObject *model :
         std::initializer_list<QObject *>{&materials, &printers, &nozzles, &layers, &qualities})
        model->setProperty("mats", QVariant::fromValue(&m));
    const QStringList lists = {column(materials, MaterialModel::BCurRole).join('|'),
                               column(printers, PrinterTypeModel::NameRole).join('|'),
                               column(nozzles, NozzleDiaModel::StrDiaRole).join('|'),
                               column(layers, LayerThickModel::StrThickRole).join('|'),
                               column(qualities, QualityModel::NameRole).join('|')};
    QStringList state = selectionTexts(m) << lists.join('/') << QString::number(m.curSetNumber());
    for (const ParamItem &row : *m.items())
        state << QStringLiteral("%1/%2").arg(row.paramVal).arg(row.paramFlag);
    return state;
}

// Every record, in library order.
QStringList libraryState(const Materials &m)
{
    QStringList state;
    for (int row = 0; row < m.materialCount(); ++row)
        state << QString::fromStdString(MaterialJsonText(*m.materialAt(row)));
    return state;
}

const QStringList kPrinterFanOut = {
    "curPrinterChanged", "curNozzleChanged", "curLayerThickChanged", "curQualityChanged",
    "matChanged",        "qualityChanged",   "layerThickChanged",    "nozzleChanged",
};
const QStringList kNozzleFanOut = kPrinterFanOut.mid(1, 6);
const QStringList kLayerFanOut = kPrinterFanOut.mid(2, 4);
const QStringList kQualityFanOut = kPrinterFanOut.mid(3, 2);
const QStringList kReselect =
    QStringList{"curMaterialChanged", "curMatIDChanged", "matChanged", "bMatLockedChanged"} + kPrinterFanOut +
    QStringList{"printerChanged"};
const QStringList kModified = {"modifiedChanged"};
const QString kQualities = "Fast|Turbo|Custom1|Custom2|Custom3 ";
const QString kPrinters = "Default|Orvik pico|Orvik HULL|Orvik Wren|Orvik pico2|Orvik Solo 3|Orvik HULL+|"
                          "Orvik 250|Orvik V9 ";
const SetKeySpec kQuality0 = {10102, 0.4f, 0.2f, 0}, kLayer = {10102, 0.4f, 0.2f, -1};
const SetKeySpec kNozzle = {10102, 0.4f, -1, -1}, kPrinter = {10102, -1, -1, -1};
} // namespace

// Records, in order, the name of every signal the target's own class declares but historyChanged
// (the history's bookkeeping follows every change; its own tests watch it).
class SignalRecorder : public QObject
{
    Q_OBJECT
public:
    explicit SignalRecorder(QObject *target)
    {
        const QMetaObject *meta = target->metaObject();
        const QMetaMethod slot = metaObject()->method(metaObject()->indexOfSlot("record()"));
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() == QMetaMethod::Signal && method.name() != "historyChanged")
                connect(target, method, this, slot);
        }
    }
    QStringList names;

private slots:
    void record() { names << sender()->metaObject()->method(senderSignalIndex()).name(); }
};

class TstSelectionCascade : public QObject
{
    Q_OBJECT

private slots:
    // Each operation emits its change signals in this order (the models reset on them) and leaves
    // the selection's texts, lists and rows as shown, every row with the lock flag. Each change of
    // the content is one step: undone, the library is record by record what it was, with the step's
    // material and cascade selected again; redone, what it became. The unsaved flag follows the
    // history, and a save moves the saved point.
    // clang-format off
    void operations_data()
    {
        QTest::addColumn<SetKeySpec>("from"); // differs at the step's level and below
        QTest::addColumn<LibraryChange>("change");
        QTest::addColumn<QStringList>("emitted");
        QTest::addColumn<QStringList>("shown"); // texts, lists, set count, lock; empty: not compared
        QTest::addColumn<QString>("undoText");  // empty: no step
        QTest::addColumn<int>("undoSelects");
        using F = LibraryChange;
        const QString p = "Orvik Solo", d = "Dia: 0.40 ", l = "Layer: 0.20 ", no = "----",
                      none = "-3D Printer-";
        const QString lists = "true|false/Orvik Solo|Orvik Solo 2/0.40mm|0.60mm/0.20mm|0.30mm/Normal|Fine";
        const QString materialOnly = lists.section('/', 0, 1) + "///";
        const SetKeySpec deep = {10102, 0.6f, 0.3f, 0};
        const QStringList changed = {"matChanged", "modifiedChanged"}, unshown;
        const QStringList renamed = {"curMaterialChanged", "matChanged", "bMatLockedChanged",
                                     "modifiedChanged"};
        QTest::addRow("selectMaterial")
            << deep << F([](Materials &m) { m.selectMaterial(kSampleID); }) << kReselect
            << QStringList{none, no, no, no, materialOnly, "0", "0"} << "" << 0;
        QTest::addRow("selectPrinter")
            << SetKeySpec{10110, 0.4f, 0.2f, 0} << F([](Materials &m) { m.selectPrinter(10102); })
            << kPrinterFanOut << QStringList{p, "-Nozzle-", no, no, lists.section('/', 0, 2) + "//", "4", "0"}
            << "" << 0;
        QTest::addRow("selectNozzle: trailing space")
            << deep << F([](Materials &m) { m.selectNozzle(0.4f); }) << kNozzleFanOut
            << QStringList{p, d, "-Layer Thick-", no, lists.section('/', 0, 3) + "/", "3", "0"} << "" << 0;
        QTest::addRow("selectLayerThick: trailing space")
            << SetKeySpec{10102, 0.4f, 0.3f, 0} << F([](Materials &m) { m.selectLayerThick(0.2f); })
            << kLayerFanOut << QStringList{p, d, l, "-Quality-", lists, "2", "0"} << "" << 0;
        QTest::addRow("selectQuality: 0 is a chosen quality")
            << SetKeySpec{10102, 0.4f, 0.2f, 1} << F([](Materials &m) { m.selectQuality(0); })
            << kQualityFanOut << QStringList{p, d, l, "Normal", lists, "1", "0"} << "" << 0;
        QTest::addRow("print value") << kQuality0 << F([](Materials &m) { m.setParameter(15, 55); })
                                     << changed << unshown << "Undo Contour Speed 31 → 55" << kSampleID;
        QTest::addRow("unused row: no step") << kQuality0 << F([](Materials &m) { m.setParameter(2, 5); })
                                             << QStringList{"matChanged"} << unshown << "" << 0;
        QTest::addRow("relative change")
            << kPrinter << F([](Materials &m) { m.changeParameterBy(10, 5, false); }) << changed << unshown
            << "Undo Platform Temp +5 (4 print sets)" << kSampleID;
        QTest::addRow("rename") << kQuality0
                                << F([](Materials &m) { m.setMatNameAndManu("New", "Maker", ""); }) << renamed
                                << unshown << "Undo rename Sample to New" << kSampleID;
        QTest::addRow("same name again: no step")
            << kQuality0 << F([](Materials &m) { m.setMatNameAndManu("Sample", "Maker", ""); })
            << QStringList(renamed.mid(0, 3)) << unshown << "" << 0;
        QTest::addRow("lock") << kQuality0
                              << F([](Materials &m) { m.setMatNameAndManu("Sample", "Maker", kDigest); })
                              << renamed << unshown << "Undo lock Sample" << kSampleID;
        QTest::addRow("material ID") << kQuality0 << F([](Materials &m) { m.modifyMatID(-700); })
                                     << QStringList{"curMatIDChanged", "modifiedChanged"} << unshown
                                     << "Undo ID of Sample: 1001 → 700" << kSampleID;
        QTest::addRow("copy print sets") << kQuality0 << F([](Materials &m) {
            m.availNewSet();
            m.copyCurSets(0);
        }) << QStringList{"qualityChanged"} + kQualityFanOut + kModified
                                         << unshown << "Undo copy 1 print sets to Fast" << kSampleID;
        QTest::addRow("copy print sets, one refused: the step counts what was made") << kNozzle << F([](Materials &m) {
            m.availNewSet();
            m.copyCurSets(1); // to nozzle 0.3, which offers no layer 0.3
        }) << QStringList{"nozzleChanged"} + kNozzleFanOut + kModified
                                         << unshown << "Undo copy 2 print sets to 0.30 mm" << kSampleID;
        QTest::addRow("rename to a name holding a placeholder: shown as typed")
            << kQuality0 << F([](Materials &m) { m.setMatNameAndManu("PLA%2 %1", "Maker", ""); }) << renamed
            << unshown << "Undo rename Sample to PLA%2 %1" << kSampleID;
        QTest::addRow("remove print sets")
            << kPrinter << F([](Materials &m) { m.removeCurSets(); })
            << QStringList{"printerChanged"} + kPrinterFanOut + kModified << unshown
            << "Undo remove 4 print sets of Orvik Solo" << kSampleID;
        QTest::addRow("copy material")
            << kQuality0 << F([](Materials &m) { m.addCopyMaterial(kSampleID); }) << kReselect + kModified
            << unshown << "Undo add Sample_Copy1" << kSampleID;
        QTest::addRow("remove the current material: the next, with its lock")
            << kQuality0 << F([](Materials &m) { m.removeMaterial(kSampleID); }) << kReselect + kModified
            << QStringList{none, no, no, no, "true/Orvik Solo///", "0", "1"} << "Undo remove Sample"
            << kSampleID;
        QTest::addRow("remove the current material, the last: the first, locked although open")
            << kQuality0 << F([](Materials &m) {
                   m.selectMaterial(kOtherID);
                   m.removeMaterial(kOtherID);
               })
            << kReselect + kReselect + kModified
            << QStringList{none, no, no, no, "true/" + materialOnly.section('/', 1), "0", "1"}
            << "Undo remove Other" << kOtherID;
        QTest::addRow("remove another material: only the list refreshes; undone, it comes back current")
            << kQuality0 << F([](Materials &m) { m.removeMaterial(kOtherID); }) << changed
            << QStringList{p, d, l, "Normal", "true/" + lists.section('/', 1), "1", "0"}
            << "Undo remove Other" << kOtherID;
        QTest::addRow("import") << kQuality0 << F([](Materials &m) {
            CPrintMaterial changedSample = sampleMaterial();
            changedSample.m_nPrintTemp = 199;
            writeMaterialFile(m.UserPath() + ".in", {changedSample, makeMaterial("PLA", "A", 7)});
            m.importMaterials(m.UserPath() + ".in", false);
        }) << kReselect + kModified
                                << unshown << "Undo import user.cvx.in" << kSampleID;
        QTest::addRow("import of a file without materials: no step") << kQuality0 << F([](Materials &m) {
            writeAll(m.UserPath() + ".in", "not a material\n");
            m.importMaterials(m.UserPath() + ".in", false);
        }) << kReselect << unshown << "" << 0;
    }
    // clang-format on
    void operations()
    {
        QFETCH(SetKeySpec, from);
        QFETCH(LibraryChange, change);
        QFETCH(QStringList, emitted);
        QFETCH(QStringList, shown);
        QFETCH(QString, undoText);
        QFETCH(int, undoSelects);
        LibraryFixture fx;
        fx.loadSample();
        Materials &m = fx.mats();
        choose(m, from);
        const QStringList before = libraryState(m);
        SignalRecorder rec(&m);
        change(m);
        QCOMPARE(rec.names, emitted);
        if (!shown.isEmpty()) {
            QCOMPARE(::shown(m).mid(0, 6) << QString::number(m.bMatLocked()), shown);
            for (int id = 0; id < kParamCount; ++id)
                QVERIFY2((m.items()->at(id).paramFlag & 2) == 2 * m.bMatLocked(),
                         qPrintable(QString::number(id)));
        }
        const bool step = !undoText.isEmpty();
        QCOMPARE(m.isModified(), step);
        QCOMPARE(m.canUndo(), step);
        if (!step)
            return;
        QCOMPARE(m.undoText(), undoText);
        const QStringList after = libraryState(m);
        m.selectMaterial(kSampleID + kOtherID - undoSelects);
        SignalRecorder undone(&m);

        m.undo();
        QVERIFY(undone.names.join(' ').contains(kReselect.join(' '))); // every menu lists afresh
        QCOMPARE(libraryState(m), before);
        QVERIFY(!m.isModified());
        QCOMPARE(m.curMatID(), undoSelects);
        QCOMPARE(m.curPrinter(), undoSelects == kSampleID ? "Orvik Solo" : "-3D Printer-");
        QCOMPARE(m.redoText(), "Redo" + undoText.mid(4));

        m.redo();
        QCOMPARE(libraryState(m), after);
        QVERIFY(m.isModified());
        QVERIFY(m.exportUserMaterials());
        QVERIFY(!m.isModified());
        m.undo();
        QVERIFY(m.isModified()); // away from what was saved
    }

    // Copying and removing print sets, done or refused, end as if "to" had been chosen afresh.
    // clang-format off
    void copyOrRemove_data()
    {
        QTest::addColumn<int>("material");
        QTest::addColumn<SetKeySpec>("sel");
        QTest::addColumn<QString>("choices"); // empty: not read at this level
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("result");
        QTest::addColumn<SetKeySpec>("to");
        QTest::addColumn<QStringList>("refused"); // what a copy could not make, and why
        const int s = kSampleID;
        QTest::addRow("copy quality 0 to Turbo")
            << s << kQuality0 << kQualities << 1 << 1 << SetKeySpec{10102, 0.4f, 0.2f, 3} << QStringList();
        QTest::addRow("copy layer 0.2 to 0.25")
            << s << kLayer << "Layer: 0.10mm|Layer: 0.15mm|Layer: 0.25mm|Layer: 0.35mm " << 2 << 2
            << SetKeySpec{10102, 0.4f, 0.25f, -1} << QStringList();
        // Nozzle 0.3 offers no layer 0.3: that copy is refused and not counted.
        QTest::addRow("copy nozzle 0.4 to 0.3, an invalid key skipped")
            << s << kNozzle << "Dia: 0.20mm|Dia: 0.30mm|Dia: 0.50mm|Dia: 0.80mm|Dia: 1.00mm " << 1 << 2
            << SetKeySpec{10102, 0.3f, -1, -1}
            << QStringList{"layer 0.30 mm: not offered for nozzle 0.30 mm of Orvik Solo"};
        QTest::addRow("copy printer 10102 to Orvik Solo 3")
            << s << kPrinter << kPrinters << 5 << 4 << SetKeySpec{10113, -1, -1, -1} << QStringList();
        QTest::addRow("copy without a printer: nothing copied, selection moves")
            << s << SetKeySpec{-1000, -1, -1, -1} << kPrinters << 0 << 0 << SetKeySpec{-1, -1, -1, -1} << QStringList();
        QTest::addRow("remove quality: layer kept") << s << kQuality0 << "" << kRemove << 1 << kLayer << QStringList();
        QTest::addRow("remove layer") << s << kLayer << "" << kRemove << 2 << kNozzle << QStringList();
        QTest::addRow("remove printer")
            << s << kPrinter << "" << kRemove << 4 << SetKeySpec{-1000, -1, -1, -1} << QStringList();
        QTest::addRow("copy refused: locked")
            << kOtherID << kQuality0 << "Fine|" + kQualities << 0 << 0 << kQuality0 << QStringList();
        QTest::addRow("copy refused: index past the choices")
            << s << kQuality0 << kQualities << 5 << 0 << kQuality0 << QStringList();
        QTest::addRow("copy refused: choices of this level never read")
            << s << kQuality0 << "" << 0 << 0 << kQuality0 << QStringList();
        QTest::addRow("remove refused: locked") << kOtherID << kQuality0 << "" << kRemove << 0 << kQuality0 << QStringList();
        const SetKeySpec noSet = {10102, 0.4f, 0.2f, 5};
        QTest::addRow("remove refused: quality without a set") << s << noSet << "" << kRemove << 0 << noSet << QStringList();
    }
    // clang-format on
    void copyOrRemove()
    {
        QFETCH(int, material);
        QFETCH(SetKeySpec, sel);
        QFETCH(QString, choices);
        QFETCH(int, index);
        QFETCH(int, result);
        QFETCH(SetKeySpec, to);
        QFETCH(QStringList, refused);
        LibraryFixture fx;
        fx.loadSample(material);
        Materials &m = fx.mats();
        QVERIFY(!m.availNewSet().isEmpty()); // fills the printer-level choices only
        choose(m, sel);
        if (!choices.isEmpty())
            QCOMPARE(m.availNewSet(), choices);
        CPrintMaterial before = *m.currentMaterial();

        QCOMPARE(index == kRemove ? m.removeCurSets() : m.copyCurSets(index), result);
        if (index != kRemove && result > 0)
            QCOMPARE(m.lastCopyReport().value("refused").toStringList(), refused);

        const QStringList after = shown(m);
        m.selectMaterial(material);
        choose(m, to);
        QCOMPARE(after, shown(m));
        CPrintMaterial mat = *m.currentMaterial();
        QCOMPARE(int(mat.m_lstSets.size()),
                 int(before.m_lstSets.size()) + (index == kRemove ? -result : result));
        if (result == 0 || index == kRemove) {
            QVERIFY(result == 0 ? mat == before
                                : mat.ListSets(sel.type, sel.quality, sel.nozzle, sel.layer).empty());
            return;
        }
        // Each copy keeps its source's values and takes the new key; the sources stay.
        const auto sameKey = [&mat](const PrintSetData &key) {
            const auto sets = mat.ListSets(key.nPrinterType, key.nQuality, key.fNozzleDia, key.fLayerThick);
            return sets.empty() ? nullptr : sets.front();
        };
        for (const PrintSetData *source : before.ListSets(sel.type, sel.quality, sel.nozzle, sel.layer)) {
            PrintSetData copy = *source;
            QVERIFY(sameKey(copy) && *sameKey(copy) == copy);
            copy.nPrinterType = to.type;
            copy.fNozzleDia = to.nozzle >= 0 ? to.nozzle : copy.fNozzleDia;
            copy.fLayerThick = to.layer >= 0 ? to.layer : copy.fLayerThick;
            copy.nQuality = to.quality >= 0 ? to.quality : copy.nQuality;
            const PrintSetData *found = sameKey(copy);
            result -= found ? 1 : 0;
            QVERIFY(!found || *found == copy);
        }
        QCOMPARE(result, 0);
    }
};

QTEST_GUILESS_MAIN(TstSelectionCascade)
#include "tst_SelectionCascade.moc"
