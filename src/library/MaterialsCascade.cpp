// The selection cascade (material, printer, nozzle, layer, quality) and the print-set copy and
// removal that work on the current selection.

#include "Materials.h"

#include "base/Log.h"
#include "base/TLanguage.h"
#include "core/PrinterCatalogue.h"

#include <algorithm>
#include <cmath>
#include <set>

void Materials::SetCurMaterial(int nID, bool stayUnlocked)
{
    m_bMatLocked = true;
    const int first = m_Materials.empty() ? -1 : m_Materials.front()->mat.m_nMatID;
    int id = first;
    if (const MaterialEntry *entry = FindEntry(nID)) {
        m_bMatLocked = entry->mat.m_szPwMD5[0] != '\0' && !stayUnlocked;
        id = nID;
    }
    m_nCurMatID = id;
    // The old sets may belong to a record that was replaced or removed; the cascade rebuilds them.
    m_CurSets.clear();
    LoadBasicInfo();
    emit curMaterialChanged(curMaterial());
    emit curMatIDChanged(m_nCurMatID); // the scene shows the ID of the material that is current
    emit matChanged();
    emit bMatLockedChanged(bMatLocked());
}

void Materials::ReselectCurrent()
{
    selectMaterial(m_nCurMatID);
}

void Materials::selectMaterial(int nID)
{
    SetCurMaterial(nID);
    UpdatePrinterTypes();
    selectPrinter(-1000);
    emit printerChanged();
}

void Materials::UpdatePrinterTypes()
{
    m_PrinterTypes.clear();
    if (const CPrintMaterial *mat = CurrentRecord()) {
        std::set<int32_t> types;
        mat->CollectPrinterTypes(types);
        m_PrinterTypes.assign(types.begin(), types.end());
    }
}

void Materials::UpdateNozzles()
{
    m_NozzleDias.clear();
    if (CPrintMaterial *mat = CurrentRecord())
        mat->ListNozzles(m_nCurPrinter, m_NozzleDias);
}

void Materials::UpdateLayerThicks()
{
    m_LayerThicks.clear();
    if (CPrintMaterial *mat = CurrentRecord())
        mat->ListLayerThicks(m_nCurPrinter, m_LayerThicks, m_fCurNozzle);
}

void Materials::UpdateQualities()
{
    m_Qualities.clear();
    if (CPrintMaterial *mat = CurrentRecord()) {
        std::set<int32_t> qualities;
        mat->ListQualities(m_nCurPrinter, qualities, m_fCurNozzle, m_fCurLayerThick);
        m_Qualities.assign(qualities.begin(), qualities.end());
    }
}

void Materials::selectPrinter(int typeID)
{
    m_nCurPrinter = typeID;
    emit curPrinterChanged(curPrinter());
    UpdateNozzles();
    selectNozzle(-1);
    emit nozzleChanged();
}

void Materials::selectNozzle(float nozzleDia)
{
    m_fCurNozzle = nozzleDia;
    emit curNozzleChanged(curNozzle());
    UpdateLayerThicks();
    selectLayerThick(-1);
    emit layerThickChanged();
}

void Materials::selectLayerThick(float layerThick)
{
    m_fCurLayerThick = layerThick;
    emit curLayerThickChanged(curLayerThick());
    UpdateQualities();
    selectQuality(-1);
    emit qualityChanged();
}

void Materials::selectQuality(int quality)
{
    m_nCurQuality = quality;
    emit curQualityChanged(curQuality());
    if (CPrintMaterial *mat = CurrentRecord())
        m_CurSets = mat->ListSets(m_nCurPrinter, m_nCurQuality, m_fCurNozzle, m_fCurLayerThick);
    else
        m_CurSets.clear();
    LoadPrintParams();
    emit matChanged();
    OutputCurrentSelects();
}

void Materials::LoadBasicInfo()
{
    LoadBasicRows(m_items, CurrentRecord(), m_bMatLocked);
    ComputeVendorMarks();
}

void Materials::LoadPrintParams()
{
    LoadPrintRows(m_items, m_CurSets, m_bMatLocked);
    ComputeVendorMarks();
}

QVariantMap Materials::valueSpread(int nID) const
{
    QVariantMap spread{{QStringLiteral("count"), 0}};
    const CPrintMaterial *mat = currentMaterial();
    if (!mat || !IsBoundParam(nID))
        return spread;
    double low = 0.0;
    double high = 0.0;
    int count = 0;
    if (nID <= kLastBasicParam) {
        low = high = ShownBasicValue(*mat, nID);
        count = 1;
    }
    for (const PrintSetData *set : nID > kLastBasicParam ? m_CurSets : std::vector<PrintSetData *>()) {
        const double v = ShownPrintValue(*set, nID);
        low = count ? std::min(low, v) : v;
        high = count ? std::max(high, v) : v;
        ++count;
    }
    if (count) {
        spread.insert(QStringLiteral("min"), RoundShownValue(low));
        spread.insert(QStringLiteral("max"), RoundShownValue(high));
    }
    spread.insert(QStringLiteral("count"), count);
    return spread;
}

