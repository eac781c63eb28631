#include "core/PrintMaterial.h"

#include <QtTest>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
struct Key
{
    int type;
    float nozzle;
    float layer;
    int quality;
};
using Keys = std::vector<Key>;

// A set with its key; nBasicTemp carries a marker so that tests can tell sets apart.
PrintSetData makeSet(const Key &k, int marker = 0)
{
    PrintSetData s;
    s.nPrinterType = k.type;
    s.fNozzleDia = k.nozzle;
    s.fLayerThick = k.layer;
    s.nQuality = k.quality;
    s.nBasicTemp = marker;
    return s;
}

// Sets go straight into the list, marked 0, 1, 2... in the given order.
void fill(CPrintMaterial &mat, const Keys &keys)
{
    for (const Key &k : keys)
        mat.m_lstSets.push_back(makeSet(k, int(mat.m_lstSets.size())));
}

QList<int> markers(const std::vector<PrintSetData *> &sets)
{
    QList<int> out;
    for (const PrintSetData *s : sets)
        out << s->nBasicTemp;
    return out;
}
QList<int> markers(const std::list<PrintSetData> &sets)
{
    QList<int> out;
    for (const PrintSetData &s : sets)
        out << s.nBasicTemp;
    return out;
}

QList<float> qlist(const std::vector<float> &v)
{
    return QList<float>(v.begin(), v.end());
}

// A..D of 10102, E of 10110, F of the generic type.
const Keys kSample = {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.2f, 1}, {10102, 0.4f, 0.3f, 0},
                      {10102, 0.6f, 0.3f, 0}, {10110, 0.4f, 0.2f, 0}, {-1, 0.4f, 0.2f, 0}};
const char kLock[] = "0123456789abcdef0123456789abcdef";
} // namespace

Q_DECLARE_METATYPE(Keys)

class TstPrintMaterial : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void addOrReplace_data();
    void addOrReplace();
    void lockText_data();
    void lockText();
    void listSets_data();
    void listSets();
    void removeSets_data();
    void removeSets();
    void listNozzles_data();
    void listNozzles();
    void listLayersAndQualities();
    void sortIsStable();
    void derivedLayerAndAcc_data();
    void derivedLayerAndAcc();
    void derivedFields();
    void copyIsDeep();
    void nameAndManuCutAt32Bytes_data();
    void nameAndManuCutAt32Bytes();
};

void TstPrintMaterial::defaults()
{
    CPrintMaterial mat;
    QCOMPARE(QByteArray(mat.m_szName), QByteArray("Undefine"));
    QCOMPARE(QByteArray(mat.m_szManu), QByteArray("KestRona"));
    QCOMPARE(QByteArray(mat.m_szPwMD5), QByteArray());
    QCOMPARE(mat.m_nMatID, 0);
    QCOMPARE(mat.m_nPrintTemp, 210);
    QCOMPARE(mat.m_nPlatTemp, 50);
    QCOMPARE(mat.m_fFilaDia, 1.7f);
    QCOMPARE(mat.m_fDensity, 1.05f);
    QVERIFY(mat.m_lstSets.empty());
    QVERIFY(mat.m_itCurSet == mat.m_lstSets.end());
    QCOMPARE(mat.m_bDefaultFallback, 1);
}

