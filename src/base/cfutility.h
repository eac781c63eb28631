#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
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

// An input that is not a regular file (a pipe, a FIFO, a device) may never end. It is read up to
// this many bytes and no further: 512 MB, some five times a generated library of 2,000 materials
// of 40 print sets, where real libraries hold a few hundred materials.
constexpr size_t kMaxStreamLength = size_t(512) << 20;
// How long opening a FIFO waits for a program to write to it; without a writer the first read
// would block for ever.
constexpr int kFifoWaitMs = 5000;

// LineReader's own errors, beside errno values (which are positive); ErrorText names them.
enum ReadError : int {
    kReadNoWriter = -1,    // a FIFO that no program wrote to within kFifoWaitMs
    kReadTooLarge = -2,    // not a regular file, and longer than kMaxStreamLength
    kReadEndlessLine = -3, // not a regular file, and a line longer than the line limit
};

// Reads a file line by line in bounded memory. A line ends at a line feed, and with
// loneCarriageReturnEndsLine also at a carriage return that no line feed follows; each line comes
// with its line end. A line longer than maxLineLength, or longer than the memory there is, is not
// held: it comes back empty and marked oversized, and reading goes on after its end. A read error
// ends the lines as the end of the file would, and Error() then says why.
// An input that is not a regular file is bounded: a FIFO gets kFifoWaitMs for a writer, the input
// kMaxStreamLength bytes, and a line over maxLineLength is handed over oversized as soon as it
// passes the limit, after which reading stops (kReadEndlessLine): such a line may never end.
class LineReader
{
public:
    struct Options
    {
        bool loneCarriageReturnEndsLine = false;
        size_t maxLineLength = size_t(-1);
    };

    // Opens the file without blocking on a FIFO that has no writer.
    LineReader(const std::string &path, Options options);
    // Reads from an open stream, which stays the caller's.
    LineReader(std::FILE *file, Options options);
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    // The next line, or false at the end of the file or at a read error; a line cut short by a read
    // error is not handed over.
    bool Next(std::string &line);
    // About the line that Next gave: whether it was too long to hold, whether that was for want of
    // memory before the limit, and its length in bytes.
    bool Oversized() const { return m_oversized; }
    bool OutOfMemory() const { return m_outOfMemory; }
    size_t Length() const { return m_length; }
    // errno of a failed open or read, or a ReadError; 0 while there is none.
    int Error() const { return m_error; }

    // For a reader that splits the input itself: the bytes read ahead and not yet handed out,
    // reading more when there are none (empty at the end or at an error); Skip hands them out.
    std::string_view Peek();
    void Skip(size_t count) { m_pos += count; }

private:
    bool Fill();
    void WaitForWriter(int fd);

    std::FILE *m_file = nullptr;
    bool m_owned = false;
    Options m_options;
    std::vector<char> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_oversized = false;
    bool m_outOfMemory = false;
    size_t m_length = 0;
    int m_error = 0;
    bool m_regular = true; // a regular file: no bound on its length
    size_t m_total = 0;    // bytes read so far
};

// Hands every line of the file to the callback as it is read (with its line feed where it has
// one; a last line without one when it is not empty). False when the file cannot be opened or a
// read fails; the lines before a failed read have been handed over.
bool ReadFileLines(const std::string &path, const std::function<void(std::string &line)> &onLine);

// Appends every line of the file, each with its line feed where it has one; a last line without
// a line feed is appended when it is not empty. Lines of any length are read whole.
// False when the file cannot be opened (the list untouched) or a read fails (the lines before
// it appended).
bool ReadFileToString(const std::string &path, std::vector<std::string> &lines);

// The system's text for an errno value, or the text of a ReadError.
std::string ErrorText(int error);

// At most maxLen bytes of the file as UTF-8 text up to the first NUL; empty when unreadable.
// Writes one console line with what it read.
QString ReadFileLen(const QString &fileName, qint64 maxLen);

// The format with %1 to %9 replaced by the arguments in one pass, so that an argument holding "%2"
// stays as it is; a placeholder without its argument stays too.
QString FillPlaceholders(const QString &format, const QStringList &args);

// -2 equal texts; 1 a is newer; -1 b is newer (or a has no more parts); 0 not comparable.
int CompareVersion(const QString &a, const QString &b);

// Creates the directory with its missing parents; logs the outcome.
bool CreatePath(const QString &path);
// Copies the source over the destination, which is replaced only once the copy is whole: a missing
// source or a full disk leaves it as it was. The copy is made under a temporary name of its own
// beside the destination, so that no other file is touched.
bool CopyFileReplace(const QString &source, const QString &destination);
// Makes the destination hold what the source holds now, linked where the file system allows it
// (for a file that is only ever replaced, never written in place), otherwise copied; like the
// copy, the link is made under a temporary name of its own and then renamed.
bool SnapshotFile(const QString &source, const QString &destination);
