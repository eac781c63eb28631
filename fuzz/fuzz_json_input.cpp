// The JSON that corvane-cvx encode reads, split into values as it reads them, against cJSON's
// parse of the whole text: an array is refused exactly when cJSON refuses it, and otherwise gives
// cJSON's elements, in order; JSON Lines give values without line ends.

#include "FuzzSupport.h"

#include "JsonInput.h"
#include "base/cfutility.h"
#include "core/MaterialFormat.h"

#include <cjson/cJSON.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
std::string printed(const cJSON *json)
{
    char *text = cJSON_PrintUnformatted(json);
    std::string out = text ? text : "";
    cJSON_free(text);
    return out;
}

// cJSON counts the array itself among the levels it allows; an element alone has one fewer.
bool nestedNearLimit(const std::string &text)
{
    int depth = 0;
    for (const char c : text) {
        depth += c == '[' || c == '{';
        if (depth >= CJSON_NESTING_LIMIT - 1)
            return true;
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    std::string input(reinterpret_cast<const char *>(data), size);
    std::FILE *file = fmemopen(&input[0], size, "r");
    FUZZ_CHECK(file);
    LineReader::Options options;
    options.loneCarriageReturnEndsLine = true;
    options.maxLineLength = kMaxMaterialLineLength;
    std::vector<JsonInput::Value> values;
    std::string syntaxError;
    {
        LineReader reader(file, options);
        JsonInput json(reader);
        for (JsonInput::Value value; json.Next(value);)
            values.push_back(value);
        FUZZ_CHECK(reader.Error() == 0);
        syntaxError = json.SyntaxError();
    }
    std::fclose(file);

    // An array is an input whose first character but white space (and a byte-order mark) is '['.
    const std::string text = input.compare(0, 3, "\xEF\xBB\xBF") == 0 ? input.substr(3) : input;
    size_t first = 0;
    while (first < text.size() && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    if (first == text.size() || text[first] != '[') {
        FUZZ_CHECK_MSG(syntaxError.empty(), syntaxError);
        for (const JsonInput::Value &value : values)
            FUZZ_CHECK_MSG(!value.element && value.text.find_first_of("\r\n") == std::string::npos,
                           value.text);
        return 0;
    }

    // The array as encode takes it: each element whole, or a syntax error.
    bool parsed = syntaxError.empty();
    std::vector<std::string> elements;
    for (const JsonInput::Value &value : values) {
        FUZZ_CHECK(value.element && !value.Where(value.text.size()).empty());
        cJSON *json = cJSON_ParseWithLengthOpts(value.text.c_str(), value.text.size() + 1, nullptr, true);
        parsed = parsed && json;
        if (json)
            elements.push_back(printed(json));
        cJSON_Delete(json);
    }
    if (nestedNearLimit(text))
        return 0;
    cJSON *whole = cJSON_ParseWithLengthOpts(text.c_str(), text.size() + 1, nullptr, true);
    const bool isArray = cJSON_IsArray(whole);
    std::vector<std::string> expected;
    for (const cJSON *element = isArray ? whole->child : nullptr; element; element = element->next)
        expected.push_back(printed(element));
    cJSON_Delete(whole);
    FUZZ_CHECK_MSG(isArray == parsed, syntaxError);
    FUZZ_CHECK(!isArray || expected == elements);
    return 0;
}
