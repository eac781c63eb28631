#include "MaterialFileWriter.h"

#include "MaterialFormat.h"

#include <QFileInfo>

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
    return false;
}

bool MaterialFileWriter::Write(CPrintMaterial &mat)
{
    return WriteRaw(EncodeMaterialLine(mat));
}

bool MaterialFileWriter::WriteRaw(const std::string &bytes)
{
    if (Device().write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()))
        return true;
    m_error = Device().errorString();
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
