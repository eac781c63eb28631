#include "LocalFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QUrl>

QString LocalFiles::home() const
{
    return QDir::homePath();
}

QString LocalFiles::resolve(const QString &name, const QString &folder) const
{
    if (name.isEmpty())
        return QString();
    if (name == QLatin1String("~") || name.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(home() + name.mid(1));
    return QDir::cleanPath(QDir(folder).absoluteFilePath(name));
}

bool LocalFiles::isFolder(const QString &path) const
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool LocalFiles::isFile(const QString &path) const
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

QString LocalFiles::folderOf(const QString &path) const
{
    return QFileInfo(QDir::cleanPath(path)).absolutePath();
}

QString LocalFiles::urlOf(const QString &path) const
{
    return QUrl::fromLocalFile(path).toString();
}

QString LocalFiles::sizeText(qint64 bytes) const
{
    return QLocale().formattedDataSize(bytes);
}
