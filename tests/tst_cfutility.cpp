#include "base/cfutility.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
QByteArray qbytes(const std::string &s)
{
    return QByteArray(s.data(), int(s.size()));
}
} // namespace

class TstCfutility : public QObject
{
    Q_OBJECT

private slots:
    void hex_data();
    void hex();
    void readFileToString_data();
    void readFileToString();
    void compareVersion_data();
    void compareVersion();
    void createPathAndCopyFileReplace();
    void snapshotFile();
    void readFileLen_data();
    void readFileLen();
    void qStringToStdString();
};

void TstCfutility::hex_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("decoded");

    QTest::addRow("line end skipped") << QByteArray("7b0a\r\n") << QByteArray("\x7b\x0a");
    QTest::addRow("upper-case digits") << QByteArray("7B0A") << QByteArray("\x7b\x0a");
    QTest::addRow("odd leading digit is a byte of its own") << QByteArray("abc") << QByteArray("\x0a\xbc");
    QTest::addRow("non-hex inside a pair skipped") << QByteArray("4g1") << QByteArray("A");
    QTest::addRow("stray character in an even line") << QByteArray("7bx0a1") << QByteArray("\x07\xb0\xa1");
    QTest::addRow("NUL bytes kept") << QByteArray("00ff0000") << QByteArray("\x00\xff\x00\x00", 4);
}

// Decoding behaves as QByteArray::fromHex; encoding is lowercase and takes every byte.
void TstCfutility::hex()
{
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, decoded);
    QCOMPARE(qbytes(HexToString(hex.toStdString())), decoded);
    QCOMPARE(decoded, QByteArray::fromHex(hex));

    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    QCOMPARE(qbytes(StringToHex(all.toStdString())), all.toHex());
    QCOMPARE(qbytes(StringToHex("abc")), QByteArray("616263"));
}

void TstCfutility::readFileToString_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loneCr");     // LineReader: a lone CR ends a line
    QTest::addColumn<int>("maxLength");   // LineReader: the longest line held, -1 for no limit
    QTest::addColumn<int>("failAfter");   // the stream fails with EIO after this many bytes, -1 never
    QTest::addColumn<QList<QByteArray>>("lines"); // "<N bytes>" for a line too long to hold
    QTest::addColumn<int>("error");

    const QByteArray longLine = QByteArray(10000, 'x') + '\n';
    const auto plain = [](const char *name, const QByteArray &content, const QList<QByteArray> &lines) {
        QTest::addRow("%s", name) << content << false << -1 << -1 << lines << 0;
    };
    plain("empty file", QByteArray(), {});
    plain("10,000-byte line read whole", longLine, {longLine});
    plain("last line without line feed", "a\nb", {"a\n", "b"});
    plain("CR LF kept", "ab\r\ncd\r\n", {"ab\r\n", "cd\r\n"});
    plain("embedded NUL bytes kept", QByteArray("a\0b\nc\0", 6), {QByteArray("a\0b\n", 4), QByteArray("c\0", 2)});
    plain("a lone CR is no line end unless asked", "a\rb\n", {"a\rb\n"});

    const QByteArray chunk(64 * 1024, 'y'); // the reader's own buffer
    QTest::addRow("a lone CR ends a line, CR LF one line across two reads")
        << "a\rb\r\n\r" + chunk.left(chunk.size() - 7) + "\r\nc\r" << true << -1 << -1
        << QList<QByteArray>{"a\r", "b\r\n", "\r", chunk.left(chunk.size() - 7) + "\r\n", "c\r"} << 0;
    QTest::addRow("a line over the limit is not held; the next is read")
        << "ab\n" + chunk + chunk + "\nlast" << false << 70000 << -1
        << QList<QByteArray>{"ab\n", "<131073 bytes>", "last"} << 0;
    QTest::addRow("a line at the limit is held") << QByteArray("abcd\nabcde\n") << false << 5 << -1
                                                 << QList<QByteArray>{"abcd\n", "<6 bytes>"} << 0;
    QTest::addRow("a read error part-way: the whole lines before it, then the error")
        << QByteArray("one\ntwo\nthr") << false << -1 << 10 << QList<QByteArray>{"one\n", "two\n"} << EIO;
    QTest::addRow("a read error at once") << QByteArray("one\n") << false << -1 << 0 << QList<QByteArray>() << EIO;
}

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
} // namespace

void TstCfutility::readFileToString()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, loneCr);
    QFETCH(int, maxLength);
    QFETCH(int, failAfter);
    QFETCH(QList<QByteArray>, lines);
    QFETCH(int, error);

    // Through a stream that can fail, with every option of the reader.
    FailingStream stream{content, failAfter};
    cookie_io_functions_t functions{&FailingStream::read, nullptr, nullptr, nullptr};
    FILE *file = fopencookie(&stream, "r", functions);
    QVERIFY(file);
    LineReader::Options options;
    options.loneCarriageReturnEndsLine = loneCr;
    if (maxLength >= 0)
        options.maxLineLength = size_t(maxLength);
    QList<QByteArray> read;
    {
        LineReader reader(file, options);
        QVERIFY(reader.IsOpen());
        std::string line;
        while (reader.Next(line)) {
            QCOMPARE(reader.Length(), reader.Oversized() ? reader.Length() : line.size());
            read << (reader.Oversized() ? QByteArray("<") + QByteArray::number(qulonglong(reader.Length())) + " bytes>"
                                        : qbytes(line));
        }
        QCOMPARE(reader.Error(), error);
    }
    std::fclose(file);
    QCOMPARE(read, lines);
    if (loneCr || maxLength >= 0 || failAfter >= 0)
        return;

    // Through a file, as ReadFileToString reads it.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("lines.cvx"));
    QVERIFY(writeAll(path, content));
    std::vector<std::string> got = {"kept"}; // the list is appended to
    QVERIFY(ReadFileToString(QFile::encodeName(path).toStdString(), got));
    QVERIFY(!ReadFileToString(QFile::encodeName(path + "-missing").toStdString(), got));
    QVERIFY(!ReadFileToString(QFile::encodeName(dir.path()).toStdString(), got)); // opened, not readable
    QList<QByteArray> gotLines;
    for (const std::string &line : got)
        gotLines << qbytes(line);
    QCOMPARE(gotLines, QList<QByteArray>{"kept"} + lines);
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

