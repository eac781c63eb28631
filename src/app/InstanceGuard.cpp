#include "InstanceGuard.h"

#include "base/Log.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// How long a later editor waits for the running one, which may be busy loading a large library.
constexpr int kAnswerMs = 5000;
// A file that only this process can open is read whole before it is handed over or imported;
// larger ones are refused rather than filling the private folder, which is often in memory.
constexpr qint64 kMaxOwnFileBytes = 256LL * 1024 * 1024;
// A pipe whose writer sends nothing for this long is given up, so that the editor still starts.
constexpr int kPipeIdleMs = 5000;
// Far more than a command line can hold: a peer cannot make the editor buffer without end.
constexpr qint64 kMaxMessageBytes = 8 * 1024 * 1024;
// The hand-over: the later editor sends its files as a JSON array on one line, the running one
// answers kHave, and the later one confirms with kTake only while it still waits. The files are
// delivered on that confirmation alone, so that files the later editor gave up on (and imports
// itself) are not imported by the running one as well.
const QByteArray kHave = "have\n";
const QByteArray kTake = "take\n";
// What an older editor answers, having delivered the files on receipt.
const QByteArray kDelivered = "ok\n";
const QString kCopyPrefix = QStringLiteral("piped-");

#ifdef Q_OS_UNIX
QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The owner of the path itself (a link is not followed), or -1 when there is nothing there.
qint64 OwnerOf(const QString &path, mode_t *mode = nullptr)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    if (mode)
        *mode = info.st_mode;
    return info.st_uid;
}

// Whether something at the path belongs to another user, who could read or answer what is sent.
bool OthersOwn(const QString &path)
{
    const qint64 owner = OwnerOf(path);
    return owner >= 0 && owner != ::geteuid();
}
#else
bool OthersOwn(const QString &)
{
    return false;
}
#endif

// Whether the folder is a real folder of this user's that no one else can write into.
bool IsPrivateDir(const QString &path)
{
#ifdef Q_OS_UNIX
    mode_t mode = 0;
    return OwnerOf(path, &mode) == ::geteuid() && S_ISDIR(mode) && !(mode & (S_IWGRP | S_IWOTH));
#else
    return QFileInfo(path).isDir();
#endif
}

// $XDG_RUNTIME_DIR when it is this user's alone, else a folder of this user's in the temporary
// location, made 0700 when missing; empty when neither can be trusted.
QString PrivateDir()
{
    const QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty()) {
        if (IsPrivateDir(runtime))
            return runtime;
        CVLOG << "XDG_RUNTIME_DIR " << runtime << " is not a folder of this user's alone";
    }
#ifdef Q_OS_UNIX
    const QString own = QDir::tempPath() + QStringLiteral("/corvane-%1").arg(::geteuid());
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST) {
        CVLOG << "Cannot make " << own << ": " << SystemError(errno);
        return QString();
    }
#else
    const QString own = QDir::tempPath() + QStringLiteral("/corvane");
    QDir().mkpath(own);
#endif
    if (IsPrivateDir(own))
        return own;
    CVLOG << own << " is not a folder of this user's alone: no other editor can reach this one";
    return QString();
}

// Whether the process at the other end of a connected socket runs as this user; *peer is its user.
bool PeerIsMe(const QLocalSocket &socket, qint64 *peer)
{
#if defined(Q_OS_LINUX)
    ucred credentials{};
    socklen_t size = sizeof credentials;
    *peer = ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0
                ? qint64(credentials.uid)
                : -1;
    return *peer == ::geteuid();
#elif defined(Q_OS_UNIX)
    uid_t uid = 0;
    gid_t gid = 0;
    *peer = ::getpeereid(int(socket.socketDescriptor()), &uid, &gid) == 0 ? qint64(uid) : -1;
    return *peer == ::geteuid();
#else
    // A pipe listened on with UserAccessOption admits this user alone.
    Q_UNUSED(socket);
    *peer = -1;
    return true;
#endif
}

// A path that names an open file of this process (process substitution, /dev/stdin), which no
// other process can open.
bool IsOwnFile(const QString &absolute)
{
#ifdef Q_OS_UNIX
    static const QRegularExpression own(
        QStringLiteral("^/(dev/(fd/\\d+|stdin)|proc/(self|thread-self|\\d+)/fd/\\d+)$"));
    return own.match(absolute).hasMatch();
#else
    Q_UNUSED(absolute);
    return false;
#endif
}

