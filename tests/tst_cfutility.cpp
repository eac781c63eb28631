#include "base/cfutility.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <string>
#include <vector>

namespace {
std::string bytes(const QByteArray &b)
{
    return std::string(b.constData(), size_t(b.size()));
}

QByteArray qbytes(const std::string &s)
{
    return QByteArray(s.data(), int(s.size()));
}

QList<QByteArray> qlines(const std::vector<std::string> &lines)
{
    QList<QByteArray> out;
    for (const std::string &line : lines)
        out << qbytes(line);
    return out;
}

std::string path8(const QString &path)
{
    return bytes(QFile::encodeName(path));
}
} // namespace

class TstCfutility : public QObject
{
    Q_OBJECT

private slots:
    void hexToString_data();
    void hexToString();
    void stringToHex();
    void readFileToString_data();
    void readFileToString();
    void readFileToStringMissingFile();
    void compareVersion_data();
    void compareVersion();
    void createPath();
    void copyFileReplace();
    void readFileLen_data();
    void readFileLen();
    void readFileLenMissingFile();
    void qStringToStdString_data();
    void qStringToStdString();
};

void TstCfutility::hexToString_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("decoded");

    QTest::addRow("line end skipped") << QByteArray("7b0a\r\n") << QByteArray("\x7b\x0a");
    QTest::addRow("odd leading digit is a byte of its own") << QByteArray("abc") << QByteArray("\x0a\xbc");
    QTest::addRow("empty") << QByteArray() << QByteArray();
    QTest::addRow("only non-hex") << QByteArray("zz\n") << QByteArray();
    QTest::addRow("separators skipped") << QByteArray("61 62:63") << QByteArray("abc");
    QTest::addRow("non-hex inside a pair") << QByteArray("4g1") << QByteArray("A");
    QTest::addRow("NUL bytes kept") << QByteArray("00ff0000") << QByteArray("\x00\xff\x00\x00", 4);
    QTest::addRow("odd count with separators") << QByteArray("1-23-45") << QByteArray("\x01\x23\x45");
}

void TstCfutility::hexToString()
{
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, decoded);
    const QByteArray got = qbytes(HexToString(bytes(hex)));
    QCOMPARE(got, decoded);
    QCOMPARE(got, QByteArray::fromHex(hex));
}

void TstCfutility::stringToHex()
{
    QCOMPARE(qbytes(StringToHex("abc")), QByteArray("616263"));
    QCOMPARE(qbytes(StringToHex("")), QByteArray());
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    const std::string hex = StringToHex(bytes(all));
    QCOMPARE(qbytes(hex), all.toHex()); // lower case, NUL and high bytes too
    QCOMPARE(qbytes(HexToString(hex)), all);
}

void TstCfutility::readFileToString_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<QByteArray>>("lines");

    const QByteArray longLine = QByteArray(10000, 'x') + '\n';
    const QByteArray bufferSized = QByteArray(4095, 'y') + '\n';
    const QByteArray overBuffer = QByteArray(4096, 'z') + '\n';
    QTest::addRow("empty file") << QByteArray() << QList<QByteArray>();
    QTest::addRow("10,000-byte line read whole") << longLine << QList<QByteArray>{longLine};
    QTest::addRow("lines around the 4096-byte buffer") << bufferSized + overBuffer
                                                       << QList<QByteArray>{bufferSized, overBuffer};
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
    std::vector<std::string> got = {"kept"};
    QVERIFY(ReadFileToString(path8(path), got));
    lines.prepend("kept"); // the list is appended to
    QCOMPARE(qlines(got), lines);
}

void TstCfutility::readFileToStringMissingFile()
{
    QTemporaryDir dir;
    std::vector<std::string> got = {"kept"};
    QVERIFY(!ReadFileToString(path8(dir.filePath(QStringLiteral("missing.cvx"))), got));
    QCOMPARE(qlines(got), QList<QByteArray>{"kept"});
}

