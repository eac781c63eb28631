#pragma once

#include "BulkChange.h"
#include "LibraryFiles.h"
#include "LibraryHistory.h"
#include "LibraryLoader.h"
#include "MaterialComparison.h"
#include "MaterialLibrary.h"
#include "SelectionCascade.h"
#include "VendorReference.h"
#include "core/ParamItem.h"
#include "core/PrintMaterial.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

// One row of the material list.
struct MaterialItem
{
    QString name;
    QString manu;
    bool bCur = false;
    int matID = 0;
};

// The library: every material, the current selection (material, printer, nozzle, layer,
// quality), the parameter rows of the pages and the lists of the selection menus. The scene
// reaches it as the context property "materials"; every operation changes the library first and
// then emits its change signals in a fixed order, on which the models reset. It is the scene's one
// interface over the parts it owns: the materials (MaterialLibrary), the selection
// (SelectionCascade), the vendor reference (VendorReference), the history with its recovery copy
// (LibraryHistory) and the files (LibraryFiles). Every change of the materials goes through Edit.
class Materials : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString curMaterial READ curMaterial NOTIFY curMaterialChanged)
    Q_PROPERTY(QString curMatName READ curMatName NOTIFY curMaterialChanged)
    Q_PROPERTY(QString curManu READ curManu NOTIFY curMaterialChanged)
    Q_PROPERTY(QString curPrinter READ curPrinter NOTIFY curPrinterChanged)
    Q_PROPERTY(QString curNozzle READ curNozzle NOTIFY curNozzleChanged)
    Q_PROPERTY(QString curLayerThick READ curLayerThick NOTIFY curLayerThickChanged)
    Q_PROPERTY(QString curQuality READ curQuality NOTIFY curQualityChanged)
    Q_PROPERTY(int curSetNumber READ curSetNumber NOTIFY matChanged)
    Q_PROPERTY(int bMatLocked READ bMatLocked NOTIFY bMatLockedChanged)
    Q_PROPERTY(QString availNewSet READ availNewSet)
    Q_PROPERTY(int curMatID READ curMatID WRITE modifyMatID NOTIFY curMatIDChanged)
    Q_PROPERTY(int curLanguage READ curLanguage WRITE setCurLanguage NOTIFY languageChanged)
    // Whether the current material has a password (locked or not).
    Q_PROPERTY(bool hasPassword READ hasPassword NOTIFY bMatLockedChanged)
    // Whether the library holds changes that the user library does not have yet.
    Q_PROPERTY(bool modified READ isModified NOTIFY modifiedChanged)
    // Why this editor must not write the user library (another editor holds it); empty when it may.
    Q_PROPERTY(QString readOnlyReason READ readOnlyReason CONSTANT)
    // The history of changes: what undo and redo would do, in the current language.
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY historyChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY historyChanged)
    Q_PROPERTY(QString undoText READ undoText NOTIFY historyChanged)
    Q_PROPERTY(QString redoText READ redoText NOTIFY historyChanged)
    // The current material's print sets by printer and nozzle, for the start page's map:
    // {nozzles: [diameter], printers: [{type, name, counts: [sets per nozzle], changed: [bool]}]}.
    Q_PROPERTY(QVariantMap setMap READ setMap NOTIFY matChanged)
    // Why the user library was not read completely at its last reading (empty when it was, and
    // after a save that replaced it): a save then replaces content the library does not hold.
    Q_PROPERTY(QString userLibraryReadError READ userLibraryReadError NOTIFY userLibraryReadErrorChanged)
    // The current material's link to the one it was copied from, in words for the start page
    // ("Copied from PETG (KestRona)"); empty when it has none.
    Q_PROPERTY(QString parentNote READ parentNote NOTIFY matChanged)
    // The material the current one's values are measured by when that is not a vendor material
    // ("PETG (KestRona)"); empty when they are measured by the vendor's, or by nothing.
    Q_PROPERTY(QString referenceName READ referenceName NOTIFY matChanged)
    // Whether the current material may be linked to another (it has no vendor counterpart).
    Q_PROPERTY(bool parentLinkable READ parentLinkable NOTIFY matChanged)
    // While the start-up's loads are not complete (startLoading): changes, Save, exports and
    // imports wait. How far the reading is (0 to 1) and how many materials the list has so far.
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(double loadProgress READ loadProgress NOTIFY loadProgressChanged)
    Q_PROPERTY(int loadedCount READ materialCount NOTIFY loadProgressChanged)

