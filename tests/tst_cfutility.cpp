#include "base/cfutility.h"

#include "TestSupport.h"

#include <QDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>

namespace {
struct Lines
{
    QByteArray content;
    QList<QByteArray> lines; // "<N bytes>" for a line too long to hold
    bool loneCr = false;     // a lone CR ends a line
    int maxLength = -1;      // the longest line held, -1 for no limit
    int error = 0;           // nonzero: read the folder itself, which fails with this error
};
} // namespace

Q_DECLARE_METATYPE(Lines)

class TstCfutility : public QObject
{
    Q_OBJECT

private slots:
    void readLines_data();
    void readLines();
    void copyAndSnapshot();
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
    QTest::addRow("a read error is reported") << Lines{{}, {}, false, -1, EISDIR};
}

// Every option of LineReader. ReadFileToString's lines of real files are the damaged-file tests'
// (the count of every file's lines is logged).
void TstCfutility::readLines()
{
    QFETCH(Lines, c);
    QTemporaryDir dir;
    QVERIFY(writeAll(dir.filePath("lines"), c.content));
    FILE *file = std::fopen(qPrintable(c.error ? dir.path() : dir.filePath("lines")), "r");
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

// A failed copy or snapshot keeps the destination as it was; a file of the user's that looks like a
// temporary one beside it is left alone, and nothing is left behind.
void TstCfutility::copyAndSnapshot()
{
    QTemporaryDir dir;
    const auto at = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };
    QVERIFY(CreatePath(at("a/b")) && CreatePath(at("a/b")) && writeAll(at("a/file"), "new\n"));
    QVERIFY(!CreatePath(at("a/file/sub")));
    QVERIFY(writeAll(at("dest"), "a longer old content\n") && writeAll(at("dest.part"), "the user's\n"));
    QVERIFY(!CopyFileReplace(at("missing"), at("dest")) && !CopyFileReplace(at("a"), at("dest")));
    QCOMPARE(readAll(at("dest")), QByteArray("a longer old content\n"));
    QVERIFY(CopyFileReplace(at("a/file"), at("dest")));
    QCOMPARE(readAll(at("dest")), QByteArray("new\n"));

    // The snapshot keeps the old content when the source is replaced by renaming, as a save does,
    // and when a source reached through a symbolic link is written in place.
    const auto replace = [&](const QByteArray &content) {
        return writeAll(at("new"), content) && std::rename(qPrintable(at("new")), qPrintable(at("src"))) == 0;
    };
    QVERIFY(replace("one\n") && SnapshotFile(at("src"), at("dest")) && replace("two\n"));
    QCOMPARE(readAll(at("dest")), QByteArray("one\n"));
    // Twice: the second time the snapshot already is the source's file.
    QVERIFY(SnapshotFile(at("src"), at("dest")) && SnapshotFile(at("src"), at("dest")));
    QVERIFY(QFile::link(at("src"), at("link")) && SnapshotFile(at("link"), at("dest")));
    QVERIFY(writeAll(at("src"), "three\n") && !SnapshotFile(at("missing"), at("dest")));
    QCOMPARE(readAll(at("dest")) + readAll(at("dest.part")), QByteArray("two\nthe user's\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"dest", "dest.part", "link", "src"}));
}

QTEST_GUILESS_MAIN(TstCfutility)
#include "tst_cfutility.moc"
