#include "cfutility.h"

#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringList>
#include <QTextCodec>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

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
            value[c] = c >= '0' && c <= '9'   ? c - '0'
                       : c >= 'a' && c <= 'f' ? c - 'a' + 10
                       : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
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

namespace {
constexpr size_t kReadChunk = 64 * 1024;
} // namespace

namespace {
// Whether the stream is a regular file; one that cannot be told is taken for one.
bool isRegular(std::FILE *file)
{
    struct stat info;
    return !file || fstat(fileno(file), &info) != 0 || S_ISREG(info.st_mode);
}
} // namespace

LineReader::LineReader(const std::string &path, Options options) : m_options(options)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer, perhaps for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno ? errno : EIO;
        return;
    }
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode))
        WaitForWriter(fd);
    const int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1 || !(m_file = fdopen(fd, "r"))) {
        m_error = errno ? errno : EIO;
        ::close(fd);
        return;
    }
    m_owned = true;
    m_regular = isRegular(m_file);
}

LineReader::LineReader(std::FILE *file, Options options)
    : m_file(file), m_options(options), m_regular(isRegular(file))
{
}

void LineReader::WaitForWriter(int fd)
{
    // A read that finds no data tells a FIFO with a writer (EAGAIN), which is then read at the
    // writer's pace, from one without (0): none yet, or one that came and went without writing,
    // which poll tells apart as a hang-up.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kFifoWaitMs);
    m_buffer.resize(kReadChunk);
    for (;;) {
        const ssize_t got = ::read(fd, m_buffer.data(), m_buffer.size());
        if (got > 0) {
            m_end = size_t(got);
            m_total = m_end;
            return;
        }
        if (got < 0 && errno == EAGAIN)
            return;
        if (got < 0 && errno != EINTR) {
            m_error = errno;
            return;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            m_error = kReadNoWriter;
            return;
        }
        // In short steps, so that a writer that comes and writes nothing yet is seen by the read.
        pollfd poll{fd, POLLIN, 0};
        if (::poll(&poll, 1, int(std::min<long long>(left, 50))) > 0 && (poll.revents & POLLHUP) &&
            !(poll.revents & POLLIN))
            return; // the end: the next read says so
    }
}

LineReader::~LineReader()
{
    if (m_owned)
        std::fclose(m_file);
}

bool LineReader::Fill()
{
    if (!m_file || m_error)
        return false;
    if (m_buffer.empty())
        m_buffer.resize(kReadChunk);
    // A read that fails part-way still gives what came before the failure; the error ends the
    // lines at the next read.
    errno = 0;
    const size_t got = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
    if (std::ferror(m_file))
        m_error = errno ? errno : EIO;
    m_pos = 0;
    m_end = got;
    m_total += got;
    if (!m_regular && m_total > kMaxStreamLength) {
        m_error = kReadTooLarge;
        m_end = 0; // what passes the bound is not handed out
    }
    return m_end > 0;
}

std::string_view LineReader::Peek()
{
    if (m_pos == m_end && !Fill())
        return {};
    return std::string_view(m_buffer.data() + m_pos, m_end - m_pos);
}

bool LineReader::Next(std::string &line)
{
    line.clear();
    m_oversized = false;
    m_outOfMemory = false;
    m_length = 0;
    bool any = false;
    const auto take = [&](const char *from, size_t count) {
        m_length += count;
        if (m_oversized)
            return;
        if (m_length > m_options.maxLineLength) {
            // Nothing more of this line is kept, and what was is given back.
            m_oversized = true;
            std::string().swap(line);
            return;
        }
        // A string grows to at least twice its capacity; sizes that halve the longest line held
        // double up to it exactly, never beyond.
        try {
            if (line.capacity() < m_length) {
                size_t target = m_options.maxLineLength;
                while (target / 2 >= std::max(m_length, 2 * line.capacity()))
                    target /= 2;
                line.reserve(target);
            }
            line.append(from, count);
        } catch (const std::bad_alloc &) {
            // Memory ran out before the limit: the line is not held either.
            m_oversized = true;
            m_outOfMemory = true;
            std::string().swap(line);
        }
    };
    for (;;) {
        if (m_pos == m_end && !Fill())
            return any && !m_error;
        any = true;
        const char *begin = m_buffer.data() + m_pos;
        const size_t available = m_end - m_pos;
        const char *stop = static_cast<const char *>(std::memchr(begin, '\n', available));
        if (m_options.loneCarriageReturnEndsLine) {
            const size_t before = stop ? size_t(stop - begin) : available;
            const char *cr = static_cast<const char *>(std::memchr(begin, '\r', before));
            if (cr)
                stop = cr;
        }
        const size_t count = stop ? size_t(stop - begin) + 1 : available;
        take(begin, count);
        m_pos += count;
        if (!stop && !m_regular && m_length > m_options.maxLineLength) {
            // The line may never end: it is refused now, and nothing after it is read.
            m_error = kReadEndlessLine;
            m_pos = m_end;
            return true;
        }
        if (!stop)
            continue;
        // A carriage return and the line feed after it end one line, even across two reads.
        if (*stop == '\r') {
            if (m_pos == m_end && !Fill())
                return true; // the line is whole; a read error shows at the next one
            if (m_buffer[m_pos] == '\n') {
                take(m_buffer.data() + m_pos, 1);
                ++m_pos;
            }
        }
        return true;
    }
}

