#include "LangTranslator.h"

#include "Log.h"
#include "TLanguage.h"

#include <QDir>
#include <QLibraryInfo>

namespace {
// Qt names its files by locale; the language service's codes are mostly the same.
QString QtLocaleOf(const QString &code)
{
    if (code == QLatin1String("zh"))
        return QStringLiteral("zh_CN");
    if (code == QLatin1String("zh_tw"))
        return QStringLiteral("zh_TW");
    if (code == QLatin1String("kr"))
        return QStringLiteral("ko");
    return code;
}

const char *const kQtModules[] = {"qtbase", "qtdeclarative", "qtquickcontrols", "qtquickcontrols2"};
} // namespace

LangTranslator::LangTranslator(QObject *parent) : QTranslator(parent) {}

LangTranslator::~LangTranslator() = default;

QStringList LangTranslator::QtFilesFor(const QString &code)
{
    QStringList files;
    if (code == QLatin1String("en"))
        return files;
    const QDir dir(QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    for (const char *module : kQtModules) {
        const QString file = dir.filePath(QString::fromLatin1(module) + QLatin1Char('_') + QtLocaleOf(code) +
                                          QStringLiteral(".qm"));
        if (QFile::exists(file))
            files << file;
    }
    return files;
}

void LangTranslator::FollowLanguage() const
{
    const QString code = LangTrans::Instance()->CurrentLanguage();
    if (code == m_qtLanguage)
        return;
    m_qtLanguage = code;
    const auto known = m_loaded.find(code);
    if (known != m_loaded.end()) {
        m_qt = &known->second;
        return;
    }
    std::vector<std::unique_ptr<QTranslator>> &loaded = m_loaded[code];
    m_qt = &loaded;
    const QStringList files = QtFilesFor(code);
    for (const QString &file : files) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(file))
            loaded.push_back(std::move(translator));
    }
    if (files.isEmpty() && code != QLatin1String("en"))
        CVLOG << "No translations of Qt's own texts for " << code.toStdString() << " in "
              << QLibraryInfo::location(QLibraryInfo::TranslationsPath).toStdString();
}

QString LangTranslator::translate(const char *context, const char *sourceText, const char *disambiguation,
                                  int n) const
{
    if (!sourceText)
        return QString();
    FollowLanguage();
    // Qt's files know only Qt's own contexts, never the scene's.
    for (size_t i = 0; m_qt && i < m_qt->size(); ++i) {
        const QString text = (*m_qt)[i]->translate(context, sourceText, disambiguation, n);
        if (!text.isEmpty())
            return text;
    }
    return LangTr(sourceText);
}
