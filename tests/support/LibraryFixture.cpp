#include "LibraryFixture.h"

#include "base/PlatformPaths.h"
#include "base/TLanguage.h"
#include "core/MaterialFormat.h"

#include <QDir>

LibraryFixture::LibraryFixture()
{
    QDir().mkpath(shippedDir() + QStringLiteral("/DB"));
    QDir().mkpath(shippedDir() + QStringLiteral("/Lang"));
    PlatformPaths::SetShippedDataDir(shippedDir());
    LangTrans::DestroyInstance();
    m_mats = std::make_unique<Materials>();
}

LibraryFixture::~LibraryFixture()
{
    m_mats.reset();
    LangTrans::DestroyInstance();
    PlatformPaths::SetShippedDataDir(QString());
}

QString LibraryFixture::dataDir() const
{
    return m_home.filePath(QStringLiteral("data/Kestrona/DB"));
}

QString LibraryFixture::shippedDir() const
{
    return m_home.filePath(QStringLiteral("shipped"));
}

void LibraryFixture::restart()
{
    m_mats.reset();
    LangTrans::DestroyInstance();
    m_mats = std::make_unique<Materials>();
}

void LibraryFixture::startWithVendor(std::vector<CPrintMaterial> vendor, const QByteArray &version)
{
    writeMaterialFile(shippedDir() + QStringLiteral("/DB/vendor.cvx"), std::move(vendor), version);
    m_mats->checkVendorMaterials();
    m_mats->importVendorMaterials();
    m_mats->importUserMaterials();
}

CPrintMaterial makeMaterial(const char *name, const char *manu, int id, std::initializer_list<SetKeySpec> sets)
{
    CPrintMaterial mat;
    mat.SetNameAndManu(name, manu);
    mat.m_nMatID = id;
    for (const SetKeySpec &key : sets) {
        PrintSetData set;
        set.nPrinterType = key.type;
        set.fNozzleDia = key.nozzle;
        set.fLayerThick = key.layer;
        set.nQuality = key.quality;
        mat.AddOrReplaceSet(set, mat.m_szPwMD5);
    }
    return mat;
}

bool writeMaterialFile(const QString &path, std::vector<CPrintMaterial> mats, const QByteArray &firstLine)
{
    QByteArray bytes = firstLine;
    for (CPrintMaterial &mat : mats)
        bytes += QByteArray::fromStdString(EncodeMaterialLine(mat));
    return writeAll(path, bytes);
}

QStringList namesOf(const Materials &mats)
{
    QStringList names;
    for (const MaterialItem &item : mats.materialItems())
        names << item.name;
    return names;
}
