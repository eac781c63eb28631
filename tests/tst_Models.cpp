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

#include <memory>

// The list models over a real library: rows per state, roles, the value cut, translations and
// the one-signal reset wiring.
class TstModels : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LibraryFixture> m_fx;

    Materials &mats() { return m_fx->mats(); }
    void loadLibrary()
    {
        const QString path = m_fx->dataDir() + QStringLiteral("/lib.cvx");
        QVERIFY(writeMaterialFile(path, {makeMaterial("PLA", "KestRona", 11, {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.1f, 1}}),
                                         makeMaterial("ABS", "Tallow", 12)}));
        mats().importMaterials(path, false);
    }

private slots:
    void init()
    {
        m_fx = std::make_unique<LibraryFixture>();
    }
    void cleanup() { m_fx.reset(); }

    void parameterRowsPerState()
    {
        BasicInfoModel basic;
        PrintParamModel params;
        QAbstractItemModelTester basicTester(&basic, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester paramTester(&params, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(basic.rowCount(), 0); // no library
        basic.setMats(&mats());
        params.setMats(&mats());
        QCOMPARE(basic.rowCount(), 0); // no current material
        loadLibrary();
        QCOMPARE(basic.rowCount(), 9);
        QCOMPARE(params.rowCount(), 0); // no print set selected
        mats().selectPrinter(10102);
        QCOMPARE(basic.rowCount(), 9);
        QCOMPARE(params.rowCount(), 36);
        // Row 0 of the parameter page is the library's row 9.
        QCOMPARE(params.data(params.index(0), PrintSetModel::ParamIDRole).toInt(), 9);
        mats().selectMaterial(12); // no print sets at all
        QCOMPARE(params.rowCount(), 0);
    }

    void rolesKeepTheirNumbers()
    {
        PrintSetModel model;
        const QHash<int, QByteArray> roles = model.roleNames();
        QCOMPARE(roles.value(256), QByteArray("paramID"));
        QCOMPARE(roles.value(258), QByteArray("paramFlag"));
        QCOMPARE(roles.value(259), QByteArray("paramVal"));
        QCOMPARE(roles.value(267), QByteArray("labelStep"));
        QCOMPARE(roles.size(), 14);
        model.setMats(&mats());
        loadLibrary();
        QVERIFY(!model.data(model.index(0), 255).isValid());
        QVERIFY(!model.data(model.index(0), 270).isValid());
        QCOMPARE(model.flags(model.index(0)), Qt::ItemIsEditable);
        QCOMPARE(model.flags(QModelIndex()), Qt::NoItemFlags);
    }

    void valueIsRoundedToThreeDecimals_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<double>("shown");
        QTest::addRow("rounded") << 1.2346 << 1.235;
        QTest::addRow("whole") << 2.0 << 2.0;
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
        loadLibrary();
        (*mats().items())[3].paramVal = stored;
        QCOMPARE(model.data(model.index(3), PrintSetModel::ParamValRole).toDouble(), shown);
    }

    void textsAreTranslatedOnEveryRead()
    {
        QVERIFY(writeAll(m_fx->shippedDir() + "/Lang/local_zh.json",
                         R"({"--trans version--": 1, "Print Temp": "打印温度", "Fine": "精细"})"));
        PrintSetModel rows;
        QualityModel qualities;
        rows.setMats(&mats());
        qualities.setMats(&mats());
        loadLibrary();
        mats().selectPrinter(10102);
        mats().selectNozzle(0.4f);
        mats().selectLayerThick(0.1f);
        QCOMPARE(rows.data(rows.index(0), PrintSetModel::ParamDescRole).toString(), QStringLiteral("Print Temp"));
        mats().setCurLanguage(10);
        QCOMPARE(rows.data(rows.index(0), PrintSetModel::ParamDescRole).toString(), QStringLiteral("打印温度"));
        QCOMPARE(qualities.data(qualities.index(0), QualityModel::NameRole).toString(), QStringLiteral("精细"));
        QCOMPARE(rows.data(rows.index(0), PrintSetModel::ParamUnitRole).toString(), QStringLiteral("℃"));
    }

    void selectionRows()
    {
        MaterialModel materialsModel;
        PrinterTypeModel printers;
        NozzleDiaModel nozzles;
        LayerThickModel layers;
        QAbstractItemModelTester tester(&materialsModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(!printers.data(printers.index(0), PrinterTypeModel::NameRole).isValid()); // no library
        for (auto *m : std::initializer_list<QObject *>{&materialsModel, &printers, &nozzles, &layers})
            m->setProperty("mats", QVariant::fromValue(&mats()));
        loadLibrary();
        mats().selectPrinter(10102);
        mats().selectNozzle(0.4f);
        QCOMPARE(materialsModel.rowCount(), 2);
        QCOMPARE(materialsModel.data(materialsModel.index(0), MaterialModel::BCurRole).toBool(), true);
        QCOMPARE(materialsModel.data(materialsModel.index(1), MaterialModel::BCurRole).toBool(), false);
        QCOMPARE(materialsModel.data(materialsModel.index(1), MaterialModel::MatIDRole).toInt(), 12);
        QVERIFY(!materialsModel.data(materialsModel.index(0), 261).isValid());
        QCOMPARE(printers.data(printers.index(0), PrinterTypeModel::NameRole).toString(), QStringLiteral("Orvik Solo"));
        QCOMPARE(nozzles.data(nozzles.index(0), NozzleDiaModel::StrDiaRole).toString(), QStringLiteral("0.40mm"));
        QCOMPARE(nozzles.data(nozzles.index(0), NozzleDiaModel::DDiaRole).toFloat(), 0.4f);
        QCOMPARE(layers.data(layers.index(0), LayerThickModel::StrThickRole).toString(), QStringLiteral("0.10mm"));
        QVERIFY(!layers.data(layers.index(0), 258).isValid());
        QCOMPARE(printers.flags(printers.index(0)), Qt::ItemIsEditable);
        mats().selectMaterial(-5); // no such ID: the first material, so one row stays current
        mats().removeMaterial(11);
        QCOMPARE(materialsModel.data(materialsModel.index(0), MaterialModel::BCurRole).toBool(), true);
    }

    // Each model follows exactly one signal of the library.
    void eachModelResetsOnItsOwnSignal()
    {
        MaterialModel materialModel;
        PrinterTypeModel printers;
        NozzleDiaModel nozzles;
        LayerThickModel layers;
        QualityModel qualities;
        PrintSetModel rows;
        QList<QAbstractItemModel *> models{&materialModel, &printers, &nozzles, &layers, &qualities, &rows};
        for (QAbstractItemModel *m : models)
            m->setProperty("mats", QVariant::fromValue(&mats()));
        loadLibrary();
        const QList<void (Materials::*)()> signalsInOrder{&Materials::matChanged, &Materials::printerChanged,
                                                          &Materials::nozzleChanged, &Materials::layerThickChanged,
                                                          &Materials::qualityChanged, &Materials::matChanged};
        for (int i = 0; i < models.size(); ++i) {
            QList<std::shared_ptr<QSignalSpy>> spies;
            for (QAbstractItemModel *m : models)
                spies << std::make_shared<QSignalSpy>(m, &QAbstractItemModel::modelReset);
            emit(mats().*signalsInOrder[i])();
            for (int j = 0; j < models.size(); ++j) {
                const bool follows = signalsInOrder[j] == signalsInOrder[i];
                QCOMPARE(spies[j]->count(), follows ? 1 : 0);
            }
        }
    }

    void settingMatsAgainLeavesOneConnection()
    {
        PrinterTypeModel printers;
        PrintSetModel rows;
        printers.setMats(&mats());
        printers.setMats(&mats());
        rows.setMats(&mats());
        rows.setMats(&mats());
        QSignalSpy printerResets(&printers, &QAbstractItemModel::modelReset);
        QSignalSpy rowResets(&rows, &QAbstractItemModel::modelReset);
        emit mats().printerChanged();
        emit mats().matChanged();
        QCOMPARE(printerResets.count(), 1);
        QCOMPARE(rowResets.count(), 1);

        LibraryFixture other; // a second library replaces the first
        printers.setMats(&other.mats());
        printerResets.clear();
        emit mats().printerChanged();
        QCOMPARE(printerResets.count(), 0);
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
        loadLibrary();
        filter.setFilterText(text);
        QStringList shown;
        for (int row = 0; row < filter.rowCount(); ++row)
            shown << filter.data(filter.index(row, 0), MaterialModel::NameRole).toString();
        QCOMPARE(shown, names);
        mats().removeMaterial(11); // the filter follows the library
        QCOMPARE(filter.rowCount(), int(names.contains("ABS")));
    }

    void appendedAndRemovedRowsAreAnnounced()
    {
        PrintSetModel rows;
        rows.setMats(&mats());
        loadLibrary();
        mats().selectPrinter(10102);
        QSignalSpy inserted(&rows, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&rows, &QAbstractItemModel::rowsRemoved);
        mats().appendItem();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 45); // at the end
        (*mats().items())[45].paramType = 0;
        (*mats().items())[44].paramType = 0;
        mats().removeCompletedItems();
        QCOMPARE(removed.count(), 2);
        QCOMPARE(removed.at(0).at(1).toInt(), 44);
        QCOMPARE(removed.at(1).at(1).toInt(), 44); // the next row moved up to the same index
        QCOMPARE(rows.rowCount(), 44);
    }
};

QTEST_GUILESS_MAIN(TstModels)
#include "tst_Models.moc"
