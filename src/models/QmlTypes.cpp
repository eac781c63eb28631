#include "QmlTypes.h"

#include "KeyboardUse.h"
#include "LayerThickModel.h"
#include "MaterialFilterModel.h"
#include "MaterialModel.h"
#include "NozzleDiaModel.h"
#include "PrintSetModel.h"
#include "PrinterTypeModel.h"
#include "QualityModel.h"
#include "base/LocalFiles.h"
#include "library/Materials.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtQml>

void RegisterQmlTypes()
{
    qmlRegisterType<PrintSetModel>("PrintSet", 1, 0, "PrintSetModel");
    qmlRegisterType<BasicInfoModel>("PrintSet", 1, 0, "BasicInfoModel");
    qmlRegisterType<PrintParamModel>("PrintSet", 1, 0, "PrintParamModel");
    qmlRegisterType<MaterialModel>("PrintSet", 1, 0, "MaterialModel");
    qmlRegisterType<PrinterTypeModel>("PrintSet", 1, 0, "PrinterTypeModel");
    qmlRegisterType<NozzleDiaModel>("PrintSet", 1, 0, "NozzleDiaModel");
    qmlRegisterType<LayerThickModel>("PrintSet", 1, 0, "LayerThickModel");
    qmlRegisterType<QualityModel>("PrintSet", 1, 0, "QualityModel");
    qmlRegisterType<MaterialFilterModel>("PrintSet", 1, 0, "MaterialFilterModel");
    qmlRegisterUncreatableType<Materials>("PrintSet", 1, 0, "Materials",
                                          QStringLiteral("Materials should not be created in QML"));
    qmlRegisterSingletonType<LocalFiles>(
        "PrintSet", 1, 0, "LocalFiles",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new LocalFiles; });
    qmlRegisterSingletonType<KeyboardUse>(
        "PrintSet", 1, 0, "KeyboardUse",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new KeyboardUse; });
}

void FollowLanguage(Materials &materials, QQmlEngine &engine)
{
    QObject::connect(&materials, &Materials::languageChanged, &engine, [&engine]() {
        engine.retranslate();
        // A dialog's standard buttons keep the texts they were made with; made again, they take
        // the new language's (a dialog that renames one does so as it opens).
        for (QWindow *window : QGuiApplication::allWindows()) {
            for (QObject *object : window->findChildren<QObject *>()) {
                if (!object->inherits("QQuickDialogButtonBox"))
                    continue;
                const QVariant buttons = object->property("standardButtons");
                object->setProperty("standardButtons", 0);
                object->setProperty("standardButtons", buttons);
            }
        }
    });
}
