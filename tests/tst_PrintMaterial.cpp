#include "core/MaterialAdvice.h"
#include "core/MaterialIdentity.h"
#include "core/ParamItem.h"
#include "core/PrintMaterial.h"
#include "core/PrinterCatalogue.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

namespace {
// Keys as {printer type, nozzle, layer, quality}; the other fields keep their defaults.
using Keys = std::vector<PrintSetData>;

// Sets go straight into the list, marked 0, 1, 2... in the given order.
CPrintMaterial withSets(const Keys &keys)
{
    CPrintMaterial mat;
    for (PrintSetData s : keys) {
        s.nBasicTemp = int(mat.m_lstSets.size()); // a marker that tells the sets apart
        mat.m_lstSets.push_back(s);
    }
    return mat;
}

// A..D of 10102, E of 10110, F of the generic type.
const Keys kSample = {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}, {10102, 0.4f, 0.3f, 0},
                      {10102, 0.6f, 0.3f, 0}, {10110, 0.4f, 0.2f, 0}, {-1, 0.4f, 0.2f, 0}};
const char kLock[] = "0123456789abcdef0123456789abcdef";

// A list as text, each value in its shortest exact form, so that failures show both lists.
template <typename T> QString show(const std::vector<T> &values)
{
    QStringList parts;
    for (T v : values)
        parts << QString::number(v, 'g', QLocale::FloatingPointShortest);
    return parts.join(QLatin1Char(' '));
}
} // namespace

Q_DECLARE_METATYPE(PrintSetData)
Q_DECLARE_METATYPE(Keys)
using SetValues = QList<QList<double>>;
Q_DECLARE_METATYPE(SetValues)