public:
    explicit Materials(QObject *parent = nullptr);
    ~Materials() override;

    QString curMaterial() const;
    QString curMatName() const;
    QString curManu() const;
    QString curPrinter() const;
    QString curNozzle() const;
    QString curLayerThick() const;
    QString curQuality() const;
    int curSetNumber() const { return int(CurrentSets().size()); }
    int bMatLocked() const { return m_cascade.Locked() ? 1 : 0; }
    bool hasPassword() const { return currentMaterial() && currentMaterial()->m_szPwMD5[0] != '\0'; }
    QString availNewSet();
    int curMatID() const { return m_cascade.MaterialID(); }
    void modifyMatID(int nID);
    int curLanguage() const { return m_nLanguage; }
    void setCurLanguage(int idx);

    // For the parameter models: the rows, index equal to parameter ID.
    QVector<ParamItem> *items() { return &m_items; }
    // For the material list: all rows, or one row without building the others.
    QVector<MaterialItem> materialItems() const;
    Q_INVOKABLE int materialCount() const { return int(m_library.Size()); }
    // How many materials the last save or export wrote.
    Q_INVOKABLE int lastWrittenCount() const { return m_files->LastWritten(); }
    MaterialItem materialItem(int row) const;
    // Read-only access to the library, in list order.
    const CPrintMaterial *materialAt(int row) const;
    // The current material, or null.
    const CPrintMaterial *currentMaterial() const;

    void OutputCurrentSelects();
    bool IsHaveSameID();

    // Loads the vendor library and then the user library as importVendorMaterials and
    // importUserMaterials do, read on another thread and taken in piece by piece, so that the
    // window shows at once and the list fills, a piece every pieceMs milliseconds of reading (short
    // enough that the list visibly grows, long enough that taking pieces in costs the window's
    // thread little); loadingChanged(false) once all is there.
    void startLoading(int pieceMs = 100);
    bool loading() const { return m_files->Loading(); }
    double loadProgress() const;

signals:
    void preItemAppended();
    void postItemAppended();
    void preItemRemoved(int nIndex);
    void postItemRemoved();
    void matChanged();
    void basicInfoChanged();
    void printSetsChanged();
    void printerChanged();
    void nozzleChanged();
    void layerThickChanged();
    void qualityChanged();
    void curMaterialChanged(QString mat);
    void curPrinterChanged(QString mat);
    void curNozzleChanged(QString mat);
    void curLayerThickChanged(QString mat);
    void curQualityChanged(QString mat);
    void addSetPromptChanged(QString mat);
    void removeSetPromptChanged(QString mat);
    void bMatLockedChanged(int block);
    void curMatIDChanged(int nID);
    void modifiedChanged(bool modified);
    void historyChanged();
    // The language changed: every text shown is to be read again.
    void languageChanged();
    // An undo or redo was applied and its selection restored; the scene shows the step's page.
    void historyApplied(int page);
    // An undo or redo was refused, and why (a locked material), for a message.
    void historyRefused(QString reason);
    void userLibraryReadErrorChanged(QString reason);
    // The recovery copy could not be written (once until one is written again): a crash now
    // would lose the unsaved changes.
    void recoveryWriteFailed(QString reason);
    void loadingChanged(bool loading);
    void loadProgressChanged();
    // Materials were added to the list by a load in progress.
    void materialsArrived();
    // The selection restoreSelection asked for while its material was still loading is made now.
    void selectionRestored();

