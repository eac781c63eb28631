#include "PlatformPaths.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QStringList>

namespace PlatformPaths {
namespace {
QString &shippedOverride()
{
    static QString s_path;
    return s_path;
}
} // namespace

QString ShippedDataDir()
{
    if (!shippedOverride().isEmpty())
        return shippedOverride();
#ifdef Q_OS_MACOS
    // Contents/MacOS less its last five characters is Contents/, which holds Resources/.
    const QString appDir = QCoreApplication::applicationDirPath();
    return appDir.left(appDir.size() - 5) + QStringLiteral("Resources/");
#else
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../share/corvane/");
#endif
}

void SetShippedDataDir(const QString &path)
{
    shippedOverride() = path.isEmpty() || path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString GroupDataDir()
{
#ifdef Q_OS_MACOS
    // ~/Library/Application Support/<app> → ~/Library, then the group container beside it.
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QStringList parts = appData.split(QLatin1Char('/'), Qt::KeepEmptyParts);
    return parts.mid(0, 4).join(QLatin1Char('/')) + QStringLiteral("/Group Containers/group.7QK4R2M8XN.") +
           QLatin1String(kAppGroupId) + QStringLiteral("/Kestrona/DB");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Kestrona/DB");
#endif
}

} // namespace PlatformPaths
