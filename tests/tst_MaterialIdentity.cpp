#include "core/MaterialIdentity.h"
#include "core/PrintMaterial.h"

#include <QtTest>

#include <set>

class TstMaterialIdentity : public QObject
{
    Q_OBJECT

private slots:
    void generatedId_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("typeCode"); // -1: none, the ID's type byte is random from 64 to 255
        QTest::addRow("ABS has code 0") << QByteArray("ABS") << 0;
        QTest::addRow("PLA Silk copy") << QByteArray("PLA Silk_Copy1") << 1;
        QTest::addRow("lower case pla") << QByteArray("pla") << 1;
        QTest::addRow("PCTG begins with PC") << QByteArray("PCTG") << 5;
        QTest::addRow("PETG is 4, not PC") << QByteArray("PETG") << 4;
        QTest::addRow("mixed case carbon") << QByteArray("cArBoN fiber") << 9;
        QTest::addRow("key later in the name") << QByteArray("Silk PLA") << -1;
        QTest::addRow("shorter than a key") << QByteArray("PL") << -1;
        QTest::addRow("non-ASCII name") << QByteArray("\xe4\xb8\xad\xe6\x96\x87") << -1;
    }

    // An ID is 1..100, 0xFF, the type byte, a random byte; the random parts vary from draw to draw.
    void generatedId()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, typeCode);
        QCOMPARE(MaterialTypeCode(name.toStdString()), typeCode);
        CPrintMaterial mat;
        mat.SetNameAndManu(name.constData(), "\xff\xfe");
        std::set<uint32_t> tops, types, lows;
        for (int draw = 0; draw < 2000; ++draw) {
            const uint32_t id = uint32_t(mat.GenerateID());
            QCOMPARE(uint32_t(mat.m_nMatID), id);
            const uint32_t top = id >> 24, type = (id >> 8) & 0xFF;
            QVERIFY2(top >= 1 && top <= 100 && ((id >> 16) & 0xFF) == 0xFF,
                     qPrintable(QString::number(id, 16)));
            QVERIFY2(typeCode >= 0 ? type == uint32_t(typeCode) : type >= 64,
                     qPrintable(QString::number(id, 16)));
            tops.insert(top);
            types.insert(type);
            lows.insert(id & 0xFF);
        }
        QVERIFY(tops.size() > 50 && lows.size() > 50 && (typeCode >= 0 || types.size() > 50));
    }

    void creationDay_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<int>("day");
        const auto local = [](int y, int mo, int d, int h, int mi, int s) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
        };
        QTest::addRow("a second short of one day") << local(2000, 1, 1, 23, 59, 59) << 0;
        QTest::addRow("exactly one day") << local(2000, 1, 2, 0, 0, 0) << 1;
        QTest::addRow("before the reference counts its distance") << local(1999, 12, 30, 12, 0, 0) << 1;
    }

    void creationDay()
    {
        QFETCH(QDateTime, moment);
        QFETCH(int, day);
        QCOMPARE(CreationDayNumber(moment), day);
    }
};

QTEST_GUILESS_MAIN(TstMaterialIdentity)
#include "tst_MaterialIdentity.moc"
