#include "Log.h"

#include <cstdio>
#include <locale>

namespace {
LogLine::Observer &observer()
{
    static LogLine::Observer s_observer;
    return s_observer;
}
} // namespace

LogLine::LogLine(const char *function)
{
    m_stream.imbue(std::locale::classic());
    if (function)
        m_stream << function << "() ";
}

LogLine::~LogLine()
{
    const std::string line = m_stream.str();
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (observer())
        observer()(line);
}

LogLine &LogLine::operator<<(const QString &text)
{
    m_stream << text.toStdString();
    return *this;
}

LogLine &LogLine::operator<<(const char *text)
{
    m_stream << (text ? text : "");
    return *this;
}

LogLine &LogLine::operator<<(const std::string &text)
{
    m_stream << text;
    return *this;
}

LogLine &LogLine::operator<<(char c)
{
    m_stream << c;
    return *this;
}

LogLine &LogLine::operator<<(bool value)
{
    m_stream << (value ? 1 : 0);
    return *this;
}

void LogLine::SetObserver(Observer o)
{
    observer() = std::move(o);
}
