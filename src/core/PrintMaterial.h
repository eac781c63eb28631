#pragma once

#include <cstdint>
#include <list>
#include <set>
#include <string>
#include <vector>

struct MaterialDecodeReport;

// One print set: slicing parameters for one printer type, nozzle, layer thickness and quality.
// Thirty-eight four-byte fields, copied as a whole; the first four are its key.
struct PrintSetData
{
    int32_t nPrinterType = -1;
    float fNozzleDia = 0.4f;
    float fLayerThick = 0.2f;
    int32_t nQuality = 0;
    float fP5 = 1.0f;
    float fWidth[3] = {0.5f, 0.5f, 0.5f};
    float fSpeed[3] = {30.0f, 40.0f, 50.0f};
    float fExtrude[3] = {1.0f, 1.0f, 1.0f};
    int32_t nBasicTemp = 210;
    int32_t nRaftTemp = 220;
    int32_t nPlatTemp = 50;
    int32_t nTempBias[3] = {0, 0, 0};
    int32_t nWithdraw = 20;
    int32_t nPeelRatio = 10;
    float fAcc[3] = {1000.0f, 1500.0f, 2000.0f};
    float fOverlap = 0.2f;
    float fP17 = 150.0f;
    float fCornerRadius = 0.1f;
    float fCornerAngle = 30.0f;
    float fBottomWidth = 0.8f;
    float fBottomFeed = 0.8f;
    float fJointSize = 1.5f;
    float fP23 = 0.25f;
    float fP24 = 0.6f;
    float fP25 = 1.2f;
    float fRaftSpeed = 15.0f;
    int32_t nOffsetTimes = 1;
    float fTolerance = 0.02f;

    // Field by field, bit for bit (so a NaN equals itself).
    bool operator==(const PrintSetData &other) const;
    bool operator!=(const PrintSetData &other) const { return !(*this == other); }
};
static_assert(sizeof(PrintSetData) == 38 * 4, "a print set is 38 four-byte fields");

// Save brings every acceleration up to at least this (mm/s²): the printers take nothing lower.
constexpr float kAccelerationFloor = 1000.0f;

// Key tolerances: nozzles are given to the hundredth of a millimetre and are one nozzle within
// this; layer thicknesses to the thousandth, and one layer within kLayerTolerance. The quality
// menu of a layer takes the layers within kQualityLayerTolerance, as the printers list them.
constexpr double kNozzleTolerance = 0.01;
constexpr double kLayerTolerance = 0.001;
constexpr double kQualityLayerTolerance = 0.01;
bool IsSameNozzle(float a, float b);
bool IsSameLayer(float a, float b);
// Whether two print sets have one key: printer, quality, and nozzle and layer within the tolerances.
bool SameSetKey(const PrintSetData &a, const PrintSetData &b);
// The order of print sets in a material: type, nozzle, layer (with tolerances), then quality.
bool LessPrintSet(const PrintSetData &a, const PrintSetData &b);

// Why the catalogue refuses a key, if it does; and, for a set read from a file, a negative quality,
// which would act as a wildcard.
enum class SetValidity { Valid, NozzleNotOffered, LayerNotOffered, QualityNegative };

// The record of one filament material: identity, basic information and its print sets.
class CPrintMaterial
{
public:
    CPrintMaterial();
    CPrintMaterial(const CPrintMaterial &other);
    CPrintMaterial &operator=(const CPrintMaterial &other);
    // Takes the other's print sets without copying them; the other keeps an empty list.
    CPrintMaterial(CPrintMaterial &&other) noexcept;
    CPrintMaterial &operator=(CPrintMaterial &&other) noexcept;
    virtual ~CPrintMaterial();

    // Every field of the other record but its print sets, which stay as they are.
    void CopyFieldsFrom(const CPrintMaterial &other);

    // Copies at most 32 bytes of each text; a null pointer leaves that field empty.
    void SetNameAndManu(const char *name, const char *manu);

