#include "core/ParamItem.h"
#include "core/PrintMaterial.h"

#include <QtTest>

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {
// How each row shows its field: I integer, F float, P percent of a fraction, O the same plus
// 0.0001, - bound to nothing. Rows 0 to 8 edit the record, 9 to 44 the print sets.
const QByteArray kHow = "II-FF-PPP"
                        "II-IIIFFFFFFPPPFFFFIIOO-OO-IF-FF-II-";

#define FIELD(name, index) int(offsetof(PrintSetData, name) + 4 * (index))
// The print-set field of rows 9 to 44, by byte offset; -1 for the unused rows.
const int kPrintField[] = {
    FIELD(nBasicTemp, 0), FIELD(nPlatTemp, 0), -1, FIELD(nTempBias, 0), FIELD(nTempBias, 1),
    FIELD(nTempBias, 2), FIELD(fSpeed, 0), FIELD(fSpeed, 1), FIELD(fSpeed, 2), FIELD(fAcc, 0), FIELD(fAcc, 1),
    FIELD(fAcc, 2), FIELD(fExtrude, 0), FIELD(fExtrude, 1), FIELD(fExtrude, 2), FIELD(fWidth, 0),
    FIELD(fWidth, 1), FIELD(fWidth, 2), FIELD(fRaftSpeed, 0), FIELD(nRaftTemp, 0), FIELD(nPlatTemp, 0),
    FIELD(fBottomWidth, 0), FIELD(fBottomFeed, 0), -1, FIELD(fOverlap, 0), FIELD(fJointSize, 0), -1,
    FIELD(nOffsetTimes, 0), FIELD(fTolerance, 0), -1, FIELD(fCornerRadius, 0), FIELD(fCornerAngle, 0), -1,
    FIELD(nWithdraw, 0), FIELD(nPeelRatio, 0), -1};

// The test's own statement of the field a row edits, given the stored value.
void setField(CPrintMaterial &m, PrintSetData &s, int id, double stored)
{
    float *const basicFloat[] = {nullptr, nullptr, nullptr, &m.m_fFilaDia, &m.m_fDensity, nullptr,
                                 &m.m_fShrink[0], &m.m_fShrink[1], &m.m_fShrink[2]};
    if (id == 0 || id == 1)
        (id ? m.m_nPlatTemp : m.m_nPrintTemp) = int32_t(stored);
    else if (id <= 8)
        *basicFloat[id] = float(stored);
    else if (kHow[id] == 'I')
        *reinterpret_cast<int32_t *>(reinterpret_cast<char *>(&s) + kPrintField[id - 9]) = int32_t(stored);
    else
        *reinterpret_cast<float *>(reinterpret_cast<char *>(&s) + kPrintField[id - 9]) = float(stored);
}
} // namespace

class TstParamItem : public QObject
{
    Q_OBJECT

private slots:
    // Rows 0 to 44 by ID. Each bound row stores into its field alone, converted, and shows it
    // back; the others change nothing.
    void everyRowEditsItsOwnField()
    {
        const QVector<ParamItem> rows = BuildParamCatalogue();
        QCOMPARE(rows.size(), 45);
        // Descriptions are the keys of their translations, typos included.
        QCOMPARE(rows[1].paramDesc, QStringLiteral("Platfrom Temp"));
        QCOMPARE(rows[18].paramUnit, QString::fromUtf8("mm/s²"));
        for (int id = 0; id <= 45; ++id) { // 45 is past the end
            const char how = id < kHow.size() ? kHow[id] : '-';
            QVERIFY(id == 45 || (rows[id].paramID == id && (rows[id].paramType == -1) == (how == '-')));
            const double stored = how == 'I' ? 42.0 : how == 'F' ? 42.75 : 0.4275;
            const double percent = double(0.4275f * 100.0f) + (how == 'O' ? 0.0001 : 0.0);
            CPrintMaterial mat, expectedMat;
            PrintSetData set, expectedSet;
            if (how != '-')
                setField(expectedMat, expectedSet, id, stored);
            StoreBasicValue(mat, id, 42.75);
            StorePrintValue(set, id, 42.75);
            QVERIFY2(mat == expectedMat && set == expectedSet, qPrintable(QString::number(id)));
            QCOMPARE(IsBoundParam(id), how != '-');
            const double shown = how == 'I' ? 42.0 : how == 'F' ? 42.75 : percent;
            if (how != '-')
                QCOMPARE(id <= 8 ? ShownBasicValue(mat, id) : ShownPrintValue(set, id), shown);
        }
    }

    // A shown value stored and shown again.
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
            QVERIFY(kHow[id] != '-' || rows[id].paramVal == -1e10);
    }
};

QTEST_GUILESS_MAIN(TstParamItem)
#include "tst_ParamItem.moc"
