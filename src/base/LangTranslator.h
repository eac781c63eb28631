#pragma once

#include <QString>
#include <QTranslator>

#include <map>
#include <memory>
#include <vector>

// Routes the scene's qsTr() texts through the language service, so that the scene and the
// library read from the same language files and switch language together. Qt's own texts (the
// standard buttons, the places of a file system) come from Qt's translations of the current
// language, which it follows by itself.
class LangTranslator : public QTranslator
{
public:
    explicit LangTranslator(QObject *parent = nullptr);
    ~LangTranslator() override;
    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }

    // Qt's translation files found for a language code of the language service (none for "en").
    static QStringList QtFilesFor(const QString &code);

private:
    void FollowLanguage() const;

    // Loaded on the first text asked for in a language, and kept: a translator cannot be deleted
    // while the application asks for a text.
    mutable QString m_qtLanguage = QStringLiteral("en");
    mutable std::map<QString, std::vector<std::unique_ptr<QTranslator>>> m_loaded;
    mutable const std::vector<std::unique_ptr<QTranslator>> *m_qt = nullptr;
};
