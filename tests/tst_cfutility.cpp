#include "base/cfutility.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cstdio>
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
    QTest::addColumn<QList<QByteArray>>("lines");

    const QByteArray longLine = QByteArray(10000, 'x') + '\n';
    QTest::addRow("empty file") << QByteArray() << QList<QByteArray>();
    QTest::addRow("10,000-byte line read whole") << longLine << QList<QByteArray>{longLine};
    QTest::addRow("last line without line feed") << QByteArray("a\nb") << QList<QByteArray>{"a\n", "b"};
    QTest::addRow("CR LF kept") << QByteArray("ab\r\ncd\r\n") << QList<QByteArray>{"ab\r\n", "cd\r\n"};
    QTest::addRow("embedded NUL bytes kept") << QByteArray("a\0b\nc\0", 6)
                                             << QList<QByteArray>{QByteArray("a\0b\n", 4), QByteArray("c\0", 2)};
}

void TstCfutility::readFileToString()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<QByteArray>, lines);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("lines.cvx"));
    QVERIFY(writeAll(path, content));
    std::vector<std::string> got = {"kept"}; // the list is appended to
    QVERIFY(ReadFileToString(QFile::encodeName(path).toStdString(), got));
    QVERIFY(!ReadFileToString(QFile::encodeName(path + "-missing").toStdString(), got));
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

    // A missing source leaves the destination as it was.
    const QString destination = dir.filePath(QStringLiteral("destination"));
    QVERIFY(writeAll(destination, "a longer old content\n"));
    QVERIFY(!CopyFileReplace(dir.filePath(QStringLiteral("missing")), destination));
    QCOMPARE(readAll(destination), QByteArray("a longer old content\n"));
    QVERIFY(CopyFileReplace(dir.filePath(QStringLiteral("a/file")), destination));
    QCOMPARE(readAll(destination), QByteArray("new\n"));
}

// The snapshot keeps the old content when the source is replaced by renaming, as a save does.
void TstCfutility::snapshotFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("user.cvx"));
    const QString snapshot = source + QStringLiteral(".bak");
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
    QVERIFY(!QFile::exists(snapshot + QStringLiteral(".part")));

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
