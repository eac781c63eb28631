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
} // namespace

class TstPrinterCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void lists_data();
    void lists();
    void menus();
};

void TstPrinterCatalogue::names_data()
{
    QTest::addColumn<bool>("quality");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("name");

    QTest::addRow("generic printer") << false << -1 << QByteArray("Default");
    QTest::addRow("old printer ID 10001 resolves to 10102") << false << 10001 << QByteArray("Orvik Solo");
    QTest::addRow("alias 10007 of 10110") << false << 10007 << QByteArray("Orvik Solo 2");
    QTest::addRow("gap in the alias table") << false << 10009 << QByteArray("Unknow printer");
    QTest::addRow("last quality") << true << 6 << QByteArray("Custom3");
    QTest::addRow("quality one past the end") << true << 7 << QByteArray("Unknow Quality");
    QTest::addRow("negative quality") << true << -1 << QByteArray("Unknow Quality");
}

void TstPrinterCatalogue::names()
{
    QFETCH(bool, quality);
    QFETCH(int, id);
    QFETCH(QByteArray, name);
    QCOMPARE(QByteArray::fromStdString(quality ? GetQualityName(id) : GetPrinterName(id)), name);
}

void TstPrinterCatalogue::lists_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("nozzle"); // negative: the type's nozzle list
    QTest::addColumn<QString>("list");

    const QString band04 = QStringLiteral("0.1 0.15 0.2 0.25 0.3 0.35");
    QTest::addRow("10112 has one nozzle") << 10112 << -1.0 << QStringLiteral("0.4");
    QTest::addRow("alias 10003 of 10104 gets the generic nozzles") << 10003 << -1.0
                                                                   << QStringLiteral("0.2 0.3 0.4 0.5 0.6 0.8 1");
    QTest::addRow("0.2 nozzle") << 10102 << 0.2 << QStringLiteral("0.05 0.07 0.1 0.15");
    QTest::addRow("0.21 starts the second band") << 10102 << 0.21 << QStringLiteral("0.07 0.1 0.15 0.2");
    QTest::addRow("float 0.4 widened stays below 0.41") << 10102 << double(0.4f) << band04;
    QTest::addRow("0.41 is the bound of the 0.4 band") << 10102 << 0.41
                                                       << QStringLiteral("0.2 0.25 0.3 0.35 0.4 0.45");
    QTest::addRow("0.81 takes the last band") << 10102 << 0.81 << QStringLiteral("0.4 0.5 0.6 0.7 0.8");
    QTest::addRow("10112 ignores the nozzle") << 10112 << 0.2 << QStringLiteral("0.15 0.2 0.25 0.3 0.35");
    QTest::addRow("alias 10003 uses the bands") << 10003 << 0.4 << band04;
}

void TstPrinterCatalogue::lists()
{
    QFETCH(int, type);
    QFETCH(double, nozzle);
    QFETCH(QString, list);
    QCOMPARE(show(nozzle < 0 ? GetNozzleList(type) : GetLayerThickList(type, nozzle)), list);
}

void TstPrinterCatalogue::menus()
{
    QCOMPARE(show(GetPrinterTypeList()),
             QStringLiteral("-1 10102 10104 10105 10110 10111 10112 10113 10114 10115 10116"));
    QCOMPARE(show(GetQualityList()), QStringLiteral("0 1 2 3 4 5 6"));
}

QTEST_GUILESS_MAIN(TstPrinterCatalogue)
#include "tst_PrinterCatalogue.moc"
