#include "PrintMaterial.h"

#include "PrinterCatalogue.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

bool PrintSetData::operator==(const PrintSetData &other) const
{
    return std::memcmp(this, &other, sizeof(PrintSetData)) == 0;
}

// Differences are taken in single precision and compared in double precision.
bool IsSameNozzle(float a, float b)
{
    return double(std::fabs(a - b)) < kNozzleTolerance;
}

bool IsSameLayer(float a, float b)
{
    return double(std::fabs(a - b)) < kLayerTolerance;
}

bool SameSetKey(const PrintSetData &a, const PrintSetData &b)
{
    return a.nPrinterType == b.nPrinterType && a.nQuality == b.nQuality &&
           IsSameNozzle(a.fNozzleDia, b.fNozzleDia) && IsSameLayer(a.fLayerThick, b.fLayerThick);
}

bool LessPrintSet(const PrintSetData &a, const PrintSetData &b)
{
    if (a.nPrinterType != b.nPrinterType)
        return a.nPrinterType < b.nPrinterType;
    if (double(a.fNozzleDia) < double(b.fNozzleDia) - kNozzleTolerance)
        return true;
    if (double(a.fNozzleDia) > double(b.fNozzleDia) + kNozzleTolerance)
        return false;
    if (double(a.fLayerThick) < double(b.fLayerThick) - kLayerTolerance)
        return true;
    if (double(a.fLayerThick) > double(b.fLayerThick) + kLayerTolerance)
        return false;
    return a.nQuality < b.nQuality;
}

int32_t ToInt32Saturated(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT32_MAX))
        return INT32_MAX;
    if (value <= double(INT32_MIN))
        return INT32_MIN;
    return int32_t(value);
}

float RoundLayerThick(float layer)
{
    const int32_t hundredths = ToInt32Saturated((double(layer) + 0.005) * 100.0);
    return float(hundredths) / 100.0f;
}

namespace {
// The nested match of a lookup: a negative nozzle, layer or quality ends the comparison.
bool MatchesPattern(const PrintSetData &s, int32_t type, int32_t quality, float nozzle, float layer)
{
    if (s.nPrinterType != type)
        return false;
    if (nozzle < 0)
        return true;
    if (!IsSameNozzle(s.fNozzleDia, nozzle))
        return false;
    if (layer < 0)
        return true;
    return IsSameLayer(s.fLayerThick, layer) && (quality < 0 || s.nQuality == quality);
}

constexpr size_t qMinSize(size_t a, size_t b)
{
    return a < b ? a : b;
}

void CopyText(char *field, size_t fieldSize, const char *text)
{
    // At most 32 bytes of text remain, whatever the field's size.
    std::memset(field, 0, fieldSize);
    if (text)
        std::memcpy(field, text, strnlen(text, qMinSize(fieldSize, 32)));
}
} // namespace

CPrintMaterial::CPrintMaterial() : m_itCurSet(m_lstSets.end())
{
    CopyText(m_szName, sizeof(m_szName), "Undefine");
    CopyText(m_szManu, sizeof(m_szManu), "KestRona");
    std::memset(m_szPwMD5, 0, sizeof(m_szPwMD5));
}

CPrintMaterial::CPrintMaterial(const CPrintMaterial &other) : m_itCurSet(m_lstSets.end())
{
    *this = other;
}

CPrintMaterial::CPrintMaterial(CPrintMaterial &&other) noexcept : m_itCurSet(m_lstSets.end())
{
    *this = std::move(other);
}

CPrintMaterial &CPrintMaterial::operator=(CPrintMaterial &&other) noexcept
{
    if (this == &other)
        return *this;
    std::list<PrintSetData> sets;
    sets.swap(other.m_lstSets);
    other.m_itCurSet = other.m_lstSets.end();
    *this = static_cast<const CPrintMaterial &>(other); // every field but the (now empty) list
    m_lstSets.swap(sets);
    m_itCurSet = m_lstSets.end();
    return *this;
}

CPrintMaterial &CPrintMaterial::operator=(const CPrintMaterial &other)
{
    if (this == &other)
        return *this;
    CopyFieldsFrom(other);
    m_lstSets = other.m_lstSets;
    m_itCurSet = m_lstSets.end();
    return *this;
}

void CPrintMaterial::CopyFieldsFrom(const CPrintMaterial &other)
{
    m_nMatID = other.m_nMatID;
    std::memcpy(m_szName, other.m_szName, sizeof(m_szName));
    std::memcpy(m_szManu, other.m_szManu, sizeof(m_szManu));
    m_nPrintTemp = other.m_nPrintTemp;
    m_nPrintTemp2 = other.m_nPrintTemp2;
    m_nPlatTemp = other.m_nPlatTemp;
    m_nPlatTemp2 = other.m_nPlatTemp2;
    std::copy(std::begin(other.m_fShrink), std::end(other.m_fShrink), m_fShrink);
    m_fDensity = other.m_fDensity;
    m_fFilaDia = other.m_fFilaDia;
    m_fDiaFactor = other.m_fDiaFactor;
    m_nB11 = other.m_nB11;
    m_fB12 = other.m_fB12;
    m_fB13 = other.m_fB13;
    m_fB14 = other.m_fB14;
    std::memcpy(m_szPwMD5, other.m_szPwMD5, sizeof(m_szPwMD5));
    m_nCreateDay = other.m_nCreateDay;
    m_bDefaultFallback = other.m_bDefaultFallback;
}

