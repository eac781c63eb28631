#include "core/PrintMaterial.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstring>

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

QList<int> markers(const std::list<PrintSetData> &sets)
{
    QList<int> out;
    for (const PrintSetData &s : sets)
        out << s.nBasicTemp;
    return out;
}

// A..D of 10102, E of 10110, F of the generic type.
const Keys kSample = {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}, {10102, 0.4f, 0.3f, 0},
                      {10102, 0.6f, 0.3f, 0}, {10110, 0.4f, 0.2f, 0}, {-1, 0.4f, 0.2f, 0}};
const char kLock[] = "0123456789abcdef0123456789abcdef";
} // namespace

Q_DECLARE_METATYPE(PrintSetData)
Q_DECLARE_METATYPE(Keys)

class TstPrintMaterial : public QObject
{
    Q_OBJECT

private slots:
    void addOrReplace_data();
    void addOrReplace();
    void lockText_data();
    void lockText();
    void listAndRemove_data();
    void listAndRemove();
    void listNozzles_data();
    void listNozzles();
    void listLayersAndQualities();
    void sortIsStable();
    void updateDerived();
    void copyIsDeep();
    void nameCutAt32Bytes();
};

void TstPrintMaterial::addOrReplace_data()
{
    QTest::addColumn<PrintSetData>("added");
    QTest::addColumn<int>("result");

    // The record holds one set of 10102, nozzle 0.4, layer 0.2, quality 0.
    QTest::addRow("nozzle 0.405 within 0.01 replaces") << PrintSetData{10102, 0.405f, 0.2f, 0} << 0;
    QTest::addRow("layer 0.2005 within 0.001 replaces") << PrintSetData{10102, 0.4f, 0.2005f, 0} << 0;
    QTest::addRow("negative quality overwrites the first match") << PrintSetData{10102, 0.4f, 0.2f, -1} << 0;
    QTest::addRow("other quality appends") << PrintSetData{10102, 0.4f, 0.2f, 1} << 1;
    QTest::addRow("10112 with nozzle 0.6 is invalid") << PrintSetData{10112, 0.6f, 0.3f, 0} << -2;
    QTest::addRow("10102 with nozzle 0.6 is valid") << PrintSetData{10102, 0.6f, 0.3f, 0} << 1;
    QTest::addRow("layer 0.205 is not 0.2, and not offered") << PrintSetData{10102, 0.4f, 0.205f, 0} << -2;
    QTest::addRow("layer 0.12 on nozzle 0.4 is invalid") << PrintSetData{10102, 0.4f, 0.12f, 0} << -2;
    QTest::addRow("alias 10003 is checked with the generic lists") << PrintSetData{10003, 0.6f, 0.3f, 0} << 1;
}

void TstPrintMaterial::addOrReplace()
{
    QFETCH(PrintSetData, added);
    QFETCH(int, result);

    CPrintMaterial mat = withSets({{10102, 0.4f, 0.2f, 0}});
    const std::list<PrintSetData> before = mat.m_lstSets;
    PrintSetData set = added;
    set.fSpeed[2] = 99.0f;

    QCOMPARE(mat.AddOrReplaceSet(set, nullptr), result);
    QCOMPARE(mat.m_lstSets.size(), before.size() + (result == 1 ? 1 : 0));
    if (result == -2)
        QVERIFY(mat.m_lstSets == before);
    else // the whole set, key included, is stored
        QVERIFY((result == 0 ? mat.m_lstSets.front() : mat.m_lstSets.back()) == set);
}

void TstPrintMaterial::lockText_data()
{
    QTest::addColumn<bool>("nullGiven");
    QTest::addColumn<QByteArray>("given");
    QTest::addColumn<bool>("accepted");

    QTest::addRow("null refused") << true << QByteArray() << false;
    QTest::addRow("a prefix refused") << false << QByteArray(kLock).left(31) << false;
    QTest::addRow("other case refused") << false << QByteArray(kLock).toUpper() << false;
    QTest::addRow("its own text accepted") << false << QByteArray(kLock) << true;
}

void TstPrintMaterial::lockText()
{
    QFETCH(bool, nullGiven);
    QFETCH(QByteArray, given);
    QFETCH(bool, accepted);

    CPrintMaterial mat = withSets({{10102, 0.4f, 0.2f, 0}});
    std::strcpy(mat.m_szPwMD5, kLock);
    const char *lock = nullGiven ? nullptr : given.constData();
    QCOMPARE(mat.AddOrReplaceSet(PrintSetData{10102, 0.4f, 0.3f, 0}, lock), accepted ? 1 : -1);
    QCOMPARE(mat.RemoveSets(10102, -1, lock, 0.4f, 0.2f), accepted ? 1 : 0);
    QCOMPARE(int(mat.m_lstSets.size()), 1);
}

