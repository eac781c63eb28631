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
    void readFileLen_data();
    void readFileLen();
    void qStringToStdString();
};

void TstCfutility::readLines_data()
{
    QTest::addColumn<Lines>("c");
    const QByteArray longLine = QByteArray(10000, 'x') + '\n';
    const QByteArray chunk(64 * 1024, 'y'); // the reader's own buffer
    QTest::addRow("empty file") << Lines{{}, {}};
    QTest::addRow("10,000-byte line read whole") << Lines{longLine, {longLine}};
    QTest::addRow("last line without line feed") << Lines{"a\nb", {"a\n", "b"}};
    QTest::addRow("CR LF kept") << Lines{"ab\r\ncd\r\n", {"ab\r\n", "cd\r\n"}};
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
    QTest::addRow("a read error at once") << Lines{"one\n", {}, false, -1, 0, EIO};
}

// Through a stream that can fail, with every option of LineReader; plain files also as
// ReadFileToString reads them.
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
    if (c.loneCr || c.maxLength >= 0 || c.failAfter >= 0)
        return;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines.cvx"));
    QVERIFY(writeAll(path, c.content));
    std::vector<std::string> got = {"kept"}; // the list is appended to
    QVERIFY(ReadFileToString(QFile::encodeName(path).toStdString(), got));
    QVERIFY(!ReadFileToString(QFile::encodeName(path + "-missing").toStdString(), got));
    QVERIFY(!ReadFileToString(QFile::encodeName(dir.path()).toStdString(), got)); // opened, not readable
    QList<QByteArray> gotLines;
    for (const std::string &line : got)
        gotLines << QByteArray::fromStdString(line);
    QCOMPARE(gotLines, QList<QByteArray>{"kept"} + c.lines);
}

void TstCfutility::compareVersion_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("result");
    QTest::addRow("1.10 is newer than 1.9") << "1.10" << "1.9" << 1;
    QTest::addRow("1.0.1 is newer than 1.0") << "1.0.1" << "1.0" << 1;
    QTest::addRow("1.01 against 1.1: equal numbers, same count") << "1.01" << "1.1" << -1;
    QTest::addRow("non-number part") << "x.1" << "1.1" << 0;
    QTest::addRow("decided before a bad part") << "1.2.x" << "1.3.0" << -1;
    QTest::addRow("equal texts") << "1.0.2" << "1.0.2" << -2;
    QTest::addRow("case matters") << "V1" << "v1" << 0;
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

void TstCfutility::readFileLen_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("maxLen");
    QTest::addColumn<QString>("text");
    QTest::addRow("cut at the maximum") << QByteArray("1.0.3\nrest") << qint64(5) << QStringLiteral("1.0.3");
    QTest::addRow("ends at the first NUL") << QByteArray("ab\0cd", 5) << qint64(5) << QStringLiteral("ab");
    QTest::addRow("decoded as UTF-8") << QByteArray("caf\xc3\xa9") << qint64(10) << QStringLiteral("café");
}

// A console line in every case, a missing file read as empty.
void TstCfutility::readFileLen()
{
    QFETCH(QByteArray, content);
    QFETCH(qint64, maxLen);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("version.txt"));
    QVERIFY(writeAll(path, content));
    LogCapture log;
    QCOMPARE(ReadFileLen(path, maxLen), text);
    QCOMPARE(ReadFileLen(path + "-missing", maxLen), QString());
    QCOMPARE(log.lines().size(), 2);
    QVERIFY(log.lines().first().endsWith(" data: " + text));
}

void TstCfutility::qStringToStdString()
{
    QCOMPARE(QStringToStdString(QString::fromLatin1("ab\0cd", 5)), std::string("ab"));
    const QString cafe = QString::fromUtf8("caf\xc3\xa9");
    QCOMPARE(QByteArray::fromStdString(QStringToStdString(cafe)), cafe.toLocal8Bit());
}

QTEST_GUILESS_MAIN(TstCfutility)
#include "tst_cfutility.moc"
