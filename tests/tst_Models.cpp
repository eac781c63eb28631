#include "LibraryFixture.h"
#include "models/LayerThickModel.h"
#include "models/MaterialFilterModel.h"
#include "models/MaterialModel.h"
#include "models/NozzleDiaModel.h"
#include "models/PrintSetModel.h"
#include "models/PrinterTypeModel.h"
#include "models/QualityModel.h"

#include <QAbstractItemModelTester>
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

    // The basic page shows its rows while a material is current, the parameter page while print
    // sets are; row 0 of the parameter page is the library's row 9. An empty library shows that
    // there is no material.
    void parameterRowsPerState()
    {
        BasicInfoModel basic;
        PrintParamModel params;
        QAbstractItemModelTester basicTester(&basic, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester paramTester(&params, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<int> counts;
        const auto count = [&] { counts << basic.rowCount() << params.rowCount(); };
        count(); // no library
        basic.setMats(&mats());
        params.setMats(&mats());
        count(); // no current material
        QCOMPARE(QStringList(
                     {mats().curMaterial(), mats().curPrinter(), mats().curNozzle(), mats().availNewSet()}),
                 QStringList({"Material ", "-3D Printer-", "----", ""}));
        m_fx->loadSample();
        count();
        mats().selectPrinter(10102);
        count();
        counts << params.data(params.index(0), PrintSetModel::ParamIDRole).toInt();
        QCOMPARE(counts, QList<int>({0, 0, 0, 0, 9, 0, 9, 36, 9}));
    }

    // clang-format off
    void valueIsRoundedToThreeDecimals_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<double>("shown");
        QTest::addRow("rounded") << 1.2346 << 1.235;
        QTest::addRow("negative float -0.3 percent reads -0.3") << double(-0.003f * 100.0f) << -0.3;
    }
    // clang-format on
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

    // Every text is translated when it is read, in the language of that moment (a row's help is,
    // on the scene's parameter page); printer model names never are, quality names always.
    void textsFollowTheLanguage()
    {
        QVERIFY(writeAll(m_fx->shippedDir() + "/Lang/local_de.json",
                         R"({"--trans version--": 1, "-3D Printer-": "-Drucker-", "Orvik pico": "NEIN",
                             "Dia: %1 ": "Düse %1 ", "Normal": "Norm", "Fast": "Schnell",
                             "Print Temp": "Drucktemperatur"})"));
        PrintSetModel rows;
        QualityModel qualities;
        rows.setMats(&mats());
        qualities.setMats(&mats());
        m_fx->loadSample();
        choose(mats(), {10102, 0.4f, 0.2f, 0});
        const auto texts = [&] {
            const QString row = rows.data(rows.index(0), PrintSetModel::ParamDescRole).toString();
            return QStringList{row, column(qualities, QualityModel::NameRole).join('|'),
                               mats().curPrinter()} +
                   QStringList{mats().curNozzle(), mats().curQuality(), mats().availNewSet()};
        };
        QCOMPARE(texts(), QStringList({"Print Temp", "Normal|Fine", "Orvik Solo", "Dia: 0.40 ", "Normal",
                                       "Fast|Turbo|Custom1|Custom2|Custom3 "}));
        mats().setCurLanguage(2);
        QCOMPARE(texts(), QStringList({"Drucktemperatur", "Norm|Fine", "Orvik Solo", "Düse 0.40 ", "Norm",
                                       "Schnell|Turbo|Custom1|Custom2|Custom3 "}));
        mats().selectMaterial(kSampleID);
        QCOMPARE(mats().curPrinter(), QStringLiteral("-Drucker-"));
        QVERIFY(mats().availNewSet().startsWith(QStringLiteral("Default|Orvik pico|")));
    }

    // Each model follows exactly one signal of the library.
    void eachModelResetsOnItsOwnSignal()
    {
        m_fx->loadSample(); // rows to change
        MaterialModel materialModel;
        PrinterTypeModel printers;
        NozzleDiaModel nozzles;
        LayerThickModel layers;
        QualityModel qualities;
        PrintSetModel rows;
        const QList<QAbstractItemModel *> models{&materialModel, &printers,  &nozzles,
                                                 &layers,        &qualities, &rows};
        QString resets; // the models that reset on each signal
        for (int i = 0; i < models.size(); ++i) {
            models[i]->setProperty("mats", QVariant::fromValue(&mats()));
            models[i]->setProperty("mats", QVariant::fromValue(&mats())); // set again: still one connection
            const auto note = [&resets, i] { resets += QString::number(i); };
            connect(models[i], &QAbstractItemModel::modelReset, note);
            connect(models[i], &QAbstractItemModel::dataChanged, note);
        }
        for (void (Materials::*signal)() :
             {&Materials::matChanged, &Materials::printerChanged, &Materials::nozzleChanged,
              &Materials::layerThickChanged, &Materials::qualityChanged}) {
            emit(mats().*signal)();
            resets += '|';
        }
        QCOMPARE(resets, QStringLiteral("05|1|2|3|4|"));
    }

    // clang-format off
    // Rows that stay where they were change in place and rows added at the end are inserted, so
    // that the views keep the rows they built; anything else resets. The search follows either way.
    void materialRowsChangeInPlace_data()
    {
        QTest::addColumn<LibraryChange>("change");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("found"); // by the search "pla"
        const QStringList all{"V", "W", "PLA", "ABS"};
        QTest::addRow("another material chosen")
            << LibraryChange([](Materials &m) { m.selectMaterial(12); })
            << "changed 0-3|" << all << QStringList{"PLA"};
        QTest::addRow("renamed out of the search")
            << LibraryChange([](Materials &m) { m.setMatNameAndManu("PETG", "KestRona", ""); })
            << "changed 0-3|" << QStringList{"V", "W", "PETG", "ABS"} << QStringList{};
        QTest::addRow("renamed into the search")
            << LibraryChange([](Materials &m) { m.selectMaterial(12); m.setMatNameAndManu("PLA 2", "Tallow", ""); })
            << "changed 0-3|" << QStringList{"V", "W", "PLA", "PLA 2"} << QStringList{"PLA", "PLA 2"};
        QTest::addRow("a copy added at the end")
            << LibraryChange([](Materials &m) { m.addCopyMaterial(11); })
            << "inserted 4-4|changed 0-3|changed 0-4|" << QStringList{"V", "W", "PLA", "ABS", "PLA_Copy1"}
            << QStringList{"PLA", "PLA_Copy1"};
        QTest::addRow("one removed")
            << LibraryChange([](Materials &m) { m.removeMaterial(11); })
            << "reset|changed 0-2|" << QStringList{"V", "W", "ABS"} << QStringList{};
        QTest::addRow("a removal undone: a row back in the middle")
            << LibraryChange([](Materials &m) { m.removeMaterial(11); m.undo(); })
            << "reset|changed 0-2|reset|changed 0-3|" << all << QStringList{"PLA"};
    }
    // clang-format on
    void materialRowsChangeInPlace()
    {
        QFETCH(LibraryChange, change);
        QFETCH(QString, told);
        QFETCH(QStringList, names);
        QFETCH(QStringList, found);
        // What the views are told, an entry repeated at once counted once: the library may say
        // more than once that its material changed.
        QString log;
        const auto note = [&log](const QString &entry) {
            if (!log.endsWith('|' + entry + '|') && log != entry + '|')
                log += entry + '|';
        };
        MaterialModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        MaterialFilterModel filter;
        filter.setFilterText(QStringLiteral("pla"));
        model.setMats(&mats());
        filter.setMats(&mats());
        connect(&model, &QAbstractItemModel::modelReset, [&] { note("reset"); });
        connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex &, int first, int last) {
            note(QStringLiteral("inserted %1-%2").arg(first).arg(last));
        });
        connect(&model, &QAbstractItemModel::dataChanged,
                [&](const QModelIndex &from, const QModelIndex &to) {
                    note(QStringLiteral("changed %1-%2").arg(from.row()).arg(to.row()));
                });
        // The load on its thread: each material that comes in is a row inserted.
        writeMaterialFile(mats().UserPath(),
                          {makeMaterial("PLA", "KestRona", 11), makeMaterial("ABS", "Tallow", 12)});
        m_fx->startWithVendor({makeMaterial("V", "Orvik", 500), makeMaterial("W", "Orvik", 501)}, "1.0.0\n",
                              LibraryFixture::Load::InPieces);
        QVERIFY2(!log.contains("reset"), qPrintable(log));
        QCOMPARE(log.count("inserted"), 3); // the vendor library whole, then the user's one by one
        QCOMPARE(column(model, MaterialModel::NameRole), (QStringList{"V", "W", "PLA", "ABS"}));
        mats().selectMaterial(11);
        log.clear();
        change(mats());
        QCOMPARE(log, told);
        QCOMPARE(column(model, MaterialModel::NameRole), names);
        QCOMPARE(column(filter, MaterialModel::NameRole), found);
        QCOMPARE(column(model, MaterialModel::BCurRole).indexOf("true"),
                 namesOf(mats()).indexOf(mats().curMatName()));
    }

    // clang-format off
    void searchFiltersByNameManufacturerOrId_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("changedOnly"); // hides what is as the vendor has it, never the user's own
        QTest::addColumn<QStringList>("names");
        QTest::addRow("empty shows all") << "" << false << QStringList{"V", "W", "PLA", "ABS"};
        QTest::addRow("changed only: the vendor's as it is hidden") << "" << true << QStringList{"W", "PLA", "ABS"};
        QTest::addRow("manufacturer, any letter case, blanks around ignored")
            << " tALLOW " << false << QStringList{"ABS"};
    }
    // clang-format on
    void searchFiltersByNameManufacturerOrId()
    {
        QFETCH(QString, text);
        QFETCH(bool, changedOnly);
        QFETCH(QStringList, names);
        MaterialFilterModel filter;
        QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        filter.setMats(&mats());
        m_fx->startWithVendor({makeMaterial("V", "Orvik", 500), makeMaterial("W", "Orvik", 501)});
        m_fx->load({makeMaterial("PLA", "KestRona", 11), makeMaterial("ABS", "Tallow", 12)}, 501);
        mats().setParameter(0, 233); // W changed from the vendor's
        filter.setFilterText(text);
        filter.setChangedOnly(changedOnly);
        QCOMPARE(column(filter, MaterialModel::NameRole), names);
        mats().removeMaterial(11); // the filter follows the library
        QCOMPARE(filter.rowCount(), names.size() - int(names.contains("PLA")));
    }
};

QTEST_GUILESS_MAIN(TstModels)
#include "tst_Models.moc"