Materials::Level Materials::SelectionLevel() const
{
    if (m_nCurQuality >= 0)
        return Level::Quality;
    if (m_fCurLayerThick > 0)
        return Level::Layer;
    if (m_fCurNozzle > 0)
        return Level::Nozzle;
    return Level::Printer;
}

std::vector<int> Materials::NewSetPrinterTypes()
{
    std::vector<int> unused;
    const CPrintMaterial *mat = CurrentRecord();
    if (!mat)
        return unused;
    std::set<int32_t> used;
    mat->CollectPrinterTypes(used);
    for (const int32_t type : GetPrinterTypeList()) {
        if (!used.count(type))
            unused.push_back(type);
    }
    return unused;
}

std::vector<double> Materials::NewSetNozzles()
{
    std::vector<double> unused;
    CPrintMaterial *mat = CurrentRecord();
    if (!mat)
        return unused;
    std::vector<float> used;
    mat->ListNozzles(m_nCurPrinter, used);
    for (const double d : GetNozzleList(m_nCurPrinter)) {
        if (std::none_of(used.begin(), used.end(), [d](float u) { return IsSameNozzle(u, float(d)); }))
            unused.push_back(d);
    }
    return unused;
}

std::vector<double> Materials::NewSetLayerThicks()
{
    std::vector<double> unused;
    CPrintMaterial *mat = CurrentRecord();
    if (!mat)
        return unused;
    std::vector<float> used;
    mat->ListLayerThicks(m_nCurPrinter, used, m_fCurNozzle);
    for (const double t : GetLayerThickList(m_nCurPrinter, double(m_fCurNozzle))) {
        if (std::none_of(used.begin(), used.end(), [t](float u) { return IsSameLayer(u, float(t)); }))
            unused.push_back(t);
    }
    return unused;
}

std::vector<int> Materials::NewSetQualities()
{
    std::vector<int> unused;
    CPrintMaterial *mat = CurrentRecord();
    if (!mat)
        return unused;
    std::set<int32_t> used;
    mat->ListQualities(m_nCurPrinter, used, m_fCurNozzle, m_fCurLayerThick);
    for (const int32_t q : GetQualityList()) {
        if (!used.count(q))
            unused.push_back(q);
    }
    return unused;
}

QString Materials::availNewSet()
{
    QString text;
    switch (SelectionLevel()) {
    case Level::Printer:
        m_UnusedPrinterType = NewSetPrinterTypes();
        for (const int type : m_UnusedPrinterType)
            text += QString::fromStdString(GetPrinterName(type)) + QLatin1Char('|');
        break;
    case Level::Nozzle:
        m_UnusedNozzle = NewSetNozzles();
        for (const double d : m_UnusedNozzle)
            text += QStringLiteral("Dia: %1mm|").arg(d, 0, 'f', 2);
        break;
    case Level::Layer:
        m_UnusedLayerThick = NewSetLayerThicks();
        for (const double t : m_UnusedLayerThick)
            text += QStringLiteral("Layer: %1mm|").arg(t, 0, 'f', 2);
        break;
    case Level::Quality:
        m_UnusedQuality = NewSetQualities();
        for (const int q : m_UnusedQuality)
            text += LangTrans::Instance()->Translate(QString::fromStdString(GetQualityName(q))) + QLatin1Char('|');
        break;
    }
    if (!text.isEmpty())
        text[text.size() - 1] = QLatin1Char(' ');
    return text;
}

