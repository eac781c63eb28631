#include "JsonInput.h"

#include "base/cfutility.h"
#include "core/MaterialFormat.h"

#include <cstring>

namespace {
const char kByteOrderMark[] = "\xEF\xBB\xBF";

// White space as cJSON skips it: every byte up to the space.
bool isSpace(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// What ends a number or a literal (true, false, null) inside an array.
bool endsScalar(char c)
{
    return isSpace(c) || std::strchr(",]}[{\"", c);
}

bool startsValue(char c)
{
    return std::strchr("{[\"-0123456789tfn", c) && c != '\0';
}
} // namespace

void JsonInput::Position::Advance(char c)
{
    if (c == '\n' && afterCr) {
        afterCr = false;
        return;
    }
    afterCr = c == '\r';
    if (c == '\n' || c == '\r') {
        ++line;
        column = 1;
    } else {
        ++column;
    }
}

std::string JsonInput::Value::Name() const
{
    return (element ? "element " : "line ") + std::to_string(number);
}

std::string JsonInput::Value::Where(size_t offset) const
{
    Position at{line, column, false};
    for (size_t i = 0; i < offset && i < text.size(); ++i)
        at.Advance(text[i]);
    return "line " + std::to_string(at.line) + ", column " + std::to_string(at.column);
}

bool JsonInput::Next(Value &value)
{
    value = Value();
    if (m_mode == Mode::Unknown) {
        // Only the first block is looked at: white space longer than that makes blank lines.
        const std::string_view head = m_reader.Peek();
        size_t i = head.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
        while (i < head.size() && isSpace(head[i]))
            ++i;
        m_mode = i < head.size() && head[i] == '[' ? Mode::Array : Mode::Lines;
    }
    return m_mode == Mode::Array ? NextElement(value) : NextLine(value);
}

bool JsonInput::NextLine(Value &value)
{
    std::string line;
    while (m_reader.Next(line)) {
        value.number = ++m_number;
        value.line = m_number;
        value.column = 1;
        if (m_reader.Oversized()) {
            value.oversized = true;
            return true;
        }
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (IsBlankLine(line))
            continue;
        value.text = std::move(line);
        return true;
    }
    return false;
}

void JsonInput::Append(Value &value, const char *data, size_t size)
{
    m_length += size;
    if (value.oversized)
        return;
    if (m_length > kMaxMaterialLineLength) {
        value.oversized = true;
        std::string().swap(value.text);
        return;
    }
    value.text.append(data, size);
}

bool JsonInput::Fail(const char *why)
{
    m_syntaxError = "line " + std::to_string(m_position.line) + ", column " +
                    std::to_string(m_position.column) + ": " + why;
    return false;
}

void JsonInput::ValueScan::Start(char c)
{
    inString = c == '"';
    escaped = false;
    scalar = !inString && c != '{' && c != '[';
    depth = !inString && !scalar ? 1 : 0;
}

JsonInput::ValueScan::Step JsonInput::ValueScan::Take(char c)
{
    if (inString) {
        if (escaped)
            escaped = false;
        else if (c == '\\')
            escaped = true;
        else if (c == '"')
            inString = false;
        return !inString && depth == 0 ? EndsWith : On;
    }
    if (scalar)
        return endsScalar(c) ? EndsBefore : On;
    if (c == '"')
        inString = true;
    else if (c == '{' || c == '[')
        ++depth;
    else if (c == '}' || c == ']')
        return --depth == 0 ? EndsWith : On;
    return On;
}

bool JsonInput::Between(char c, Value &value, bool *starts)
{
    *starts = false;
    switch (m_state) {
    case State::Start:
        if (c != '[')
            return Fail("'[' expected");
        m_state = State::Open;
        return true;
    case State::After:
        if (c != ',' && c != ']')
            return Fail("',' or ']' expected");
        m_state = c == ',' ? State::Value : State::Closed;
        return true;
    case State::Closed:
        return Fail("text after the array");
    case State::Open:
        if (c == ']') {
            m_state = State::Closed;
            return true;
        }
        [[fallthrough]];
    case State::Value:
        if (!startsValue(c))
            return Fail("a value expected");
        m_length = 0;
        value.element = true;
        value.number = ++m_number;
        value.line = m_position.line;
        value.column = m_position.column;
        *starts = true;
        return true;
    }
    return true;
}

bool JsonInput::NextElement(Value &value)
{
    bool inValue = false;
    ValueScan scan;
    for (;;) {
        std::string_view chunk = m_reader.Peek();
        if (chunk.empty()) {
            if (m_reader.Error() || m_state == State::Closed)
                return false;
            return Fail("the array does not end");
        }
        if (m_state == State::Start && m_position.line == 1 && m_position.column == 1 &&
            chunk.compare(0, 3, kByteOrderMark) == 0) {
            m_reader.Skip(3);
            continue;
        }
        size_t start = 0; // of the value's text in the chunk
        for (size_t i = 0; i < chunk.size(); ++i) {
            const char c = chunk[i];
            if (inValue) {
                const ValueScan::Step step = scan.Take(c);
                if (step != ValueScan::EndsBefore)
                    m_position.Advance(c);
                if (step != ValueScan::On) {
                    // A number or literal ends at a character that is not its: the scan goes on
                    // from it.
                    const size_t taken = step == ValueScan::EndsWith ? i + 1 : i;
                    Append(value, chunk.data() + start, taken - start);
                    m_reader.Skip(taken);
                    m_state = State::After;
                    return true;
                }
                continue;
            }
            if (!isSpace(c)) {
                bool starts = false;
                if (!Between(c, value, &starts))
                    return false;
                if (starts) {
                    inValue = true;
                    start = i;
                    scan.Start(c);
                }
            }
            m_position.Advance(c);
        }
        if (inValue)
            Append(value, chunk.data() + start, chunk.size() - start);
        m_reader.Skip(chunk.size());
    }
}