int Remaining(const QDeadlineTimer &deadline)
{
    return int(deadline.remainingTime());
}
} // namespace

InstanceGuard::InstanceGuard(const QString &dataDir, QObject *parent)
    : QObject(parent), m_dataDir(QDir(dataDir).absolutePath()), m_privateDir(PrivateDir()), m_lock(LockPath())
{
    // A lock is only stale when its process is gone, however long an editor stays open.
    m_lock.setStaleLockTime(0);
}

InstanceGuard::~InstanceGuard()
{
    for (const QString &copy : qAsConst(m_copies))
        QFile::remove(copy);
}

QString InstanceGuard::LockPath() const
{
    return m_dataDir + QStringLiteral("/corvane.lock");
}

QString InstanceGuard::ServerPath() const
{
    if (m_privateDir.isEmpty())
        return QString();
    // Named after the folder, so that editors of other folders (tests) do not meet.
    const QByteArray hash =
        QCryptographicHash::hash(m_dataDir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return m_privateDir + QStringLiteral("/corvane-") + QString::fromLatin1(hash);
}

QString InstanceGuard::Holder() const
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (!const_cast<QLockFile &>(m_lock).getLockInfo(&pid, &host, &app))
        return m_lock.error() == QLockFile::NoError ? QString() : LockPath();
    return QStringLiteral("%1 (process %2 on %3)").arg(app).arg(pid).arg(host);
}

InstanceGuard::Role InstanceGuard::Start(const QStringList &files)
{
    m_files.clear();
    for (const QString &file : files) {
        const QString absolute = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
        if (!IsOwnFile(absolute)) {
            m_files << absolute;
            continue;
        }
        const QString copy = CopyOwnFile(absolute);
        if (copy.isEmpty())
            continue;
        m_files << copy;
        m_copies << copy;
    }

    QDir().mkpath(m_dataDir);
    // Not even a stale one is taken over: its owner's editor could still be running elsewhere.
    if (OthersOwn(LockPath())) {
        CVLOG << "The lock " << LockPath() << " belongs to another user";
        return ForeignLock;
    }
    if (m_lock.tryLock(0)) {
        Serve();
        return Primary;
    }
    const int writeError = errno; // of the write that failed, when the lock could not be written
    if (m_lock.error() == QLockFile::PermissionError) {
        CVLOG << "Cannot make a lock in " << m_dataDir;
        return NotWritable;
    }
    if (m_lock.error() == QLockFile::UnknownError) {
#ifdef Q_OS_UNIX
        m_problem = SystemError(writeError);
#else
        Q_UNUSED(writeError);
        m_problem = QStringLiteral("unknown error");
#endif
        CVLOG << "Cannot write " << LockPath() << ": " << m_problem;
        return LockFailed;
    }
    CVLOG << "Another editor holds " << m_dataDir << ": " << Holder();
    return HandOver();
}

InstanceGuard::Role InstanceGuard::HandOver()
{
    const QString path = ServerPath();
    if (path.isEmpty())
        return NoAnswer; // why was logged when the folder was refused
    if (OthersOwn(path)) {
        CVLOG << "Not handing files to " << path << ", which is another user's";
        return NoAnswer;
    }
    const QDeadlineTimer deadline(kAnswerMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (socket.waitForConnected(Remaining(deadline))) {
        qint64 peer = -1;
        if (!PeerIsMe(socket, &peer)) {
            CVLOG << "Not handing files to the editor of user " << peer;
            return NoAnswer;
        }
        socket.write(QJsonDocument(QJsonArray::fromStringList(m_files)).toJson(QJsonDocument::Compact) +
                     '\n');
        while (!socket.canReadLine() && socket.waitForReadyRead(Remaining(deadline))) {
        }
        const QByteArray answer = socket.canReadLine() ? socket.readLine() : QByteArray();
        if (answer == kHave) {
            socket.write(kTake);
            socket.flush();
            while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(Remaining(deadline))) {
            }
        }
        if ((answer == kHave && socket.bytesToWrite() == 0) || answer == kDelivered) {
            CVLOG << "Handed " << m_files.size() << " files to the running editor";
            m_copies.clear(); // the running editor removes them once it is done
            return HandedOver;
        }
    }
    CVLOG << "The running editor does not answer: " << socket.errorString();
    // Closing without the confirmation tells the running editor to drop the files.
    socket.abort();
    return NoAnswer;
}

