#include "InstanceGuard.h"

#include "base/Log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>

namespace {
// How long a later editor waits for the running one, which may be busy loading a large library.
constexpr int kAnswerMs = 5000;
} // namespace

InstanceGuard::InstanceGuard(const QString &dataDir, QObject *parent)
    : QObject(parent), m_dataDir(QDir(dataDir).absolutePath()), m_lock(m_dataDir + QStringLiteral("/corvane.lock"))
{
    // A lock is only stale when its process is gone, however long an editor stays open.
    m_lock.setStaleLockTime(0);
}

InstanceGuard::~InstanceGuard() = default;

QString InstanceGuard::ServerName() const
{
    // Named after the folder, so that editors of other folders (other users, tests) do not meet.
    const QByteArray hash = QCryptographicHash::hash(m_dataDir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("corvane-") + QString::fromLatin1(hash);
}

QString InstanceGuard::Holder() const
{
    qint64 pid = 0;
    QString host;
    QString app;
    if (!const_cast<QLockFile &>(m_lock).getLockInfo(&pid, &host, &app))
        return m_lock.error() == QLockFile::NoError ? QString() : m_dataDir + QStringLiteral("/corvane.lock");
    return QStringLiteral("%1 (process %2 on %3)").arg(app).arg(pid).arg(host);
}

InstanceGuard::Role InstanceGuard::Start(const QStringList &files)
{
    QDir().mkpath(m_dataDir);
    if (m_lock.tryLock(0)) {
        Serve();
        return Primary;
    }
    CVLOG << "Another editor holds " << m_dataDir << ": " << Holder();
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (socket.waitForConnected(kAnswerMs)) {
        QStringList absolute;
        for (const QString &file : files)
            absolute << QFileInfo(file).absoluteFilePath();
        socket.write(QJsonDocument(QJsonArray::fromStringList(absolute)).toJson(QJsonDocument::Compact) + '\n');
        if (socket.waitForBytesWritten(kAnswerMs) && socket.waitForReadyRead(kAnswerMs) && socket.readLine().trimmed() == "ok") {
            CVLOG << "Handed " << files.size() << " files to the running editor";
            return HandedOver;
        }
    }
    CVLOG << "The running editor does not answer: " << socket.errorString();
    return NoAnswer;
}

void InstanceGuard::Serve()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left behind by a crash would keep the name taken.
    QLocalServer::removeServer(ServerName());
    if (!m_server->listen(ServerName())) {
        CVLOG << "Cannot listen for other editors: " << m_server->errorString();
        return;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this]() {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
                if (!socket->canReadLine())
                    return;
                const QJsonDocument message = QJsonDocument::fromJson(socket->readLine());
                socket->write("ok\n");
                socket->flush();
                QStringList files;
                for (const QJsonValue &file : message.array())
                    files << file.toString();
                CVLOG << "Another editor handed over " << files.size() << " files";
                emit filesReceived(files);
            });
        }
    });
}
