#pragma once

#include "LibraryFiles.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

// Reads the vendor library, then the user library, on a thread of its own, and hands what it read
// to the thread it was made on: the vendor library whole, the user library in pieces as they are
// read. The window shows and fills while a large library is read. Destroying it stops the reading
// and drops what was not handed over yet.
class LibraryLoader : public QObject
{
    Q_OBJECT
public:
    using Take = std::function<void(LibraryFiles::ReadPiece &piece)>;

    // takeVendor gets the vendor library, takeUser a piece of the user library every pieceMs
    // milliseconds of reading; both run on this object's thread, in the order of reading.
    LibraryLoader(const QString &vendorPath, const QString &userPath, int pieceMs, Take takeVendor,
                  Take takeUser, QObject *parent = nullptr);
    ~LibraryLoader() override;

    void Start();

private:
    void Hand(LibraryFiles::ReadPiece &&piece, const Take *take);

    const QString m_vendorPath;
    const QString m_userPath;
    const int m_pieceMs;
    const Take m_takeVendor;
    const Take m_takeUser;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