    // -1 lock text refused, 0 a set with the same key was overwritten, 1 appended, -2 invalid key.
    // An empty stored lock text accepts any lock text, null included.
    int AddOrReplaceSet(const PrintSetData &set, const char *lockText);
    static bool IsValidSet(const PrintSetData &set);
    static SetValidity CheckSet(const PrintSetData &set);

    // Sets matching the pattern (a negative nozzle, layer or quality is a wildcard), in list
    // order. The pointers stay valid until the set is removed or the record destroyed.
    std::vector<PrintSetData *> ListSets(int32_t type, int32_t quality, float nozzle, float layer);
    std::vector<const PrintSetData *> ListSets(int32_t type, int32_t quality, float nozzle,
                                               float layer) const;
    // Number of sets removed; 0 also when the lock text is refused.
    int RemoveSets(int32_t type, int32_t quality, const char *lockText, float nozzle, float layer);

    void CollectPrinterTypes(std::set<int32_t> &out) const;
    // The three list operations sort the sets first and resolve the type (alias, then fallback).
    void ListNozzles(int32_t type, std::vector<float> &out);
    void ListLayerThicks(int32_t type, std::vector<float> &out, float nozzle);
    void ListQualities(int32_t type, std::set<int32_t> &out, float nozzle, float layer);
    int32_t ResolvePrinterType(int32_t type) const;
    void SortSets();

    // Brings the derived fields up to date; returns 1.
    int UpdateDerived();

    // Compact JSON text of the record, derived fields updated first; returns 0.
    int ToJson(std::string &out);
    // Fills a newly constructed record from one JSON text; 1 accepted, 0 refused. The report,
    // when given, says why a text was refused and which print sets were dropped.
    int FromJson(const char *text, MaterialDecodeReport *report = nullptr);
    // The same for a text of known length, followed by a NUL byte: nothing beyond the value is
    // measured, so texts that hold many values are decoded one after another in linear time.
    int FromJson(const char *text, size_t length, MaterialDecodeReport *report = nullptr);

    // Material ID from the clock, the name and the manufacturer; stored and returned.
    int32_t GenerateID();

    // Every stored field and every set; the cursor does not count.
    bool operator==(const CPrintMaterial &other) const;
    bool operator!=(const CPrintMaterial &other) const { return !(*this == other); }
    // Equal in every field that a material file carries (m_nPrintTemp2 and m_bDefaultFallback
    // are not written, so a record read back differs from the written one only there).
    bool SameStoredContent(const CPrintMaterial &other) const;

    int32_t m_nMatID = 0;
    char m_szName[34];
    char m_szManu[34];
    int32_t m_nPrintTemp = 210;
    int32_t m_nPrintTemp2 = 220;
    int32_t m_nPlatTemp = 50;
    int32_t m_nPlatTemp2 = 50;
    float m_fShrink[3] = {0.0f, 0.0f, 0.0f};
    float m_fDensity = 1.05f;
    float m_fFilaDia = 1.7f;
    float m_fDiaFactor = 1.0f;
    int32_t m_nB11 = 50;
    float m_fB12 = 0.0f;
    float m_fB13 = 0.0f;
    float m_fB14 = 0.0f;
    char m_szPwMD5[33];
    int32_t m_nCreateDay = 0;
    std::list<PrintSetData> m_lstSets;
    std::list<PrintSetData>::iterator m_itCurSet;
    int32_t m_bDefaultFallback = 1;

private:
    bool AcceptsLockText(const char *lockText) const;
};

// A record with its print sets in one block: compact, and copied several times faster than the
// record's own list, for copies that are only read (snapshots, references).
struct FlatMaterial
{
    CPrintMaterial fields; // every field but the print sets
    std::vector<PrintSetData> sets;

    static FlatMaterial From(const CPrintMaterial &mat);
    CPrintMaterial ToRecord() const;
};

// Truncates toward zero into the int32 range; NaN gives 0.
int32_t ToInt32Saturated(double value);
// A layer thickness as files hold it: rounded to two decimals (0.005 added, then truncated).
float RoundLayerThick(float layer);
