#include "LibraryFixture.h"
#include "base/TLanguage.h"

#include <QtTest>

// The language service over a fixture's folders: the test writes the files, then makes the
// service afresh so that it reads them.
class TstLangTrans : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LibraryFixture> m_fx;

    QString inShipped(const QString &name) const { return m_fx->shippedDir() + "/Lang/" + name; }
    QString inData(const QString &name) const { return m_fx->dataDir() + "/Lang/" + name; }
    QByteArray setting() const { return readAll(m_fx->dataDir() + "/lang.cfg"); }
    LangTrans *fresh()
    {
        LangTrans::DestroyInstance();
        return LangTrans::Instance();
    }

private slots:
    void init()
    {
        m_fx = std::make_unique<LibraryFixture>();
        QVERIFY(writeAll(inShipped("local_en.json"), R"({"--trans version--": 1, "Fine": "Fine!"})"));
        QVERIFY(writeAll(inShipped("local_zh.json"),
                         R"({"--trans version--": 2, "Fine": "精细", "Fast": "built-in",)"
                         R"( "Twelve": 12, "Twice": {"first": [1]}, "Twice": "second"})"));
    }
    void cleanup() { m_fx.reset(); }

    // The setting file holds the code alone; anything else is English, and so is no file.
    void settingFile_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<int>("index");
        QTest::addRow("zh without line end") << QByteArray("zh") << 10;
        QTest::addRow("zh with a line feed is not a code") << QByteArray("zh\n") << 0;
        QTest::addRow("codes are case-sensitive") << QByteArray("ZH") << 0;
        QTest::addRow("no setting file") << QByteArray() << 0;
    }
    void settingFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, index);
        if (!content.isNull())
            QVERIFY(writeAll(m_fx->dataDir() + "/lang.cfg", content));
        LangTrans *lang = fresh();
        QCOMPARE(lang->GetLanguageIndex(), index);
        QCOMPARE(lang->Translate("Fine"), index == 10 ? QStringLiteral("精细") : QStringLiteral("Fine!"));
        QCOMPARE(lang->CurrentLanguage(), index == 10 ? "zh" : "en");
    }

    // The working copy in the data folder is kept while its version is a whole number at least the
    // built-in one's; without a built-in file it is kept whatever it holds.
    void workingCopyVersusBuiltIn_data()
    {
        QTest::addColumn<QByteArray>("version"); // of the working copy; null: it has none
        QTest::addColumn<bool>("shipped");       // the built-in file exists
        QTest::addColumn<bool>("kept");
        QTest::addRow("newer integer kept") << QByteArray("3") << true << true;
        QTest::addRow("newer decimal text kept") << QByteArray("\"3\"") << true << true;
        QTest::addRow("equal kept") << QByteArray("2") << true << true;
        QTest::addRow("older replaced") << QByteArray("1") << true << false;
        QTest::addRow("fractional replaced") << QByteArray("2.5") << true << false;
        QTest::addRow("text that is no number replaced") << QByteArray("\"v3\"") << true << false;
        QTest::addRow("no version replaced") << QByteArray() << true << false;
        QTest::addRow("no built-in file never costs the working copy") << QByteArray() << false << true;
    }
    void workingCopyVersusBuiltIn()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, shipped);
        QFETCH(bool, kept);
        const QByteArray text = version.isNull()
                                    ? QByteArray(R"({"Fast": "working"})")
                                    : R"({"--trans version--": )" + version + R"(, "Fast": "working"})";
        QVERIFY(writeAll(inData("local_zh.json"), text));
        if (!shipped)
            QVERIFY(QFile::remove(inShipped("local_zh.json")));
        QVERIFY(writeAll(m_fx->dataDir() + "/lang.cfg", "zh"));
        QCOMPARE(fresh()->Translate("Fast"), kept ? QStringLiteral("working") : QStringLiteral("built-in"));
        if (kept)
            QCOMPARE(readAll(inData("local_zh.json")), text);
    }

    void translationValues_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        QTest::addRow("string") << "Fine" << QStringLiteral("精细");
        QTest::addRow("number as decimal text") << "Twelve"
                                                << "12";
        QTest::addRow("missing text is returned as it is") << "Not there"
                                                           << "Not there";
        QTest::addRow("duplicate key after an object: the later value counts") << "Twice"
                                                                               << "second";
    }
    void translationValues()
    {
        QFETCH(QString, source);
        QFETCH(QString, expected);
        QVERIFY(writeAll(m_fx->dataDir() + "/lang.cfg", "zh"));
        QCOMPARE(fresh()->Translate(source), expected);
    }

    // Texts without a translation are listed per language, once each and sorted, when the
    // language is left; an empty list makes no file.
    void untranslatedTextsAreSaved()
    {
        QVERIFY(writeAll(inData("untrans_en.txt"), "Kept\n"));
        LangTrans *lang = fresh();
        lang->Translate("Zeta");
        lang->Translate("Alpha");
        lang->Translate("Zeta");
        QVERIFY(lang->SetLanguage(10));
        QCOMPARE(readAll(inData("untrans_en.txt")), QByteArray("Alpha\nKept\nZeta\n"));
        LangTrans::DestroyInstance();
        QVERIFY(!QFile::exists(inData("untrans_zh.txt")));
    }

    void unopenableStoredLanguageKeepsListAndCodeTogether()
    {
        // "fr" is stored but has no file: the service stays in English, and so does its list.
        QVERIFY(writeAll(m_fx->dataDir() + "/lang.cfg", "fr"));
        QVERIFY(writeAll(inData("untrans_fr.txt"), "FrenchOnly\n"));
        QVERIFY(writeAll(inData("untrans_en.txt"), "EnglishOnly\n"));
        LangTrans *lang = fresh();
        QCOMPARE(lang->CurrentLanguage(), QStringLiteral("en"));
        lang->Translate("New text");
        LangTrans::DestroyInstance();
        QCOMPARE(readAll(inData("untrans_en.txt")), QByteArray("EnglishOnly\nNew text\n"));
        QCOMPARE(readAll(inData("untrans_fr.txt")), QByteArray("FrenchOnly\n"));
    }

    // The scene switches by index: beyond the list is English; a language without a file changes
    // nothing, one whose file is no object gives an empty table. What is switched to is stored.
    void switchLanguage_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("french"); // the working copy for "fr"; null: no file
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("fine"); // what "Fine" reads then
        const QByteArray none;
        QTest::addRow("fr") << 1 << QByteArray(R"({"--trans version--": 1, "Fine": "Bien"})") << "fr"
                            << "Bien";
        QTest::addRow("beyond the list is en") << 12 << none << "en"
                                               << "Fine!";
        QTest::addRow("negative is en") << -1 << none << "en"
                                        << "Fine!";
        QTest::addRow("no file anywhere: nothing changes") << 1 << none << "zh"
                                                           << "精细";
        QTest::addRow("array") << 1 << QByteArray("[\"Fine\", \"x\"]") << "fr"
                               << "Fine";
        QTest::addRow("not JSON") << 1 << QByteArray("Fine = x") << "fr"
                                  << "Fine";
        QTest::addRow("empty") << 1 << QByteArray("") << "fr"
                               << "Fine";
    }
    void switchLanguage()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, french);
        QFETCH(QString, code);
        QFETCH(QString, fine);
        if (!french.isNull())
            QVERIFY(writeAll(inData("local_fr.json"), french));
        QVERIFY(writeAll(m_fx->dataDir() + "/lang.cfg", "zh"));
        fresh();
        m_fx->mats().setProperty("curLanguage", index);
        QCOMPARE(m_fx->mats().property("curLanguage").toInt(), index);
        QCOMPARE(LangTrans::Instance()->CurrentLanguage(), code);
        QCOMPARE(LangTrans::Instance()->Translate("Fine"), fine);
        QCOMPARE(QString::fromLatin1(setting()), code);
    }
};

QTEST_GUILESS_MAIN(TstLangTrans)
#include "tst_LangTrans.moc"
