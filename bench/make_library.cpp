// make_library: writes a generated library, as the benchmarks make them, to a material file, for
// runs of the editor on a library of that size (scripts/measure-startup).
//
//   make_library PATH MATERIALS [SETS]   (default 40 print sets a material)

#include "GeneratedLibrary.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace {
// A whole positive number at most `most`, or 0.
int count(const char *text, long most)
{
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *text != '\0' && *end == '\0' && value > 0 && value <= most ? int(value) : 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int materials = argc == 3 || argc == 4 ? count(argv[2], 1000000) : 0;
    const int sets = argc == 4 ? count(argv[3], 1000) : 40;
    if (materials == 0 || sets == 0) {
        std::fprintf(stderr, "Usage: make_library PATH MATERIALS [SETS]\n");
        return 2;
    }
    std::vector<CPrintMaterial> library = makeLibrary(materials, sets);
    if (!writeLibrary(QString::fromLocal8Bit(argv[1]), library)) {
        std::fprintf(stderr, "make_library: %s could not be written\n", argv[1]);
        return 1;
    }
    return 0;
}
