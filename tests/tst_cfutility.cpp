#include "base/cfutility.h"

#include "TestSupport.h"

#include <QDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
// A stream that gives the bytes and then fails with EIO after failAfter of them (or never).
struct FailingStream
{
    QByteArray bytes;
    int failAfter;
    int at = 0;

    static ssize_t read(void *cookie, char *buffer, size_t size)
    {
        FailingStream &s = *static_cast<FailingStream *>(cookie);
        const int end = s.failAfter < 0 ? s.bytes.size() : qMin(s.failAfter, s.bytes.size());
        if (s.at >= end && s.failAfter >= 0) {
            errno = EIO;
            return -1;
        }
        const int count = qMin(int(size), end - s.at);
        std::memcpy(buffer, s.bytes.constData() + s.at, size_t(count));
        s.at += count;
        return count;
    }
};

struct Lines
{
    QByteArray content;
    QList<QByteArray> lines; // "<N bytes>" for a line too long to hold
    bool loneCr = false;     // a lone CR ends a line
    int maxLength = -1;      // the longest line held, -1 for no limit
    int failAfter = -1;      // the stream fails with EIO after this many bytes, -1 never
    int error = 0;
};
} // namespace

Q_DECLARE_METATYPE(Lines)

class TstCfutility : public QObject
{
    Q_OBJECT

private slots:
    void readLines_data();
    void readLines();
    void compareVersion_data();
    void compareVersion();
    void createPathAndCopyFileReplace();
    void snapshotFile();
    void readFileLen();
};

void TstCfutility::readLines_data()
{
    QTest::addColumn<Lines>("c");
    const QByteArray longLine = QByteArray(10000, 'x') + '\n';
    const QByteArray chunk(64 * 1024, 'y'); // the reader's own buffer
    QTest::addRow("empty file") << Lines{{}, {}};
    QTest::addRow("10,000-byte line, CR LF and a last line without line feed read whole")
        << Lines{longLine + "ab\r\ncd", {longLine, "ab\r\n", "cd"}};
    QTest::addRow("embedded NUL bytes kept")
        << Lines{QByteArray("a\0b\nc\0", 6), {QByteArray("a\0b\n", 4), QByteArray("c\0", 2)}};
    QTest::addRow("a lone CR is no line end unless asked") << Lines{"a\rb\n", {"a\rb\n"}};
    QTest::addRow("a lone CR ends a line, CR LF one line across two reads")
        << Lines{"a\rb\r\n\r" + chunk.left(chunk.size() - 7) + "\r\nc\r",
                 {"a\r", "b\r\n", "\r", chunk.left(chunk.size() - 7) + "\r\n", "c\r"}, true};
    QTest::addRow("a line over the limit is not held; the next is read")
        << Lines{"ab\n" + chunk + chunk + "\nlast", {"ab\n", "<131073 bytes>", "last"}, false, 70000};
    QTest::addRow("a line at the limit is held") << Lines{"abcd\nabcde\n", {"abcd\n", "<6 bytes>"}, false, 5};
    QTest::addRow("a read error part-way: the whole lines before it, then the error")
        << Lines{"one\ntwo\nthr", {"one\n", "two\n"}, false, -1, 10, EIO};
}

// Through a stream that can fail, with every option of LineReader. ReadFileToString's lines of
// real files are the damaged-file tests' (the count of every file's lines is logged).
void TstCfutility::readLines()
{
    QFETCH(Lines, c);
    FailingStream stream{c.content, c.failAfter};
    FILE *file = fopencookie(&stream, "r", {&FailingStream::read, nullptr, nullptr, nullptr});
    QVERIFY(file);
    LineReader::Options options;
    options.loneCarriageReturnEndsLine = c.loneCr;
    if (c.maxLength >= 0)
        options.maxLineLength = size_t(c.maxLength);
    QList<QByteArray> read;
    {
        LineReader reader(file, options);
        QVERIFY(reader.IsOpen());
        for (std::string line; reader.Next(line);) {
            QCOMPARE(reader.Length(), reader.Oversized() ? reader.Length() : line.size());
            read << (reader.Oversized() ? "<" + QByteArray::number(qulonglong(reader.Length())) + " bytes>"
                                        : QByteArray::fromStdString(line));
        }
        QCOMPARE(reader.Error(), c.error);
    }
    std::fclose(file);
    QCOMPARE(read, c.lines);
}