void InstanceGuard::Serve()
{
    const QString path = ServerPath();
    if (path.isEmpty() || OthersOwn(path)) {
        CVLOG << "Cannot listen for other editors at " << path;
        return;
    }
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left behind by a crash would keep the name taken.
    QLocalServer::removeServer(path);
    if (!m_server->listen(path)) {
        CVLOG << "Cannot listen for other editors: " << m_server->errorString();
        return;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this]() {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            Receive(socket);
    });
}

void InstanceGuard::Receive(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    qint64 peer = -1;
    if (!PeerIsMe(*socket, &peer)) {
        CVLOG << "Refused files from the editor of user " << peer;
        socket->abort();
        socket->deleteLater();
        return;
    }
    // The files offered on this connection, until confirmed or given up.
    auto offer = std::make_shared<QStringList>();
    auto offered = std::make_shared<bool>(false);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, offer, offered]() {
        while (socket->canReadLine()) {
            const QByteArray line = socket->readLine();
            if (*offered && line == kTake) {
                *offered = false;
                for (const QString &file : qAsConst(*offer)) {
                    const QFileInfo info(file);
                    if (info.absolutePath() == m_privateDir && info.fileName().startsWith(kCopyPrefix))
                        m_copies << file;
                }
                CVLOG << "Another editor handed over " << offer->size() << " files";
                emit filesReceived(*offer);
                continue;
            }
            const QJsonDocument message = QJsonDocument::fromJson(line);
            if (*offered || !message.isArray()) {
                CVLOG << "Another editor sent something else than files; dropped";
                socket->abort();
                return;
            }
            offer->clear();
            for (const QJsonValue &file : message.array())
                offer->append(file.toString());
            *offered = true;
            socket->write(kHave);
            socket->flush();
        }
        if (socket->bytesAvailable() > kMaxMessageBytes) {
            CVLOG << "Another editor sent more than " << kMaxMessageBytes << " bytes; dropped";
            socket->abort();
        }
    });
    connect(socket, &QLocalSocket::disconnected, this, [offer, offered]() {
        if (*offered)
            CVLOG << "Another editor gave up handing over " << offer->size() << " files";
    });
}

QString InstanceGuard::CopyOwnFile(const QString &path) const
{
#ifdef Q_OS_UNIX
    // Opened without blocking and read as it comes: a pipe whose writer never writes must not
    // hold the editor forever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        CVLOG << "Not imported: " << path << ": " << SystemError(errno);
        return QString();
    }
    // QTemporaryFile makes it 0600, with a name no one can take first.
    QTemporaryFile copy((m_privateDir.isEmpty() ? QDir::tempPath() : m_privateDir) + QLatin1Char('/') +
                        kCopyPrefix + QStringLiteral("XXXXXX.cvx"));
    QString problem = copy.open() ? QString() : copy.errorString();
    qint64 total = 0;
    char buffer[64 * 1024];
    while (problem.isEmpty()) {
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, kPipeIdleMs);
        if (ready == 0) {
            problem = QStringLiteral("nothing came for %1 s").arg(kPipeIdleMs / 1000);
            break;
        }
        const ssize_t got = ready > 0 ? ::read(fd, buffer, sizeof buffer) : -1;
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR && errno != EAGAIN)
            problem = SystemError(errno);
        else if (got > 0 && (total += got) > kMaxOwnFileBytes)
            problem = QStringLiteral("larger than %1 MB").arg(kMaxOwnFileBytes >> 20);
        else if (got > 0 && copy.write(buffer, got) != got)
            problem = copy.errorString();
    }
    ::close(fd);
    if (problem.isEmpty() && !copy.flush())
        problem = copy.errorString();
    if (!problem.isEmpty()) {
        CVLOG << "Not imported: " << path << ": " << problem;
        return QString();
    }
    copy.setAutoRemove(false);
    return copy.fileName();
#else
    Q_UNUSED(path);
    return QString();
#endif
}
