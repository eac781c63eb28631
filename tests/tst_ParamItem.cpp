#include "core/ParamItem.h"
#include "core/PrintMaterial.h"

#include <QtTest>

#include <cstddef>
#include <cstring>
#include <limits>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const QVector<int> kUnboundRows = {2, 5, 11, 32, 35, 38, 41, 44};

// The test's own statement of the record field that a basic row edits.
void setBasicField(CPrintMaterial &m, int id, double stored)
{
    if (id == 0)
        m.m_nPrintTemp = int32_t(stored);
    else if (id == 1)
        m.m_nPlatTemp = int32_t(stored);
    else if (id == 3)
        m.m_fFilaDia = float(stored);
    else if (id >= 6 && id <= 8)
        m.m_fShrink[id - 6] = float(stored);
}

// Print-set fields are named by their byte offset: an int32 or a float32 there.
void setSetField(PrintSetData &s, int offset, bool isInt, double stored)
{
    const int32_t i = int32_t(stored);
    const float f = float(stored);
    std::memcpy(reinterpret_cast<char *>(&s) + offset, isInt ? static_cast<const void *>(&i) : &f, 4);
}

#define FIELD(name, index) int(offsetof(PrintSetData, name) + 4 * (index))
} // namespace

class TstParamItem : public QObject
{
    Q_OBJECT

private slots:
    void catalogueShape();
    void catalogueRows_data();
    void catalogueRows();
    void basicBinding_data();
    void basicBinding();
    void printStore_data();
    void printStore();
    void printShown_data();
    void printShown();
    void loadBasicRows();
    void loadPrintRowsWithoutSets();
    void loadPrintRowsTwoSets_data();
    void loadPrintRowsTwoSets();
};

void TstParamItem::catalogueShape()
{
    const QVector<ParamItem> rows = BuildParamCatalogue();
    QCOMPARE(rows.size(), 45);
    for (int id = 0; id < rows.size(); ++id) {
        QCOMPARE(rows[id].paramID, id);
        QCOMPARE(rows[id].paramFlag, 1);
        const bool unused = kUnboundRows.contains(id);
        QCOMPARE(rows[id].paramType == -1, unused);
        QCOMPARE(rows[id].paramDesc == QLatin1String("unused"), unused);
        QCOMPARE(IsBoundParam(id), !unused);
    }
}

void TstParamItem::catalogueRows_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("desc");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVector<double>>("numbers"); // value, min, max, safe, edit, tick, label

    const auto u = [](const char *text) { return QString::fromUtf8(text); };
    QTest::addRow("platform temp keeps its typo") << 1 << u("Platfrom Temp") << u("℃") << 4
                                                  << QVector<double>{90, 0, 150, 100, 5, 1, 25};
    QTest::addRow("density unit") << 4 << u("Fila Density") << u("g/㎤") << 2
                                  << QVector<double>{1.05, 0, 3, 1.5, 0.01, 0.1, 0.2};
    QTest::addRow("shrink has a negative range") << 6 << u("Shrink of X") << u("%") << 2
                                                 << QVector<double>{0.1, -2, 2, 0.3, 0.01, 0.01, 0.2};
    QTest::addRow("acceleration unit") << 18 << u("Contour Acc") << u("mm/s²") << 6
                                       << QVector<double>{1000, 0, 3000, 2000, 100, 250, 500};
    QTest::addRow("offset times has no unit") << 36 << u("Offset Times") << u("") << 1
                                              << QVector<double>{1, 1, 100, 6, 1, 1, 10};
    QTest::addRow("corner radius keeps its typo") << 39 << u("Corner Radiu") << u("mm") << 2
                                                  << QVector<double>{0.2, 0, 1, 0.6, 0.01, 0.01, 20};
    QTest::addRow("degree unit") << 40 << u("Corner Angle") << u("°") << 1 << QVector<double>{30, 5, 60, 60, 5, 5, 20};
    QTest::addRow("unused row") << 44 << u("unused") << u("℃") << -1 << QVector<double>{0, 0, 400, 300, 10, 1, 20};
}

void TstParamItem::catalogueRows()
{
    QFETCH(int, id);
    QFETCH(QString, desc);
    QFETCH(QString, unit);
    QFETCH(int, type);
    QFETCH(QVector<double>, numbers);

    const ParamItem row = BuildParamCatalogue().at(id);
    QCOMPARE(row.paramDesc, desc);
    QCOMPARE(row.paramUnit, unit);
    QCOMPARE(row.paramType, type);
    const QVector<double> got = {row.paramVal, row.minVal, row.maxVal, row.safeVal, row.editStep, row.tickStep,
                                 row.labelStep};
    QCOMPARE(got, numbers);
}