CPrintMaterial::~CPrintMaterial() = default;

bool CPrintMaterial::operator==(const CPrintMaterial &o) const
{
    auto sameFloat = [](float a, float b) { return std::memcmp(&a, &b, sizeof(float)) == 0; };
    return m_nMatID == o.m_nMatID && std::memcmp(m_szName, o.m_szName, sizeof(m_szName)) == 0 &&
           std::memcmp(m_szManu, o.m_szManu, sizeof(m_szManu)) == 0 && m_nPrintTemp == o.m_nPrintTemp &&
           m_nPrintTemp2 == o.m_nPrintTemp2 && m_nPlatTemp == o.m_nPlatTemp &&
           m_nPlatTemp2 == o.m_nPlatTemp2 && std::memcmp(m_fShrink, o.m_fShrink, sizeof(m_fShrink)) == 0 &&
           sameFloat(m_fDensity, o.m_fDensity) && sameFloat(m_fFilaDia, o.m_fFilaDia) &&
           sameFloat(m_fDiaFactor, o.m_fDiaFactor) && m_nB11 == o.m_nB11 && sameFloat(m_fB12, o.m_fB12) &&
           sameFloat(m_fB13, o.m_fB13) && sameFloat(m_fB14, o.m_fB14) &&
           std::memcmp(m_szPwMD5, o.m_szPwMD5, sizeof(m_szPwMD5)) == 0 && m_nCreateDay == o.m_nCreateDay &&
           m_lstSets == o.m_lstSets && m_bDefaultFallback == o.m_bDefaultFallback;
}

bool CPrintMaterial::SameStoredContent(const CPrintMaterial &other) const
{
    CPrintMaterial a(*this);
    CPrintMaterial b(other);
    a.m_nPrintTemp2 = b.m_nPrintTemp2 = 0;
    a.m_bDefaultFallback = b.m_bDefaultFallback = 0;
    return a == b;
}

void CPrintMaterial::SetNameAndManu(const char *name, const char *manu)
{
    CopyText(m_szName, sizeof(m_szName), name);
    CopyText(m_szManu, sizeof(m_szManu), manu);
}

bool CPrintMaterial::AcceptsLockText(const char *lockText) const
{
    if (m_szPwMD5[0] == '\0')
        return true;
    return lockText && std::strcmp(lockText, m_szPwMD5) == 0;
}

int CPrintMaterial::AddOrReplaceSet(const PrintSetData &set, const char *lockText)
{
    if (!AcceptsLockText(lockText))
        return -1;
    for (PrintSetData &existing : m_lstSets) {
        if (MatchesPattern(existing, set.nPrinterType, set.nQuality, set.fNozzleDia, set.fLayerThick)) {
            existing = set;
            return 0;
        }
    }
    if (!IsValidSet(set))
        return -2;
    m_lstSets.push_back(set);
    return 1;
}

SetValidity CPrintMaterial::CheckSet(const PrintSetData &set)
{
    const std::vector<double> nozzles = GetNozzleList(set.nPrinterType);
    const bool nozzleOffered = std::any_of(nozzles.begin(), nozzles.end(),
                                           [&](double d) { return IsSameNozzle(float(d), set.fNozzleDia); });
    if (!nozzleOffered)
        return SetValidity::NozzleNotOffered;
    const std::vector<double> layers = GetLayerThickList(set.nPrinterType, double(set.fNozzleDia));
    const bool layerOffered = std::any_of(layers.begin(), layers.end(),
                                          [&](double t) { return IsSameLayer(float(t), set.fLayerThick); });
    return layerOffered ? SetValidity::Valid : SetValidity::LayerNotOffered;
}

bool CPrintMaterial::IsValidSet(const PrintSetData &set)
{
    return CheckSet(set) == SetValidity::Valid;
}

std::vector<PrintSetData *> CPrintMaterial::ListSets(int32_t type, int32_t quality, float nozzle, float layer)
{
    std::vector<PrintSetData *> found;
    for (PrintSetData &s : m_lstSets) {
        if (MatchesPattern(s, type, quality, nozzle, layer))
            found.push_back(&s);
    }
    return found;
}

std::vector<const PrintSetData *> CPrintMaterial::ListSets(int32_t type, int32_t quality, float nozzle,
                                                           float layer) const
{
    std::vector<const PrintSetData *> found;
    for (const PrintSetData &s : m_lstSets) {
        if (MatchesPattern(s, type, quality, nozzle, layer))
            found.push_back(&s);
    }
    return found;
}

