#include "TLanguage.h"

#include "Log.h"
#include "PlatformPaths.h"
#include "cfutility.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>

#include <climits>
#include <cmath>

const QStringList LanguageList = {
    QStringLiteral("en"), QStringLiteral("fr"), QStringLiteral("de"), QStringLiteral("es"),
    QStringLiteral("it"), QStringLiteral("ja"), QStringLiteral("kr"), QStringLiteral("pt"),
    QStringLiteral("ru"), QStringLiteral("th"), QStringLiteral("zh"), QStringLiteral("zh_tw"),
};

LangTrans *LangTrans::m_Instance = nullptr;

QString LangTr(const char *text)
{
    return LangTrans::Instance()->Translate(QString::fromUtf8(text));
}

LangTrans *LangTrans::Instance()
{
    if (!m_Instance) {
        // The constructor checks that no shared instance exists yet; set it afterwards.
        LangTrans *created = new LangTrans();
        m_Instance = created;
    }
    return m_Instance;
}

void LangTrans::DestroyInstance()
{
    delete m_Instance;
    m_Instance = nullptr;
}

LangTrans::LangTrans()
{
    Q_ASSERT(m_Instance == nullptr);
    GetGroupAppDataPath();
    const QString code = LoadLanguageSetting();
    LoadLanguage(code, QString());
    // The list of the language actually in use: when the stored language's file could not be
    // opened, that is still "en", and a list loaded for the other code would be saved as "en".
    LoadUntranslated(m_curLang);
}

LangTrans::~LangTrans()
{
    SaveUntranslated(m_curLang);
}

QString LangTrans::Translate(const QString &text)
{
    const auto found = m_transMap.constFind(text);
    if (found == m_transMap.constEnd()) {
        m_untransSet.insert(text);
        return text;
    }
    if (found->isString())
        return found->toString();
    return found->toVariant().toString();
}

QString LangTrans::GetGroupAppDataPath()
{
    if (m_groupDataPath.isEmpty()) {
        m_groupDataPath = PlatformPaths::GroupDataDir();
        CVLOG << "m_groupDataPath: " << m_groupDataPath;
    }
    return m_groupDataPath;
}

QString LangTrans::LangDir()
{
    return GetGroupAppDataPath() + QStringLiteral("/Lang");
}

bool LangTrans::SetLanguage(int index)
{
    const QString code = index >= 0 && index < LanguageList.size() ? LanguageList[index] : LanguageList[0];
    return LoadLanguage(code, QString());
}

int LangTrans::GetLanguageIndex()
{
    const int index = LanguageList.indexOf(m_curLang);
    if (index < 0)
        return 0;
    CVLOG << "Current language: " << m_curLang << "  Index:" << index;
    return index;
}

bool LangTrans::LoadLanguage(const QString &code, QString fileName)
{
    if (fileName.isEmpty()) {
        CreatePath(LangDir());
        fileName = LangDir() + QStringLiteral("/local_") + code + QStringLiteral(".json");
        const QString buildInName =
            PlatformPaths::ShippedDataDir() + QStringLiteral("Lang/local_") + code + QStringLiteral(".json");
        CVLOG << " buildInName: " << buildInName << " fileName: " << fileName;
        const int workingVersion = QFile::exists(fileName) ? GetTransVersion(fileName) : -1;
        if (workingVersion == -1 || workingVersion < GetTransVersion(buildInName)) {
            // Only with a built-in file to copy: a working copy is never lost to a missing one.
            if (QFile::exists(buildInName))
                CopyFileReplace(buildInName, fileName);
        }
    }

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        CVLOG << "Can't open language file: " << fileName;
        return false;
    }
    SaveUntranslated(m_curLang);
    m_curLang = code;
    SaveLanguageSetting(code);

    const QByteArray text = file.readAll();
    file.close();
    const QJsonDocument doc = QJsonDocument::fromJson(text);
    if (doc.isNull())
        CVLOG << "json doc is null";
    else if (doc.isArray())
        CVLOG << "json doc is array";
    else if (doc.isObject())
        CVLOG << "json doc is object";

    m_transMap.clear();
    const QJsonObject object = doc.object();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        m_transMap.insert(it.key(), it.value());
    LoadUntranslated(code);
    return true;
}

QString LangTrans::LoadLanguageSetting()
{
    QString result = LanguageList[0];
    QFile file(GetGroupAppDataPath() + QStringLiteral("/lang.cfg"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return result;
    const QByteArray line = file.readLine();
    file.close();
    const int index = LanguageList.indexOf(QString::fromUtf8(line));
    if (index >= 0) {
        CVLOG << "Load language setting: " << LanguageList[index] << "  Index:" << index;
        result = QString::fromUtf8(line);
    }
    CVLOG << "Load language setting: " << result;
    return result;
}

bool LangTrans::SaveLanguageSetting(const QString &code)
{
    QFile file(GetGroupAppDataPath() + QStringLiteral("/lang.cfg"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    file.write(code.toLatin1());
    file.close();
    CVLOG << "Save language: " << code;
    return true;
}

int LangTrans::GetTransVersion(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    const auto found = object.constFind(QStringLiteral("--trans version--"));
    if (found == object.constEnd())
        return -1;
    if (found->isString()) {
        bool ok = false;
        const int version = found->toString().toInt(&ok, 10);
        return ok ? version : -1;
    }
    if (found->isDouble()) {
        const double value = found->toDouble();
        if (std::trunc(value) == value && value >= INT_MIN && value <= INT_MAX)
            return int(value);
    }
    return -1;
}

void LangTrans::LoadUntranslated(const QString &code)
{
    m_untransSet.clear();
    QFile file(LangDir() + QStringLiteral("/untrans_") + code + QStringLiteral(".txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(1024); // at most 1023 bytes
        if (line.size() <= 1)
            continue;
        m_untransSet.insert(QString::fromUtf8(line.left(line.size() - 1)));
    }
}

void LangTrans::SaveUntranslated(const QString &code)
{
    if (m_untransSet.empty())
        return;
    QFile file(LangDir() + QStringLiteral("/untrans_") + code + QStringLiteral(".txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    for (const QString &text : m_untransSet) {
        if (text.isEmpty())
            continue;
        file.write(text.toLatin1());
        file.write("\n");
    }
}