void TstPrintMaterial::addOrReplace_data()
{
    QTest::addColumn<Keys>("existing");
    QTest::addColumn<Keys>("added");
    QTest::addColumn<int>("result");

    const Keys one = {{10102, 0.4f, 0.2f, 0}};
    QTest::addRow("same key replaces") << one << Keys{{10102, 0.4f, 0.2f, 0}} << 0;
    QTest::addRow("nozzle 0.405 within 0.01 replaces") << one << Keys{{10102, 0.405f, 0.2f, 0}} << 0;
    QTest::addRow("layer 0.2005 within 0.001 replaces") << one << Keys{{10102, 0.4f, 0.2005f, 0}} << 0;
    QTest::addRow("negative quality overwrites the first match") << one << Keys{{10102, 0.4f, 0.2f, -1}} << 0;
    QTest::addRow("other quality appends") << one << Keys{{10102, 0.4f, 0.2f, 1}} << 1;
    QTest::addRow("10112 with nozzle 0.6 is invalid") << one << Keys{{10112, 0.6f, 0.3f, 0}} << -2;
    QTest::addRow("10102 with nozzle 0.6 is valid") << one << Keys{{10102, 0.6f, 0.3f, 0}} << 1;
    QTest::addRow("layer 0.12 on nozzle 0.4 is invalid") << one << Keys{{10102, 0.4f, 0.12f, 0}} << -2;
    QTest::addRow("layer 0.1 on nozzle 0.4 is valid") << one << Keys{{10102, 0.4f, 0.1f, 0}} << 1;
    QTest::addRow("alias 10003 is checked with the generic lists") << one << Keys{{10003, 0.6f, 0.3f, 0}} << 1;
    QTest::addRow("unnamed type with a generic key is valid") << one << Keys{{4711, 0.4f, 0.2f, 0}} << 1;
}

void TstPrintMaterial::addOrReplace()
{
    QFETCH(Keys, existing);
    QFETCH(Keys, added);
    QFETCH(int, result);

    CPrintMaterial mat;
    fill(mat, existing);
    const std::list<PrintSetData> before = mat.m_lstSets;
    PrintSetData set = makeSet(added[0], 777);
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
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("nullGiven");
    QTest::addColumn<QByteArray>("given");
    QTest::addColumn<bool>("accepted");

    QTest::addRow("unlocked accepts null") << QByteArray() << true << QByteArray() << true;
    QTest::addRow("locked refuses null") << QByteArray(kLock) << true << QByteArray() << false;
    QTest::addRow("locked refuses a prefix") << QByteArray(kLock) << false << QByteArray(kLock).left(31) << false;
    QTest::addRow("locked refuses other case") << QByteArray(kLock) << false << QByteArray(kLock).toUpper() << false;
    QTest::addRow("locked accepts its own text") << QByteArray(kLock) << false << QByteArray(kLock) << true;
}

void TstPrintMaterial::lockText()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, nullGiven);
    QFETCH(QByteArray, given);
    QFETCH(bool, accepted);

    CPrintMaterial mat;
    std::strcpy(mat.m_szPwMD5, stored.constData());
    fill(mat, {{10102, 0.4f, 0.2f, 0}});
    const char *lock = nullGiven ? nullptr : given.constData();
    QCOMPARE(mat.AddOrReplaceSet(makeSet({10102, 0.4f, 0.3f, 0}), lock), accepted ? 1 : -1);
    QCOMPARE(mat.RemoveSets(10102, -1, lock, 0.4f, 0.2f), accepted ? 1 : 0);
    QCOMPARE(int(mat.m_lstSets.size()), 1);
}

void TstPrintMaterial::listSets_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("quality");
    QTest::addColumn<float>("nozzle");
    QTest::addColumn<float>("layer");
    QTest::addColumn<QList<int>>("found");

    QTest::addRow("nozzle within tolerance") << 10102 << -1 << 0.405f << -1.0f << QList<int>{0, 1, 2};
    QTest::addRow("full key") << 10102 << 1 << 0.4f << 0.2f << QList<int>{1};
    QTest::addRow("wildcard nozzle ignores layer and quality") << 10102 << 1 << -1.0f << 0.3f << QList<int>{0, 1, 2, 3};
    QTest::addRow("wildcard layer ignores quality") << 10102 << 1 << 0.4f << -1.0f << QList<int>{0, 1, 2};
    QTest::addRow("type -1 is the generic type, not a wildcard") << -1 << -1 << -1.0f << -1.0f << QList<int>{5};
    QTest::addRow("alias is not resolved") << 10007 << -1 << -1.0f << -1.0f << QList<int>();
}

