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
    void lookups_data()
    {
        QTest::addColumn<QString>("what"); // printer, quality, nozzles or layers
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("nozzle");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *what, int id, double nozzle, const char *expected) {
            QTest::newRow(name) << QString(what) << id << nozzle << QString(expected);
        };
        row("generic printer", "printer", -1, 0, "Default");
        row("old printer ID 10001 resolves to 10102", "printer", 10001, 0, "Orvik Solo");
        row("alias 10007 of 10110", "printer", 10007, 0, "Orvik Solo 2");
        row("gap in the alias table", "printer", 10009, 0, "Unknow printer");
        row("last quality", "quality", 6, 0, "Custom3");
        row("quality one past the end", "quality", 7, 0, "Unknow Quality");
        row("negative quality", "quality", -1, 0, "Unknow Quality");
        row("printer menu: the named types, ascending", "types", 0, 0,
            "-1 10102 10104 10105 10110 10111 10112 10113 10114 10115 10116");
        row("10112 has one nozzle", "nozzles", 10112, 0, "0.4");
        row("alias 10003 of 10104 gets the generic nozzles", "nozzles", 10003, 0,
            "0.2 0.3 0.4 0.5 0.6 0.8 1");
        row("0.2 nozzle", "layers", 10102, 0.2, "0.05 0.07 0.1 0.15");
        row("0.21 starts the second band", "layers", 10102, 0.21, "0.07 0.1 0.15 0.2");
        row("float 0.4 widened stays below 0.41", "layers", 10102, double(0.4f),
            "0.1 0.15 0.2 0.25 0.3 0.35");
        row("0.41 is the bound of the 0.4 band", "layers", 10102, 0.41, "0.2 0.25 0.3 0.35 0.4 0.45");
        row("0.81 takes the last band", "layers", 10102, 0.81, "0.4 0.5 0.6 0.7 0.8");
        row("10112 ignores the nozzle", "layers", 10112, 0.2, "0.15 0.2 0.25 0.3 0.35");
        row("alias 10003 uses the bands", "layers", 10003, 0.4, "0.1 0.15 0.2 0.25 0.3 0.35");
    }

    void lookups()
    {
        QFETCH(QString, what);
        QFETCH(int, id);
        QFETCH(double, nozzle);
        QFETCH(QString, expected);
        const QString got = what == "printer"   ? QString::fromStdString(GetPrinterName(id))
                            : what == "quality" ? QString::fromStdString(GetQualityName(id))
                            : what == "types"   ? show(GetPrinterTypeList())
                            : what == "nozzles" ? show(GetNozzleList(id))
                                                : show(GetLayerThickList(id, nozzle));
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TstPrinterCatalogue)
#include "tst_PrinterCatalogue.moc"