void TstCfutility::compareVersion_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("result");

    QTest::addRow("1.10 is newer than 1.9") << "1.10" << "1.9" << 1;
    QTest::addRow("1.0 against 1.0.1") << "1.0" << "1.0.1" << -1;
    QTest::addRow("1.01 against 1.1: equal numbers, same count") << "1.01" << "1.1" << -1;
    QTest::addRow("non-number part") << "x.1" << "1.1" << 0;
    QTest::addRow("empty part is not a number") << "1..2" << "1.0.2" << 0;
    QTest::addRow("decided before a bad part") << "1.2.x" << "1.3.0" << -1;
    QTest::addRow("numbers, not texts") << "2" << "10" << -1;
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

void TstCfutility::createPath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString nested = dir.filePath(QStringLiteral("a/b/c"));
    {
        LogCapture log;
        QVERIFY(CreatePath(nested));
        QVERIFY(log.contains(QStringLiteral("Create path: ") + nested + QStringLiteral("  Success")));
    }
    QVERIFY(QDir(nested).exists());
    QVERIFY(CreatePath(nested)); // already there

    const QString file = dir.filePath(QStringLiteral("plain"));
    QVERIFY(writeAll(file, "x"));
    const QString underFile = file + QStringLiteral("/sub");
    LogCapture log;
    QVERIFY(!CreatePath(underFile));
    QVERIFY(log.contains(QStringLiteral("Create path: ") + underFile + QStringLiteral("  failed")));
}

void TstCfutility::copyFileReplace()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source.cvx"));
    const QString destination = dir.filePath(QStringLiteral("destination.cvx"));
    QVERIFY(writeAll(source, "new content\n"));
    QVERIFY(writeAll(destination, "a longer old content that must go\n"));

    QVERIFY(!CopyFileReplace(dir.filePath(QStringLiteral("missing.cvx")), destination));
    QCOMPARE(readAll(destination), QByteArray("a longer old content that must go\n"));
    QVERIFY(CopyFileReplace(source, destination));
    QCOMPARE(readAll(destination), QByteArray("new content\n"));
    QVERIFY(QFile::remove(destination));
    QVERIFY(CopyFileReplace(source, destination)); // no destination yet
    QCOMPARE(readAll(destination), QByteArray("new content\n"));
}

void TstCfutility::readFileLen_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("maxLen");
    QTest::addColumn<QString>("text");

    QTest::addRow("cut at the maximum") << QByteArray("1.0.3\nrest") << qint64(5) << QStringLiteral("1.0.3");
    QTest::addRow("shorter file read whole") << QByteArray("1.0.3\n") << qint64(100) << QStringLiteral("1.0.3\n");
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
    QCOMPARE(log.lines().size(), 1);
    QCOMPARE(log.lines().first(), QStringLiteral("ReadFileLen()  fileName: %1  read maxlen %2 data: %3")
                                      .arg(path)
                                      .arg(maxLen)
                                      .arg(text));
}

void TstCfutility::readFileLenMissingFile()
{
    QTemporaryDir dir;
    LogCapture log;
    QCOMPARE(ReadFileLen(dir.filePath(QStringLiteral("missing.txt")), 10), QString());
    QCOMPARE(log.lines().size(), 1); // the console line is written in every case
}

void TstCfutility::qStringToStdString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("encoded");

    QTest::addRow("ASCII path") << QStringLiteral("/tmp/a b.cvx") << QByteArray("/tmp/a b.cvx");
    QTest::addRow("cut at NUL") << QString::fromLatin1("ab\0cd", 5) << QByteArray("ab");
    QTest::addRow("locale encoding") << QString::fromUtf8("caf\xc3\xa9") << QString::fromUtf8("caf\xc3\xa9").toLocal8Bit();
}

void TstCfutility::qStringToStdString()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, encoded);
    QCOMPARE(qbytes(QStringToStdString(text)), encoded);
}

QTEST_GUILESS_MAIN(TstCfutility)
#include "tst_cfutility.moc"