class TstPrintMaterial : public QObject
{
    Q_OBJECT

private slots:
    // The catalogue's rules: aliases, names out of range, the generic lists, the bounds of the bands.
    // clang-format off
    void catalogue_data()
    {
        QTest::addColumn<QString>("what"); // printer, quality, nozzles, layers or day
        QTest::addColumn<int>("id");       // for a day, seconds after 2000-01-01 00:00 local time
        QTest::addColumn<double>("nozzle");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *what, int id, double nozzle, const char *expected) {
            QTest::newRow(name) << QString(what) << id << nozzle << QString(expected);
        };
        row("old printer ID 10001 resolves to 10102", "printer", 10001, 0, "Orvik Solo");
        row("gap in the alias table", "printer", 10009, 0, "Unknow printer");
        row("quality one past the end", "quality", 7, 0, "Unknow Quality");
        row("alias 10003 of 10104 gets the generic nozzles", "nozzles", 10003, 0,
            "0.2 0.3 0.4 0.5 0.6 0.8 1");
        row("0.21 starts the second band", "layers", 10102, 0.21, "0.07 0.1 0.15 0.2");
        row("float 0.4 widened stays below 0.41", "layers", 10102, double(0.4f),
            "0.1 0.15 0.2 0.25 0.3 0.35");
        row("0.41 is the bound of the 0.4 band", "layers", 10102, 0.41, "0.2 0.25 0.3 0.35 0.4 0.45");
        row("10112 ignores the nozzle", "layers", 10112, 0.2, "0.15 0.2 0.25 0.3 0.35");
        row("creation day: a second short of one day", "day", 86399, 0, "0");
        row("creation day: exactly one day", "day", 86400, 0, "1");
        row("creation day before the reference counts its distance", "day", -129600, 0, "1");
    }
    // clang-format on

    void catalogue()
    {
        QFETCH(QString, what);
        QFETCH(int, id);
        QFETCH(double, nozzle);
        QFETCH(QString, expected);
        const QDateTime day(QDate(2000, 1, 1), QTime(0, 0), Qt::LocalTime);
        const QString got = what == "printer"   ? QString::fromStdString(GetPrinterName(id))
                            : what == "quality" ? QString::fromStdString(GetQualityName(id))
                            : what == "nozzles" ? show(GetNozzleList(id))
                            : what == "day"     ? QString::number(CreationDayNumber(day.addSecs(id)))
                                                : show(GetLayerThickList(id, nozzle));
        QCOMPARE(got, expected);
    }

    // clang-format off
    void generatedId_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("typeCode"); // -1: none, the ID's type byte is random from 64 to 255
        QTest::addRow("lower case pla") << QByteArray("pla") << 1;
        QTest::addRow("PCTG begins with PC") << QByteArray("PCTG") << 5;
        QTest::addRow("PETG is 4, not PC") << QByteArray("PETG") << 4;
        QTest::addRow("key later in the name") << QByteArray("Silk PLA") << -1;
    }
    // clang-format on

    // An ID is 1..100, 0xFF, the type byte, a random byte; the random parts vary from draw to draw.
    void generatedId()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, typeCode);
        QCOMPARE(MaterialTypeCode(name.toStdString()), typeCode);
        CPrintMaterial mat;
        mat.SetNameAndManu(name.constData(), "\xff\xfe");
        std::set<uint32_t> ids;
        for (int draw = 0; draw < 2000; ++draw) {
            const uint32_t id = uint32_t(mat.GenerateID()), top = id >> 24, type = (id >> 8) & 0xFF;
            QVERIFY2(uint32_t(mat.m_nMatID) == id && top >= 1 && top <= 100 && ((id >> 16) & 0xFF) == 0xFF &&
                         (typeCode >= 0 ? type == uint32_t(typeCode) : type >= 64),
                     qPrintable(QString::number(id, 16)));
            ids.insert(id);
        }
        QVERIFY(ids.size() > 1000); // fewer if the top or the low byte were fixed
    }

    // clang-format off
    void addOrReplace_data()
    {
        QTest::addColumn<PrintSetData>("added");
        QTest::addColumn<QByteArray>("lock"); // null: none given
        QTest::addColumn<int>("result");
        // The record holds one set of 10102, nozzle 0.4, layer 0.2, quality 0, and is locked.
        const QByteArray own(kLock);
        const auto row = [&](const char *name, PrintSetData added, int result) {
            QTest::newRow(name) << added << own << result;
        };
        row("nozzle 0.405 within 0.01 replaces", {10102, 0.405f, 0.2f, 0}, 0);
        row("layer 0.2005 within 0.001 replaces", {10102, 0.4f, 0.2005f, 0}, 0);
        row("negative quality overwrites the first match", {10102, 0.4f, 0.2f, -1}, 0);
        row("other quality appends", {10102, 0.4f, 0.2f, 1}, 1);
        row("layer 0.205 is not 0.2, and not offered", {10102, 0.4f, 0.205f, 0}, -2);
        row("alias 10003 is checked with the generic lists", {10003, 0.6f, 0.3f, 0}, 1);
        const PrintSetData valid{10102, 0.4f, 0.3f, 0};
        QTest::addRow("no lock text refused") << valid << QByteArray() << -1;
        QTest::addRow("a prefix of the lock text refused") << valid << own.left(31) << -1;
    }
    // clang-format on

    // The whole set, key included, is stored; a refused lock text also removes nothing.
    void addOrReplace()
    {
        QFETCH(PrintSetData, added);
        QFETCH(QByteArray, lock);
        QFETCH(int, result);
        CPrintMaterial mat = withSets({{10102, 0.4f, 0.2f, 0}});
        std::strcpy(mat.m_szPwMD5, kLock);
        const std::list<PrintSetData> before = mat.m_lstSets;
        added.fSpeed[2] = 99.0f;
        const char *given = lock.isNull() ? nullptr : lock.constData();
        QCOMPARE(mat.AddOrReplaceSet(added, given), result);
        QCOMPARE(mat.m_lstSets.size(), before.size() + (result == 1 ? 1 : 0));
        if (result < 0)
            QVERIFY(mat.m_lstSets == before);
        else
            QVERIFY((result == 0 ? mat.m_lstSets.front() : mat.m_lstSets.back()) == added);
        QCOMPARE(mat.RemoveSets(10102, -1, given, -1, -1) > 0, result != -1);
    }

    // A lookup stops at the first negative part of its pattern; a removal tests each part on its own.
    // clang-format off
    void listAndRemove_data()
    {
        QTest::addColumn<PrintSetData>("pattern");
        QTest::addColumn<QList<int>>("listed");
        QTest::addColumn<QList<int>>("remaining");
        using L = QList<int>;
        QTest::addRow("nozzle within tolerance") << PrintSetData{10102, 0.405f, -1, -1} << L{0, 1, 2}
                                                 << L{3, 4, 5};
        QTest::addRow("wildcard nozzle") << PrintSetData{10102, -1, 0.3f, 1} << L{0, 1, 2, 3}
                                         << L{0, 1, 2, 3, 4, 5};
        QTest::addRow("wildcard layer") << PrintSetData{10102, 0.4f, -1, 0} << L{0, 1, 2} << L{1, 3, 4, 5};
        QTest::addRow("type -1 is the generic type, not a wildcard")
            << PrintSetData{-1, -1, -1, -1} << L{5} << L{0, 1, 2, 3, 4};
        QTest::addRow("alias is not resolved")
            << PrintSetData{10007, -1, -1, -1} << L() << L{0, 1, 2, 3, 4, 5};
    }
    // clang-format on

    void listAndRemove()
    {
        QFETCH(PrintSetData, pattern);
        const PrintSetData &p = pattern;
        QFETCH(QList<int>, listed);
        QFETCH(QList<int>, remaining);
        CPrintMaterial mat = withSets(kSample);
        const auto sets = mat.ListSets(p.nPrinterType, p.nQuality, p.fNozzleDia, p.fLayerThick);
        QList<int> found;
        for (const PrintSetData *s : sets)
            found << s->nBasicTemp;
        QCOMPARE(found, listed);
        QCOMPARE(mat.RemoveSets(p.nPrinterType, p.nQuality, nullptr, p.fNozzleDia, p.fLayerThick),
                 int(kSample.size()) - remaining.size());
        QList<int> left;
        for (const PrintSetData &s : mat.m_lstSets)
            left << s.nBasicTemp;
        QCOMPARE(left, remaining);
    }

    // What the menus offer: the nozzles of a type, the layers of a nozzle, or the qualities of a layer.
    // clang-format off
    void menus_data()
    {
        QTest::addColumn<Keys>("sets");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<int>("type");
        QTest::addColumn<float>("nozzle"); // negative: the nozzles
        QTest::addColumn<float>("layer");  // negative: the layers of the nozzle
        QTest::addColumn<QList<float>>("offered");
        using F = QList<float>;
        const Keys generic = {{-1, 0.4f, 0.2f, 0}, {-1, 0.2f, 0.1f, 0}};
        const Keys own = {{10102, 0.4f, 0.3f, 0},  {10102, 0.6f, 0.4f, 0},   {10102, 0.4f, 0.2005f, 2},
                          {10102, 0.2f, 0.05f, 0}, {10102, 0.405f, 0.2f, 0}, {10102, 0.4f, 0.205f, 3},
                          {10110, 0.4f, 0.15f, 0}, {-1, 0.4f, 0.25f, 5},     {-1, 0.8f, 0.4f, 0}};
        QTest::addRow("alias 10007 lists the sets of 10110")
            << Keys{{10110, 0.6f, 0.3f, 0}, {10102, 0.3f, 0.1f, 0}} << true << 10007 << -1.f << -1.f
            << F{0.6f};
        QTest::addRow("fallback to the generic sets") << generic << true << 10102 << -1.f << -1.f
                                                      << F{0.2f, 0.4f};
        QTest::addRow("no fallback, no nozzles") << generic << false << 10102 << -1.f << -1.f << F{};
        QTest::addRow("own sets hide the generic ones, nozzles 0.4 and 0.405 give one entry")
            << own << true << 10102 << -1.f << -1.f << F{0.2f, 0.405f, 0.6f}; // the first in sorted order
        QTest::addRow("layers 0.2 and 0.2005 give one entry, 0.205 is another")
            << own << true << 10102 << 0.4f << -1.f << F{0.2f, 0.205f, 0.3f};
        QTest::addRow("qualities take layers within 0.01 as the same")
            << own << true << 10102 << 0.4f << 0.2f << F{0, 2, 3};
    }
    // clang-format on

    void menus()
    {
        QFETCH(Keys, sets);
        QFETCH(bool, fallback);
        QFETCH(int, type);
        QFETCH(float, nozzle);
        QFETCH(float, layer);
        QFETCH(QList<float>, offered);
        CPrintMaterial mat = withSets(sets);
        mat.m_bDefaultFallback = fallback;
        std::vector<float> values;
        std::set<int32_t> qualities;
        if (nozzle < 0)
            mat.ListNozzles(type, values);
        else if (layer < 0)
            mat.ListLayerThicks(type, values, nozzle);
        else
            mat.ListQualities(type, qualities, nozzle, layer);
        values.insert(values.end(), qualities.begin(), qualities.end());
        QCOMPARE(QList<float>(values.begin(), values.end()), offered);
        // The list stays sorted: that is the order in which sets are written.
        QVERIFY(std::is_sorted(mat.m_lstSets.begin(), mat.m_lstSets.end(), LessPrintSet));
    }

    void updateDerived()
    {
        CPrintMaterial mat = withSets({{10102, 0.4f, 0.199f, 0}, {10102, 0.4f, 0.256f, 1}});
        mat.m_nPrintTemp = 233;
        mat.m_nPlatTemp = 61;
        PrintSetData &a = mat.m_lstSets.front();
        a.fAcc[0] = 800.0f;
        a.fAcc[1] = 1200.0f;
        a.fAcc[2] = NAN;
        a.fP17 = 3.0f;
        QCOMPARE(mat.UpdateDerived(), 1);
        // The factor is of the 1.7 mm default, squared in single precision.
        QCOMPARE(
            QList<float>({a.fLayerThick, mat.m_lstSets.back().fLayerThick, a.fAcc[0], a.fAcc[1], a.fAcc[2],
                          a.fP17, float(mat.m_nPrintTemp2), float(mat.m_nPlatTemp2), mat.m_fDiaFactor}),
            QList<float>({0.2f, 0.26f, 1000.0f, 1200.0f, 1000.0f, 150.0f, 233.0f, 61.0f, 10.0f}));

        // A copy owns its sets, and its cursor points into its own list (nowhere, at first).
        mat.SetNameAndManu("PETG", "Maker");
        mat.m_itCurSet = mat.m_lstSets.begin();
        CPrintMaterial copy(mat), assigned;
        assigned = mat;
        for (CPrintMaterial *c : {&copy, &assigned}) {
            QVERIFY(*c == mat && c->m_itCurSet == c->m_lstSets.end());
            c->m_lstSets.front().nRaftTemp = 199;
        }
        QCOMPARE(mat.m_lstSets.front().nRaftTemp, 220);
    }

    // A shown value stored into its field, converted, and shown again; rows 0 to 8 edit the record,
    // 9 to 44 a print set.
    // clang-format off
    void conversions_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("shown");
        QTest::addColumn<double>("shownBack");
        QTest::addRow("print temp 215.9 stores 215") << 0 << 215.9 << 215.0;
        QTest::addRow("1e12 saturates") << 9 << 1e12 << 2147483647.0;
        QTest::addRow("NaN stores 0 in an integer") << 42 << double(NAN) << 0.0;
        QTest::addRow("shrink 0.3 percent in single precision") << 6 << 0.3 << 0.30000001192092896;
        QTest::addRow("bottom width 80 shows 80.0001") << 30 << 80.0 << 80.0001;
        QTest::addRow("extrusion 105 has no offset") << 22 << 105.0 << 104.99999237060547;
    }
    // clang-format on

    void conversions()
    {
        QFETCH(int, id);
        QFETCH(double, shown);
        QFETCH(double, shownBack);
        CPrintMaterial mat;
        PrintSetData set;
        StoreBasicValue(mat, id, shown);
        StorePrintValue(set, id, shown);
        QCOMPARE(id <= 8 ? ShownBasicValue(mat, id) : ShownPrintValue(set, id), shownBack);
    }

    // A change by an amount or a percentage works on the stored value: +X then -X gives back the
    // same bytes, a change of 0 is none, integer fields round to the nearest, and a limit holds a
    // value only where the change crossed it.
    // clang-format off
    void changeByStoredValue_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("stored"); // as shown
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("percent");
        QTest::addColumn<double>("result"); // as shown; the same as stored: nothing changed
        QTest::addColumn<bool>("comesBack"); // minus the amount gives back the stored bytes
        QTest::addRow("percent row +5 then -5") << 21 << 115.0 << 5.0 << false << 120.0 << true;
        QTest::addRow("percent row with display offset +1 then -1") << 30 << 80.0 << 1.0 << false << 81.0 << true;
        QTest::addRow("percent row +0") << 21 << 115.0 << 0.0 << false << 115.0 << false;
        QTest::newRow("percent row +0 %") << 33 << 20.0 << 0.0 << true << 20.0 << false;
        QTest::addRow("width +0.05 then -0.05") << 24 << 0.43 << 0.05 << false << 0.48 << true;
        QTest::addRow("speed above the range, plus: stays") << 15 << 250.0 << 5.0 << false << 250.0 << false;
        QTest::addRow("speed above the range, minus: moves down") << 15 << 250.0 << -5.0 << false << 245.0 << false;
        QTest::addRow("speed crossing the top: held there") << 15 << 195.0 << 10.0 << false << 200.0 << false;
        QTest::addRow("acceleration below the floor, minus: stays") << 18 << 800.0 << -100.0 << false << 800.0
                                                                    << false;
        QTest::newRow("integer -1 %: to the nearest, 212.85 is 213") << 9 << 215.0 << -1.0 << true << 213.0 << false;
        QTest::addRow("integer +2.5: 17.5 is 18") << 12 << 15.0 << 2.5 << false << 18.0 << false;
    }
    // clang-format on
    void changeByStoredValue()
    {
        QFETCH(int, id);
        QFETCH(double, stored);
        QFETCH(double, amount);
        QFETCH(bool, percent);
        QFETCH(double, result);
        QFETCH(bool, comesBack);
        const ParamItem row = BuildParamCatalogue()[id];
        PrintSetData set;
        StorePrintValue(set, id, stored);
        const PrintSetData before = set;
        const bool changed = ChangePrintValueBy(set, id, amount, percent, row.minVal, row.maxVal);
        QCOMPARE(changed, !(set == before));
        QCOMPARE(RoundShownValue(ShownPrintValue(set, id)), result);
        QCOMPARE(set == before, RoundShownValue(ShownPrintValue(before, id)) == result);
        if (comesBack) {
            QVERIFY(ChangePrintValueBy(set, id, -amount, percent, row.minVal, row.maxVal));
            QVERIFY(set == before);
        }
    }

    // clang-format off
    void loadPrintRows_data()
    {
        QTest::addColumn<int>("sets");
        QTest::addColumn<float>("secondSpeed");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("speedFlag");
        QTest::addRow("no set: no values") << 0 << 0.0f << true << -1e10 << 3;
        QTest::addRow("40 and 40.0004 are one value") << 2 << 40.0004f << false << 40.0 << 1;
        QTest::addRow("40 and 40.001 are two, as the pages show them") << 2 << 40.001f << false << 40.0 << 0;
        QTest::addRow("locked and disagreeing keeps bit 1") << 2 << 39.0f << true << 40.0 << 2;
    }
    // clang-format on

    void loadPrintRows()
    {
        QFETCH(int, sets);
        QFETCH(float, secondSpeed);
        QFETCH(bool, locked);
        QFETCH(double, speed);
        QFETCH(int, speedFlag);
        PrintSetData first, second;
        first.fSpeed[0] = 40.0f;
        second.fSpeed[0] = secondSpeed;
        first.nPlatTemp = second.nPlatTemp = 66;
        QVector<ParamItem> rows = BuildParamCatalogue();
        for (ParamItem &row : rows)
            row.paramFlag = 0;
        std::vector<const PrintSetData *> selected{&first, &second};
        selected.resize(size_t(sets));
        LoadPrintRows(rows, selected, locked);
        QCOMPARE(QPair(rows[15].paramVal, rows[15].paramFlag), QPair(speed, speedFlag));
        QCOMPARE(rows[16].paramFlag, locked ? 3 : 1);
        QCOMPARE(rows[29].paramVal, sets ? 66.0 : -1e10); // rows 10 and 29 show one field
        QCOMPARE(rows[8].paramFlag, 0);                   // basic rows are not touched
        for (int id = 9; id < rows.size(); ++id)
            QVERIFY(IsBoundParam(id) || rows[id].paramVal == -1e10);
    }
    // Each rule just inside its threshold (nothing found) and just outside it, on sets of printer
    // 10102 with a 0.4 nozzle given as {quality, layer, row, value, row, value...}; the findings as
    // "row:suggested". The defaults: widths 0.5, speeds 30/40/50 (flows 3/4/5 on a 0.2 layer),
    // accelerations 1000 and up, Basic Temp 210 with no bias.
    // clang-format off
    void advice_data()
    {
        QTest::addColumn<SetValues>("sets");
        QTest::addColumn<double>("flowLimit");
        QTest::addColumn<QStringList>("found");
        QTest::addRow("the defaults") << SetValues{{0, 0.2}} << 0.0 << QStringList{};
        QTest::addRow("width 0.8 × nozzle") << SetValues{{0, 0.2, 24, 0.32}} << 0.0 << QStringList{};
        QTest::addRow("width under 0.8 × nozzle") << SetValues{{0, 0.2, 24, 0.31}} << 0.0 << QStringList{"24:0.32"};
        QTest::addRow("width 2 × nozzle") << SetValues{{0, 0.2, 25, 0.8}} << 0.0 << QStringList{};
        QTest::addRow("width over 2 × nozzle") << SetValues{{0, 0.2, 26, 0.81}} << 0.0 << QStringList{"26:0.8"};
        QTest::addRow("layer 0.8 × nozzle") << SetValues{{0, 0.32}} << 0.0 << QStringList{};
        QTest::addRow("layer over 0.8 × nozzle: the printer's thickest within")
            << SetValues{{0, 0.33}} << 0.0 << QStringList{"-1:0.3"};
        QTest::addRow("bias up to the top of Basic Temp") << SetValues{{0, 0.2, 9, 390, 12, 10}} << 0.0 << QStringList{};
        QTest::addRow("bias over the top") << SetValues{{0, 0.2, 9, 390, 12, 11}} << 0.0 << QStringList{"12:10"};
        QTest::addRow("bias under the bottom") << SetValues{{0, 0.2, 9, 5, 14, -6}} << 0.0 << QStringList{"14:-5"};
        QTest::addRow("acceleration at the floor") << SetValues{{0, 0.2, 19, 1000}} << 0.0 << QStringList{};
        QTest::addRow("acceleration under the floor") << SetValues{{0, 0.2, 19, 999}} << 0.0 << QStringList{"19:1000"};
        QTest::addRow("flows up to the limit") << SetValues{{0, 0.2}} << 5.0 << QStringList{};
        QTest::addRow("support flow over the limit") << SetValues{{0, 0.2}} << 4.99 << QStringList{"17:49.9"};
        QTest::addRow("no limit, any flow") << SetValues{{0, 0.2, 15, 200}} << 0.0 << QStringList{};
        QTest::addRow("Normal as fast as Fine") << SetValues{{1, 0.2}, {0, 0.2}} << 0.0 << QStringList{};
        QTest::addRow("Normal slower than Fine")
            << SetValues{{1, 0.2}, {0, 0.2, 15, 29}} << 0.0 << QStringList{"15:30"};
        QTest::addRow("Turbo slower than Normal, Fast missing: the nearest slower")
            << SetValues{{1, 0.2, 16, 10}, {0, 0.2, 16, 45}, {3, 0.2, 16, 44}} << 0.0 << QStringList{"16:45"};
        QTest::addRow("a Custom quality has no place in the order")
            << SetValues{{0, 0.2}, {4, 0.2, 15, 5}} << 0.0 << QStringList{};
        QTest::addRow("another layer is no neighbour by quality")
            << SetValues{{1, 0.2}, {0, 0.25, 15, 29}} << 0.0 << QStringList{};
        QTest::addRow("a thicker layer as wide") << SetValues{{0, 0.2}, {0, 0.25}} << 0.0 << QStringList{};
        QTest::addRow("a thicker layer narrower")
            << SetValues{{0, 0.2}, {0, 0.25, 25, 0.49}} << 0.0 << QStringList{"25:0.5"};
        QTest::addRow("another quality is no neighbour by layer")
            << SetValues{{0, 0.2}, {1, 0.25, 25, 0.49}} << 0.0 << QStringList{};
    }
    // clang-format on

    void advice()
    {
        QFETCH(SetValues, sets);
        QFETCH(double, flowLimit);
        QFETCH(QStringList, found);
        CPrintMaterial mat;
        for (const QList<double> &values : sets) {
            PrintSetData set{10102, 0.4f, float(values[1]), int(values[0])};
            for (int i = 2; i + 1 < values.size(); i += 2)
                StorePrintValue(set, int(values[i]), values[i + 1]);
            mat.m_lstSets.push_back(set);
        }
        QStringList findings;
        const MaterialAdvice advice(mat, flowLimit);
        for (const MaterialAdvice::Finding &f : advice.Findings())
            findings << QStringLiteral("%1:%2").arg(f.row).arg(f.suggested);
        QCOMPARE(findings, found);
    }
};

QTEST_GUILESS_MAIN(TstPrintMaterial)
#include "tst_PrintMaterial.moc"
