#include "cfutility.h"

#include "Log.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTextCodec>

#include <cstdio>
#include <cstdlib>

std::string QStringToStdString(const QString &text)
{
    static QTextCodec *const codec = QTextCodec::codecForLocale();
    const QByteArray encoded = codec ? codec->fromUnicode(text) : text.toLocal8Bit();
    return std::string(encoded.constData(), qstrnlen(encoded.constData(), size_t(encoded.size())));
}

std::string StringToHex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex(bytes.size() * 2, '\0');
    char *out = &hex[0];
    for (const unsigned char c : bytes) {
        *out++ = digits[c >> 4];
        *out++ = digits[c & 0x0f];
    }
    return hex;
}

namespace {
int hexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

std::string HexToString(const std::string &hex)
{
    // Filled from the back, like QByteArray::fromHex, so that an odd digit count leaves the
    // first digit as a byte of its own.
    std::string bytes((hex.size() + 1) / 2, '\0');
    size_t out = bytes.size();
    bool haveLow = false;
    for (size_t i = hex.size(); i-- > 0;) {
        const int v = hexValue(static_cast<unsigned char>(hex[i]));
        if (v < 0)
            continue;
        if (!haveLow) {
            bytes[--out] = char(v);
            haveLow = true;
        } else {
            bytes[out] = char(static_cast<unsigned char>(bytes[out]) | (v << 4));
            haveLow = false;
        }
    }
    return bytes.substr(out);
}

bool ReadFileLines(const std::string &path, const std::function<void(std::string &line)> &onLine)
{
    FILE *file = std::fopen(path.c_str(), "r");
    if (!file)
        return false;
    char *buffer = nullptr;
    size_t capacity = 0;
    ssize_t length;
    std::string line;
    // getline keeps NUL bytes and reads lines of any length in one piece.
    while ((length = ::getline(&buffer, &capacity, file)) > 0) {
        line.assign(buffer, size_t(length));
        onLine(line);
    }
    std::free(buffer);
    std::fclose(file);
    return true;
}

bool ReadFileToString(const std::string &path, std::vector<std::string> &lines)
{
    return ReadFileLines(path, [&lines](std::string &line) { lines.push_back(std::move(line)); });
}

QString ReadFileLen(const QString &fileName, qint64 maxLen)
{
    QByteArray data;
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        data = file.read(qMax<qint64>(0, maxLen));
        file.close();
    }
    const QString text = QString::fromUtf8(data.constData(), int(qstrnlen(data.constData(), size_t(data.size()))));
    LogLine("ReadFileLen") << " fileName: " << fileName << "  read maxlen " << maxLen << " data: " << text;
    return text;
}

int CompareVersion(const QString &a, const QString &b)
{
    if (a == b)
        return -2;
    const QStringList partsA = a.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const QStringList partsB = b.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const int common = qMin(partsA.size(), partsB.size());
    for (int i = 0; i < common; ++i) {
        bool okA = false;
        bool okB = false;
        const int numA = partsA[i].toInt(&okA, 10);
        const int numB = partsB[i].toInt(&okB, 10);
        if (!okA || !okB)
            return 0;
        if (numA != numB)
            return numA > numB ? 1 : -1;
    }
    return partsA.size() > partsB.size() ? 1 : -1;
}

bool CreatePath(const QString &path)
{
    const bool ok = QDir().mkpath(path);
    LogLine(nullptr) << "Create path: " << path << (ok ? "  Success" : "  failed");
    return ok;
}

bool CopyFileReplace(const QString &source, const QString &destination)
{
    // Copy beside the destination first and rename over it, so that a missing or unreadable
    // source, or a full disk, never leaves the destination removed.
    const QString partial = destination + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source, partial)) {
        QFile::remove(partial);
        return false;
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(destination).constData()) != 0) {
        QFile::remove(partial);
        return false;
    }
    return true;
}
