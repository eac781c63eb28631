#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

// What the fuzz targets share: a private folder for everything they write, and a hard stop on a
// broken invariant, which libFuzzer records as a crash with its input.
namespace FuzzSupport {

// Makes a private temporary folder (removed at exit), points XDG_DATA_HOME, XDG_CONFIG_HOME and
// the shipped data at folders inside it, creates the application object and sends the
// diagnostic log and Qt's debug messages nowhere. Call once from LLVMFuzzerInitialize, before
// the first Materials or LangTrans is made.
void InitQt(int *argc, char ***argv);

// The private folder; the shared data directory, inside it; the folder standing in for the
// shipped data (holds "Lang" and "DB").
QString Root();
QString DataDir();
QString ShippedDir();

// Replaces the file with the bytes, creating its folder; false when it cannot be written.
bool WriteFile(const QString &path, const void *data, size_t size);

[[noreturn]] void Fail(const char *condition, const char *file, int line, const std::string &detail);

} // namespace FuzzSupport

#define FUZZ_CHECK(condition) FUZZ_CHECK_MSG(condition, std::string())
#define FUZZ_CHECK_MSG(condition, detail)                                                                    \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            FuzzSupport::Fail(#condition, __FILE__, __LINE__, (detail));                                     \
    } while (0)
