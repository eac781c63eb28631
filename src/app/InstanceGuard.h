#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

// One editor per data folder. The first editor takes a lock file in the folder (a lock left by a
// crash is recognised as stale and taken over) and listens on a local socket named after the
// folder, in a folder of this user's alone; a later editor of the same user hands its files to it
// over the socket and ends, so that two editors never save one user library.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    enum Role {
        Primary,     // this editor works on the folder
        HandedOver,  // the running editor took the files
        NoAnswer,    // another process holds the folder but does not answer
        ForeignLock, // the lock file belongs to another user: neither taken over nor answered
        NotWritable, // no lock can be made in the folder
        LockFailed,  // the lock could not be written; Problem() says why
    };

    explicit InstanceGuard(const QString &dataDir, QObject *parent = nullptr);
    // Removes the private copies this editor still owns (its own, and those handed to it).
    ~InstanceGuard() override;

    Role Start(const QStringList &files);
    // The files to import here unless handed over: absolute paths, with the files only this
    // process can open (process substitution, /dev/stdin) read into private copies; a file
    // that could not be read is left out, with a log line.
    QStringList Files() const { return m_files; }
    // Who holds the folder, for the message when it does not answer.
    QString Holder() const;
    QString LockPath() const;
    // The system's reason why the lock could not be written (LockFailed).
    QString Problem() const { return m_problem; }
    // Where the running editor listens; empty when this user has no private folder for it.
    QString ServerPath() const;

signals:
    // A later editor's files (absolute paths), handed to this one; it should also come forward.
    void filesReceived(const QStringList &files);

private:
    Role HandOver();
    void Serve();
    void Receive(class QLocalSocket *socket);
    QString CopyOwnFile(const QString &path) const;

    QString m_dataDir;
    QString m_privateDir; // this user's alone, for the socket and the copies; empty if none
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    QStringList m_files;
    QStringList m_copies; // private copies to remove at the end
    QString m_problem;
};
