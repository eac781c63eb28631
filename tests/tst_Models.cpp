#include "LibraryFixture.h"
#include "models/LayerThickModel.h"
#include "models/MaterialFilterModel.h"
#include "models/MaterialModel.h"
#include "models/NozzleDiaModel.h"
#include "models/PrintSetModel.h"
#include "models/PrinterTypeModel.h"
#include "models/QualityModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

// The list models over a real library (their lists, as the scene reads them, are checked with the
// cascade): rows per state, the value cut, translations, the reset wiring and the search.
class TstModels : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LibraryFixture> m_fx;
    Materials &mats() { return m_fx->mats(); }

private slots:
    void init() { m_fx = std::make_unique<LibraryFixture>(); }
    void cleanup() { m_fx.reset(); }

    void parameterRowsPerState()
    {
        BasicInfoModel basic;
        PrintParamModel params;
        QAbstractItemModelTester basicTester(&basic, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester paramTester(&params, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto counts = [&] { return QList<int>({basic.rowCount(), params.rowCount()}); };
        QCOMPARE(counts(), QList<int>({0, 0})); // no library
        basic.setMats(&mats());
        params.setMats(&mats());
        QCOMPARE(counts(), QList<int>({0, 0})); // no current material
        m_fx->loadSample();
        QCOMPARE(counts(), QList<int>({9, 0})); // no print set selected
        mats().selectPrinter(10102);
        QCOMPARE(counts(), QList<int>({9, 36}));
        // Row 0 of the parameter page is the library's row 9.
        QCOMPARE(params.data(params.index(0), PrintSetModel::ParamIDRole).toInt(), 9);
        mats().selectMaterial(kOtherID);
        mats().selectPrinter(10110); // no print sets there
        QCOMPARE(counts(), QList<int>({9, 0}));
    }

    void valueIsRoundedToThreeDecimals_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<double>("shown");
        QTest::addRow("rounded") << 1.2346 << 1.235;
        QTest::addRow("just below a tenth") << 0.0999999 << 0.1;
        QTest::addRow("negative float -0.3 percent reads -0.3") << double(-0.003f * 100.0f) << -0.3;
        QTest::addRow("negative and a half") << -1.5 << -1.5;
        QTest::addRow("off-grid width 0.425") << double(0.425f) << 0.425;
        QTest::addRow("no-value marker unchanged") << -1e10 << -1e10;
    }
    void valueIsRoundedToThreeDecimals()
    {
        QFETCH(double, stored);
        QFETCH(double, shown);
        PrintSetModel model;
        model.setMats(&mats());
        m_fx->loadSample();
        (*mats().items())[3].paramVal = stored;
        QCOMPARE(model.data(model.index(3), PrintSetModel::ParamValRole).toDouble(), shown);
    }

    // Every text is translated when it is read, in the language of that moment; printer model
    // names never are, quality names always.
    void textsFollowTheLanguage()
    {
        QVERIFY(writeAll(m_fx->shippedDir() + "/Lang/local_de.json",
                         R"({"--trans version--": 1, "-3D Printer-": "-Drucker-", "Orvik pico": "NEIN",
                             "Dia: %1 ": "Düse %1 ", "Layer: %1 ": "Schicht %1 ", "Normal": "Norm",
                             "Fast": "Schnell", "Custom3": "Eigene 3", "Print Temp": "Drucktemperatur"})"));
        PrintSetModel rows;
        QualityModel qualities;
        rows.setMats(&mats());
        qualities.setMats(&mats());
        m_fx->loadSample();
        choose(mats(), {10102, 0.4f, 0.2f, -1});
        QCOMPARE(rows.data(rows.index(0), PrintSetModel::ParamDescRole).toString(),
                 QStringLiteral("Print Temp"));
        mats().setCurLanguage(2);
        QCOMPARE(mats().curPrinter(), QStringLiteral("Orvik Solo"));
        QCOMPARE(rows.data(rows.index(0), PrintSetModel::ParamDescRole).toString(),
                 QStringLiteral("Drucktemperatur"));
        QCOMPARE(rows.data(rows.index(0), PrintSetModel::ParamUnitRole).toString(), QStringLiteral("℃"));
        QCOMPARE(column(qualities, QualityModel::NameRole), QStringList({"Norm", "Fine"}));
        mats().selectQuality(0);
        QCOMPARE(QStringList({mats().curNozzle(), mats().curLayerThick(), mats().curQuality()}),
                 QStringList({"Düse 0.40 ", "Schicht 0.20 ", "Norm"}));
        QCOMPARE(mats().availNewSet(), QStringLiteral("Schnell|Turbo|Custom1|Custom2|Eigene 3 "));
        mats().selectMaterial(kSampleID);
        QCOMPARE(mats().curPrinter(), QStringLiteral("-Drucker-"));
        QVERIFY(mats().availNewSet().startsWith(QStringLiteral("Default|Orvik pico|")));
    }

    // Each model follows exactly one signal of the library, and only its latest library.
    void eachModelResetsOnItsOwnSignal()
    {
        MaterialModel materialModel;
        PrinterTypeModel printers;
        NozzleDiaModel nozzles;
        LayerThickModel layers;
        QualityModel qualities;
        PrintSetModel rows;
        LibraryFixture other;
        const QList<QAbstractItemModel *> models{&materialModel, &printers,  &nozzles,
                                                 &layers,        &qualities, &rows};
        for (QAbstractItemModel *m : models) {
            m->setProperty("mats", QVariant::fromValue(&other.mats()));
            m->setProperty("mats", QVariant::fromValue(&mats()));
            m->setProperty("mats", QVariant::fromValue(&mats())); // set again: still one connection
        }
        const QList<void (Materials::*)()> signalsInOrder{
            &Materials::matChanged,        &Materials::printerChanged, &Materials::nozzleChanged,
            &Materials::layerThickChanged, &Materials::qualityChanged, &Materials::matChanged};
        for (int i = 0; i < models.size(); ++i) {
            QList<std::shared_ptr<QSignalSpy>> spies;
            for (QAbstractItemModel *m : models)
                spies << std::make_shared<QSignalSpy>(m, &QAbstractItemModel::modelReset);
            emit(mats().*signalsInOrder[i])();
            emit(other.mats().*signalsInOrder[i])();
            for (int j = 0; j < models.size(); ++j)
                QCOMPARE(spies[j]->count(), signalsInOrder[j] == signalsInOrder[i] ? 1 : 0);
        }
        printers.setMats(nullptr);
        QCOMPARE(printers.rowCount(), 0);
    }

    void searchFiltersByNameManufacturerOrId_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::addRow("empty shows all") << "" << QStringList{"PLA", "ABS"};
        QTest::addRow("name, any letter case") << "pl" << QStringList{"PLA"};
        QTest::addRow("manufacturer") << "TALLOW" << QStringList{"ABS"};
        QTest::addRow("ID") << "12" << QStringList{"ABS"};
        QTest::addRow("blanks around are ignored") << "  abs " << QStringList{"ABS"};
        QTest::addRow("nothing matches") << "PEEK" << QStringList{};
    }
    void searchFiltersByNameManufacturerOrId()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        MaterialFilterModel filter;
        QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        filter.setMats(&mats());
        m_fx->load({makeMaterial("PLA", "KestRona", 11), makeMaterial("ABS", "Tallow", 12)});
        filter.setFilterText(text);
        QCOMPARE(column(filter, MaterialModel::NameRole), names);
        mats().removeMaterial(11); // the filter follows the library
        QCOMPARE(filter.rowCount(), int(names.contains("ABS")));
    }

    void appendedAndRemovedRowsAreAnnounced()
    {
        PrintSetModel rows;
        rows.setMats(&mats());
        m_fx->loadSample();
        mats().selectPrinter(10102);
        QSignalSpy inserted(&rows, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&rows, &QAbstractItemModel::rowsRemoved);
        mats().appendItem();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 45); // at the end
        (*mats().items())[45].paramType = 0;
        (*mats().items())[44].paramType = 0;
        mats().removeCompletedItems();
        // The next row moved up to the same index.
        QCOMPARE(QList<int>({removed.at(0).at(1).toInt(), removed.at(1).at(1).toInt(), rows.rowCount()}),
                 QList<int>({44, 44, 44}));
    }
};

QTEST_GUILESS_MAIN(TstModels)
#include "tst_Models.moc"