bool ReadFileLines(const std::string &path, const std::function<void(std::string &line)> &onLine)
{
    LineReader reader(path, LineReader::Options());
    std::string line;
    while (reader.Next(line))
        onLine(line);
    return reader.IsOpen() && reader.Error() == 0;
}

bool ReadFileToString(const std::string &path, std::vector<std::string> &lines)
{
    return ReadFileLines(path, [&lines](std::string &line) { lines.push_back(std::move(line)); });
}

std::string ErrorText(int error)
{
    switch (error) {
    case kReadNoWriter:
        return "no program wrote to it within " + std::to_string(kFifoWaitMs / 1000) + " seconds";
    case kReadTooLarge:
        return "too large: not a regular file, and longer than " + std::to_string(kMaxStreamLength >> 20) +
               " MB";
    case kReadEndlessLine:
        return "a line does not end: not a regular file, and the line is over the limit";
    default:
        return std::strerror(error);
    }
}

QString ReadFileLen(const QString &fileName, qint64 maxLen)
{
    QByteArray data;
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        data = file.read(qMax<qint64>(0, maxLen));
        file.close();
    }
    const QString text =
        QString::fromUtf8(data.constData(), int(qstrnlen(data.constData(), size_t(data.size()))));
    LogLine("ReadFileLen") << " fileName: " << fileName << "  read maxlen " << maxLen << " data: " << text;
    return text;
}

QString FillPlaceholders(const QString &format, const QStringList &args)
{
    QString text;
    text.reserve(format.size());
    for (int i = 0; i < format.size(); ++i) {
        const int n = i + 1 < format.size() ? format[i + 1].digitValue() : -1;
        if (format[i] == QLatin1Char('%') && n >= 1 && n <= args.size()) {
            text += args[n - 1];
            ++i;
        } else {
            text += format[i];
        }
    }
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
    // The copy goes to a temporary file of its own beside the destination and replaces it only
    // when whole, so that a missing or unreadable source, or a full disk, never leaves the
    // destination removed, and no other file is touched.
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    std::vector<char> buffer(kReadChunk);
    for (;;) {
        const qint64 got = in.read(buffer.data(), qint64(buffer.size()));
        if (got == 0)
            break;
        if (got < 0 || out.write(buffer.data(), got) != got)
            return false; // the temporary file goes with the QSaveFile
    }
    return out.commit();
}

bool SnapshotFile(const QString &source, const QString &destination)
{
#ifdef Q_OS_UNIX
    // A hard link copies nothing, and keeps the old content when the source is later replaced by
    // renaming, as every save replaces it. A symbolic link's target would be written in place.
    // The link is made under a fresh name, which link() refuses to take from an existing file.
    if (!QFileInfo(source).isSymLink()) {
        const QByteArray from = QFile::encodeName(source);
        const QByteArray to = QFile::encodeName(destination);
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QByteArray partial =
                to + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
            if (::link(from.constData(), partial.constData()) != 0) {
                if (errno == EEXIST)
                    continue;
                break;
            }
            const bool renamed = std::rename(partial.constData(), to.constData()) == 0;
            // Renaming onto another link of the same file succeeds and leaves both names.
            ::unlink(partial.constData());
            if (renamed)
                return true;
            break;
        }
    }
#endif
    return CopyFileReplace(source, destination);
}
