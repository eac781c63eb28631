#pragma once

#include <QObject>
#include <QString>

// What the file chooser asks of the local file system: where a name the user typed leads, and
// what is there. Paths are absolute and clean ("/" separated, no "." or ".." parts).
class LocalFiles : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    Q_INVOKABLE QString home() const;
    // The path a name typed in `folder` means: "~" and "~/..." lie in the home folder, a relative
    // name in `folder`; "" for an empty name.
    Q_INVOKABLE QString resolve(const QString &name, const QString &folder) const;
    Q_INVOKABLE bool isFolder(const QString &path) const;
    // There, and not a folder (a FIFO or a device counts: imports read those too).
    Q_INVOKABLE bool isFile(const QString &path) const;
    // The folder holding the path; "/" for "/".
    Q_INVOKABLE QString folderOf(const QString &path) const;
    // A path's file URL, with '#', '?' and '%' escaped so that they stay part of the name.
    Q_INVOKABLE QString urlOf(const QString &path) const;
    // A file size in the user's locale ("1.5 KiB").
    Q_INVOKABLE QString sizeText(qint64 bytes) const;
};