int CPrintMaterial::RemoveSets(int32_t type, int32_t quality, const char *lockText, float nozzle, float layer)
{
    if (!AcceptsLockText(lockText))
        return 0;
    int removed = 0;
    for (auto it = m_lstSets.begin(); it != m_lstSets.end();) {
        const bool match = it->nPrinterType == type && (nozzle < 0 || IsSameNozzle(it->fNozzleDia, nozzle)) &&
                           (layer < 0 || IsSameLayer(it->fLayerThick, layer)) &&
                           (quality < 0 || it->nQuality == quality);
        if (match) {
            it = m_lstSets.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    m_itCurSet = m_lstSets.end();
    return removed;
}

void CPrintMaterial::CollectPrinterTypes(std::set<int32_t> &out) const
{
    out.clear();
    for (const PrintSetData &s : m_lstSets)
        out.insert(s.nPrinterType);
}

int32_t CPrintMaterial::ResolvePrinterType(int32_t type) const
{
    const int32_t resolved = CanonicalPrinterType(type);
    if (!m_bDefaultFallback)
        return resolved;
    const bool hasOwn = std::any_of(m_lstSets.begin(), m_lstSets.end(),
                                    [resolved](const PrintSetData &s) { return s.nPrinterType == resolved; });
    return hasOwn ? resolved : -1;
}

void CPrintMaterial::SortSets()
{
    m_lstSets.sort(LessPrintSet); // std::list::sort is stable
}

void CPrintMaterial::ListNozzles(int32_t type, std::vector<float> &out)
{
    SortSets();
    const int32_t resolved = ResolvePrinterType(type);
    bool appended = false;
    for (const PrintSetData &s : m_lstSets) {
        if (s.nPrinterType < resolved)
            continue;
        if (s.nPrinterType > resolved)
            break;
        if (!appended || double(s.fNozzleDia - out.back()) > kNozzleTolerance) {
            out.push_back(s.fNozzleDia);
            appended = true;
        }
    }
}

void CPrintMaterial::ListLayerThicks(int32_t type, std::vector<float> &out, float nozzle)
{
    SortSets();
    const int32_t resolved = ResolvePrinterType(type);
    bool appended = false;
    for (const PrintSetData &s : m_lstSets) {
        if (s.nPrinterType < resolved)
            continue;
        if (s.nPrinterType > resolved)
            break;
        if (double(s.fNozzleDia) < double(nozzle) - kNozzleTolerance)
            continue;
        if (double(s.fNozzleDia) > double(nozzle) + kNozzleTolerance)
            break;
        if (!appended || double(s.fLayerThick - out.back()) > kLayerTolerance) {
            out.push_back(s.fLayerThick);
            appended = true;
        }
    }
}

void CPrintMaterial::ListQualities(int32_t type, std::set<int32_t> &out, float nozzle, float layer)
{
    SortSets();
    const int32_t resolved = ResolvePrinterType(type);
    for (const PrintSetData &s : m_lstSets) {
        if (s.nPrinterType < resolved)
            continue;
        if (s.nPrinterType > resolved)
            break;
        if (double(s.fNozzleDia) < double(nozzle) - kNozzleTolerance)
            continue;
        if (double(s.fNozzleDia) > double(nozzle) + kNozzleTolerance)
            break;
        if (double(s.fLayerThick) < double(layer) - kQualityLayerTolerance)
            continue;
        if (double(s.fLayerThick) > double(layer) + kQualityLayerTolerance)
            break;
        out.insert(s.nQuality);
    }
}

int CPrintMaterial::UpdateDerived()
{
    const float square = m_fFilaDia * m_fFilaDia;
    m_fDiaFactor = float(28.9 / double(square));
    m_nPlatTemp2 = m_nPlatTemp;
    m_nB11 = 100;
    m_nPrintTemp2 = m_nPrintTemp;
    for (m_itCurSet = m_lstSets.begin(); m_itCurSet != m_lstSets.end(); ++m_itCurSet) {
        PrintSetData &s = *m_itCurSet;
        s.fLayerThick = RoundLayerThick(s.fLayerThick);
        s.fP5 = s.fLayerThick * m_fDiaFactor * s.fWidth[0];
        s.fP17 = 150.0f;
        s.fP23 = float(double(s.fNozzleDia) * 0.5 + 0.05);
        s.fP24 = float(double(s.fNozzleDia) * 1.2 + 0.15);
        s.fP25 = s.fP23 * s.fP24 * 7.0f;
        for (float &acc : s.fAcc) {
            if (!(acc > kAccelerationFloor))
                acc = kAccelerationFloor;
        }
    }
    return 1;
}

FlatMaterial FlatMaterial::From(const CPrintMaterial &mat)
{
    FlatMaterial flat;
    flat.fields.CopyFieldsFrom(mat);
    flat.sets.assign(mat.m_lstSets.begin(), mat.m_lstSets.end());
    return flat;
}

CPrintMaterial FlatMaterial::ToRecord() const
{
    CPrintMaterial mat;
    mat.CopyFieldsFrom(fields);
    mat.m_lstSets.assign(sets.begin(), sets.end());
    return mat;
}
