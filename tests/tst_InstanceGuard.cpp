#include "InstanceGuard.h"
#include "TestSupport.h"

#include <QLocalSocket>
#include <QtTest>

#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A user no one on a test machine is: files given to it stand for another user's.
constexpr uid_t kOther = 4242;
enum Setup { Free, OthersLock, ReadOnly, SizeLimit, OpenRuntime, OpenTmp };
enum Later { None, Waits, GivesUp }; // the later editor
using G = InstanceGuard;
} // namespace

class TstInstanceGuard : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_oldRuntime = qgetenv("XDG_RUNTIME_DIR"), m_oldTmp = qgetenv("TMPDIR");
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QByteArray at(const QString &name) const { return QFile::encodeName(path(name)); }
    // Whether group and others have no access.
    bool isPrivate(const QString &path) const { return (QFileInfo(path).permissions() & 0x77) == 0; }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path("runtime")) && QDir().mkpath(path("tmp")) && QDir().mkpath(path("data")));
        QVERIFY(::chmod(at("runtime"), 0700) == 0);
        qputenv("XDG_RUNTIME_DIR", at("runtime"));
        qputenv("TMPDIR", at("tmp"));
    }
    void cleanup()
    {
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
        qputenv("TMPDIR", m_oldTmp);
    }

    // clang-format off
    void startSaysWhatHoldsTheFolder_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<int>("role");
        const auto row = [](const char *name, Setup setup, int role) {
            QTest::newRow(name) << int(setup) << role;
        };
        row("a free folder is taken, the socket in the private runtime folder", Free, G::Primary);
        row("another user's lock is not taken over, even when stale", OthersLock, G::ForeignLock);
        row("a folder this user cannot write is not writable, not held", ReadOnly, G::NotWritable);
        row("a lock the system refuses to write gives the system's reason", SizeLimit, G::LockFailed);
        row("a runtime folder its group can write is passed over for a private one", OpenRuntime, G::Primary);
        row("a fallback folder others can write is refused: no socket", OpenTmp, G::Primary);
    }
    // clang-format on
    void startSaysWhatHoldsTheFolder()
    {
        QFETCH(int, setup);
        QFETCH(int, role);
        const QString tmp = QStringLiteral("tmp/corvane-%1").arg(geteuid());
        const QString where = setup == OpenTmp ? QString() : path(setup == OpenRuntime ? tmp : "runtime");
        // A lock as a dead editor leaves it (its process, program and host), but another user's.
        QVERIFY(setup != OthersLock || writeAll(path("data/corvane.lock"), "2147483647\ncorvane\n\n"));
        if (setup == OthersLock && ::chown(at("data/corvane.lock"), kOther, kOther) != 0)
            QSKIP("giving a file to another user needs root");
        QVERIFY(setup != OpenTmp ||
                (::mkdir(at(tmp), 0777) == 0 && ::chmod(at(tmp), 0707) == 0 && qunsetenv("XDG_RUNTIME_DIR")));
        QVERIFY(setup != OpenRuntime || ::chmod(at("runtime"), 0770) == 0);
        QVERIFY(setup != ReadOnly || ::chmod(at("data"), 0555) == 0);
        InstanceGuard guard(path("data"));
        const bool asOther = setup == ReadOnly && geteuid() == 0; // root writes into any folder
        int got = -1;
        {
            const FileSizeLimit limit(setup == SizeLimit ? 0 : RLIM_INFINITY);
            QVERIFY(!asOther || ::seteuid(kOther) == 0);
            got = guard.Start({});
            QVERIFY(!asOther || ::seteuid(0) == 0);
        }
        QCOMPARE(got, role);
        QCOMPARE(guard.Problem(), setup == SizeLimit ? QString::fromLocal8Bit(strerror(EFBIG)) : QString());
        QCOMPARE(guard.ServerPath().section('/', 0, -2), where);
        QCOMPARE(QFileInfo::exists(guard.ServerPath()),
                 got == G::Primary && !where.isEmpty() && isPrivate(where));
    }

    // clang-format off
    void filesReachOneEditorOnly_data()
    {
        QTest::addColumn<int>("later");
        QTest::addColumn<bool>("silent"); // the pipe's writer stays and writes nothing
        QTest::addRow("a piped file is imported by the first as a private copy") << int(None) << false;
        QTest::addRow("a piped file is handed over as a private copy") << int(Waits) << false;
        QTest::addRow("a pipe nobody writes to is left out, not waited for") << int(Waits) << true;
        QTest::addRow("a file a later editor gave up handing over is not imported by the first as well")
            << int(GivesUp) << false;
    }
    // clang-format on
    void filesReachOneEditorOnly()
    {
        QFETCH(int, later);
        QFETCH(bool, silent);
        int pipe[2] = {-1, -1};
        QVERIFY(::pipe(pipe) == 0 && ::write(pipe[1], "piped\n", 6) == 6);
        if (!silent)
            ::close(pipe[1]);
        const QString arg = QStringLiteral("/dev/fd/%1").arg(pipe[0]);
        QStringList files;
        {
            InstanceGuard first(path("data"));
            QSignalSpy received(&first, &InstanceGuard::filesReceived);
            QCOMPARE(first.Start(later == None ? QStringList{arg} : QStringList()), G::Primary);
            auto second = std::async(std::launch::async, [&] {
                return later == None ? G::HandedOver : InstanceGuard(path("data")).Start({arg});
            });
            if (later == GivesUp) // the first, in this thread, busy for as long as the later editor waits
                second.wait();
            QTest::qWait(later == GivesUp ? 500 : 0); // for the first to read what it was sent
            QTRY_COMPARE_WITH_TIMEOUT(received.count(), later == Waits ? 1 : 0, 15000);
            QCOMPARE(second.get(), later == GivesUp ? G::NoAnswer : G::HandedOver);
            files = later == Waits ? received.at(0).at(0).toStringList() : first.Files();
            QCOMPARE(files.size(), silent || later == GivesUp ? 0 : 1);
            QVERIFY(files.isEmpty() || (QFileInfo(files[0]).path() == path("runtime") &&
                                        readAll(files[0]) == "piped\n" && isPrivate(files[0])));
        }
        QVERIFY(files.isEmpty() || !QFile::exists(files[0])); // removed when the editor ends
        ::close(pipe[0]);
        if (silent)
            ::close(pipe[1]);
    }

    // The running editor takes a hand-over once however often it is confirmed (a second
    // confirmation drops the connection), and at its end removes only the private copies among the
    // files: a file of the user's with a copy's name stays.
    void runningEditorTakesAHandOverOnce()
    {
        const QString mine = path("piped-mine.cvx");
        QVERIFY(writeAll(mine, "mine\n"));
        {
            InstanceGuard guard(path("data"));
            QSignalSpy received(&guard, &InstanceGuard::filesReceived);
            QCOMPARE(guard.Start({}), G::Primary);
            QLocalSocket peer;
            peer.connectToServer(guard.ServerPath());
            QVERIFY(peer.waitForConnected(5000));
            peer.write("[\"" + QFile::encodeName(mine) + "\"]\n");
            QTRY_VERIFY(peer.canReadLine());
            QCOMPARE(peer.readLine(), QByteArray("have\n"));
            peer.write("take\ntake\n");
            QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
            QCOMPARE(received.count(), 1);
        }
        QVERIFY(QFile::exists(mine));
    }
};

QTEST_GUILESS_MAIN(TstInstanceGuard)
#include "tst_InstanceGuard.moc"
