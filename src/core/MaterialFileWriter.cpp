#include "MaterialFileWriter.h"

#include "MaterialFormat.h"

MaterialFileWriter::MaterialFileWriter(const QString &path) : m_file(path) {}

bool MaterialFileWriter::Open()
{
    if (m_file.open(QIODevice::WriteOnly))
        return true;
    m_error = m_file.errorString();
    return false;
}

bool MaterialFileWriter::Write(CPrintMaterial &mat)
{
    return WriteRaw(EncodeMaterialLine(mat));
}

bool MaterialFileWriter::WriteRaw(const std::string &bytes)
{
    if (m_file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()))
        return true;
    m_error = m_file.errorString();
    m_file.cancelWriting();
    return false;
}

bool MaterialFileWriter::Commit()
{
    if (m_file.commit())
        return true;
    if (m_error.isEmpty())
        m_error = m_file.errorString();
    return false;
}

QString MaterialFileWriter::ErrorString() const
{
    return m_error;
}