public slots:
    void appendItem();
    void removeCompletedItems();
    // Merges the materials of a file (a path or a local-file URL) into the library. An import is
    // one step of the history; the start-up loads are not steps.
    void importMaterials(QString fileName, bool bVendor, bool asStep = true);
    // Writes the library to the file, all at once; false (with a log line) when it could not be
    // written, in which case an existing file is left as it was.
    bool exportMaterials(QString fileName, bool bNoVendor);
    void checkVendorMaterials();
    void importVendorMaterials();
    void importUserMaterials();
    bool exportUserMaterials();
    bool isFileExist(QString path);
    void selectMaterial(int nID);
    void addCopyMaterial(int nID);
    void removeMaterial(int nID);
    void selectPrinter(int typeID);
    void selectNozzle(float nozzleDia);
    void selectLayerThick(float layerThick);
    void selectQuality(int quality);
    void setParameter(int nID, double value);
    // Changes the row's value in every current print set by an amount, or by a percentage of its
    // own value, each clamped to the row's range and stored as the field stores it; one step.
    void changeParameterBy(int nID, double amount, bool percent);
    int setMatNameAndManu(QString name, QString manu, QString pwMD5);
    // Opens the current material for changes once its password is proved (any digest for one
    // without a password): 0, -1 without a current material, -2 for a wrong password. No step.
    int unlockMaterial(QString pwMD5);
    // Changes the current material's password, or removes it (an empty new digest), once the old
    // one is proved: 0, -1 without a current material or password, -2 for a wrong old password.
    int changePassword(QString oldMD5, QString newMD5);
    // Selects the material and as much of the cascade as it still has (the last session's).
    void restoreSelection(int matID, int printer, double nozzle, double layer, int quality);
    // The selection: {matID, printer, nozzle, layer, quality}.
    QVariantMap currentSelection() const;
    // Writes the materials with these IDs (all of them for an empty list) to the file, as Export.
    bool exportMaterialIDs(QString fileName, QVariantList ids);
    int removeCurSets();
    int copyCurSets(int index);
    // Takes back the last change, or makes it again; refused (historyRefused) for a step on a
    // material that is locked now.
    void undo();
    void redo();
    // A recovery copy left by a run that ended without saving or discarding: when it was written
    // (for the question at start-up), or "" when there is none.
    QString recoveryTime() const;
    // Makes the copy the library's content, unsaved; "" when done, else why it could not be read
    // (it is then kept aside under another name).
    QString restoreRecovery();
    // Goes on with the saved library; the copy is kept once as recovery.cvx.bak.
    void discardRecovery();
    // A clean end (Discard, or closing with nothing unsaved): the recovery copy goes.
    void endCleanly();
    // Puts the vendor's value of the row back into the current material (into every selected set
    // that the vendor has); one step.
    void resetValueToVendor(int nID);
    // What resetting the whole material would change: {available, values, sets, nameTakenBy (the
    // material that has the vendor's name now, renamed to renamedTo with the reset), refusal}.
    QVariantMap vendorResetPreview() const;
    // Makes the current material the vendor's again (values and print sets); one step.
    bool resetMaterialToVendor();
    // Vendor materials that the library no longer has, and bringing them back (one step).
    int removedVendorCount() const;
    int bringBackRemovedVendor();
    // What bringing them back does: {count, renames (materials renamed out of the vendor names'
    // way), blocked (locked materials in the way; those vendor materials stay removed)}.
    QVariantMap bringBackPreview() const;
    // Ends the current material's link to the one it was copied from; one step.
    bool unlinkParent();
    // Measures the current material by the one with this ID from now on; one step. "" when done,
    // else why not (itself, one copied from it, a vendor material, locked).
    QString chooseParent(int matID);
    QString parentRefusal(int matID) const;