void TstParamItem::basicBinding_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<double>("shown");
    QTest::addColumn<double>("stored");
    QTest::addColumn<double>("shownBack");

    QTest::addRow("print temp 215.9 stores 215") << 0 << 215.9 << 215.0 << 215.0;
    QTest::addRow("diameter narrowed to float") << 3 << 1.75 << 1.75 << 1.75;
    QTest::addRow("shrink 0.3 percent stores 0.003") << 6 << 0.3 << 0.003 << 0.30000001192092896;
    QTest::addRow("shrink of Z negative") << 8 << -0.5 << -0.005 << -0.5;
    QTest::addRow("1e12 saturates") << 0 << 1e12 << 2147483647.0 << 2147483647.0;
    QTest::addRow("-1e12 saturates") << 1 << -1e12 << -2147483648.0 << -2147483648.0;
    QTest::addRow("NaN stores 0 in an integer") << 0 << kNaN << 0.0 << 0.0;
    QTest::addRow("unused row changes nothing") << 5 << 99.0 << 0.0 << 0.0;
    QTest::addRow("print row ID changes no record field") << 9 << 99.0 << 0.0 << 0.0;
}

void TstParamItem::basicBinding()
{
    QFETCH(int, id);
    QFETCH(double, shown);
    QFETCH(double, stored);
    QFETCH(double, shownBack);

    CPrintMaterial mat;
    CPrintMaterial expected;
    setBasicField(expected, id, stored);
    StoreBasicValue(mat, id, shown);
    QVERIFY2(mat == expected, "the row's field, and only it, holds the stored value");
    QCOMPARE(ShownBasicValue(mat, id), shownBack);
}

void TstParamItem::printStore_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<double>("shown");
    QTest::addColumn<int>("offset"); // -1: nothing may change
    QTest::addColumn<bool>("isInt");
    QTest::addColumn<double>("stored");

    QTest::addRow("plat temp row 29 edits nPlatTemp") << 29 << 66.0 << FIELD(nPlatTemp, 0) << true << 66.0;
    QTest::addRow("platform temp row 10 edits nPlatTemp") << 10 << 65.0 << FIELD(nPlatTemp, 0) << true << 65.0;
    QTest::addRow("bias -3.7 stores -3") << 12 << -3.7 << FIELD(nTempBias, 0) << true << -3.0;
    QTest::addRow("infill speed") << 16 << 55.5 << FIELD(fSpeed, 1) << false << 55.5;
    QTest::addRow("support acc") << 20 << 2500.0 << FIELD(fAcc, 2) << false << 2500.0;
    QTest::addRow("extrusion percent to fraction") << 21 << 105.0 << FIELD(fExtrude, 0) << false << 1.05;
    QTest::addRow("support width") << 26 << 0.45 << FIELD(fWidth, 2) << false << 0.45;
    QTest::addRow("bottom width keeps the display offset") << 30 << 80.0001 << FIELD(fBottomWidth, 0) << false
                                                           << 0.800001;
    QTest::addRow("joint size") << 34 << 150.0 << FIELD(fJointSize, 0) << false << 1.5;
    QTest::addRow("offset times") << 36 << 3.9 << FIELD(nOffsetTimes, 0) << true << 3.0;
    QTest::addRow("corner angle") << 40 << 45.0 << FIELD(fCornerAngle, 0) << false << 45.0;
    QTest::addRow("peel ratio") << 43 << 20.0 << FIELD(nPeelRatio, 0) << true << 20.0;
    QTest::addRow("1e12 saturates") << 9 << 1e12 << FIELD(nBasicTemp, 0) << true << 2147483647.0;
    QTest::addRow("-1e12 saturates") << 14 << -1e12 << FIELD(nTempBias, 2) << true << -2147483648.0;
    QTest::addRow("NaN stores 0 in an integer") << 42 << kNaN << FIELD(nWithdraw, 0) << true << 0.0;
    QTest::addRow("unused row") << 11 << 5.0 << -1 << false << 0.0;
    QTest::addRow("basic row ID") << 3 << 5.0 << -1 << false << 0.0;
    QTest::addRow("ID past the end") << 45 << 5.0 << -1 << false << 0.0;
}

void TstParamItem::printStore()
{
    QFETCH(int, id);
    QFETCH(double, shown);
    QFETCH(int, offset);
    QFETCH(bool, isInt);
    QFETCH(double, stored);

    PrintSetData set;
    PrintSetData expected;
    if (offset >= 0)
        setSetField(expected, offset, isInt, stored);
    StorePrintValue(set, id, shown);
    QVERIFY2(set == expected, "the row's field, and only it, holds the stored value");
}

