#pragma once

#include "TestSupport.h"
#include "library/Materials.h"

#include <QAbstractItemModel>
#include <QMetaType>

#include <functional>
#include <memory>

// A print set's key {printer type, nozzle, layer, quality}; in a selection, negative levels stay
// unchosen.
struct SetKeySpec
{
    int type;
    float nozzle;
    float layer;
    int quality;
};
Q_DECLARE_METATYPE(SetKeySpec)
Q_DECLARE_METATYPE(CPrintMaterial)

// The sample library: "Sample" (open) and "Other" (locked with kDigest, one print set).
constexpr int kSampleID = 1001;
constexpr int kOtherID = 1002;
extern const char *const kDigest;

// A library over a private data home and a private shipped-data folder (shipped/DB, shipped/Lang).
// The shared language service is made afresh for it and deleted with it.
class LibraryFixture
{
public:
    LibraryFixture();
    ~LibraryFixture();

    Materials &mats() { return *m_mats; }
    // Where the libraries and the language files live, and the shipped "DB" and "Lang" folders' parent.
    QString dataDir() const { return m_home.filePath(QStringLiteral("data/Kestrona/DB")); }
    QString shippedDir() const { return m_home.filePath(QStringLiteral("shipped")); }
    // Makes a new library object over the same folders (as a restart does).
    void restart();
    // Ships the materials as the vendor library (with the version line) and runs the start-up's
    // loads: install, vendor import, user import; at once, or as the editor starts, read on another
    // thread and taken in a material at a time, waited for or only started.
    enum class Load { AtOnce, InPieces, Started };
    void startWithVendor(std::vector<CPrintMaterial> vendor, const QByteArray &version = "1.0.0\n",
                         Load load = Load::AtOnce);
    // Starts with the materials as the user library (no step, nothing unsaved) and selects the
    // ID; with an unknown one the first is current, locked by the fallback.
    void load(std::vector<CPrintMaterial> user, int select = -1);
    void loadSample(int select = kSampleID);

private:
    TempDataHome m_home;
    std::unique_ptr<Materials> m_mats;
};

// A material with the given name, manufacturer and ID and a print set for each key.
CPrintMaterial makeMaterial(const char *name, const char *manu, int id,
                            std::initializer_list<SetKeySpec> sets = {});
// Five print sets that give every level of the cascade two or more choices (printers 10102 and
// 10110, nozzles 0.4 and 0.6, layers 0.2 and 0.3, qualities 0 and 1), the last of printer 10110;
// set n has print temperature 200+n, platform 40+n, speed 31+n and extrusion 1+n/20, so that the
// sets disagree on those rows and a copy can be told from its source.
CPrintMaterial sampleMaterial(const char *name = "Sample", int id = kSampleID, const char *pwMD5 = "");
// Walks the cascade down to the key.
void choose(Materials &m, const SetKeySpec &key);
// "PLA" / "A" with one print set of printer 10102.
CPrintMaterial pla(int id = 7);
// The names of the materials a material file holds, in file order.
QStringList namesIn(const QString &path);
// The names of the library's materials, in list order.
QStringList namesOf(const Materials &mats);
// One role of every row of a list model, as text.
QStringList column(const QAbstractItemModel &model, int role);
// Writes the materials as a material file, optionally after a first line of text.
bool writeMaterialFile(const QString &path, std::vector<CPrintMaterial> mats,
                       const QByteArray &firstLine = {});

// Something done to a library, as a row of a table.
using LibraryChange = std::function<void(Materials &)>;
Q_DECLARE_METATYPE(LibraryChange)
Q_DECLARE_METATYPE(QList<LibraryChange>)
