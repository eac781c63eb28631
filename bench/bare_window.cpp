// bare_window: what a window of the editor's toolkit costs to show, as the floor of the editor's
// start-up. The same ApplicationWindow of Qt Quick Controls 2, style and size, with a tool bar and
// a label, and nothing of the editor. With CORVANE_STARTUP_PROBE set it reports its first frame
// and memory as the editor does (see StartupProbe); scripts/measure-startup runs the two in turn.

#include "base/StartupProbe.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication app(argc, argv);
    StartupProbe probe;
    probe.loaded(); // there is no library: ready once shown

    QQmlApplicationEngine engine;
    engine.load(QUrl(QStringLiteral("qrc:/bare_window.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;
    probe.Watch(engine.rootObjects().first());
    return app.exec();
}
