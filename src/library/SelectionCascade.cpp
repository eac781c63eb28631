#include "SelectionCascade.h"

#include "base/TLanguage.h"
#include "core/PrinterCatalogue.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {
// The record's sets in key order, as the menus list them; the record itself keeps its order.
std::vector<const PrintSetData *> sortedSets(const CPrintMaterial &mat)
{
    std::vector<const PrintSetData *> sets;
    for (const PrintSetData &set : mat.m_lstSets)
        sets.push_back(&set);
    std::stable_sort(sets.begin(), sets.end(),
                     [](const PrintSetData *a, const PrintSetData *b) { return LessPrintSet(*a, *b); });
    return sets;
}

// The distinct nozzles of the printer's sets, the layers of a nozzle, or the qualities of a layer,
// in order: each level narrows the sets by the values above it.
void listNozzles(const CPrintMaterial &mat, int32_t type, std::vector<float> &out)
{
    const int32_t resolved = mat.ResolvePrinterType(type);
    for (const PrintSetData *s : sortedSets(mat)) {
        if (s->nPrinterType == resolved &&
            (out.empty() || double(s->fNozzleDia - out.back()) > kNozzleTolerance))
            out.push_back(s->fNozzleDia);
    }
}

void listLayers(const CPrintMaterial &mat, int32_t type, float nozzle, std::vector<float> &out)
{
    const int32_t resolved = mat.ResolvePrinterType(type);
    for (const PrintSetData *s : sortedSets(mat)) {
        if (s->nPrinterType == resolved &&
            std::fabs(double(s->fNozzleDia) - double(nozzle)) <= kNozzleTolerance &&
            (out.empty() || double(s->fLayerThick - out.back()) > kLayerTolerance))
            out.push_back(s->fLayerThick);
    }
}

void listQualities(const CPrintMaterial &mat, int32_t type, float nozzle, float layer, std::set<int32_t> &out)
{
    const int32_t resolved = mat.ResolvePrinterType(type);
    for (const PrintSetData &s : mat.m_lstSets) {
        if (s.nPrinterType == resolved &&
            std::fabs(double(s.fNozzleDia) - double(nozzle)) <= kNozzleTolerance &&
            std::fabs(double(s.fLayerThick) - double(layer)) <= kQualityLayerTolerance)
            out.insert(s.nQuality);
    }
}

bool offeredAlready(const std::vector<float> &used, double value, bool (*same)(float, float))
{
    return std::any_of(used.begin(), used.end(), [&](float u) { return same(u, float(value)); });
}
} // namespace

void SelectionCascade::SetMaterial(int id, bool locked)
{
    m_selection.matID = id;
    m_locked = locked;
}

void SelectionCascade::Choose(Level level, double value)
{
    switch (level) {
    case Level::Printer:
        m_selection.printer = int(value);
        break;
    case Level::Nozzle:
        m_selection.nozzle = float(value);
        break;
    case Level::Layer:
        m_selection.layer = float(value);
        break;
    case Level::Quality:
        m_selection.quality = int(value);
        break;
    }
}

SelectionCascade::Level SelectionCascade::Deepest() const
{
    if (m_selection.quality >= 0)
        return Level::Quality;
    if (m_selection.layer > 0)
        return Level::Layer;
    if (m_selection.nozzle > 0)
        return Level::Nozzle;
    return Level::Printer;
}

void SelectionCascade::ListChoices(Level level, const CPrintMaterial *mat)
{
    const Selection &s = m_selection;
    switch (level) {
    case Level::Printer: {
        m_printers.clear();
        std::set<int32_t> types;
        if (mat)
            mat->CollectPrinterTypes(types);
        m_printers.assign(types.begin(), types.end());
        break;
    }
    case Level::Nozzle:
        m_nozzles.clear();
        if (mat)
            listNozzles(*mat, s.printer, m_nozzles);
        break;
    case Level::Layer:
        m_layers.clear();
        if (mat)
            listLayers(*mat, s.printer, s.nozzle, m_layers);
        break;
    case Level::Quality: {
        m_qualities.clear();
        std::set<int32_t> qualities;
        if (mat)
            listQualities(*mat, s.printer, s.nozzle, s.layer, qualities);
        m_qualities.assign(qualities.begin(), qualities.end());
        break;
    }
    }
}

std::vector<const PrintSetData *> SelectionCascade::Sets(const CPrintMaterial *mat) const
{
    if (!mat || m_selection.printer == Selection::kNoPrinter)
        return {};
    return mat->ListSets(m_selection.printer, m_selection.quality, m_selection.nozzle, m_selection.layer);
}

std::vector<PrintSetData *> SelectionCascade::Sets(CPrintMaterial &mat) const
{
    if (m_selection.printer == Selection::kNoPrinter)
        return {};
    return mat.ListSets(m_selection.printer, m_selection.quality, m_selection.nozzle, m_selection.layer);
}

