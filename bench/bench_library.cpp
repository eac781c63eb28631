// bench_library: the library object at scale — loading, merging and saving libraries of growing
// size, and the time of each user operation on a large library.
//
//   bench_library [MATERIALS] [SETS]     (default 10000 materials of 40 print sets each)
//
// The library's diagnostic log goes to /dev/null while it runs; the table goes to standard output.
// Build in Release for figures worth comparing.

#include "GeneratedLibrary.h"
#include "base/PlatformPaths.h"
#include "base/TLanguage.h"
#include "library/Materials.h"
#include "models/MaterialModel.h"
#include "models/PrintSetModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {
FILE *g_table = stdout;

void row(const char *what, double ms)
{
    std::fprintf(g_table, "%-52s %10.2f\n", what, ms);
    std::fflush(g_table);
}

std::unique_ptr<Materials> freshLibrary()
{
    LangTrans::DestroyInstance();
    return std::make_unique<Materials>();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int sets = argc > 2 ? std::atoi(argv[2]) : 40;
    if (count < 10 || sets < 1) {
        std::fprintf(stderr, "Usage: bench_library [MATERIALS>=10] [SETS]\n");
        return 2;
    }
    QTemporaryDir dir;
    if (!dir.isValid())
        return 2;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    QDir().mkpath(dir.filePath(QStringLiteral("shipped")));
    PlatformPaths::SetShippedDataDir(dir.filePath(QStringLiteral("shipped")));

    // Keep the table on the real standard output; the library logs a line per material.
    g_table = fdopen(dup(STDOUT_FILENO), "w");
    if (!std::freopen("/dev/null", "w", stdout))
        return 2;

    std::fprintf(g_table, "%d materials x %d print sets\n\n%-52s %10s\n", count, sets, "step", "ms");
    const QString out = dir.filePath(QStringLiteral("out.cvx"));
    for (const int n : {count / 10, count / 2, count}) {
        std::vector<CPrintMaterial> library = makeLibrary(n, sets);
        const QString path = dir.filePath(QStringLiteral("lib%1.cvx").arg(n));
        if (!writeLibrary(path, library))
            return 2;
        library.clear();
        std::unique_ptr<Materials> mats = freshLibrary();
        char label[96];
        std::snprintf(label, sizeof(label), "import %d materials (%.0f MB)", n, QFileInfo(path).size() / 1e6);
        row(label, bestOf(1, [&] { mats->importMaterials(path, false); }));
        std::snprintf(label, sizeof(label), "import the same %d again (all merge)", n);
        row(label, bestOf(1, [&] { mats->importMaterials(path, false); }));
        std::snprintf(label, sizeof(label), "export %d materials", n);
        row(label, bestOf(1, [&] { mats->exportMaterials(out, false); }));
        if (mats->materialCount() != n)
            return 1;
    }

    std::vector<CPrintMaterial> library = makeLibrary(count, sets);
    const QString path = dir.filePath(QStringLiteral("ops.cvx"));
    writeLibrary(path, library);
    std::unique_ptr<Materials> mats = freshLibrary();
    mats->importMaterials(path, false);
    // An unlocked material in the middle of the library (every tenth one has a password).
    const CPrintMaterial &middle = library[size_t(count / 2 + 1)];
    const int id = middle.m_nMatID;
    const PrintSetData &key = middle.m_lstSets.front();
    std::fprintf(g_table, "\nuser operations on %d materials, best of 5\n", count);
    row("selectMaterial", bestOf(5, [&] { mats->selectMaterial(id); }));
    row("selectPrinter", bestOf(5, [&] { mats->selectPrinter(key.nPrinterType); }));
    row("selectNozzle", bestOf(5, [&] { mats->selectNozzle(key.fNozzleDia); }));
    row("selectLayerThick", bestOf(5, [&] { mats->selectLayerThick(key.fLayerThick); }));
    row("selectQuality", bestOf(5, [&] { mats->selectQuality(key.nQuality); }));
    row("setParameter (print row)", bestOf(5, [&] { mats->setParameter(15, 55.0); }));
    row("setParameter (basic row)", bestOf(5, [&] { mats->setParameter(0, 215.0); }));
    row("availNewSet + copyCurSets + removeCurSets", bestOf(5, [&] {
            mats->selectQuality(key.nQuality);
            mats->availNewSet();
            mats->copyCurSets(0);
            mats->removeCurSets();
        }));
    row("setMatNameAndManu", bestOf(5, [&] { mats->setMatNameAndManu("PLA renamed", "Bench", ""); }));
    row("addCopyMaterial + removeMaterial", bestOf(5, [&] {
            mats->addCopyMaterial(id);
            mats->removeMaterial(mats->curMatID());
        }));
    row("materialItems (the whole list)", bestOf(5, [&] { mats->materialItems(); }));

    // What a view does on a reset: count the rows and read the visible ones (a drawer shows ~20).
    MaterialModel drawer;
    PrintParamModel params;
    drawer.setMats(mats.get());
    params.setMats(mats.get());
    const auto readVisible = [](QAbstractItemModel &model) {
        const int rows = std::min(model.rowCount(), 40);
        const QList<int> roles = model.roleNames().keys();
        for (int r = 0; r < rows; ++r) {
            for (const int role : roles)
                model.data(model.index(r, 0), role);
        }
    };
    row("drawer reset + visible rows (matChanged)", bestOf(5, [&] {
            emit mats->matChanged();
            readVisible(drawer);
        }));
    mats->selectPrinter(key.nPrinterType);
    row("selectMaterial + drawer and parameter pages", bestOf(5, [&] {
            mats->selectMaterial(id);
            mats->selectPrinter(key.nPrinterType);
            readVisible(drawer);
            readVisible(params);
        }));
    mats.reset();
    LangTrans::DestroyInstance();
    return 0;
}
