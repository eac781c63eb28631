#pragma once

#include <QHash>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <set>

// The translation of a UTF-8 English text by the shared language service.
QString LangTr(const char *text);

// The supported language codes; a code's index is the language index used everywhere.
extern const QStringList LanguageList;

// Translates the program's English texts into the chosen language, remembers the choice in
// "lang.cfg" and records texts that had no translation. One shared instance, made on first use.
class LangTrans
{
public:
    static LangTrans *Instance();
    // Saves the untranslated list and deletes the shared instance; the next Instance() makes a
    // new one. For an orderly exit and for tests that need a fresh data folder.
    static void DestroyInstance();

    LangTrans();
    ~LangTrans();
    LangTrans(const LangTrans &) = delete;
    LangTrans &operator=(const LangTrans &) = delete;

    // The translation, or the text itself (then recorded as untranslated).
    QString Translate(const QString &text);
    // The data directory shared with the slicer; computed once.
    QString GetGroupAppDataPath();
    // Selects LanguageList[index] ("en" outside the list) and loads it; false if its file
    // cannot be opened (then nothing changes).
    bool SetLanguage(int index);
    // Position of the current code in LanguageList; 0 when it is not there.
    int GetLanguageIndex();
    QString CurrentLanguage() const { return m_curLang; }

    // An empty file name means the working copy of the code's file, installed or updated from
    // the built-in one first.
    bool LoadLanguage(const QString &code, QString fileName);
    QString LoadLanguageSetting();
    bool SaveLanguageSetting(const QString &code);
    // "--trans version--" of a language file as an integer; -1 when missing or not whole.
    int GetTransVersion(const QString &fileName);
    void LoadUntranslated(const QString &code);
    void SaveUntranslated(const QString &code);

private:
    QString LangDir();

    QHash<QString, QJsonValue> m_transMap;
    QString m_curLang = QStringLiteral("en");
    std::set<QString> m_untransSet; // QString orders by UTF-16 code units
    QString m_groupDataPath;

    static LangTrans *m_Instance;
};
