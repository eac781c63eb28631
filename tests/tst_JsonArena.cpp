#include "core/JsonArena.h"

#include <QtTest>

#include <cjson/cJSON.h>

#include <string>

class TstJsonArena : public QObject
{
    Q_OBJECT

private slots:
    // Only the outermost scope releases; a tree made with malloc before the scope is still freed
    // by cJSON_Delete inside it (the sanitizer build's leak check sees it otherwise).
    void treesLiveUntilTheOutermostScopeEnds()
    {
        cJSON *outside = cJSON_Parse(R"({"b3":"KestRona"})");
        const JsonArena::Scope outer;
        const cJSON *first = cJSON_Parse(R"({"b2":"PLA","group":[{"p1":10102}]})");
        {
            const JsonArena::Scope inner;
            QCOMPARE(cJSON_GetObjectItem(cJSON_Parse(R"({"b2":"PETG"})"), "b2")->valuestring, "PETG");
        }
        const cJSON *third = cJSON_Parse(R"({"b2":"ABS"})");
        QCOMPARE(cJSON_GetObjectItem(first, "b2")->valuestring, "PLA");
        QCOMPARE(cJSON_GetArrayItem(cJSON_GetObjectItem(first, "group"), 0)->child->valueint, 10102);
        QCOMPARE(cJSON_GetObjectItem(third, "b2")->valuestring, "ABS");
        QCOMPARE(cJSON_GetObjectItem(outside, "b3")->valuestring, "KestRona");
        cJSON_Delete(outside);
    }

    void largeDocuments_data()
    {
        QTest::addColumn<int>("members");
        QTest::addColumn<int>("textLength");
        QTest::addRow("one string larger than a block") << 1 << 3000000;
        QTest::addRow("a few blocks of members") << 20000 << 1;
        QTest::addRow("far more blocks than are kept") << 300000 << 1;
    }

    // Large documents parse whole, and the memory beyond what the arena keeps is given back.
    void largeDocuments()
    {
        QFETCH(int, members);
        QFETCH(int, textLength);
        std::string json = "[";
        for (int i = 0; i < members; ++i)
            json += (i ? ",\"" : "\"") + std::string(size_t(textLength), char('a' + i % 26)) + '"';
        json += ']';
        {
            const JsonArena::Scope scope;
            const cJSON *root = cJSON_Parse(json.c_str());
            QVERIFY(root);
            QCOMPARE(cJSON_GetArraySize(root), members);
            const std::string last = cJSON_GetArrayItem(root, members - 1)->valuestring;
            QCOMPARE(last, std::string(size_t(textLength), char('a' + (members - 1) % 26)));
        }
        QVERIFY(JsonArena::RetainedBytes() <= JsonArena::kRetainBytes);
    }
};

QTEST_GUILESS_MAIN(TstJsonArena)
#include "tst_JsonArena.moc"