int Materials::copyCurSets(int index)
{
    m_lastCopy.clear();
    CPrintMaterial *mat = CurrentRecord();
    if (index < 0 || !mat || m_bMatLocked)
        return 0;
    const Level level = SelectionLevel();
    size_t choices = 0;
    switch (level) {
    case Level::Quality:
        choices = m_UnusedQuality.size();
        break;
    case Level::Layer:
        choices = m_UnusedLayerThick.size();
        break;
    case Level::Nozzle:
        choices = m_UnusedNozzle.size();
        break;
    case Level::Printer:
        choices = m_UnusedPrinterType.size();
        break;
    }
    // The scene passes an index of the choices it has just read; anything else changes nothing.
    if (size_t(index) >= choices) {
        CVLOG << "Index " << index << " is outside the " << choices << " choices for a new print set";
        return 0;
    }
    const size_t i = size_t(index);
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const Selection selection = CurrentSelection();
    QString target;
    unsigned translated = 0;
    switch (level) {
    case Level::Quality:
        target = QString::fromStdString(GetQualityName(m_UnusedQuality[i]));
        translated = 2u;
        break;
    case Level::Layer:
        target = QStringLiteral("%1 mm").arg(m_UnusedLayerThick[i], 0, 'f', 2);
        break;
    case Level::Nozzle:
        target = QStringLiteral("%1 mm").arg(m_UnusedNozzle[i], 0, 'f', 2);
        break;
    case Level::Printer:
        target = QString::fromStdString(GetPrinterName(m_UnusedPrinterType[i]));
        break;
    }

    std::vector<PrintSetData> copies;
    copies.reserve(m_CurSets.size());
    for (const PrintSetData *set : m_CurSets)
        copies.push_back(*set);
    int added = 0;
    QStringList refused; // what the printer's catalogue does not offer, each with its reason
    for (PrintSetData &copy : copies) {
        switch (level) {
        case Level::Quality:
            copy.nQuality = m_UnusedQuality[i];
            break;
        case Level::Layer:
            copy.fLayerThick = float(m_UnusedLayerThick[i]);
            break;
        case Level::Nozzle:
            copy.fNozzleDia = float(m_UnusedNozzle[i]);
            break;
        case Level::Printer:
            copy.nPrinterType = m_UnusedPrinterType[i];
            break;
        }
        const SetValidity validity = CPrintMaterial::CheckSet(copy);
        if (validity != SetValidity::Valid) {
            refused << (validity == SetValidity::LayerNotOffered
                            ? LangTr("layer %1 mm: not offered for nozzle %2 mm of %3")
                                  .arg(QString::number(double(copy.fLayerThick), 'f', 2),
                                       QString::number(double(copy.fNozzleDia), 'f', 2),
                                       QString::fromStdString(GetPrinterName(copy.nPrinterType)))
                            : LangTr("nozzle %1 mm: not offered for %2")
                                  .arg(QString::number(double(copy.fNozzleDia), 'f', 2),
                                       QString::fromStdString(GetPrinterName(copy.nPrinterType))));
            continue;
        }
        if (mat->AddOrReplaceSet(copy, mat->m_szPwMD5) == 1)
            ++added;
    }
    refused.removeDuplicates();
    m_lastCopy = {{QStringLiteral("added"), added},
                  {QStringLiteral("target"), translated ? LangTrans::Instance()->Translate(target) : target},
                  {QStringLiteral("refused"), refused},
                  {QStringLiteral("refusedSets"), int(copies.size()) - added}};
    CVLOG << "Copy " << copies.size() << " print sets to " << target << ": " << added << " made";
    StepText text{"copy %1 print sets to %2", {QString::number(added), target}, translated};

    switch (level) {
    case Level::Quality:
        UpdateQualities();
        emit qualityChanged();
        selectQuality(m_UnusedQuality[i]);
        break;
    case Level::Layer:
        UpdateLayerThicks();
        emit layerThickChanged();
        selectLayerThick(float(m_UnusedLayerThick[i]));
        break;
    case Level::Nozzle:
        UpdateNozzles();
        emit nozzleChanged();
        selectNozzle(float(m_UnusedNozzle[i]));
        break;
    case Level::Printer:
        UpdatePrinterTypes();
        emit printerChanged();
        selectPrinter(m_UnusedPrinterType[i]);
        break;
    }
    RecordEdit(size_t(position), std::move(*before), selection, StepPage::Params, std::move(text));
    return added;
}

int Materials::removeCurSets()
{
    CPrintMaterial *mat = CurrentRecord();
    if (!mat || m_bMatLocked)
        return 0;
    long position = -1;
    std::optional<MaterialEntry> before = CurrentEntryCopy(&position);
    const Selection selection = CurrentSelection();
    const int removed = mat->RemoveSets(m_nCurPrinter, m_nCurQuality, mat->m_szPwMD5, m_fCurNozzle, m_fCurLayerThick);
    CVLOG << "Remove " << removed << " print sets";
    if (removed < 1)
        return removed;
    m_CurSets.clear();
    // What was selected, in numbers and the quality's name.
    QString path = QString::fromStdString(GetPrinterName(selection.printer));
    for (const float size : {selection.nozzle, selection.layer}) {
        if (size >= 0)
            path += QStringLiteral(" %1 mm").arg(double(size), 0, 'f', 2);
    }
    StepText text{"remove %1 print sets of %2", {QString::number(removed), path}};
    if (selection.quality >= 0) {
        text.format = "remove %1 print sets of %2, %3";
        text.args << QString::fromStdString(GetQualityName(selection.quality));
        text.translatedArgs = 4u;
    }
    if (m_fCurNozzle >= 0 && m_fCurLayerThick >= 0 && m_nCurQuality >= 0) {
        UpdateQualities();
        emit qualityChanged();
        selectQuality(-1);
    } else if (m_fCurNozzle >= 0 && m_fCurLayerThick >= 0) {
        UpdateLayerThicks();
        emit layerThickChanged();
        selectLayerThick(-1);
    } else if (m_fCurNozzle >= 0) {
        UpdateNozzles();
        emit nozzleChanged();
        selectNozzle(-1);
    } else {
        UpdatePrinterTypes();
        emit printerChanged();
        selectPrinter(-1000);
    }
    RecordEdit(size_t(position), std::move(*before), selection, StepPage::Params, std::move(text));
    return removed;
}