void TstCfutility::createPathAndCopyFileReplace()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString nested = dir.filePath(QStringLiteral("a/b/c"));
    QVERIFY(CreatePath(nested));
    QVERIFY(CreatePath(nested)); // already there
    QVERIFY(QDir(nested).exists());
    QVERIFY(writeAll(dir.filePath(QStringLiteral("a/file")), "new\n"));
    QVERIFY(!CreatePath(dir.filePath(QStringLiteral("a/file/sub"))));

    // A missing source leaves the destination as it was. A file of the user's that looks like a
    // temporary one beside the destination is left alone, and nothing is left behind.
    const QString destination = dir.filePath(QStringLiteral("destination"));
    QVERIFY(writeAll(destination, "a longer old content\n"));
    QVERIFY(writeAll(destination + QStringLiteral(".part"), "the user's\n"));
    QVERIFY(!CopyFileReplace(dir.filePath(QStringLiteral("missing")), destination));
    QCOMPARE(readAll(destination), QByteArray("a longer old content\n"));
    QVERIFY(!CopyFileReplace(dir.filePath(QStringLiteral("a")), destination)); // a folder
    QCOMPARE(readAll(destination), QByteArray("a longer old content\n"));
    QVERIFY(CopyFileReplace(dir.filePath(QStringLiteral("a/file")), destination));
    QCOMPARE(readAll(destination), QByteArray("new\n"));
    QCOMPARE(readAll(destination + QStringLiteral(".part")), QByteArray("the user's\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("destination"), QStringLiteral("destination.part")}));
}

// The snapshot keeps the old content when the source is replaced by renaming, as a save does.
void TstCfutility::snapshotFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("user.cvx"));
    const QString snapshot = source + QStringLiteral(".bak");
    QVERIFY(writeAll(snapshot + QStringLiteral(".part"), "the user's\n")); // left alone
    const auto replaceSource = [&](const QByteArray &content) {
        return writeAll(source + QStringLiteral(".new"), content)
               && std::rename(QFile::encodeName(source + QStringLiteral(".new")).constData(),
                              QFile::encodeName(source).constData()) == 0;
    };
    QVERIFY(replaceSource("one\n"));
    QVERIFY(SnapshotFile(source, snapshot));
    QVERIFY(replaceSource("two\n"));
    QCOMPARE(readAll(snapshot), QByteArray("one\n"));
    QVERIFY(SnapshotFile(source, snapshot));
    QVERIFY(SnapshotFile(source, snapshot)); // already the same file
    QCOMPARE(readAll(snapshot), QByteArray("two\n"));
    QCOMPARE(readAll(snapshot + QStringLiteral(".part")), QByteArray("the user's\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("user.cvx"), QStringLiteral("user.cvx.bak"),
                          QStringLiteral("user.cvx.bak.part")}));

    // Through a symbolic link the file may be written in place: it is copied.
    const QString link = dir.filePath(QStringLiteral("link.cvx"));
    QVERIFY(QFile::link(source, link));
    QVERIFY(SnapshotFile(link, snapshot));
    QVERIFY(writeAll(source, "three\n")); // in place
    QCOMPARE(readAll(snapshot), QByteArray("two\n"));

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
    QTest::addRow("decoded as UTF-8") << QByteArray("caf\xc3\xa9") << qint64(10) << QString::fromUtf8("caf\xc3\xa9");
}

void TstCfutility::readFileLen()
{
    QFETCH(QByteArray, content);
    QFETCH(qint64, maxLen);
    QFETCH(QString, text);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("version.txt"));
    QVERIFY(writeAll(path, content));
    LogCapture log;
    QCOMPARE(ReadFileLen(path, maxLen), text);
    QCOMPARE(ReadFileLen(path + "-missing", maxLen), QString());
    QCOMPARE(log.lines().size(), 2); // a console line in every case
    QVERIFY(log.lines().first().endsWith(" data: " + text));
}

void TstCfutility::qStringToStdString()
{
    QCOMPARE(qbytes(QStringToStdString(QString::fromLatin1("ab\0cd", 5))), QByteArray("ab"));
    const QString cafe = QString::fromUtf8("caf\xc3\xa9");
    QCOMPARE(qbytes(QStringToStdString(cafe)), cafe.toLocal8Bit());
}

QTEST_GUILESS_MAIN(TstCfutility)
#include "tst_cfutility.moc"
