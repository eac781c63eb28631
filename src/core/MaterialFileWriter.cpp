#include "MaterialFileWriter.h"

#include "MaterialFormat.h"
#include "base/cfutility.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

MaterialFileWriter::MaterialFileWriter(const QString &path) : m_save(path), m_direct(path)
{
    const QFileInfo info(path);
    m_isDirect = info.exists() && !info.isFile() && !info.isDir();
}

QFileDevice &MaterialFileWriter::Device()
{
    if (m_isDirect)
        return m_direct;
    return m_save;
}

bool MaterialFileWriter::Open()
{
    if (Device().open(QIODevice::WriteOnly))
        return true;
    m_error = Device().errorString();
    if (!m_isDirect && !FolderProblem(m_save.fileName()).isEmpty())
        m_error = FolderProblem(m_save.fileName());
    return false;
}

QString MaterialFileWriter::FolderProblem(const QString &path)
{
    // The new content is written beside the target and renamed over it: the folder, not only the
    // target, must let a file be made in it. Say so, since the target itself may well be writable.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() || ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0)
        return QString();
    return QStringLiteral(
               "cannot make a file in the folder %1 (%2): a save writes the new file there first and "
               "then puts it in the old one's place, so the folder must be writable")
        .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
}

bool MaterialFileWriter::Write(CPrintMaterial &mat)
{
    return WriteRaw(EncodeMaterialLine(mat));
}

bool MaterialFileWriter::WriteAsIs(const CPrintMaterial &mat)
{
    return WriteRaw(StringToHex(MaterialJsonText(mat)) + '\n');
}

bool MaterialFileWriter::WriteRaw(const std::string &bytes)
{
    errno = 0;
    if (Device().write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()))
        return true;
    // A write that a full disk cuts short leaves the device's own text at "Unknown error": the
    // system's reason is what the user needs.
    const int reason = errno;
    m_error = reason != 0 ? QString::fromLocal8Bit(std::strerror(reason)) : Device().errorString();
    if (!m_isDirect)
        m_save.cancelWriting();
    return false;
}

bool MaterialFileWriter::Commit()
{
    bool ok;
    if (m_isDirect) {
        ok = m_direct.flush();
        m_direct.close();
    } else {
        ok = m_save.commit();
    }
    if (!ok && m_error.isEmpty())
        m_error = Device().errorString();
    return ok;
}
