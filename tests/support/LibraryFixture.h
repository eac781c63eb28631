#pragma once

#include "TestSupport.h"
#include "library/Materials.h"

#include <QMetaType>

#include <functional>
#include <memory>

// A library over a private data home and a private shipped-data folder (shipped/DB, shipped/Lang).
// The shared language service is made afresh for it and deleted with it.
class LibraryFixture
{
public:
    LibraryFixture();
    ~LibraryFixture();

    Materials &mats() { return *m_mats; }
    QString dataDir() const;          // where the libraries and the language files live
    QString shippedDir() const;       // the shipped "DB" and "Lang" folders' parent
    // Makes a new library object over the same folders (as a restart does).
    void restart();
    // Ships the materials as the vendor library (with the version line) and runs the start-up's
    // loads: install, vendor import, user import.
    void startWithVendor(std::vector<CPrintMaterial> vendor, const QByteArray &version = "1.0.0\n");

private:
    TempDataHome m_home;
    std::unique_ptr<Materials> m_mats;
};

// A material with the given name, manufacturer and ID and print sets for each key given as
// {printer type, nozzle, layer, quality}.
struct SetKeySpec
{
    int type;
    float nozzle;
    float layer;
    int quality;
};
CPrintMaterial makeMaterial(const char *name, const char *manu, int id, std::initializer_list<SetKeySpec> sets = {});
// The names of the library's materials, in list order.
QStringList namesOf(const Materials &mats);
// Writes the materials as a material file, optionally after a first line of text.
bool writeMaterialFile(const QString &path, std::vector<CPrintMaterial> mats, const QByteArray &firstLine = {});

// Something done to a library, as a row of a table.
using LibraryChange = std::function<void(Materials &)>;
Q_DECLARE_METATYPE(LibraryChange)
Q_DECLARE_METATYPE(QList<LibraryChange>)
