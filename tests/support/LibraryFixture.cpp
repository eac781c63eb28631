#include "LibraryFixture.h"

#include "base/PlatformPaths.h"
#include "base/TLanguage.h"
#include "base/cfutility.h"
#include "core/MaterialFormat.h"

#include <QDir>
#include <QTest>

#include <cstring>

const char *const kDigest = "0123456789abcdef0123456789abcdef";

LibraryFixture::LibraryFixture()
{
    QDir().mkpath(shippedDir() + QStringLiteral("/DB"));
    QDir().mkpath(shippedDir() + QStringLiteral("/Lang"));
    PlatformPaths::SetShippedDataDir(shippedDir());
    restart();
}

LibraryFixture::~LibraryFixture()
{
    m_mats.reset();
    LangTrans::DestroyInstance();
    PlatformPaths::SetShippedDataDir(QString());
}

void LibraryFixture::restart()
{
    m_mats.reset();
    LangTrans::DestroyInstance();
    m_mats = std::make_unique<Materials>();
}

void LibraryFixture::startWithVendor(std::vector<CPrintMaterial> vendor, const QByteArray &version, Load load)
{
    writeMaterialFile(shippedDir() + QStringLiteral("/DB/vendor.cvx"), std::move(vendor), version);
    m_mats->checkVendorMaterials();
    if (load != Load::AtOnce) {
        m_mats->startLoading(0);
        if (load == Load::InPieces)
            QTRY_VERIFY_WITH_TIMEOUT(!m_mats->loading(), 30000);
        return;
    }
    m_mats->importVendorMaterials();
    m_mats->importUserMaterials();
}

void LibraryFixture::load(std::vector<CPrintMaterial> user, int select)
{
    writeMaterialFile(m_mats->UserPath(), std::move(user));
    m_mats->importUserMaterials();
    m_mats->selectMaterial(select);
}

void LibraryFixture::loadSample(int select)
{
    CPrintMaterial other = makeMaterial("Other", "Maker", kOtherID, {{10102, 0.4f, 0.2f, 0}});
    std::strcpy(other.m_szPwMD5, kDigest);
    load({sampleMaterial(), other}, select);
}

CPrintMaterial makeMaterial(const char *name, const char *manu, int id,
                            std::initializer_list<SetKeySpec> sets)
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

CPrintMaterial sampleMaterial(const char *name, int id, const char *pwMD5)
{
    CPrintMaterial mat = makeMaterial(name, "Maker", id,
                                      {{10102, 0.4f, 0.2f, 0},
                                       {10102, 0.4f, 0.2f, 1},
                                       {10102, 0.4f, 0.3f, 0},
                                       {10102, 0.6f, 0.3f, 0},
                                       {10110, 0.4f, 0.2f, 0}});
    int n = 0;
    for (PrintSetData &set : mat.m_lstSets) {
        set.nBasicTemp = 200 + n;
        set.nPlatTemp = 40 + n;
        set.fSpeed[0] = 31.0f + float(n);
        set.fExtrude[0] = 1.0f + 0.05f * float(n++);
    }
    std::strcpy(mat.m_szPwMD5, pwMD5);
    return mat;
}

void choose(Materials &m, const SetKeySpec &key)
{
    m.selectPrinter(key.type);
    if (key.nozzle >= 0)
        m.selectNozzle(key.nozzle);
    if (key.layer >= 0)
        m.selectLayerThick(key.layer);
    if (key.quality >= 0)
        m.selectQuality(key.quality);
}

bool writeMaterialFile(const QString &path, std::vector<CPrintMaterial> mats, const QByteArray &firstLine)
{
    QByteArray bytes = firstLine;
    for (CPrintMaterial &mat : mats)
        bytes += QByteArray::fromStdString(EncodeMaterialLine(mat));
    return writeAll(path, bytes);
}

CPrintMaterial pla(int id)
{
    return makeMaterial("PLA", "A", id, {{10102, 0.4f, 0.2f, 0}});
}

QStringList namesIn(const QString &path)
{
    QStringList names;
    ReadFileLines(QFile::encodeName(path).toStdString(), [&names](std::string &line) {
        CPrintMaterial mat;
        if (DecodeMaterial(DecodeMaterialLine(line).c_str(), mat))
            names << QString::fromUtf8(mat.m_szName);
    });
    return names;
}

QStringList namesOf(const Materials &mats)
{
    QStringList names;
    for (const MaterialItem &item : mats.materialItems())
        names << item.name;
    return names;
}

QStringList column(const QAbstractItemModel &model, int role)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values << model.data(model.index(row, 0), role).toString();
    return values;
}
