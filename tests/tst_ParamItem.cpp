#include "core/ParamItem.h"
#include "core/PrintMaterial.h"

#include <QtTest>

#include <cmath>

class TstParamItem : public QObject
{
    Q_OBJECT

private slots:
    // A shown value stored into its field, converted, and shown again; rows 0 to 8 edit the record,
    // 9 to 44 a print set.
    void conversions_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("shown");
        QTest::addColumn<double>("shownBack");
        QTest::addRow("print temp 215.9 stores 215") << 0 << 215.9 << 215.0;
        QTest::addRow("bias -3.7 stores -3") << 12 << -3.7 << -3.0;
        QTest::addRow("1e12 saturates") << 9 << 1e12 << 2147483647.0;
        QTest::addRow("-1e12 saturates") << 1 << -1e12 << -2147483648.0;
        QTest::addRow("NaN stores 0 in an integer") << 42 << double(NAN) << 0.0;
        QTest::addRow("shrink 0.3 percent in single precision") << 6 << 0.3 << 0.30000001192092896;
        QTest::addRow("bottom width 80 shows 80.0001") << 30 << 80.0 << 80.0001;
        QTest::addRow("extrusion 105 has no offset") << 22 << 105.0 << 104.99999237060547;
        QTest::addRow("filament diameter as it is") << 3 << 1.75 << 1.75;
        QTest::addRow("corner angle as it is") << 40 << 42.75 << 42.75;
    }

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

    void loadBasicRows()
    {
        QVector<ParamItem> rows = BuildParamCatalogue();
        rows[2].paramVal = 123.0;
        rows[9].paramFlag = 0;
        CPrintMaterial mat;
        mat.m_fShrink[1] = 0.003f;
        LoadBasicRows(rows, &mat, true);
        for (int id = 0; id <= 8; ++id)
            QCOMPARE(rows[id].paramFlag, 3); // bit 1: locked
        QCOMPARE(rows[2].paramVal, 123.0);   // unused rows keep their value
        QCOMPARE(rows[7].paramVal, 0.30000001192092896);
        QCOMPARE(rows[9].paramFlag, 0); // print rows are not touched
        LoadBasicRows(rows, &mat, false);
        QCOMPARE(rows[8].paramFlag, 1);
        LoadBasicRows(rows, nullptr, false);
        for (int id = 0; id <= 8; ++id)
            QCOMPARE(QPair(rows[id].paramVal, rows[id].paramFlag), QPair(-1.0, 2));
    }

    void loadPrintRows_data()
    {
        QTest::addColumn<int>("sets");
        QTest::addColumn<float>("secondSpeed");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("speedFlag");
        QTest::addRow("no set: no values") << 0 << 0.0f << true << -1e10 << 3;
        QTest::addRow("40 and 40.0005 agree within 0.001") << 2 << 40.0005f << false << 40.0 << 1;
        QTest::addRow("40 and 40.01 disagree, the first value stays") << 2 << 40.01f << false << 40.0 << 0;
        QTest::addRow("locked and disagreeing keeps bit 1") << 2 << 39.0f << true << 40.0 << 2;
    }

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
        std::vector<PrintSetData *> selected{&first, &second};
        selected.resize(size_t(sets));
        LoadPrintRows(rows, selected, locked);
        QCOMPARE(rows[15].paramVal, speed);
        QCOMPARE(rows[15].paramFlag, speedFlag);
        QCOMPARE(rows[16].paramFlag, locked ? 3 : 1);
        QCOMPARE(rows[29].paramVal, sets ? 66.0 : -1e10); // rows 10 and 29 show one field
        QCOMPARE(rows[8].paramFlag, 0);                   // basic rows are not touched
        for (int id = 9; id < rows.size(); ++id)
            QVERIFY(IsBoundParam(id) || rows[id].paramVal == -1e10);
    }
};

QTEST_GUILESS_MAIN(TstParamItem)
#include "tst_ParamItem.moc"