void TstPrintMaterial::listSets()
{
    QFETCH(int, type);
    QFETCH(int, quality);
    QFETCH(float, nozzle);
    QFETCH(float, layer);
    QFETCH(QList<int>, found);

    CPrintMaterial mat;
    fill(mat, kSample);
    const std::vector<PrintSetData *> sets = mat.ListSets(type, quality, nozzle, layer);
    QCOMPARE(markers(sets), found);
    // The pointers reach into the record and survive appends.
    QCOMPARE(mat.AddOrReplaceSet(makeSet({10102, 0.4f, 0.2f, 6}), nullptr), 1);
    for (PrintSetData *s : sets)
        s->fSpeed[0] = 12.5f;
    QCOMPARE(int(mat.ListSets(10102, -1, -1.0f, -1.0f).size()), 5);
    QCOMPARE(int(std::count_if(mat.m_lstSets.begin(), mat.m_lstSets.end(),
                               [](const PrintSetData &s) { return s.fSpeed[0] == 12.5f; })),
             found.size());
}

void TstPrintMaterial::removeSets_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("quality");
    QTest::addColumn<float>("nozzle");
    QTest::addColumn<float>("layer");
    QTest::addColumn<QList<int>>("remaining");

    QTest::addRow("whole type") << 10102 << -1 << -1.0f << -1.0f << QList<int>{4, 5};
    QTest::addRow("one quality") << 10102 << 1 << 0.4f << 0.2f << QList<int>{0, 2, 3, 4, 5};
    // Unlike a lookup, removal tests each part on its own.
    QTest::addRow("quality applies under a wildcard layer") << 10102 << 0 << 0.4f << -1.0f << QList<int>{1, 3, 4, 5};
    QTest::addRow("layer applies under a wildcard nozzle") << 10102 << -1 << -1.0f << 0.3f << QList<int>{0, 1, 4, 5};
    QTest::addRow("nothing matches") << 10102 << 6 << -1.0f << -1.0f << QList<int>{0, 1, 2, 3, 4, 5};
}

void TstPrintMaterial::removeSets()
{
    QFETCH(int, type);
    QFETCH(int, quality);
    QFETCH(float, nozzle);
    QFETCH(float, layer);
    QFETCH(QList<int>, remaining);

    CPrintMaterial mat;
    fill(mat, kSample);
    QCOMPARE(mat.RemoveSets(type, quality, nullptr, nozzle, layer), int(kSample.size()) - remaining.size());
    QCOMPARE(markers(mat.m_lstSets), remaining);
}

void TstPrintMaterial::listNozzles_data()
{
    QTest::addColumn<Keys>("sets");
    QTest::addColumn<int>("fallback");
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<float>>("nozzles");

    const Keys generic = {{-1, 0.4f, 0.2f, 0}, {-1, 0.2f, 0.1f, 0}};
    QTest::addRow("empty record") << Keys() << 1 << 10102 << QList<float>();
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

    CPrintMaterial mat;
    mat.m_bDefaultFallback = fallback;
    fill(mat, sets);
    std::vector<float> out;
    mat.ListNozzles(type, out);
    QCOMPARE(qlist(out), nozzles);
    // The list stays sorted: that is the order in which sets are written.
    QVERIFY(std::is_sorted(mat.m_lstSets.begin(), mat.m_lstSets.end(), LessPrintSet));
}

