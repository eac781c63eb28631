#pragma once

#include <string>

class LineReader;

// The JSON that encode reads: an array of values, or JSON Lines, one value a line, told apart by
// the first character that is not white space ('[' for an array). Values are handed over one at a
// time as they are read, so an input of any length takes the memory of its longest value. Lines
// end as in a material file: at a line feed, a carriage return and line feed, or a lone carriage
// return.
class JsonInput
{
public:
    struct Value
    {
        bool element = false;   // of an array, else a line of JSON Lines
        size_t number = 0;      // the element's or the line's, from 1
        size_t line = 0;        // where the text starts, from 1
        size_t column = 0;      // in bytes, from 1
        std::string text;       // the value's text, a line without its line end
        bool oversized = false; // longer than kMaxMaterialLineLength: not held

        // "element 3" or "line 7".
        std::string Name() const;
        // "line 3, column 7": where a byte of the text stands in the input.
        std::string Where(size_t offset) const;
    };

    explicit JsonInput(LineReader &reader) : m_reader(reader) {}

    // The next value; false at the end of the input, at a read error (the reader's Error) and
    // where an array stops being JSON (SyntaxError).
    bool Next(Value &value);
    // Where and why the array stopped being JSON ("line 3, column 7: ',' or ']' expected"); empty
    // while it has not.
    const std::string &SyntaxError() const { return m_syntaxError; }

    // A place in the input; a carriage return and line feed end one line.
    struct Position
    {
        size_t line = 1;
        size_t column = 1;
        bool afterCr = false;
        void Advance(char c);
    };

private:
    enum class Mode { Unknown, Lines, Array };
    // Where the scan of an array stands between values.
    enum class State { Start, Open, Value, After, Closed };

    // How far a value's text has come: its nesting, and whether it is in a string, or is a
    // number or a literal (which the first character that cannot be part of it ends).
    struct ValueScan
    {
        enum Step { On, EndsWith, EndsBefore };
        size_t depth = 0;
        bool inString = false;
        bool escaped = false;
        bool scalar = false;
        void Start(char c);
        // What the character does to the value: goes on, ends it with itself, or ends it before it.
        Step Take(char c);
    };

    bool NextLine(Value &value);
    bool NextElement(Value &value);
    // A character between values; false (with SyntaxError) where the array stops being JSON.
    // A value starts at it when the state becomes Value's and inValue is set.
    bool Between(char c, Value &value, bool *starts);
    void Append(Value &value, const char *data, size_t size);
    bool Fail(const char *why);

    LineReader &m_reader;
    Mode m_mode = Mode::Unknown;
    State m_state = State::Start;
    Position m_position;
    size_t m_number = 0;
    size_t m_length = 0; // of the value being read
    std::string m_syntaxError;
};
