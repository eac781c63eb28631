#include "LibraryFixture.h"
#include "base/TLanguage.h"

#include <QtTest>

// The language service over a fixture's folders: the test writes the files, then makes the
// service afresh so that it reads them.
class TstLangTrans : public QObject
{
    Q_OBJECT

private:
    static constexpr int kKeep = -100;
    std::unique_ptr<LibraryFixture> m_fx;

    QString inShipped(const QString &name) const { return m_fx->shippedDir() + "/Lang/" + name; }
    QString inData(const QString &name) const { return m_fx->dataDir() + "/Lang/" + name; }
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

    // The working copy in the data folder is kept while its version is a whole number at least the
    // built-in one's; without a built-in file it is kept whatever it holds.
    // clang-format off
    void workingCopyVersusBuiltIn_data()
    {
        QTest::addColumn<QByteArray>("version"); // of the working copy; null: it has none
        QTest::addColumn<bool>("shipped");       // the built-in file exists
        QTest::addColumn<bool>("kept");
        QTest::addRow("newer decimal text kept") << QByteArray("\"3\"") << true << true;
        QTest::addRow("equal kept") << QByteArray("2") << true << true;
        QTest::addRow("older replaced") << QByteArray("1") << true << false;
        QTest::addRow("no built-in file never costs the working copy") << QByteArray() << false << true;
    }
    // clang-format on
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

    // The setting file holds the code alone; anything else is English, and so is no file. The
    // scene switches by index: beyond the list is English; a language without a file changes
    // nothing, one whose file is no object gives an empty table (the bad files themselves are
    // the start-up's tests). What is switched to is stored.
    // clang-format off
    void chooseLanguage_data()
    {
        QTest::addColumn<QByteArray>("setting"); // null: no file
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("index");         // switched to by the scene; kKeep: not switched
        QTest::addColumn<QByteArray>("french"); // the working copy for "fr"; null: no file
        QTest::addColumn<QString>("fine");      // what "Fine" reads then
        const QByteArray zh = "zh", none;
        QTest::addRow("zh without line end") << zh << "zh" << kKeep << none << "精细";
        QTest::addRow("zh with a line feed is not a code")
            << QByteArray("zh\n") << "en" << kKeep << none << "Fine!";
        QTest::addRow("no setting file") << none << "en" << kKeep << none << "Fine!";
        QTest::addRow("fr") << zh << "fr" << 1 << QByteArray(R"({"--trans version--": 1, "Fine": "Bien"})")
                            << "Bien";
        QTest::addRow("beyond the list is en") << zh << "en" << 12 << none << "Fine!";
        QTest::addRow("no file anywhere: nothing changes") << zh << "zh" << 1 << none << "精细";
        QTest::addRow("a file that is no object")
            << zh << "fr" << 1 << QByteArray("[\"Fine\", \"x\"]") << "Fine";
    }
    // clang-format on
    void chooseLanguage()
    {
        QFETCH(QByteArray, setting);
        QFETCH(QString, code);
        QFETCH(int, index);
        QFETCH(QByteArray, french);
        QFETCH(QString, fine);
        if (!setting.isNull())
            QVERIFY(writeAll(m_fx->dataDir() + "/lang.cfg", setting));
        if (!french.isNull())
            QVERIFY(writeAll(inData("local_fr.json"), french));
        LangTrans *lang = fresh();
        if (index == kKeep) {
            QCOMPARE(lang->GetLanguageIndex(), code == "zh" ? 10 : 0);
        } else {
            m_fx->mats().setProperty("curLanguage", index);
            QCOMPARE(m_fx->mats().property("curLanguage").toInt(), index);
            QCOMPARE(QString::fromLatin1(readAll(m_fx->dataDir() + "/lang.cfg")), code);
        }
        QCOMPARE(lang->CurrentLanguage(), code);
        QCOMPARE(lang->Translate("Fine"), fine);
        // Numbers read as decimal text, a later duplicate key counts, a missing text is itself.
        if (code == "zh" && index == kKeep)
            QCOMPARE(QStringList(
                         {lang->Translate("Twelve"), lang->Translate("Twice"), lang->Translate("Not there")}),
                     QStringList({"12", "second", "Not there"}));
    }
};

QTEST_GUILESS_MAIN(TstLangTrans)
#include "tst_LangTrans.moc"