public:
    // For the scene's messages: where "Save" writes, and why the last export failed ("" after a
    // success).
    Q_INVOKABLE QString userLibraryPath() const { return UserPath(); }
    Q_INVOKABLE QString lastExportError() const { return m_files->ExportError(); }
    // What the last successful save wants the user to know (a backup that could not be made, the
    // previous file kept aside); "" when nothing.
    Q_INVOKABLE QString lastSaveNote() const { return m_files->SaveNote(); }
    // What the last importMaterials did: "added", "replaced" (merged into a material of the
    // library), "renumbered" (given a fresh ID to stay unique), "renamed" (a second material of
    // the file with one name and manufacturer, kept under a new name), "skipped" (lines that were
    // not materials), "refusedSets" (print sets dropped from the materials read), "missing" (the
    // file does not exist) and "readError" (why the file could not be read completely; empty when
    // it was, or when it is missing).
    Q_INVOKABLE QVariantMap lastImportReport() const;
    // The materials of a file as an import would take them, before anything changes: for each,
    // {name, manu, matID, state: "new", "same" (as the library has it) or "different", and for a
    // different one the library's material ("mine") and the differing values by name}. The file
    // stays read until applyImport or the next preview. Empty while the library loads.
    Q_INVOKABLE QVariantList previewImport(QString fileName);
    // Imports the previewed file as chosen, one entry per material in the preview's order: "add",
    // "skip", "take" (theirs replaces mine), "keep" (mine stays) or "both" (theirs beside mine
    // under a new name and ID); missing entries take the default (add, skip, both). One step.
    Q_INVOKABLE bool applyImport(QVariantList choices);
    // The IDs the materials with these keys (the model's entryKey role) have now, in library order;
    // keys of materials that are gone are left out.
    Q_INVOKABLE QVariantList materialIDsOf(QVariantList keys) const;
    // What the last copy of print sets did: {added, target (what they were copied to), refused: the
    // sets that could not be made, each "<key>: <why>"}.
    Q_INVOKABLE QVariantMap lastCopyReport() const { return m_lastCopy; }
    // Why writing this value to curMatID would change nothing (locked, held by another material,
    // not of the form an ID is entered in); empty when it would be taken.
    Q_INVOKABLE QString matIDRefusal(int nID) const;
    // How a row's value spreads over what it stands for: {min, max, count}, as the pages show
    // values; count is the number of current print sets for print rows, 1 for basic rows, 0
    // when nothing holds the row. With an amount: as changeParameterBy would leave it.
    Q_INVOKABLE QVariantMap valueSpread(int nID, double amount = 0.0, bool percent = false) const;
    // What the start-up loads want the user to know (materials kept apart under a new name...),
    // one paragraph each; empty when nothing.
    Q_INVOKABLE QString startupNotes() const { return m_files->StartupNotes().join(QStringLiteral("\n\n")); }

    // The table of one print row over the current printer's print sets (see ParameterTable:
    // qualities, lines), with the row's name, unit and editing range as the pages' rows have them,
    // the printer's name and whether the material is locked; no lines without a printer.
    Q_INVOKABLE QVariantMap parameterTable(int nID) const;
    // The print rows a table can show, in page order: [{id, name}], names in the current language.
    Q_INVOKABLE QVariantList tableParameters() const;
    // Stores the row's value in the current printer's print set with this key alone; one step.
    // False when nothing changed: locked, no such set, not a print row, below the acceleration
    // floor, or the value it had.
    Q_INVOKABLE bool setValueInSet(int nID, double nozzle, double layer, int quality, double value);

    bool isModified() const { return m_history->IsModified(); }
    QString readOnlyReason() const { return m_files->ReadOnlyReason(); }
    // Set before the libraries load: Save is refused with the reason, and nothing of the folder's
    // own (the recovery copy, the removed vendor materials) is written or removed.
    void setReadOnly(const QString &reason);
    bool canUndo() const;
    bool canRedo() const;
    QString undoText() const;
    QString redoText() const;
    // The history's memory: bytes the steps that can still be undone keep, and their number.
    size_t HistoryBytes() const { return m_history->Bytes(); }
    int HistorySteps() const { return m_history->Steps(); }
    RecoveryFile &Recovery() { return m_history->Recovery(); }
    // What the recovery copy is to hold now.
    RecoveryContent RecoveryContentNow() const { return m_files->RecoveryContentNow(); }

    // What the entry's values are measured by (marks, resets, the drawer's standing): the vendor's
    // material it stands for, else the material it was copied from; null for none. Valid until
    // the library changes.
    const FlatMaterial *ReferenceOf(const MaterialEntry &entry) const;
    QString parentNote() const;
    QString referenceName() const;
    bool parentLinkable() const;
    // How a row of the pages compares with the vendor's (see VendorReference::Mark).
    using VendorMark = VendorReference::Mark;
    VendorMark vendorMark(int row) const;
    // Recomputes the rows' marks from the current material and sets (whenever the rows load).
    void ComputeVendorMarks();
    // How a material of the list stands to the vendor library.
    // A material of the user's own that differs from the one it was copied from is ParentChanged.
    enum VendorStanding { VendorSame = 0, VendorChanged = 1, VendorNone = 2, ParentChanged = 3 };
    int VendorState(int row) const;
    // The key that stays with the material in this row (see MaterialEntry), or 0.
    quint64 EntryKey(int row) const;
    QVariantMap setMap() const;
    QString userLibraryReadError() const { return m_files->UserReadError(); }
    // Whether user.cvx changed on disk (another program wrote it) since it was loaded or saved.
    Q_INVOKABLE bool userLibraryChangedOnDisk() const;

    // The paths of the library files.
    QString ShippedVendorPath() const { return m_files->ShippedVendorPath(); }
    QString VendorPath() const { return m_files->VendorPath(); }
    QString UserPath() const { return m_files->UserPath(); }

    // The selection lists, read by the menu models.
    const std::vector<int> &PrinterTypes() const { return m_cascade.Printers(); }
    const std::vector<float> &NozzleDias() const { return m_cascade.Nozzles(); }
    const std::vector<float> &LayerThicks() const { return m_cascade.Layers(); }
    const std::vector<int> &Qualities() const { return m_cascade.Qualities(); }

    // The comparison of the current material with a second one, over the current selection.
    // The second is a material of the library (followed by its entry key through ID changes) or
    // one of a file read for it, which the library never takes in.
    // Starts comparing with the library's material with this ID; false for none, or the current one.
    Q_INVOKABLE bool compareWith(int matID);
    // Reads a material file (a path or a local-file URL) to compare with one of its materials:
    // {materials: [{name, manu, matID}], missing, readError}. Nothing of the library changes.
    Q_INVOKABLE QVariantMap readCompareFile(QString fileName);
    // Starts comparing with a material of the file read last, by its index there.
    Q_INVOKABLE bool compareWithFileMaterial(int index);
    // The comparison now: {available, mine, theirs, fromFile, refusal (why nothing can be taken),
    // values, sets, mineOnly, theirsOnly, rows: [{id, name, unit, mine, theirs, differs}],
    // printSets: [{index, text, side ("both", "mine", "theirs"), differing}]}.
    Q_INVOKABLE QVariantMap comparison() const;
    // Takes from the second material into the current one, each one step: a row's value (into
    // every selected set both have), a print set of the comparison's list, or every differing value.
    Q_INVOKABLE bool takeValue(int nID);
    Q_INVOKABLE bool takeSet(int index);
    Q_INVOKABLE int takeAllValues();
    // The second library material becomes the current one, with the selection, and the other way
    // round; false when the second is a file's.
    Q_INVOKABLE bool swapComparison();
    // The comparison as the view shows it; empty without a second material.
    std::optional<MaterialComparison> Comparison() const;

    // The volumetric flow, the material's flow limit and the check of its values (MaterialAdvice).
    // The user's highest volumetric flow for the current material, mm³/s; 0 for none.
    Q_INVOKABLE double flowLimit() const;
    // Sets it (over 0) or clears it (0); one step, which a password does not guard, as the material
    // file does not change. False when nothing changed, or for a value that is no limit.
    Q_INVOKABLE bool setFlowLimit(double limit);
    // The flow of contour, infill and support over the selected sets, as the page shows it:
    // [{part, low, high, over (a set exceeds the limit)}]; empty without a set.
    Q_INVOKABLE QVariantList flowLines() const;
    // The current material's unlikely values: [{text (the set's key in words), printer, nozzle,
    // layer, quality, row, name, reason, value, suggested, unit}], in the current language.
    Q_INVOKABLE QVariantList materialAdvice() const;
    // Selects the current material's print set with this key through the cascade; false when the
    // cascade does not reach it (the set is gone).
    Q_INVOKABLE bool showPrintSet(int printer, double nozzle, double layer, int quality);

    // Print sets made for another nozzle of the current printer from the current nozzle's sets, or
    // for another layer of the current nozzle from the current layer's (see SetDerivation).
    // The targets the catalogue offers, the current one left out: [{value, text}]; none until the
    // nozzle (or the layer) is chosen.
    Q_INVOKABLE QVariantList deriveTargets(bool layer) const;
    // The plan: {refusal (why nothing can be made), count, existing, rows: [{text ("0.40 / 0.20 /
    // Fine → 0.60 / 0.30 / Fine"), details (widths and speeds before and after), exists}], refused:
    // [{text, why}]}.
    Q_INVOKABLE QVariantMap derivePlan(bool layer, double target, bool keepFlow) const;
    // Makes the plan's sets, one step; an existing one is replaced where replace[i] (aligned with
    // the plan's rows) is true, else kept. {made, kept}.
    Q_INVOKABLE QVariantMap deriveSets(bool layer, double target, bool keepFlow, QVariantList replace);

