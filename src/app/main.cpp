// Corvane: the editor of filament material definitions.

#include "base/LangTranslator.h"
#include "base/Log.h"
#include "base/TLanguage.h"
#include "library/Materials.h"
#include "models/QmlTypes.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

int main(int argc, char *argv[])
{
    CVLOG << "Corvane start";
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication app(argc, argv);
    // The file dialogs keep their settings under these names.
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrona"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kestrona.com"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));

    RegisterQmlTypes();
    LangTranslator translator;
    QCoreApplication::installTranslator(&translator);
    // Asked of the shared language service: a second, transient one would save its stale list of
    // untranslated texts over the shared one's at exit.
    const int startLanguage = LangTrans::Instance()->GetLanguageIndex();

    int exitCode = -1;
    {
        Materials materials;
        materials.checkVendorMaterials();
        materials.importVendorMaterials();
        materials.importUserMaterials();
        materials.setCurLanguage(startLanguage);

        QQmlApplicationEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("materials"), &materials);
        QObject::connect(&materials, &Materials::languageChanged, &engine, &QQmlEngine::retranslate);
        engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
        if (!engine.rootObjects().isEmpty())
            exitCode = app.exec();
    }
    LangTrans::DestroyInstance();
    return exitCode;
}
