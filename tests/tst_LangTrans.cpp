#include "TestSupport.h"
#include "base/PlatformPaths.h"
#include "base/TLanguage.h"
#include "library/Materials.h"

#include <QDir>
#include <QtTest>

#include <memory>

// The language service over a private data home and a private folder of built-in files.
class TstLangTrans : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempDataHome> m_home;

    QString dataDir() const { return m_home->filePath(QStringLiteral("data/Kestrona/DB")); }
    QString langDir() const { return dataDir() + QStringLiteral("/Lang"); }
    QString builtIn(const QString &code) const
    {
        return m_home->filePath(QStringLiteral("shipped/Lang/local_") + code + QStringLiteral(".json"));
    }
    QString working(const QString &code) const { return langDir() + QStringLiteral("/local_") + code + ".json"; }
    QString untranslated(const QString &code) const { return langDir() + "/untrans_" + code + ".txt"; }
    void writeSetting(const QByteArray &content)
    {
        QDir().mkpath(dataDir());
        QVERIFY(writeAll(dataDir() + QStringLiteral("/lang.cfg"), content));
    }
    void writeLangFile(const QString &path, const QByteArray &json)
    {
        QDir().mkpath(QFileInfo(path).path());
        QVERIFY(writeAll(path, json));
    }

private slots:
    void init()
    {
        m_home = std::make_unique<TempDataHome>();
        QDir().mkpath(m_home->filePath(QStringLiteral("shipped/Lang")));
        PlatformPaths::SetShippedDataDir(m_home->filePath(QStringLiteral("shipped")));
        LangTrans::DestroyInstance();
    }

    void cleanup()
    {
        LangTrans::DestroyInstance();
        PlatformPaths::SetShippedDataDir(QString());
        m_home.reset();
    }

    void settingFile_data()
    {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<int>("index");
        QTest::addRow("zh without line end") << QByteArray("zh") << 10;
        QTest::addRow("zh with a line feed is not a code") << QByteArray("zh\n") << 0;
        QTest::addRow("codes are case-sensitive") << QByteArray("ZH") << 0;
        QTest::addRow("unknown code") << QByteArray("xx") << 0;
        QTest::addRow("empty file") << QByteArray() << 0;
    }
    void settingFile()
    {
        QFETCH(QByteArray, setting);
        QFETCH(int, index);
        writeLangFile(builtIn(QStringLiteral("zh")), R"({"--trans version--": 1, "Fine": "精细"})");
        writeLangFile(builtIn(QStringLiteral("en")), R"({"--trans version--": 1})");
        writeSetting(setting);
        QCOMPARE(LangTrans::Instance()->GetLanguageIndex(), index);
        QCOMPARE(LangTrans::Instance()->Translate(QStringLiteral("Fine")),
                 index == 10 ? QStringLiteral("精细") : QStringLiteral("Fine"));
    }

    void noSettingFileMeansEnglishAndCreatesTheLangFolder()
    {
        QCOMPARE(LangTrans::Instance()->CurrentLanguage(), QStringLiteral("en"));
        QVERIFY(QFileInfo(langDir()).isDir());
    }

    void workingCopyVersusBuiltIn_data()
    {
        QTest::addColumn<QByteArray>("workingVersion");
        QTest::addColumn<bool>("kept");
        QTest::addRow("newer integer kept") << QByteArray("3") << true;
        QTest::addRow("newer decimal text kept") << QByteArray("\"3\"") << true;
        QTest::addRow("equal kept") << QByteArray("2") << true;
        QTest::addRow("older replaced") << QByteArray("1") << false;
        QTest::addRow("fractional replaced") << QByteArray("2.5") << false;
        QTest::addRow("text that is no number replaced") << QByteArray("\"v3\"") << false;
    }
    void workingCopyVersusBuiltIn()
    {
        QFETCH(QByteArray, workingVersion);
        QFETCH(bool, kept);
        writeLangFile(builtIn(QStringLiteral("zh")), R"({"--trans version--": 2, "Fast": "built-in"})");
        writeLangFile(working(QStringLiteral("zh")),
                      "{\"--trans version--\": " + workingVersion + ", \"Fast\": \"working\"}");
        writeSetting("zh");
        QCOMPARE(LangTrans::Instance()->Translate(QStringLiteral("Fast")),
                 kept ? QStringLiteral("working") : QStringLiteral("built-in"));
    }

    void workingCopyWithoutVersionIsReplaced()
    {
        writeLangFile(builtIn(QStringLiteral("zh")), R"({"--trans version--": 2, "Fast": "built-in"})");
        writeLangFile(working(QStringLiteral("zh")), R"({"Fast": "working"})");
        writeSetting("zh");
        QCOMPARE(LangTrans::Instance()->Translate(QStringLiteral("Fast")), QStringLiteral("built-in"));
    }

    void missingBuiltInNeverCostsTheWorkingCopy()
    {
        const QByteArray workingText = R"({"Fast": "working"})"; // no version: would be replaced
        writeLangFile(working(QStringLiteral("zh")), workingText);
        writeSetting("zh");
        QCOMPARE(LangTrans::Instance()->Translate(QStringLiteral("Fast")), QStringLiteral("working"));
        QCOMPARE(readAll(working(QStringLiteral("zh"))), workingText);
    }

    void translationValues_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        QTest::addRow("string") << "Fine" << QStringLiteral("精细");
        QTest::addRow("number as decimal text") << "Twelve" << "12";
        QTest::addRow("missing text is returned as it is") << "Not there" << "Not there";
        QTest::addRow("duplicate key after an object: the later value counts") << "Twice" << "second";
    }
    void translationValues()
    {
        QFETCH(QString, source);
        QFETCH(QString, expected);
        writeLangFile(builtIn(QStringLiteral("zh")), R"({"--trans version--": 1, "Fine": "精细", "Twelve": 12,)"
                                                     R"( "Twice": {"first": [1]}, "Twice": "second"})");
        writeSetting("zh");
        QCOMPARE(LangTrans::Instance()->Translate(source), expected);
    }

    void untranslatedTextsAreSavedOnceAndSorted()
    {
        writeLangFile(builtIn(QStringLiteral("en")), R"({"--trans version--": 1})");
        writeLangFile(builtIn(QStringLiteral("zh")), R"({"--trans version--": 1})");
        LangTrans *lang = LangTrans::Instance();
        lang->Translate(QStringLiteral("Zeta"));
        lang->Translate(QStringLiteral("Alpha"));
        lang->Translate(QStringLiteral("Zeta"));
        QVERIFY(lang->SetLanguage(10)); // leaving "en" saves its list
        QCOMPARE(readAll(untranslated(QStringLiteral("en"))), QByteArray("Alpha\nZeta\n"));
    }

    void emptyUntranslatedListLeavesTheFileAlone()
    {
        writeLangFile(untranslated(QStringLiteral("en")), "Kept\n");
        writeLangFile(builtIn(QStringLiteral("zh")), R"({"--trans version--": 1})");
        LangTrans *lang = LangTrans::Instance(); // loads "Kept" into the list
        lang->SetLanguage(10);
        QCOMPARE(readAll(untranslated(QStringLiteral("en"))), QByteArray("Kept\n"));
        LangTrans::DestroyInstance(); // "zh" has an empty list: its file is not created
        QVERIFY(!QFile::exists(untranslated(QStringLiteral("zh"))));
    }

    void unopenableStoredLanguageKeepsListAndCodeTogether()
    {
        // "zh" is stored but has no file: the service stays in English, and so does its list.
        writeSetting("zh");
        writeLangFile(untranslated(QStringLiteral("zh")), "ChineseOnly\n");
        writeLangFile(untranslated(QStringLiteral("en")), "EnglishOnly\n");
        LangTrans *lang = LangTrans::Instance();
        QCOMPARE(lang->CurrentLanguage(), QStringLiteral("en"));
        lang->Translate(QStringLiteral("New text"));
        LangTrans::DestroyInstance();
        QCOMPARE(readAll(untranslated(QStringLiteral("en"))), QByteArray("EnglishOnly\nNew text\n"));
        QCOMPARE(readAll(untranslated(QStringLiteral("zh"))), QByteArray("ChineseOnly\n"));
    }

    void failedSwitchChangesNothing()
    {
        writeLangFile(builtIn(QStringLiteral("en")), R"({"--trans version--": 1, "Fine": "Fine!"})");
        LangTrans *lang = LangTrans::Instance();
        QVERIFY(!lang->SetLanguage(2)); // no "de" file anywhere
        QCOMPARE(lang->CurrentLanguage(), QStringLiteral("en"));
        QCOMPARE(lang->Translate(QStringLiteral("Fine")), QStringLiteral("Fine!"));
        QCOMPARE(readAll(dataDir() + QStringLiteral("/lang.cfg")), QByteArray("en")); // not "de"
    }

    void languageFileThatIsNoObjectEmptiesTheTable_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addRow("array") << QByteArray("[\"Fine\", \"x\"]");
        QTest::addRow("not JSON") << QByteArray("Fine = x");
        QTest::addRow("empty") << QByteArray();
    }
    void languageFileThatIsNoObjectEmptiesTheTable()
    {
        QFETCH(QByteArray, content);
        writeLangFile(builtIn(QStringLiteral("en")), R"({"--trans version--": 1, "Fine": "Fine!"})");
        writeLangFile(working(QStringLiteral("fr")), content);
        LangTrans *lang = LangTrans::Instance();
        QVERIFY(lang->SetLanguage(1));
        QCOMPARE(lang->CurrentLanguage(), QStringLiteral("fr"));
        QCOMPARE(lang->Translate(QStringLiteral("Fine")), QStringLiteral("Fine"));
        QCOMPARE(readAll(dataDir() + QStringLiteral("/lang.cfg")), QByteArray("fr"));
    }

    void curLanguageSelectsByIndex_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("code");
        QTest::addRow("zh") << 10 << "zh";
        QTest::addRow("beyond the list is en") << 12 << "en";
        QTest::addRow("negative is en") << -1 << "en";
    }
    void curLanguageSelectsByIndex()
    {
        QFETCH(int, index);
        QFETCH(QString, code);
        writeLangFile(builtIn(QStringLiteral("zh")), R"({"--trans version--": 1})");
        writeLangFile(builtIn(QStringLiteral("en")), R"({"--trans version--": 1})");
        writeLangFile(builtIn(QStringLiteral("fr")), R"({"--trans version--": 1})");
        LangTrans::Instance()->SetLanguage(1);
        Materials mats;
        mats.setProperty("curLanguage", index);
        QCOMPARE(mats.property("curLanguage").toInt(), index);
        QCOMPARE(LangTrans::Instance()->CurrentLanguage(), code);
        QCOMPARE(readAll(dataDir() + QStringLiteral("/lang.cfg")), code.toLatin1());
    }
};

QTEST_GUILESS_MAIN(TstLangTrans)
#include "tst_LangTrans.moc"
