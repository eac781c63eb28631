#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

// Text conversion, hex coding, line-wise reading, versions and small file-system tasks.

// Encodes with the locale's codec; the result ends at the first NUL byte.
std::string QStringToStdString(const QString &text);

// The first bytes of a UTF-8 text, at most maxBytes, never splitting a character.
std::string Utf8Prefix(const std::string &bytes, size_t maxBytes);

// The bytes as lowercase hex text, two digits per byte, high nibble first.
std::string StringToHex(const std::string &bytes);
// Decodes hex text as QByteArray::fromHex does: non-hex characters are skipped, digits are
// paired from the end, and an odd leading digit becomes a byte of its own.
std::string HexToString(const std::string &hex);
std::string HexToString(const char *hex, size_t size);

// Hands every line of the file to the callback as it is read (with its line feed where it has
// one; a last line without one when it is not empty). False when the file cannot be opened.
bool ReadFileLines(const std::string &path, const std::function<void(std::string &line)> &onLine);

// Appends every line of the file, each with its line feed where it has one; a last line without
// a line feed is appended when it is not empty. Lines of any length are read whole.
// False (and the list untouched) when the file cannot be opened.
bool ReadFileToString(const std::string &path, std::vector<std::string> &lines);

// At most maxLen bytes of the file as UTF-8 text up to the first NUL; empty when unreadable.
// Writes one console line with what it read.
QString ReadFileLen(const QString &fileName, qint64 maxLen);

// -2 equal texts; 1 a is newer; -1 b is newer (or a has no more parts); 0 not comparable.
int CompareVersion(const QString &a, const QString &b);

// Creates the directory with its missing parents; logs the outcome.
bool CreatePath(const QString &path);
// Removes the destination if it exists, then copies the source to it.
bool CopyFileReplace(const QString &source, const QString &destination);
// Makes the destination hold what the source holds now, linked where the file system allows it
// (for a file that is only ever replaced, never written in place), otherwise copied.
bool SnapshotFile(const QString &source, const QString &destination);