void TstParamItem::printShown_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("isInt");
    QTest::addColumn<double>("stored");
    QTest::addColumn<double>("shown");

    QTest::addRow("bottom width 0.8 shows 80.0001") << 30 << FIELD(fBottomWidth, 0) << false << 0.8 << 80.0001;
    QTest::addRow("overlap 0.2 shows 20.0001") << 33 << FIELD(fOverlap, 0) << false << 0.2 << 20.0001;
    QTest::addRow("extrusion 1.05 has no offset") << 22 << FIELD(fExtrude, 1) << false << 1.05 << 104.99999237060547;
    QTest::addRow("width widened") << 24 << FIELD(fWidth, 0) << false << 0.4 << double(0.4f);
    QTest::addRow("row 29 shows nPlatTemp") << 29 << FIELD(nPlatTemp, 0) << true << 77.0 << 77.0;
}

void TstParamItem::printShown()
{
    QFETCH(int, id);
    QFETCH(int, offset);
    QFETCH(bool, isInt);
    QFETCH(double, stored);
    QFETCH(double, shown);

    PrintSetData set;
    setSetField(set, offset, isInt, stored);
    QCOMPARE(ShownPrintValue(set, id), shown);
}

void TstParamItem::loadBasicRows()
{
    QVector<ParamItem> rows = BuildParamCatalogue();
    rows[2].paramVal = 123.0;
    rows[9].paramFlag = 0;
    CPrintMaterial mat;
    mat.m_nPrintTemp = 205;
    mat.m_fShrink[1] = 0.003f;

    LoadBasicRows(rows, &mat, true);
    for (int id = 0; id <= 8; ++id)
        QCOMPARE(rows[id].paramFlag, 3); // bit 1: locked
    QCOMPARE(rows[0].paramVal, 205.0);
    QCOMPARE(rows[2].paramVal, 123.0); // unused rows keep their value
    QCOMPARE(rows[3].paramVal, double(1.7f));
    QCOMPARE(rows[7].paramVal, 0.30000001192092896);
    QCOMPARE(rows[9].paramFlag, 0); // print rows are not touched

    LoadBasicRows(rows, &mat, false);
    QCOMPARE(rows[8].paramFlag, 1);

    LoadBasicRows(rows, nullptr, false);
    for (int id = 0; id <= 8; ++id) {
        QCOMPARE(rows[id].paramVal, -1.0);
        QCOMPARE(rows[id].paramFlag, 2);
    }
}

void TstParamItem::loadPrintRowsWithoutSets()
{
    QVector<ParamItem> rows = BuildParamCatalogue();
    LoadPrintRows(rows, {}, true);
    for (int id = 9; id < rows.size(); ++id) {
        QCOMPARE(rows[id].paramVal, -1e10);
        QCOMPARE(rows[id].paramFlag, 3);
    }
    QCOMPARE(rows[0].paramVal, 210.0); // basic rows are not touched
}

void TstParamItem::loadPrintRowsTwoSets_data()
{
    QTest::addColumn<float>("secondSpeed");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<int>("speedFlag");

    QTest::addRow("40 and 40.0005 agree within 0.001") << 40.0005f << false << 1;
    QTest::addRow("40 and 41 disagree") << 41.0f << false << 0;
    QTest::addRow("locked and disagreeing keeps bit 1") << 39.0f << true << 2;
}

void TstParamItem::loadPrintRowsTwoSets()
{
    QFETCH(float, secondSpeed);
    QFETCH(bool, locked);
    QFETCH(int, speedFlag);

    PrintSetData first;
    PrintSetData second;
    first.fSpeed[0] = 40.0f;
    second.fSpeed[0] = secondSpeed;
    first.nPlatTemp = second.nPlatTemp = 66;
    QVector<ParamItem> rows = BuildParamCatalogue();
    for (ParamItem &row : rows)
        row.paramFlag = 0;

    LoadPrintRows(rows, {&first, &second}, locked);
    QCOMPARE(rows[15].paramVal, 40.0); // the first set's value stays
    QCOMPARE(rows[15].paramFlag, speedFlag);
    QCOMPARE(rows[16].paramFlag, locked ? 3 : 1);
    QCOMPARE(rows[10].paramVal, 66.0);
    QCOMPARE(rows[29].paramVal, 66.0);
    QCOMPARE(rows[30].paramVal, 80.0001);
    for (int id : kUnboundRows) {
        if (id > 8)
            QCOMPARE(rows[id].paramVal, -1e10);
    }
}

QTEST_GUILESS_MAIN(TstParamItem)
#include "tst_ParamItem.moc"
