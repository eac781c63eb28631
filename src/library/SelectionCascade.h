#pragma once

#include "LibraryStep.h"

#include <QString>

#include <vector>

// The selection: which material is current, whether it is open for changes, and how far the
// cascade of printer, nozzle, layer thickness and quality narrows its print sets, with the
// choices each menu offers and the keys a new print set may take. It keeps keys, never pointers
// into records: the selected sets are listed from the record whenever they are asked for.
// Whether the catalogue names the printer type with words of its own (no printer, an unknown
// one), which are translated where they are shown, unlike the model names.
bool PrinterNameIsWords(int32_t type);
// The printer's or quality's name in the current language.
QString ShownPrinterName(int32_t type);
QString ShownQualityName(int32_t quality);

class SelectionCascade
{
public:
    // The levels, shallowest first; each level's value narrows the one after it.
    enum class Level { Printer = 0, Nozzle = 1, Layer = 2, Quality = 3 };
    static constexpr int kLevels = 4;

    Selection Current() const { return m_selection; }
    int MaterialID() const { return m_selection.matID; }
    bool Locked() const { return m_locked; }
    void SetMaterial(int id, bool locked);
    void SetLocked(bool locked) { m_locked = locked; }
    int Printer() const { return m_selection.printer; }
    float Nozzle() const { return m_selection.nozzle; }
    float Layer() const { return m_selection.layer; }
    int Quality() const { return m_selection.quality; }
    // The level's value; a value below 0 (or kNoPrinter) chooses nothing there.
    void Choose(Level level, double value);
    // The deepest level with a value chosen (the printer when nothing is).
    Level Deepest() const;

    // The menus' choices for the record (null: none); each list follows the levels above it.
    void ListChoices(Level level, const CPrintMaterial *mat);
    const std::vector<int> &Printers() const { return m_printers; }
    const std::vector<float> &Nozzles() const { return m_nozzles; }
    const std::vector<float> &Layers() const { return m_layers; }
    const std::vector<int> &Qualities() const { return m_qualities; }

    // The print sets the selection holds in the record, listed now.
    std::vector<const PrintSetData *> Sets(const CPrintMaterial *mat) const;
    std::vector<PrintSetData *> Sets(CPrintMaterial &mat) const;

    // As the tool bar shows them, in the current language; "----" for a level not reached.
    QString PrinterText() const;
    QString NozzleText() const;
    QString LayerText() const;
    QString QualityText() const;

    // The keys a copy of the selected sets may take at the deepest level (those the material does
    // not have, of what the printer's catalogue offers), as the copy dialog lists them; remembered
    // for NewSetChoice.
    QString OfferNewSets(const CPrintMaterial *mat);
    // The level and value of an offered choice; false for an index that was not offered.
    bool NewSetChoice(int index, Level *level, double *value) const;
    // A set's key at the level takes the value.
    static void Assign(PrintSetData &set, Level level, double value);
    // The value as the history names it: a printer's or quality's name, a size in mm.
    static QString ValueText(Level level, double value);

private:
    Selection m_selection;
    bool m_locked = true;
    std::vector<int> m_printers;
    std::vector<float> m_nozzles;
    std::vector<float> m_layers;
    std::vector<int> m_qualities;
    Level m_offeredLevel = Level::Printer;
    std::vector<double> m_offered;
};