private:
    using Level = SelectionCascade::Level;

    // The one path of every change of the materials: change() edits through the editor, which
    // copies each entry before its first change, and refuses by returning false; then the views
    // follow (refresh, which also runs when nothing changed), and a change of something becomes
    // one step, made by the history as it makes every undo and redo, and guarded when it changed
    // a material with a password. The step's text is asked for once the change is made; before is
    // the selection the undo shows (the current one when null).
    bool Edit(StepPage page, const std::function<bool(LibraryEditor &)> &change,
              const std::function<void()> &refresh, const std::function<StepText()> &describe,
              const Selection *before = nullptr);
    // For the history: puts a step's entries back as they were before (undo) or after it.
    void ApplyStep(const LibraryStep &step, bool undo);
    void PutEntries(const std::vector<EntryChange> &changes, bool undo);

    const MaterialEntry *CurrentEntry() const { return m_library.Find(m_cascade.MaterialID()); }
    long CurrentPosition() const { return m_library.PositionOf(m_cascade.MaterialID()); }
    // The selected print sets, listed now from the current record.
    std::vector<const PrintSetData *> CurrentSets() const;
    // Makes the material current, locked when it has a password (unless it is to stay unlocked).
    void SetCurMaterial(int nID, bool stayUnlocked = false);
    void ReselectCurrent();
    void LoadBasicInfo();
    void LoadPrintParams();
    // A level's choices listed again, its list's signal, then the level's value chosen.
    void RelistAndChoose(Level level, double value);
    void EmitListChanged(Level level);
    void ChooseLevel(Level level, double value);
    // Selects the material and as much of the cascade as it still has; a material that was current
    // and unlocked stays unlocked.
    void RestoreSelection(const Selection &selection, bool stayUnlocked);
    // After a load, an import or a restore: the selection again, and whether the user library's
    // read state changed.
    void AfterFilesChanged(const QString &readErrorBefore);
    void RenameOutOfTheWay(LibraryEditor &editor, size_t position);
    // The entry's values as its reference has them, its identity kept (a reset to the parent).
    CPrintMaterial ParentVersionOf(const MaterialEntry &entry, const FlatMaterial &reference) const;
    // Moves the links of the removed entry's copies to what it was measured by itself.
    void RelinkCopiesOf(LibraryEditor &editor, const MaterialEntry &removed);
    // Changes the current material's link; one step.
    bool SetParent(quint64 parent, const StepText &text);
    void NotifyModified();
    // A piece of the start-up's loads taken in; the last session's material selected once it is
    // there, the current one shown again when the piece changed it.
    void TakeLoadedPiece(LibraryFiles::ReadPiece &piece, bool vendor);

    QVector<ParamItem> m_items;
    int m_nLanguage = 0;
    MaterialLibrary m_library;
    VendorReference m_vendor;
    SelectionCascade m_cascade;
    std::unique_ptr<LibraryFiles> m_files;
    std::unique_ptr<LibraryHistory> m_history;
    std::vector<VendorMark> m_vendorMarks;
    // The parents' values as references are measured, and whether a copy differs from its parent,
    // each while the entries keep their revisions.
    mutable std::unordered_map<quint64, std::pair<quint64, FlatMaterial>> m_parentValues;
    mutable std::unordered_map<quint64, std::tuple<quint64, quint64, bool>> m_parentStandings;
    QVariantMap m_lastCopy;
    // While the history makes a step that Edit has just recorded: Edit refreshes the views itself.
    bool m_recordingStep = false;

    // The second material of the comparison, and a take from it into the current one as one step.
    const CPrintMaterial *ComparedMaterial() const;
    bool TakeFromCompared(
        StepPage page,
        const std::function<bool(CPrintMaterial &, const CPrintMaterial &, const Selection &)> &take,
        const std::function<StepText(const QString &theirs)> &describe);
    quint64 m_compareKey = 0; // the library's material, or 0
    std::vector<CPrintMaterial> m_compareFile;
    int m_compareFileIndex = -1; // the file's material, or -1