void TstCfutility::compareVersion_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("result");
    QTest::addRow("1.10 is newer than 1.9") << "1.10" << "1.9" << 1;
    QTest::addRow("1.01 against 1.1: equal numbers, same count") << "1.01" << "1.1" << -1;
    QTest::addRow("non-number part") << "x.1" << "1.1" << 0;
    QTest::addRow("decided before a bad part") << "1.2.x" << "1.3.0" << -1;
    QTest::addRow("equal texts") << "1.0.2" << "1.0.2" << -2;
}

void TstCfutility::compareVersion()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, result);
    QCOMPARE(CompareVersion(a, b), result);
}

// A failed copy leaves the destination as it was. A file of the user's that looks like a
// temporary one beside the destination is left alone, and nothing is left behind.
void TstCfutility::createPathAndCopyFileReplace()
{
    QTemporaryDir dir;
    const QString nested = dir.filePath(QStringLiteral("a/b/c"));
    QVERIFY(CreatePath(nested) && CreatePath(nested) && QDir(nested).exists()); // twice: already there
    QVERIFY(writeAll(dir.filePath(QStringLiteral("a/file")), "new\n"));
    QVERIFY(!CreatePath(dir.filePath(QStringLiteral("a/file/sub"))));

    const QString destination = dir.filePath(QStringLiteral("destination"));
    QVERIFY(writeAll(destination, "a longer old content\n"));
    QVERIFY(writeAll(destination + ".part", "the user's\n"));
    QVERIFY(!CopyFileReplace(dir.filePath(QStringLiteral("missing")), destination));
    QVERIFY(!CopyFileReplace(dir.filePath(QStringLiteral("a")), destination)); // a folder
    QCOMPARE(readAll(destination), QByteArray("a longer old content\n"));
    QVERIFY(CopyFileReplace(dir.filePath(QStringLiteral("a/file")), destination));
    QCOMPARE(readAll(destination), QByteArray("new\n"));
    QCOMPARE(readAll(destination + ".part"), QByteArray("the user's\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"destination", "destination.part"}));
}

// The snapshot keeps the old content when the source is replaced by renaming, as a save does,
// and when a source reached through a symbolic link is written in place.
void TstCfutility::snapshotFile()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("user.cvx"));
    const QString snapshot = source + QStringLiteral(".bak");
    QVERIFY(writeAll(snapshot + QStringLiteral(".part"), "the user's\n")); // left alone
    const auto replaceSource = [&](const QByteArray &content) {
        const QString fresh = source + ".new";
        return writeAll(fresh, content) && std::rename(qPrintable(fresh), qPrintable(source)) == 0;
    };
    QVERIFY(replaceSource("one\n") && SnapshotFile(source, snapshot) && replaceSource("two\n"));
    QCOMPARE(readAll(snapshot), QByteArray("one\n"));
    QVERIFY(SnapshotFile(source, snapshot) && SnapshotFile(source, snapshot)); // twice: already the same file
    QCOMPARE(readAll(snapshot), QByteArray("two\n"));
    QCOMPARE(readAll(snapshot + ".part"), QByteArray("the user's\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"user.cvx", "user.cvx.bak", "user.cvx.bak.part"}));

    const QString link = dir.filePath(QStringLiteral("link.cvx"));
    QVERIFY(QFile::link(source, link) && SnapshotFile(link, snapshot));
    QVERIFY(writeAll(source, "three\n")); // in place
    QVERIFY(!SnapshotFile(dir.filePath(QStringLiteral("missing")), snapshot));
    QCOMPARE(readAll(snapshot), QByteArray("two\n"));
}

// The first bytes up to a NUL, a console line in every case, a missing file read as empty.
void TstCfutility::readFileLen()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("version.txt"));
    QVERIFY(writeAll(path, QByteArray("1.0.3\0rest", 10)));
    LogCapture log;
    QCOMPARE(ReadFileLen(path, 8), QStringLiteral("1.0.3"));
    QCOMPARE(ReadFileLen(path, 3), QStringLiteral("1.0"));
    QCOMPARE(ReadFileLen(path + "-missing", 5), QString());
    QCOMPARE(log.lines().size(), 3);
    QVERIFY(log.lines().first().endsWith(" data: 1.0.3"));
}

QTEST_GUILESS_MAIN(TstCfutility)
#include "tst_cfutility.moc"
