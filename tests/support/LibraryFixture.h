#pragma once

#include "TestSupport.h"
#include "library/Materials.h"

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
