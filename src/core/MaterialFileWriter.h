#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <string>

class CPrintMaterial;

// Writes a material file whole: the lines go to a temporary file beside the target, which
// replaces the target only when every line was written. Until Commit succeeds, the old file
// stays as it was. A target that exists but is no regular file (a device, a pipe) cannot be
// replaced and is written directly.
class MaterialFileWriter
{
public:
    explicit MaterialFileWriter(const QString &path);

    bool Open();
    // Appends the record's line (its derived fields are brought up to date).
    bool Write(CPrintMaterial &mat);
    // Appends the record's line as the record stands, derived fields and all.
    bool WriteAsIs(const CPrintMaterial &mat);
    bool WriteRaw(const std::string &bytes);
    // Replaces the target with what was written; false leaves the target untouched.
    bool Commit();
    // Why the last step failed, for the log or a message.
    QString ErrorString() const { return m_error; }
    // Why no file can be written in place of this one (its folder takes no new file), or "".
    static QString FolderProblem(const QString &path);

private:
    QFileDevice &Device();

    QSaveFile m_save;
    QFile m_direct;
    bool m_isDirect = false;
    QString m_error;
};
