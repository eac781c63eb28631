// One line of a material file: decoded as a reader does, and every material it holds written
// and read back. A record that survives one save must survive every later one unchanged.

#include "FuzzSupport.h"

#include "core/MaterialFormat.h"

#include <string>

namespace {
std::string describe(const char *what, const std::string &first, const std::string &second)
{
    return std::string(what) + "\n  first:  " + first + "\n  second: " + second;
}

void checkRoundTrip(CPrintMaterial &mat)
{
    std::string written;
    mat.ToJson(written);
    FUZZ_CHECK(written.find('\n') == std::string::npos);

    CPrintMaterial back;
    FUZZ_CHECK_MSG(DecodeMaterial(written.c_str(), back), written);
    back.UpdateDerived();
    FUZZ_CHECK_MSG(back.SameStoredContent(mat),
                   describe("read back differs", written, MaterialJsonText(back)));

    std::string rewritten;
    back.ToJson(rewritten);
    FUZZ_CHECK_MSG(rewritten == written, describe("written again differs", written, rewritten));

    const std::string encoded = EncodeMaterialLine(mat);
    FUZZ_CHECK(!encoded.empty() && encoded.back() == '\n' && IsHexLine(encoded));
    FUZZ_CHECK(DecodeMaterialLine(encoded) == MaterialJsonText(mat));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);
    IsHexLine(line);
    IsBlankLine(line);
    const std::string text = DecodeMaterialLine(line);
    PrettyJson(text);

    CPrintMaterial first;
    MaterialDecodeReport report;
    const bool accepted = DecodeMaterial(text.c_str(), first, &report);
    FUZZ_CHECK(accepted == report.Reason().empty());
    for (const MaterialDecodeReport::DroppedSet &dropped : report.droppedSets)
        FUZZ_CHECK(!MaterialDecodeReport::DescribeDroppedSet(dropped).empty());

    // The first material of the line is the one decoded above; each one must survive a save.
    int index = 0;
    DecodeMaterialsOfLine(line, [&](CPrintMaterial &mat, const MaterialDecodeReport &, bool ok) {
        if (index++ == 0)
            FUZZ_CHECK(ok == accepted && (!ok || mat == first));
        if (ok)
            checkRoundTrip(mat);
    });
    FUZZ_CHECK(index >= 1);
    return 0;
}