// A lookup stops at the first negative part of its pattern; a removal tests each part on its own.
void TstPrintMaterial::listAndRemove_data()
{
    QTest::addColumn<PrintSetData>("pattern");
    QTest::addColumn<QList<int>>("listed");
    QTest::addColumn<QList<int>>("remaining");

    using L = QList<int>;
    QTest::addRow("nozzle within tolerance") << PrintSetData{10102, 0.405f, -1, -1} << L{0, 1, 2} << L{3, 4, 5};
    QTest::addRow("full key") << PrintSetData{10102, 0.4f, 0.2f, 1} << L{1} << L{0, 2, 3, 4, 5};
    QTest::addRow("wildcard nozzle") << PrintSetData{10102, -1, 0.3f, 1} << L{0, 1, 2, 3} << L{0, 1, 2, 3, 4, 5};
    QTest::addRow("wildcard layer") << PrintSetData{10102, 0.4f, -1, 0} << L{0, 1, 2} << L{1, 3, 4, 5};
    QTest::addRow("type -1 is the generic type, not a wildcard") << PrintSetData{-1, -1, -1, -1} << L{5}
                                                                 << L{0, 1, 2, 3, 4};
    QTest::addRow("alias is not resolved") << PrintSetData{10007, -1, -1, -1} << L() << L{0, 1, 2, 3, 4, 5};
}

void TstPrintMaterial::listAndRemove()
{
    QFETCH(PrintSetData, pattern);
    QFETCH(QList<int>, listed);
    QFETCH(QList<int>, remaining);

    CPrintMaterial mat = withSets(kSample);
    const int type = pattern.nPrinterType;
    const int quality = pattern.nQuality;
    const std::vector<PrintSetData *> sets = mat.ListSets(type, quality, pattern.fNozzleDia, pattern.fLayerThick);
    QList<int> found;
    for (const PrintSetData *s : sets)
        found << s->nBasicTemp;
    QCOMPARE(found, listed);
    // The pointers reach into the record and survive appends.
    QCOMPARE(mat.AddOrReplaceSet(PrintSetData{10102, 0.4f, 0.2f, 6}, nullptr), 1);
    for (PrintSetData *s : sets)
        s->fSpeed[0] = 12.5f;
    QCOMPARE(int(std::count_if(mat.m_lstSets.begin(), mat.m_lstSets.end(),
                               [](const PrintSetData &s) { return s.fSpeed[0] == 12.5f; })),
             listed.size());

    mat.m_lstSets.pop_back();
    QCOMPARE(mat.RemoveSets(type, quality, nullptr, pattern.fNozzleDia, pattern.fLayerThick),
             int(kSample.size()) - remaining.size());
    QCOMPARE(markers(mat.m_lstSets), remaining);
}

void TstPrintMaterial::listNozzles_data()
{
    QTest::addColumn<Keys>("sets");
    QTest::addColumn<int>("fallback");
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<float>>("nozzles");

    const Keys generic = {{-1, 0.4f, 0.2f, 0}, {-1, 0.2f, 0.1f, 0}};
    QTest::addRow("alias 10007 lists the sets of 10110")
        << Keys{{10110, 0.6f, 0.3f, 0}, {10102, 0.3f, 0.1f, 0}, {10110, 0.4f, 0.2f, 0}} << 1 << 10007
        << QList<float>{0.4f, 0.6f};
    QTest::addRow("fallback to the generic sets") << generic << 1 << 10102 << QList<float>{0.2f, 0.4f};
    QTest::addRow("no fallback, no nozzles") << generic << 0 << 10102 << QList<float>();
    QTest::addRow("own sets hide the generic ones") << Keys{{-1, 0.2f, 0.1f, 0}, {10102, 0.6f, 0.3f, 0}} << 1
                                                    << 10102 << QList<float>{0.6f};
    QTest::addRow("0.4 and 0.405 give one entry")
        << Keys{{10102, 0.405f, 0.25f, 0}, {10102, 0.5f, 0.2f, 0}, {10102, 0.4f, 0.2f, 0}} << 1 << 10102
        << QList<float>{0.4f, 0.5f};
}

void TstPrintMaterial::listNozzles()
{
    QFETCH(Keys, sets);
    QFETCH(int, fallback);
    QFETCH(int, type);
    QFETCH(QList<float>, nozzles);

    CPrintMaterial mat = withSets(sets);
    mat.m_bDefaultFallback = fallback;
    std::vector<float> out;
    mat.ListNozzles(type, out);
    QCOMPARE(QList<float>(out.begin(), out.end()), nozzles);
    // The list stays sorted: that is the order in which sets are written.
    QVERIFY(std::is_sorted(mat.m_lstSets.begin(), mat.m_lstSets.end(), LessPrintSet));
}

