#include "core/MaterialIdentity.h"
#include "core/PrintMaterial.h"

#include <QtTest>

#include <set>
#include <string>

class TstMaterialIdentity : public QObject
{
    Q_OBJECT

private slots:
    void typeCode_data();
    void typeCode();
    void generatedIdForm_data();
    void generatedIdForm();
    void creationDay_data();
    void creationDay();
};

void TstMaterialIdentity::typeCode_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("code");

    QTest::addRow("PLA Silk") << QByteArray("PLA Silk") << 1;
    QTest::addRow("lower case pla") << QByteArray("pla") << 1;
    QTest::addRow("PCTG begins with PC") << QByteArray("PCTG") << 5;
    QTest::addRow("PETG is 4, not PC") << QByteArray("PETG") << 4;
    QTest::addRow("PEEK") << QByteArray("Peek") << 7;
    QTest::addRow("ABS") << QByteArray("ABS+") << 0;
    QTest::addRow("CARBON fiber") << QByteArray("CARBON fiber") << 9;
    QTest::addRow("mixed case carbon") << QByteArray("cArBoN") << 9;
    QTest::addRow("TPU") << QByteArray("TPU 95A") << 2;
    QTest::addRow("TPE") << QByteArray("tpe") << 3;
    QTest::addRow("Nylon") << QByteArray("Nylon-12") << 6;
    QTest::addRow("Wood") << QByteArray("Wood fill") << 8;
    QTest::addRow("key later in the name") << QByteArray("Silk PLA") << -1;
    QTest::addRow("leading space") << QByteArray(" PLA") << -1;
    QTest::addRow("shorter than a key") << QByteArray("PL") << -1;
    QTest::addRow("PE begins no key") << QByteArray("PE") << -1;
    QTest::addRow("empty name") << QByteArray() << -1;
    QTest::addRow("non-ASCII bytes") << QByteArray("\xc3\xa9PLA") << -1;
}

void TstMaterialIdentity::typeCode()
{
    QFETCH(QByteArray, name);
    QFETCH(int, code);
    QCOMPARE(MaterialTypeCode(name.toStdString()), code);
}

void TstMaterialIdentity::generatedIdForm_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("manu");
    QTest::addColumn<int>("typeCode"); // -1: a random byte from 64 to 255

    QTest::addRow("PLA Silk copy") << QByteArray("PLA Silk_Copy1") << QByteArray("Manufacturer") << 1;
    QTest::addRow("lower-case pla") << QByteArray("pla") << QByteArray("Manufacturer") << 1;
    QTest::addRow("PCTG") << QByteArray("PCTG") << QByteArray("Manufacturer") << 5;
    QTest::addRow("ABS has code 0") << QByteArray("ABS") << QByteArray("KestRona") << 0;
    QTest::addRow("Silk PLA has no code") << QByteArray("Silk PLA") << QByteArray("Manufacturer") << -1;
    QTest::addRow("empty name and manufacturer") << QByteArray() << QByteArray() << -1;
    QTest::addRow("non-ASCII name") << QByteArray("\xe4\xb8\xad\xe6\x96\x87") << QByteArray("\xff\xfe") << -1;
}

void TstMaterialIdentity::generatedIdForm()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, manu);
    QFETCH(int, typeCode);

    CPrintMaterial mat;
    mat.SetNameAndManu(name.constData(), manu.constData());
    std::set<uint32_t> tops, types, lows;
    for (int draw = 0; draw < 2000; ++draw) {
        const int32_t id = mat.GenerateID();
        QCOMPARE(mat.m_nMatID, id);
        QVERIFY2(id >= 33488896 && id <= 1694498815, qPrintable(QString::number(id)));
        const uint32_t u = uint32_t(id);
        const uint32_t top = u >> 24;
        const uint32_t type = (u >> 8) & 0xFF;
        QVERIFY2(top >= 1 && top <= 100, qPrintable(QString::number(top)));
        QCOMPARE((u >> 16) & 0xFF, 0xFFu);
        if (typeCode >= 0)
            QCOMPARE(type, uint32_t(typeCode));
        else
            QVERIFY2(type >= 64, qPrintable(QString::number(type)));
        tops.insert(top);
        types.insert(type);
        lows.insert(u & 0xFF);
    }
    // Random parts must vary from draw to draw.
    QVERIFY2(tops.size() > 50, qPrintable(QString::number(tops.size())));
    QVERIFY2(lows.size() > 50, qPrintable(QString::number(lows.size())));
    if (typeCode < 0)
        QVERIFY2(types.size() > 50, qPrintable(QString::number(types.size())));
}

void TstMaterialIdentity::creationDay_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<int>("day");

    const auto local = [](int y, int mo, int d, int h, int mi, int s = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
    };
    QTest::addRow("half an hour after the reference") << local(2000, 1, 1, 0, 30) << 0;
    QTest::addRow("a second short of one day") << local(2000, 1, 1, 23, 59, 59) << 0;
    QTest::addRow("exactly one day") << local(2000, 1, 2, 0, 0) << 1;
    QTest::addRow("one and a half days") << local(2000, 1, 2, 12, 30) << 1;
    QTest::addRow("before the reference counts its distance") << local(1999, 12, 30, 12, 0) << 1;
    QTest::addRow("a recent day") << local(2024, 11, 30, 12, 0) << 9100;
}

void TstMaterialIdentity::creationDay()
{
    QFETCH(QDateTime, moment);
    QFETCH(int, day);
    QCOMPARE(CreationDayNumber(moment), day);
}

QTEST_GUILESS_MAIN(TstMaterialIdentity)
#include "tst_MaterialIdentity.moc"