bool PrinterNameIsWords(int32_t type)
{
    const std::string name = GetPrinterName(type);
    return name == GetPrinterName(-1) || name == GetPrinterName(INT32_MIN);
}

QString ShownPrinterName(int32_t type)
{
    const std::string name = GetPrinterName(type);
    return PrinterNameIsWords(type) ? LangTr(name.c_str()) : QString::fromStdString(name);
}

QString ShownQualityName(int32_t quality)
{
    return LangTr(GetQualityName(quality).c_str());
}

QString SelectionCascade::PrinterText() const
{
    if (m_selection.printer == Selection::kNoPrinter)
        return LangTr("-3D Printer-");
    return ShownPrinterName(m_selection.printer);
}

QString SelectionCascade::NozzleText() const
{
    if (m_selection.printer == Selection::kNoPrinter)
        return QStringLiteral("----");
    if (m_selection.nozzle < 0)
        return LangTr("-Nozzle-");
    return LangTr("Dia: %1 ").arg(double(m_selection.nozzle), 0, 'f', 2);
}

QString SelectionCascade::LayerText() const
{
    if (m_selection.nozzle < 0)
        return QStringLiteral("----");
    if (m_selection.layer < 0)
        return LangTr("-Layer Thick-");
    return LangTr("Layer: %1 ").arg(double(m_selection.layer), 0, 'f', 2);
}

QString SelectionCascade::QualityText() const
{
    if (m_selection.layer < 0)
        return QStringLiteral("----");
    if (m_selection.quality < 0)
        return LangTr("-Quality-");
    return ShownQualityName(m_selection.quality);
}

QString SelectionCascade::OfferNewSets(const CPrintMaterial *mat)
{
    m_offeredLevel = Deepest();
    m_offered.clear();
    if (!mat)
        return QString();
    const Selection &s = m_selection;
    QString text;
    switch (m_offeredLevel) {
    case Level::Printer: {
        std::set<int32_t> used;
        mat->CollectPrinterTypes(used);
        for (const int32_t type : GetPrinterTypeList()) {
            if (!used.count(type)) {
                m_offered.push_back(type);
                text += ShownPrinterName(type) + QLatin1Char('|');
            }
        }
        break;
    }
    case Level::Nozzle: {
        std::vector<float> used;
        listNozzles(*mat, s.printer, used);
        for (const double d : GetNozzleList(s.printer)) {
            if (!offeredAlready(used, d, IsSameNozzle)) {
                m_offered.push_back(d);
                text += LangTr("Dia: %1mm").arg(d, 0, 'f', 2) + QLatin1Char('|');
            }
        }
        break;
    }
    case Level::Layer: {
        std::vector<float> used;
        listLayers(*mat, s.printer, s.nozzle, used);
        for (const double t : GetLayerThickList(s.printer, double(s.nozzle))) {
            if (!offeredAlready(used, t, IsSameLayer)) {
                m_offered.push_back(t);
                text += LangTr("Layer: %1mm").arg(t, 0, 'f', 2) + QLatin1Char('|');
            }
        }
        break;
    }
    case Level::Quality: {
        std::set<int32_t> used;
        listQualities(*mat, s.printer, s.nozzle, s.layer, used);
        for (const int32_t q : GetQualityList()) {
            if (!used.count(q)) {
                m_offered.push_back(q);
                text += ShownQualityName(q) + QLatin1Char('|');
            }
        }
        break;
    }
    }
    if (!text.isEmpty())
        text[text.size() - 1] = QLatin1Char(' ');
    return text;
}

bool SelectionCascade::NewSetChoice(int index, Level *level, double *value) const
{
    // Only a choice of the level offered last, and only while that is still the deepest one.
    if (index < 0 || size_t(index) >= m_offered.size() || m_offeredLevel != Deepest())
        return false;
    *level = m_offeredLevel;
    *value = m_offered[size_t(index)];
    return true;
}

void SelectionCascade::Assign(PrintSetData &set, Level level, double value)
{
    switch (level) {
    case Level::Printer:
        set.nPrinterType = int32_t(value);
        break;
    case Level::Nozzle:
        set.fNozzleDia = float(value);
        break;
    case Level::Layer:
        set.fLayerThick = float(value);
        break;
    case Level::Quality:
        set.nQuality = int32_t(value);
        break;
    }
}

QString SelectionCascade::ValueText(Level level, double value)
{
    switch (level) {
    case Level::Printer:
        return QString::fromStdString(GetPrinterName(int32_t(value)));
    case Level::Quality:
        return QString::fromStdString(GetQualityName(int32_t(value)));
    case Level::Nozzle:
    case Level::Layer:
        break;
    }
    return QStringLiteral("%1 mm").arg(value, 0, 'f', 2);
}
