#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

// One editor per data folder. The first editor takes a lock file in the folder (a lock left by a
// crash is recognised as stale and taken over) and listens on a local socket named after the
// folder; a later editor hands its files to it over the socket and ends, so that two editors
// never save one user library.
class InstanceGuard : public QObject
{
    Q_OBJECT
public:
    enum Role {
        Primary,    // this editor works on the folder
        HandedOver, // the running editor took the files
        NoAnswer,   // another process holds the folder but does not answer
    };

    explicit InstanceGuard(const QString &dataDir, QObject *parent = nullptr);
    ~InstanceGuard() override;

    Role Start(const QStringList &files);
    // Who holds the folder, for the message when it does not answer.
    QString Holder() const;

signals:
    // A later editor's files (absolute paths), handed to this one; it should also come forward.
    void filesReceived(const QStringList &files);

private:
    void Serve();
    QString ServerName() const;

    QString m_dataDir;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};
