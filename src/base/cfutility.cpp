#include "cfutility.h"

#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextCodec>

#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

std::string QStringToStdString(const QString &text)
{
    static QTextCodec *const codec = QTextCodec::codecForLocale();
    const QByteArray encoded = codec ? codec->fromUnicode(text) : text.toLocal8Bit();
    return std::string(encoded.constData(), qstrnlen(encoded.constData(), size_t(encoded.size())));
}

std::string Utf8Prefix(const std::string &bytes, size_t maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut; // bytes[cut] continues the character before it
    return bytes.substr(0, cut);
}

std::string StringToHex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2 + 1); // room for the line end a writer appends
    hex.resize(bytes.size() * 2);
    char *out = &hex[0];
    for (const unsigned char c : bytes) {
        *out++ = digits[c >> 4];
        *out++ = digits[c & 0x0f];
    }
    return hex;
}

namespace {
// The value of each byte as a hex digit, or -1.
struct HexTable
{
    signed char value[256];
    constexpr HexTable() : value()
    {
        for (int c = 0; c < 256; ++c)
            value[c] = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    }
};
constexpr HexTable kHex;
} // namespace

std::string HexToString(const std::string &hex)
{
    return HexToString(hex.data(), hex.size());
}

std::string HexToString(const char *hex, size_t size)
{
    const unsigned char *in = reinterpret_cast<const unsigned char *>(hex);
    // Almost every line is an even run of digits: pair them from the front. Anything else is
    // decoded by the general rule below.
    if (size % 2 == 0) {
        std::string bytes(size / 2, '\0');
        char *out = &bytes[0];
        size_t i = 0;
        for (; i < size; i += 2) {
            const int high = kHex.value[in[i]];
            const int low = kHex.value[in[i + 1]];
            if ((high | low) < 0)
                break;
            *out++ = char((high << 4) | low);
        }
        if (i == size)
            return bytes;
    }
    // Filled from the back, like QByteArray::fromHex, so that an odd digit count leaves the
    // first digit as a byte of its own; bytes that are not digits are passed over.
    std::string bytes((size + 1) / 2, '\0');
    size_t out = bytes.size();
    bool haveLow = false;
    for (size_t i = size; i-- > 0;) {
        const int v = kHex.value[in[i]];
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
    bytes.erase(0, out);
    return bytes;
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

bool SnapshotFile(const QString &source, const QString &destination)
{
#ifdef Q_OS_UNIX
    // A hard link copies nothing, and keeps the old content when the source is later replaced by
    // renaming, as every save replaces it. A symbolic link's target would be written in place.
    if (!QFileInfo(source).isSymLink()) {
        const QString partial = destination + QStringLiteral(".part");
        QFile::remove(partial);
        if (::link(QFile::encodeName(source).constData(), QFile::encodeName(partial).constData()) == 0) {
            const bool renamed =
                std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(destination).constData()) == 0;
            // Renaming onto another link of the same file succeeds and leaves both names.
            QFile::remove(partial);
            if (renamed)
                return true;
        }
    }
#endif
    return CopyFileReplace(source, destination);
}
