#include "core/JsonArena.h"

#include <QtTest>

#include <cjson/cJSON.h>

#include <cstring>
#include <string>

class TstJsonArena : public QObject
{
    Q_OBJECT

private slots:
    void innerScopeKeepsOuterTrees();
    void treeFromOutsideDeletedInside();
    void largeDocuments_data();
    void largeDocuments();
};

// Only the outermost scope releases: a tree of the outer scope stays readable after an inner one.
void TstJsonArena::innerScopeKeepsOuterTrees()
{
    const JsonArena::Scope outer;
    const cJSON *first = cJSON_Parse(R"({"b2":"PLA","group":[{"p1":10102}]})");
    QVERIFY(first);
    {
        const JsonArena::Scope inner;
        const cJSON *second = cJSON_Parse(R"({"b2":"PETG"})");
        QCOMPARE(cJSON_GetObjectItem(second, "b2")->valuestring, "PETG");
    }
    const cJSON *third = cJSON_Parse(R"({"b2":"ABS"})");
    QCOMPARE(cJSON_GetObjectItem(first, "b2")->valuestring, "PLA");
    QCOMPARE(cJSON_GetArrayItem(cJSON_GetObjectItem(first, "group"), 0)->child->valueint, 10102);
    QCOMPARE(cJSON_GetObjectItem(third, "b2")->valuestring, "ABS");
}

// A tree made with malloc is still freed when it is deleted inside a scope (the leak check of
// the sanitizer build sees it otherwise).
void TstJsonArena::treeFromOutsideDeletedInside()
{
    cJSON *outside = cJSON_Parse(R"({"b2":"PLA","b3":"KestRona"})");
    QVERIFY(outside);
    const JsonArena::Scope scope;
    QCOMPARE(cJSON_GetObjectItem(outside, "b3")->valuestring, "KestRona");
    cJSON_Delete(outside);
    QVERIFY(cJSON_Parse("[1,2,3]"));
}

void TstJsonArena::largeDocuments_data()
{
    QTest::addColumn<int>("members");
    QTest::addColumn<int>("textLength");

    QTest::addRow("one string larger than a block") << 1 << 3000000;
    QTest::addRow("a few blocks of members") << 20000 << 1;
    QTest::addRow("far more blocks than are kept") << 300000 << 1;
}

// Large documents parse whole, and the memory beyond what the arena keeps is given back.
void TstJsonArena::largeDocuments()
{
    QFETCH(int, members);
    QFETCH(int, textLength);
    std::string json = "[";
    for (int i = 0; i < members; ++i) {
        json += i ? ",\"" : "\"";
        json += std::string(size_t(textLength), char('a' + i % 26));
        json += '"';
    }
    json += ']';
    {
        const JsonArena::Scope scope;
        const cJSON *root = cJSON_Parse(json.c_str());
        QVERIFY(root);
        QCOMPARE(cJSON_GetArraySize(root), members);
        const cJSON *last = cJSON_GetArrayItem(root, members - 1);
        QCOMPARE(std::strlen(last->valuestring), size_t(textLength));
        QCOMPARE(last->valuestring[0], char('a' + (members - 1) % 26));
    }
    QVERIFY(JsonArena::RetainedBytes() <= JsonArena::kRetainBytes);
}

QTEST_GUILESS_MAIN(TstJsonArena)
#include "tst_JsonArena.moc"
