// The language service over a fuzzed language file and a fuzzed setting file. The bytes up to
// the first NUL are the language file, the rest the content of "lang.cfg". The language file is
// the working copy of "zh" (against a built-in "zh" of version 2) and the built-in "en".

#include "FuzzSupport.h"

#include "base/TLanguage.h"

#include <QDir>
#include <QFile>

#include <cstring>

namespace {
const char kBuiltInZh[] = R"({"--trans version--": 2, "Fine": "精细", "Twelve": 12})";
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::InitQt(argc, argv);
    FUZZ_CHECK(FuzzSupport::WriteFile(FuzzSupport::ShippedDir() + QStringLiteral("/Lang/local_zh.json"),
                                      kBuiltInZh, std::strlen(kBuiltInZh)));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const uint8_t *nul = static_cast<const uint8_t *>(std::memchr(data, 0, size));
    const size_t fileSize = nul ? size_t(nul - data) : size;
    const uint8_t *setting = nul ? nul + 1 : data + size;
    const size_t settingSize = size_t(data + size - setting);

    // Every run starts from a data folder holding only these two files.
    const QString dataDir = FuzzSupport::DataDir();
    QDir(dataDir).removeRecursively();
    const QString workingZh = dataDir + QStringLiteral("/Lang/local_zh.json");
    FUZZ_CHECK(FuzzSupport::WriteFile(workingZh, data, fileSize));
    FUZZ_CHECK(FuzzSupport::WriteFile(dataDir + QStringLiteral("/lang.cfg"), setting, settingSize));
    FUZZ_CHECK(FuzzSupport::WriteFile(FuzzSupport::ShippedDir() + QStringLiteral("/Lang/local_en.json"), data,
                                      fileSize));

    LangTrans *lang = LangTrans::Instance();
    const int index = lang->GetLanguageIndex();
    FUZZ_CHECK(index >= 0 && index < LanguageList.size());
    lang->Translate(QStringLiteral("Fine"));
    lang->Translate(QStringLiteral("Twelve"));
    lang->Translate(QStringLiteral("--trans version--"));
    // The whole file as one text: line ends, characters beyond Latin-1 and lines longer than the
    // list reader's 1023 bytes go to the untranslated list, which the switches below save and read.
    lang->Translate(QString::fromUtf8(reinterpret_cast<const char *>(data), int(fileSize)));

    // Both files exist ("zh" built in, "en" copied from the built-in one), so both switches succeed.
    FUZZ_CHECK(lang->SetLanguage(10));
    FUZZ_CHECK(lang->CurrentLanguage() == QStringLiteral("zh"));
    lang->Translate(QStringLiteral("Not in any file"));
    FUZZ_CHECK(lang->SetLanguage(0));
    FUZZ_CHECK(lang->CurrentLanguage() == QStringLiteral("en"));
    lang->SetLanguage(int(size % 14) - 1);
    lang->GetTransVersion(workingZh);
    lang->GetTransVersion(dataDir + QStringLiteral("/Lang/local_en.json"));
    LangTrans::DestroyInstance();
    return 0;
}
