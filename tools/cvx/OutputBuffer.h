#pragma once

#include <streambuf>
#include <vector>

// A stream buffer over a file descriptor that writes in blocks (by lines to a terminal) and keeps
// the errno of its first failed write, taken at the failing call: a full disk is reported as such,
// never as "Success". After a failure the rest is dropped.
class OutputBuffer : public std::streambuf
{
public:
    explicit OutputBuffer(int fd);
    ~OutputBuffer() override;
    OutputBuffer(const OutputBuffer &) = delete;
    OutputBuffer &operator=(const OutputBuffer &) = delete;

    // errno of the first write that failed; 0 while none has.
    int Error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char *data, std::streamsize size) override;
    int sync() override;

private:
    bool WriteOut(const char *data, size_t size);

    int m_fd;
    bool m_byLine;
    int m_error = 0;
    std::vector<char> m_buffer;
};
