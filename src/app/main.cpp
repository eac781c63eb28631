// Corvane: the editor of filament material definitions.

#include "InstanceGuard.h"
#include "base/LangTranslator.h"
#include "base/Log.h"
#include "base/StartupProbe.h"
#include "base/TLanguage.h"
#include "library/Materials.h"
#include "models/QmlTypes.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

#include <cstdio>

namespace {
// The command line, read before the window's application exists, so that --help, --version and
// a mistake need no display. Returns an exit code, or -1 to go on with the files to import.
int ReadCommandLine(int argc, char *argv[], QStringList *files)
{
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Edits the filament material definitions of the Orvik 3D printers. Each FILE, a material\n"
        "file (.cvx), is imported once the libraries are loaded. When an editor is already open on\n"
        "the library, the files are handed to it."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Material files to import."),
                                 QStringLiteral("[FILE...]"));
    // Qt's own options, which the window's application takes: accepted, not shown.
    for (const char *name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
          "qwindowtitle", "display", "geometry", "style", "session", "qmljsdebugger"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : {"reverse", "nograb", "dograb"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    if (!parser.parse(core.arguments())) {
        std::fprintf(stderr, "corvane: %s\n\n%s", qPrintable(parser.errorText()),
                     qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("corvane %s\n", CORVANE_VERSION);
        return 0;
    }
    *files = parser.positionalArguments();
    return -1;
}
} // namespace

namespace {
// Why this editor must not write the library, for the note at start and the reason Save gives;
// "" for an editor that holds the folder.
QString ReadOnlyNote(InstanceGuard::Role role, const InstanceGuard &guard, const QString &dataDir,
                     QString *reason)
{
    switch (role) {
    case InstanceGuard::Primary:
    case InstanceGuard::HandedOver:
        break;
    case InstanceGuard::NoAnswer:
        *reason = LangTr("another editor holds the library");
        return LangTr("Another Corvane has this library open but does not answer: %1.").arg(guard.Holder());
    case InstanceGuard::ForeignLock:
        *reason = LangTr("another user holds the library");
        return LangTr("The lock file %1 belongs to another user.").arg(guard.LockPath());
    case InstanceGuard::NotWritable:
        *reason = LangTr("the folder is not writable");
        return LangTr("The folder %1 is not writable.").arg(QDir::cleanPath(dataDir));
    case InstanceGuard::LockFailed:
        *reason = LangTr("the lock file could not be written");
        return LangTr("The lock file %1 could not be written: %2.").arg(guard.LockPath(), guard.Problem());
    }
    return QString();
}
} // namespace

int main(int argc, char *argv[])
{
    QStringList files;
    const int done = ReadCommandLine(argc, argv, &files);
    if (done >= 0)
        return done;

    CVLOG << "Corvane start";
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication app(argc, argv);
    // The file dialogs keep their settings under these names.
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrona"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kestrona.com"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.kestrona.corvane"));

    RegisterQmlTypes();
    LangTranslator translator;
    QCoreApplication::installTranslator(&translator);
    // Asked of the shared language service: a second, transient one would save its stale list of
    // untranslated texts over the shared one's at exit.
    const int startLanguage = LangTrans::Instance()->GetLanguageIndex();

    const QString dataDir = LangTrans::Instance()->GetGroupAppDataPath();
    InstanceGuard guard(dataDir);
    const InstanceGuard::Role role = guard.Start(files);
    if (role == InstanceGuard::HandedOver) {
        LangTrans::DestroyInstance();
        return 0;
    }
    // Files only this process could open are imported from the copies the guard made of them.
    files = guard.Files();

    int exitCode = -1;
    {
        StartupProbe probe;
        Materials materials;
        QString readOnlyReason;
        const QString instanceNote = ReadOnlyNote(role, guard, dataDir, &readOnlyReason);
        if (!readOnlyReason.isEmpty())
            materials.setReadOnly(readOnlyReason);
        materials.checkVendorMaterials();
        // Read while the window is made; it fills as the materials come in.
        QObject::connect(&materials, &Materials::loadingChanged, &probe, [&probe](bool loading) {
            if (!loading)
                probe.loaded();
        });
        materials.startLoading();
        materials.setCurLanguage(startLanguage);

        QQmlApplicationEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("materials"), &materials);
        engine.rootContext()->setContextProperty(QStringLiteral("editorInstance"), &guard);
        engine.rootContext()->setContextProperty(QStringLiteral("startupFiles"), files);
        engine.rootContext()->setContextProperty(QStringLiteral("instanceNote"), instanceNote);
        engine.rootContext()->setContextProperty(QStringLiteral("instanceElsewhere"),
                                                 role == InstanceGuard::NoAnswer ||
                                                     role == InstanceGuard::ForeignLock);
        FollowLanguage(materials, engine);
        engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
        if (!engine.rootObjects().isEmpty()) {
            // The start page's values and map follow the first frame.
            probe.Watch(engine.rootObjects().first(), SIGNAL(firstFrameOutChanged()));
            exitCode = app.exec();
        }
    }
    LangTrans::DestroyInstance();
    return exitCode;
}