void TstPrintMaterial::listLayersAndQualities()
{
    CPrintMaterial mat = withSets({{10102, 0.4f, 0.3f, 0}, {10102, 0.6f, 0.4f, 0}, {10102, 0.4f, 0.2005f, 2},
                                   {10102, 0.2f, 0.05f, 0}, {10102, 0.405f, 0.2f, 0}, {10102, 0.4f, 0.205f, 3},
                                   {10110, 0.4f, 0.15f, 0}, {-1, 0.4f, 0.25f, 5}});
    std::vector<float> layers;
    mat.ListLayerThicks(10102, layers, 0.4f);
    // 0.2 and 0.2005 give one entry; 0.205 is another layer here.
    QCOMPARE(QList<float>(layers.begin(), layers.end()), QList<float>({0.2f, 0.205f, 0.3f}));
    // Qualities take layers within 0.01 as the same.
    std::set<int32_t> qualities;
    mat.ListQualities(10102, qualities, 0.4f, 0.2f);
    QCOMPARE(QList<int>(qualities.begin(), qualities.end()), QList<int>({0, 2, 3}));
    // A type without sets of its own falls back to the generic ones.
    qualities.clear();
    mat.ListQualities(10113, qualities, 0.4f, 0.25f);
    QCOMPARE(QList<int>(qualities.begin(), qualities.end()), QList<int>{5});
}

void TstPrintMaterial::sortIsStable()
{
    // Type first; a nozzle within 0.01 lets the layer decide, a layer within 0.001 the quality.
    // 1 and 3 have the same key within tolerance, so they keep their order.
    CPrintMaterial mat = withSets({{10110, 0.2f, 0.05f, 0}, {10102, 0.4f, 0.2f, 0}, {10102, 0.405f, 0.1f, 0},
                                   {10102, 0.4f, 0.2005f, 0}, {-1, 1.0f, 0.8f, 0}, {10102, 0.4f, 0.2f, 2},
                                   {10102, 0.6f, 0.05f, 0}, {10102, 0.4f, 0.2004f, 1}});
    mat.SortSets();
    QCOMPARE(markers(mat.m_lstSets), QList<int>({4, 2, 1, 3, 7, 5, 6, 0}));
}

void TstPrintMaterial::updateDerived()
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

    QCOMPARE(a.fLayerThick, 0.2f);
    QCOMPARE(mat.m_lstSets.back().fLayerThick, 0.26f);
    QCOMPARE(QList<float>(std::begin(a.fAcc), std::end(a.fAcc)), QList<float>({1000.0f, 1200.0f, 1000.0f}));
    QCOMPARE(a.fP17, 150.0f);
    QCOMPARE(mat.m_nPrintTemp2, 233);
    QCOMPARE(mat.m_nPlatTemp2, 61);
    QCOMPARE(double(mat.m_fDiaFactor), 10.0); // of the 1.7 mm default, squared in single precision
}

void TstPrintMaterial::copyIsDeep()
{
    CPrintMaterial source = withSets({{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.3f, 0}});
    source.SetNameAndManu("PETG", "Maker");
    std::strcpy(source.m_szPwMD5, kLock);
    source.m_bDefaultFallback = 0;
    source.m_itCurSet = source.m_lstSets.begin();

    CPrintMaterial copy(source);
    CPrintMaterial assigned = withSets({{-1, 0.2f, 0.1f, 0}});
    assigned = source;
    for (CPrintMaterial *mat : {&copy, &assigned}) {
        QVERIFY(*mat == source);
        QVERIFY(mat->m_itCurSet == mat->m_lstSets.end());
        mat->m_lstSets.front().nRaftTemp = 199;
        QCOMPARE(source.m_lstSets.front().nRaftTemp, 220);
    }
}

// Bytes, not letters: a two-byte letter may lose its second byte.
void TstPrintMaterial::nameCutAt32Bytes()
{
    const QByteArray n32 = "0123456789abcdefghijklmnopqrstuv";
    CPrintMaterial mat;
    mat.SetNameAndManu(n32 + "wxyz", QByteArray(31, 'a') + "\xc3\xa9");
    QCOMPARE(QByteArray(mat.m_szName), n32);
    QCOMPARE(QByteArray(mat.m_szManu), QByteArray(31, 'a') + "\xc3");
    QCOMPARE(QByteArray(mat.m_szName + 32, 2), QByteArray(2, '\0'));
}

QTEST_GUILESS_MAIN(TstPrintMaterial)
#include "tst_PrintMaterial.moc"
