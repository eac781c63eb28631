#include "LibraryLoader.h"

#include <memory>

LibraryLoader::LibraryLoader(const QString &vendorPath, const QString &userPath, int pieceMs, Take takeVendor,
                             Take takeUser, QObject *parent)
    : QObject(parent), m_vendorPath(vendorPath), m_userPath(userPath), m_pieceMs(pieceMs),
      m_takeVendor(std::move(takeVendor)), m_takeUser(std::move(takeUser))
{
}

LibraryLoader::~LibraryLoader()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void LibraryLoader::Start()
{
    m_thread = std::thread([this] {
        LibraryFiles::ReadPieces(m_vendorPath, -1, false, &m_stop, [this](LibraryFiles::ReadPiece &&piece) {
            Hand(std::move(piece), &m_takeVendor);
        });
        LibraryFiles::ReadPieces(
            m_userPath, m_pieceMs, true, &m_stop,
            [this](LibraryFiles::ReadPiece &&piece) { Hand(std::move(piece), &m_takeUser); });
    });
}

void LibraryLoader::Hand(LibraryFiles::ReadPiece &&piece, const Take *take)
{
    // Queued to this object: what is still queued when it is destroyed is never taken.
    auto shared = std::make_shared<LibraryFiles::ReadPiece>(std::move(piece));
    QMetaObject::invokeMethod(
        this, [take, shared] { (*take)(*shared); }, Qt::QueuedConnection);
}
