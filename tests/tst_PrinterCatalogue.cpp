#include "core/PrinterCatalogue.h"

#include <QtTest>

namespace {
// A list as text, each value in its shortest exact form, so that failures show both lists.
template <typename T> QString show(const std::vector<T> &values)
{
    QStringList parts;
    for (T v : values)
        parts << QString::number(v, 'g', QLocale::FloatingPointShortest);
    return parts.join(QLatin1Char(' '));
}

const QString kGenericNozzles = QStringLiteral("0.2 0.3 0.4 0.5 0.6 0.8 1");
const QString kSmallPrinterLayers = QStringLiteral("0.15 0.2 0.25 0.3 0.35");
} // namespace

class TstPrinterCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void printerName_data();
    void printerName();
    void qualityName_data();
    void qualityName();
    void fixedLists();
    void nozzleList_data();
    void nozzleList();
    void layerList_data();
    void layerList();
};

void TstPrinterCatalogue::printerName_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("name");

    QTest::addRow("generic type") << -1 << QByteArray("Default");
    QTest::addRow("canonical type") << 10102 << QByteArray("Orvik Solo");
    QTest::addRow("old ID resolves to its type") << 10001 << QByteArray("Orvik Solo");
    QTest::addRow("10007 is an alias of 10110") << 10007 << QByteArray("Orvik Solo 2");
    QTest::addRow("10103 is an alias of 10104") << 10103 << QByteArray("Orvik pico");
    QTest::addRow("plus sign kept") << 10114 << QByteArray("Orvik HULL+");
    QTest::addRow("gap in the alias table") << 10009 << QByteArray("Unknow printer");
    QTest::addRow("other negative") << -2 << QByteArray("Unknow printer");
}

void TstPrinterCatalogue::printerName()
{
    QFETCH(int, id);
    QFETCH(QByteArray, name);
    QCOMPARE(QByteArray::fromStdString(GetPrinterName(id)), name);
}

void TstPrinterCatalogue::qualityName_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("name");

    QTest::addRow("first") << 0 << QByteArray("Normal");
    QTest::addRow("turbo") << 3 << QByteArray("Turbo");
    QTest::addRow("last") << 6 << QByteArray("Custom3");
    QTest::addRow("one past the end") << 7 << QByteArray("Unknow Quality");
    QTest::addRow("negative") << -1 << QByteArray("Unknow Quality");
}

void TstPrinterCatalogue::qualityName()
{
    QFETCH(int, id);
    QFETCH(QByteArray, name);
    QCOMPARE(QByteArray::fromStdString(GetQualityName(id)), name);
}

void TstPrinterCatalogue::fixedLists()
{
    QCOMPARE(show(GetPrinterTypeList()),
             QStringLiteral("-1 10102 10104 10105 10110 10111 10112 10113 10114 10115 10116"));
    QCOMPARE(show(GetQualityList()), QStringLiteral("0 1 2 3 4 5 6"));
}

void TstPrinterCatalogue::nozzleList_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("nozzles");

    QTest::addRow("10112 has one nozzle") << 10112 << QStringLiteral("0.4");
    QTest::addRow("10104 has one nozzle") << 10104 << QStringLiteral("0.4");
    QTest::addRow("alias 10003 of 10104 gets the generic list") << 10003 << kGenericNozzles;
    QTest::addRow("generic type") << -1 << kGenericNozzles;
    QTest::addRow("unknown type") << 4711 << kGenericNozzles;
}

void TstPrinterCatalogue::nozzleList()
{
    QFETCH(int, type);
    QFETCH(QString, nozzles);
    QCOMPARE(show(GetNozzleList(type)), nozzles);
}

void TstPrinterCatalogue::layerList_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("nozzle");
    QTest::addColumn<QString>("layers");

    const QString band04 = QStringLiteral("0.1 0.15 0.2 0.25 0.3 0.35");
    const QString band05 = QStringLiteral("0.2 0.25 0.3 0.35 0.4 0.45");
    const QString band10 = QStringLiteral("0.4 0.5 0.6 0.7 0.8");
    QTest::addRow("0.2 nozzle") << 10102 << 0.2 << QStringLiteral("0.05 0.07 0.1 0.15");
    QTest::addRow("0.21 starts the second band") << 10102 << 0.21 << QStringLiteral("0.07 0.1 0.15 0.2");
    QTest::addRow("0.4 nozzle") << 10102 << 0.4 << band04;
    QTest::addRow("float 0.4 widened stays below 0.41") << 10102 << double(0.4f) << band04;
    QTest::addRow("0.41 is the bound of the 0.4 band") << 10102 << 0.41 << band05;
    QTest::addRow("0.6 nozzle") << 10102 << 0.6 << QStringLiteral("0.3 0.35 0.4 0.45 0.5");
    QTest::addRow("0.8 nozzle") << 10102 << 0.8 << QStringLiteral("0.35 0.4 0.45 0.5 0.6");
    QTest::addRow("0.81 takes the last band") << 10102 << 0.81 << band10;
    QTest::addRow("1.5 beyond the table") << 10102 << 1.5 << band10;
    QTest::addRow("10112 ignores the nozzle") << 10112 << 0.2 << kSmallPrinterLayers;
    QTest::addRow("10104 ignores the nozzle") << 10104 << 1.0 << kSmallPrinterLayers;
    QTest::addRow("alias 10003 uses the bands") << 10003 << 0.4 << band04;
}

void TstPrinterCatalogue::layerList()
{
    QFETCH(int, type);
    QFETCH(double, nozzle);
    QFETCH(QString, layers);
    QCOMPARE(show(GetLayerThickList(type, nozzle)), layers);
}

QTEST_GUILESS_MAIN(TstPrinterCatalogue)
#include "tst_PrinterCatalogue.moc"