public:
    // Changes of a group of print rows at once (mode: 0 set to the value, 1 by the amount, 2 by a
    // percentage of each value; see BulkChange), over the current material's selected sets or over
    // several materials' sets that the current printer, nozzle, layer and quality match.
    // The print rows of the row's kind, in page order, that a group change can reach:
    // [{id, name}], names in the current language; empty for a row of no such kind.
    Q_INVOKABLE QVariantList groupRows(int nID) const;
    // Each row's results over the current sets, as the change would leave them: [{id, name, min,
    // max, changed (values), outOfRange (a value set that the row's range refuses)}].
    Q_INVOKABLE QVariantList groupResults(QVariantList ids, int mode, double amount) const;
    // Changes the rows in the current material's selected sets; one step: {values, sets} changed.
    Q_INVOKABLE QVariantMap changeGroup(QVariantList ids, int mode, double amount);
    // What the change would do to the materials with these IDs: {materials, sets, values, locked
    // (names of those skipped for their password), noSets (names of those with no set selected)}.
    Q_INVOKABLE QVariantMap bulkPreview(QVariantList matIDs, QVariantList ids, int mode, double amount) const;
    // Makes that change, one step; the same map, as done.
    Q_INVOKABLE QVariantMap applyBulkChange(QVariantList matIDs, QVariantList ids, int mode, double amount);

private:
    std::optional<BulkChange> GroupChange(const QVariantList &ids, int mode, double amount) const;
    // The materials with these IDs as a change may reach them, in library order, with their positions.
    std::vector<std::pair<size_t, BulkChange::Target>> BulkTargets(const QVariantList &matIDs) const;

    qint64 m_loadedBytes = 0;
    qint64 m_loadBytes = 0;
    std::optional<Selection> m_pendingSelection;
    // While loading: whether the end of the load gives the material shown its own lock state.
    bool m_reselectAtEnd = false;
    // Last, so that it stops reading before anything it hands pieces to goes.
    std::unique_ptr<LibraryLoader> m_loader;
};
