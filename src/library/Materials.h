#pragma once

#include "core/ParamItem.h"
#include "core/PrintMaterial.h"

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QVector>

#include <memory>
#include <vector>

// One element of the library: a material and whether a vendor import created it.
struct MaterialEntry
{
    int bVendor = 0;
    CPrintMaterial mat;
};

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
// then emits its change signals in a fixed order, on which the models reset.
class Materials : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString curMaterial READ curMaterial NOTIFY curMaterialChanged)
    Q_PROPERTY(QString curMatName READ curMatName)
    Q_PROPERTY(QString curManu READ curManu)
    Q_PROPERTY(QString curPrinter READ curPrinter NOTIFY curPrinterChanged)
    Q_PROPERTY(QString curNozzle READ curNozzle NOTIFY curNozzleChanged)
    Q_PROPERTY(QString curLayerThick READ curLayerThick NOTIFY curLayerThickChanged)
    Q_PROPERTY(QString curQuality READ curQuality NOTIFY curQualityChanged)
    Q_PROPERTY(int curSetNumber READ curSetNumber)
    Q_PROPERTY(int bMatLocked READ bMatLocked NOTIFY bMatLockedChanged)
    Q_PROPERTY(QString availNewSet READ availNewSet)
    Q_PROPERTY(int curMatID READ curMatID WRITE modifyMatID NOTIFY curMatIDChanged)
    Q_PROPERTY(int curLanguage READ curLanguage WRITE setCurLanguage)
    // Whether the library holds changes that the user library does not have yet.
    Q_PROPERTY(bool modified READ isModified NOTIFY modifiedChanged)
    // Why the user library was not read completely at its last reading (empty when it was, and
    // after a save that replaced it): a save then replaces content the library does not hold.
    Q_PROPERTY(QString userLibraryReadError READ userLibraryReadError NOTIFY userLibraryReadErrorChanged)

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
    int curSetNumber() const { return int(m_CurSets.size()); }
    int bMatLocked() const { return m_bMatLocked ? 1 : 0; }
    QString availNewSet();
    int curMatID() const { return m_nCurMatID; }
    void modifyMatID(int nID);
    int curLanguage() const { return m_nLanguage; }
    void setCurLanguage(int idx);

    // For the parameter models: the rows, index equal to parameter ID.
    QVector<ParamItem> *items() { return &m_items; }
    // For the material list: all rows, or one row without building the others.
    QVector<MaterialItem> materialItems() const;
    int materialCount() const { return int(m_Materials.size()); }
    MaterialItem materialItem(int row) const;
    // Read-only access to the library, in list order.
    const CPrintMaterial *materialAt(int row) const;
    // The current material, or null.
    const CPrintMaterial *currentMaterial() const;

    void OutputCurrentSelects();
    bool IsHaveSameID();
    int InitCopy(const CPrintMaterial &source, CPrintMaterial &target);

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
    void userLibraryReadErrorChanged(QString reason);

public slots:
    void appendItem();
    void removeCompletedItems();
    // Merges the materials of a file (a path or a local-file URL) into the library.
    void importMaterials(QString fileName, bool bVendor);
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
    int setMatNameAndManu(QString name, QString manu, QString pwMD5);
    int removeCurSets();
    int copyCurSets(int index);

public:
    // For the scene's messages: where "Save" writes, and why the last export failed ("" after a
    // success).
    Q_INVOKABLE QString userLibraryPath() const { return UserPath(); }
    Q_INVOKABLE QString lastExportError() const { return m_strExportError; }
    // What the last importMaterials did: "added", "replaced" (merged into a material of the
    // library), "renumbered" (given a fresh ID to stay unique), "skipped" (lines that were not
    // materials), "refusedSets" (print sets dropped from the materials read), "missing" (the file
    // does not exist) and "readError" (why the file could not be read completely; empty when it
    // was, or when it is missing).
    Q_INVOKABLE QVariantMap lastImportReport() const;

    bool isModified() const { return m_bModified; }
    QString userLibraryReadError() const { return m_strUserReadError; }

    // The paths of the library files.
    QString ShippedVendorPath() const;
    QString VendorPath() const;
    QString UserPath() const;

    // The selection lists, read by the menu models.
    std::vector<int> m_PrinterTypes;
    std::vector<float> m_NozzleDias;
    std::vector<float> m_LayerThicks;
    std::vector<int> m_Qualities;

private:
    enum class Level { Printer, Nozzle, Layer, Quality };
    Level SelectionLevel() const;

    CPrintMaterial *CurrentRecord();
    MaterialEntry *FindEntry(int nID);
    void SetCurMaterial(int nID);
    void ReselectCurrent();
    void LoadBasicInfo();
    void LoadPrintParams();
    void UpdatePrinterTypes();
    void UpdateNozzles();
    void UpdateLayerThicks();
    void UpdateQualities();
    std::vector<int> NewSetPrinterTypes();
    std::vector<double> NewSetNozzles();
    std::vector<double> NewSetLayerThicks();
    std::vector<int> NewSetQualities();
    void SaveBasicInfo(int nID, double value);
    void SavePrintParams(int nID, double value);
    // A material ID that no entry but the excluded one has, drawn like every new ID.
    int32_t DrawUnusedID(CPrintMaterial &target, const MaterialEntry *excluded);
    static QString LocalPath(const QString &fileName);
    bool IsUserLibrary(const QString &path) const;
    void SetModified(bool modified);
    void SetUserLibraryReadError(const QString &reason);

    QVector<ParamItem> m_items;
    int m_nLanguage = 0;
    // Entries are held by pointer so that records never move while the list changes.
    std::vector<std::unique_ptr<MaterialEntry>> m_Materials;
    bool m_bMatLocked = true;
    int m_nCurMatID = -1;
    int m_nCurPrinter = -1000;
    float m_fCurNozzle = -1.0f;
    float m_fCurLayerThick = -1.0f;
    int m_nCurQuality = -1;
    std::vector<int> m_UnusedPrinterType;
    std::vector<double> m_UnusedNozzle;
    std::vector<double> m_UnusedLayerThick;
    std::vector<int> m_UnusedQuality;
    std::vector<PrintSetData *> m_CurSets;
    QString m_strDataPath;
    QString m_strExportError;
    QString m_strUserReadError;
    bool m_bModified = false;
    struct ImportReport
    {
        int added = 0;
        int replaced = 0;
        int renumbered = 0;
        int skipped = 0;
        int refusedSets = 0;
        bool missing = false;
        QString readError;
    } m_lastImport;
};
