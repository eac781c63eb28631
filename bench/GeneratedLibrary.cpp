#include "GeneratedLibrary.h"

#include "core/JsonArena.h"
#include "core/MaterialFileWriter.h"
#include "core/MaterialFormat.h"
#include "core/PrinterCatalogue.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cjson/cJSON.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>

namespace {

struct Key
{
    int32_t type;
    float nozzle;
    float layer;
    int32_t quality;
};

// Every key the catalogue accepts for a named printer type, so that no generated set is dropped.
std::vector<Key> catalogueKeys()
{
    std::vector<Key> keys;
    for (const int32_t type : GetPrinterTypeList()) {
        for (const double nozzle : GetNozzleList(type)) {
            for (const double layer : GetLayerThickList(type, nozzle)) {
                for (const int32_t quality : GetQualityList())
                    keys.push_back({type, float(nozzle), float(layer), quality});
            }
        }
    }
    return keys;
}

float vary(QRandomGenerator &random, double low, double high)
{
    return float(low + random.generateDouble() * (high - low));
}

} // namespace

std::vector<CPrintMaterial> makeLibrary(int count, int kSetsPerMaterial)
{
    static const char *const manufacturers[] = {"KestRona", "Tallow", "Fenwick Polymers", "Arden"};
    static const char *const kinds[] = {"PLA", "PETG", "ABS", "TPU", "ASA", "PA-CF"};
    const std::vector<Key> keys = catalogueKeys();
    // A stride prime to the key count walks every printer, nozzle, layer and quality in turn and
    // gives each material 40 distinct keys.
    size_t stride = keys.size() / kSetsPerMaterial + 1;
    while (std::gcd(stride, keys.size()) != 1)
        ++stride;

    QRandomGenerator random(2000);
    std::vector<CPrintMaterial> library(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        CPrintMaterial &mat = library[size_t(i)];
        const std::string name = std::string(kinds[i % 6]) + " " + std::to_string(i + 1);
        mat.SetNameAndManu(name.c_str(), manufacturers[i % 4]);
        mat.m_nMatID = 0x2AF00000 + i;
        mat.m_nCreateDay = 8000 + i % 1500;
        mat.m_nPrintTemp = 190 + int(random.bounded(70));
        mat.m_nPlatTemp = 40 + int(random.bounded(60));
        mat.m_fFilaDia = i % 3 ? 1.75f : 2.85f;
        mat.m_fDensity = vary(random, 1.0, 1.4);
        for (float &shrink : mat.m_fShrink)
            shrink = vary(random, 0.0, 0.01);
        if (i % 10 == 0)
            std::snprintf(mat.m_szPwMD5, sizeof(mat.m_szPwMD5), "%032x", i);
        const size_t first = size_t(i) * 7;
        for (int s = 0; s < kSetsPerMaterial; ++s) {
            const Key &key = keys[(first + size_t(s) * stride) % keys.size()];
            PrintSetData set;
            set.nPrinterType = key.type;
            set.fNozzleDia = key.nozzle;
            set.fLayerThick = key.layer;
            set.nQuality = key.quality;
            for (int k = 0; k < 3; ++k) {
                set.fWidth[k] = key.nozzle * vary(random, 1.0, 1.3);
                set.fSpeed[k] = vary(random, 20, 120);
                set.fExtrude[k] = vary(random, 0.9, 1.1);
                set.nTempBias[k] = int(random.bounded(11)) - 5;
                set.fAcc[k] = vary(random, 1000, 5000);
            }
            set.nBasicTemp = mat.m_nPrintTemp;
            set.nRaftTemp = mat.m_nPrintTemp + 10;
            set.nPlatTemp = mat.m_nPlatTemp;
            set.nWithdraw = int(random.bounded(10, 40));
            set.nPeelRatio = int(random.bounded(5, 20));
            set.fOverlap = vary(random, 0.1, 0.3);
            set.fCornerRadius = vary(random, 0.05, 0.2);
            set.fCornerAngle = vary(random, 20, 45);
            set.fBottomWidth = vary(random, 0.6, 1.0);
            set.fBottomFeed = vary(random, 0.6, 1.0);
            set.fJointSize = vary(random, 1.0, 2.0);
            set.fRaftSpeed = vary(random, 10, 25);
            set.nOffsetTimes = int(random.bounded(1, 4));
            set.fTolerance = vary(random, 0.01, 0.05);
            if (mat.AddOrReplaceSet(set, mat.m_szPwMD5) != 1) {
                std::fprintf(stderr, "benchmark: generated print set refused\n");
                std::exit(1);
            }
        }
    }
    return library;
}

bool writeLibrary(const QString &path, std::vector<CPrintMaterial> &library)
{
    MaterialFileWriter writer(path);
    if (!writer.Open())
        return false;
    for (CPrintMaterial &mat : library) {
        if (!writer.Write(mat))
            return false;
    }
    return writer.Commit();
}

bool DecodeAndParseLine(const std::string &line)
{
    const JsonArena::Scope arena; // the tree goes with it
    return cJSON_Parse(DecodeMaterialLine(line).c_str()) != nullptr;
}

double bestOf(int runs, const std::function<void()> &step)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        step();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}
