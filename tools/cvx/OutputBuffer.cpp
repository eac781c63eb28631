#include "OutputBuffer.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
constexpr size_t kBlock = 64 * 1024;
} // namespace

OutputBuffer::OutputBuffer(int fd) : m_fd(fd), m_byLine(isatty(fd)), m_buffer(kBlock)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

OutputBuffer::~OutputBuffer()
{
    sync();
}

bool OutputBuffer::WriteOut(const char *data, size_t size)
{
    while (size > 0 && !m_error) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_error = written < 0 ? errno : EIO;
            break;
        }
        data += written;
        size -= size_t(written);
    }
    return !m_error;
}

int OutputBuffer::sync()
{
    const bool ok = WriteOut(pbase(), size_t(pptr() - pbase()));
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return ok ? 0 : -1;
}

OutputBuffer::int_type OutputBuffer::overflow(int_type c)
{
    if (sync() != 0)
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
        if (m_byLine && c == '\n' && sync() != 0)
            return traits_type::eof();
    }
    return traits_type::not_eof(c);
}

std::streamsize OutputBuffer::xsputn(const char *data, std::streamsize size)
{
    if (size > epptr() - pptr() && sync() != 0)
        return 0;
    // A piece larger than the whole buffer goes out directly.
    if (size > epptr() - pptr())
        return WriteOut(data, size_t(size)) ? size : 0;
    traits_type::copy(pptr(), data, size_t(size));
    pbump(int(size));
    if (m_byLine && std::memchr(data, '\n', size_t(size)) && sync() != 0)
        return 0;
    return size;
}