void TstPrintMaterial::listLayersAndQualities()
{
    CPrintMaterial mat;
    fill(mat, {{10102, 0.4f, 0.3f, 0}, {10102, 0.6f, 0.4f, 0}, {10102, 0.4f, 0.2005f, 2}, {10102, 0.2f, 0.05f, 0},
               {10102, 0.405f, 0.2f, 0}, {10102, 0.4f, 0.205f, 3}, {10110, 0.4f, 0.15f, 0}});
    std::vector<float> layers;
    mat.ListLayerThicks(10102, layers, 0.4f);
    // 0.2 and 0.2005 give one entry; 0.205 is another layer here.
    QCOMPARE(qlist(layers), QList<float>({0.2f, 0.205f, 0.3f}));

    // Qualities take layers within 0.01 as the same.
    std::set<int32_t> qualities;
    mat.ListQualities(10102, qualities, 0.4f, 0.2f);
    QCOMPARE(QList<int>(qualities.begin(), qualities.end()), QList<int>({0, 2, 3}));

    CPrintMaterial generic;
    fill(generic, {{-1, 0.4f, 0.25f, 5}, {-1, 0.4f, 0.15f, 0}});
    layers.clear();
    generic.ListLayerThicks(10113, layers, 0.4f);
    QCOMPARE(qlist(layers), QList<float>({0.15f, 0.25f}));
    qualities.clear();
    generic.ListQualities(10113, qualities, 0.4f, 0.25f);
    QCOMPARE(QList<int>(qualities.begin(), qualities.end()), QList<int>{5});
}

void TstPrintMaterial::sortIsStable()
{
    CPrintMaterial mat;
    // Type first; a nozzle within 0.01 lets the layer decide, a layer within 0.001 the quality.
    // 1 and 3 have the same key within tolerance, so they keep their order.
    fill(mat, {{10110, 0.2f, 0.05f, 0}, {10102, 0.4f, 0.2f, 0}, {10102, 0.405f, 0.1f, 0}, {10102, 0.4f, 0.2005f, 0},
               {-1, 1.0f, 0.8f, 0}, {10102, 0.4f, 0.2f, 2}, {10102, 0.6f, 0.05f, 0}, {10102, 0.4f, 0.2004f, 1}});
    mat.SortSets();
    QCOMPARE(markers(mat.m_lstSets), QList<int>({4, 2, 1, 3, 7, 5, 6, 0}));
}

void TstPrintMaterial::derivedLayerAndAcc_data()
{
    QTest::addColumn<float>("layer");
    QTest::addColumn<float>("acc");
    QTest::addColumn<float>("roundedLayer");
    QTest::addColumn<float>("storedAcc");

    QTest::addRow("0.199 rounds to 0.2, 800 becomes 1000") << 0.199f << 800.0f << 0.2f << 1000.0f;
    QTest::addRow("0.256 rounds to 0.26, 1200 stays") << 0.256f << 1200.0f << 0.26f << 1200.0f;
    QTest::addRow("0.344 rounds down, just over 1000 stays") << 0.344f << 1000.5f << 0.34f << 1000.5f;
    QTest::addRow("NaN acceleration becomes 1000") << 0.15f << std::numeric_limits<float>::quiet_NaN() << 0.15f
                                                   << 1000.0f;
}

void TstPrintMaterial::derivedLayerAndAcc()
{
    QFETCH(float, layer);
    QFETCH(float, acc);
    QFETCH(float, roundedLayer);
    QFETCH(float, storedAcc);

    CPrintMaterial mat;
    PrintSetData s = makeSet({10102, 0.4f, layer, 0});
    s.fAcc[0] = s.fAcc[1] = s.fAcc[2] = acc;
    mat.m_lstSets.push_back(s);
    QCOMPARE(mat.UpdateDerived(), 1);
    QCOMPARE(mat.m_lstSets.front().fLayerThick, roundedLayer);
    for (float a : mat.m_lstSets.front().fAcc)
        QCOMPARE(a, storedAcc);
}

