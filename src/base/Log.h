#pragma once

#include <QString>

#include <functional>
#include <sstream>
#include <string>

// One diagnostic line on standard output: "function() message", flushed at the end of the
// statement. Numbers use the stream's default format with "." whatever the locale.
class LogLine
{
public:
    // A null function writes the message without the "function() " prefix.
    explicit LogLine(const char *function);
    ~LogLine();
    LogLine(const LogLine &) = delete;
    LogLine &operator=(const LogLine &) = delete;

    LogLine &operator<<(const QString &text);
    LogLine &operator<<(const char *text);
    LogLine &operator<<(const std::string &text);
    LogLine &operator<<(char c);
    LogLine &operator<<(bool value);
    template <typename T> LogLine &operator<<(T value)
    {
        m_stream << value;
        return *this;
    }

    // Every finished line is also handed to the observer (tests read the log through it).
    using Observer = std::function<void(const std::string &line)>;
    static void SetObserver(Observer observer);

private:
    std::ostringstream m_stream;
};

#define CVLOG LogLine(__func__)
