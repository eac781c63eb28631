// The bytes as a whole material file, imported as the user's "Import" does, into an empty
// library; then the library is saved and read back, and the same file is imported once more
// so that every material merges.

#include "FuzzSupport.h"

#include "core/MaterialFormat.h"
#include "library/Materials.h"

#include <QFile>

#include <string>
#include <vector>

namespace {
QString g_input;
QString g_exported;

// A line may hold several materials when line feeds were lost, but each needs a text of its own,
// at least {"b2":"","b3":"","group":[]}: 28 bytes, written as 56 hex digits.
constexpr size_t kShortestMaterialHex = 56;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::InitQt(argc, argv);
    g_input = FuzzSupport::Root() + QStringLiteral("/input.cvx");
    g_exported = FuzzSupport::Root() + QStringLiteral("/exported.cvx");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FUZZ_CHECK(FuzzSupport::WriteFile(g_input, data, size));
    QFile::remove(g_exported);

    // A fresh library each run: making one costs little next to an import.
    Materials mats;
    mats.importMaterials(g_input, false);
    FUZZ_CHECK(!mats.IsHaveSameID());
    FUZZ_CHECK(size_t(mats.materialCount()) <= size / kShortestMaterialHex);

    if (mats.materialCount() > 0) {
        std::vector<CPrintMaterial> held;
        for (int i = 0; i < mats.materialCount(); ++i)
            held.push_back(*mats.materialAt(i));
        FUZZ_CHECK(mats.exportMaterials(g_exported, false));
        Materials back;
        back.importMaterials(g_exported, false);
        FUZZ_CHECK(back.materialCount() == mats.materialCount());
        for (int i = 0; i < mats.materialCount(); ++i) {
            // An export never changes what the editor holds.
            FUZZ_CHECK(*mats.materialAt(i) == held[size_t(i)]);
            // The file has the derived values brought up to date, and those that are not finite
            // as null: compare them recomputed.
            CPrintMaterial saved = held[size_t(i)];
            saved.UpdateDerived();
            CPrintMaterial read = *back.materialAt(i);
            read.UpdateDerived();
            FUZZ_CHECK_MSG(read.SameStoredContent(saved), "saved:     " + MaterialJsonText(saved) +
                                                              "\nread back: " + MaterialJsonText(read));
        }
    }

    mats.importMaterials(g_input, false);
    FUZZ_CHECK(!mats.IsHaveSameID());
    return 0;
}