void TstPrintMaterial::derivedFields()
{
    CPrintMaterial mat;
    mat.m_fFilaDia = 1.75f;
    mat.m_nPrintTemp = 233;
    mat.m_nPlatTemp = 61;
    mat.m_lstSets.push_back(makeSet({10112, 0.4f, 0.2f, 0}));
    mat.m_lstSets.push_back(makeSet({10102, 0.6f, 0.3f, 0}));
    mat.m_lstSets.back().fP17 = 3.0f;
    mat.UpdateDerived();

    QCOMPARE(mat.m_nPrintTemp2, 233);
    QCOMPARE(mat.m_nPlatTemp2, 61);
    QCOMPARE(mat.m_nB11, 100);
    // These go to files and back, so they must be exact.
    const auto exact = [](float f) { return QByteArray::number(double(f), 'g', 17); };
    QCOMPARE(exact(mat.m_fDiaFactor), QByteArray("9.4367351531982422"));
    const PrintSetData &a = mat.m_lstSets.front();
    QCOMPARE(exact(a.fP5), QByteArray("0.94367355108261108"));
    QCOMPARE(exact(a.fP23), QByteArray("0.25"));
    QCOMPARE(exact(a.fP24), QByteArray("0.62999999523162842"));
    QCOMPARE(exact(a.fP25), QByteArray("1.1024999618530273"));
    const PrintSetData &b = mat.m_lstSets.back();
    QCOMPARE(exact(b.fP23), QByteArray("0.35000002384185791"));
    QCOMPARE(exact(b.fP24), QByteArray("0.87000000476837158"));
    QCOMPARE(exact(b.fP25), QByteArray("2.1315000057220459"));
    QCOMPARE(b.fP17, 150.0f);

    CPrintMaterial standard;
    standard.UpdateDerived();
    QCOMPARE(exact(standard.m_fDiaFactor), QByteArray("10"));
}

void TstPrintMaterial::copyIsDeep()
{
    CPrintMaterial source;
    source.SetNameAndManu("PETG", "Maker");
    std::strcpy(source.m_szPwMD5, kLock);
    source.m_bDefaultFallback = 0;
    fill(source, {{10102, 0.4f, 0.2f, 0}, {10102, 0.4f, 0.3f, 0}});
    source.m_itCurSet = source.m_lstSets.begin();

    CPrintMaterial copy(source);
    QVERIFY(copy == source);
    QVERIFY(copy.m_itCurSet == copy.m_lstSets.end());
    copy.ListSets(10102, 0, 0.4f, 0.3f).front()->nRaftTemp = 199;
    QCOMPARE(source.m_lstSets.back().nRaftTemp, 220);

    CPrintMaterial assigned;
    fill(assigned, {{-1, 0.2f, 0.1f, 0}});
    assigned = source;
    QVERIFY(assigned == source);
    QVERIFY(assigned.m_itCurSet == assigned.m_lstSets.end());
    assigned.m_lstSets.clear();
    QCOMPARE(int(source.m_lstSets.size()), 2);
}

void TstPrintMaterial::nameAndManuCutAt32Bytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("stored");

    const QByteArray n32 = "0123456789abcdefghijklmnopqrstuv";
    const QByteArray e7 = "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"; // 7 two-byte letters
    QTest::addRow("exactly 32 bytes") << n32 << n32;
    QTest::addRow("40 bytes keep 32") << n32 + "wxyzWXYZ" << n32;
    QTest::addRow("UTF-8 counted in bytes") << QByteArray(20, 'a') + e7 << QByteArray(20, 'a') + e7.left(12);
    QTest::addRow("empty text") << QByteArray("") << QByteArray();
}

void TstPrintMaterial::nameAndManuCutAt32Bytes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, stored);

    CPrintMaterial mat;
    mat.SetNameAndManu(text.constData(), text.constData());
    QCOMPARE(QByteArray(mat.m_szName), stored);
    QCOMPARE(QByteArray(mat.m_szManu), stored);
    QCOMPARE(QByteArray(mat.m_szName + 32, 2), QByteArray(2, '\0'));
    mat.SetNameAndManu(nullptr, "x");
    QCOMPARE(QByteArray(mat.m_szName), QByteArray());
}

QTEST_GUILESS_MAIN(TstPrintMaterial)
#include "tst_PrintMaterial.moc"
