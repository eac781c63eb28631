#include "Materials.h"

#include "base/Log.h"
#include "base/TLanguage.h"
#include "core/PrinterCatalogue.h"

#include <QFile>
#include <QFileInfo>

#include <set>

Materials::Materials(QObject *parent) : QObject(parent)
{
    m_items = BuildParamCatalogue();
    // Set while the stack is empty, as it must be: older steps fall off beyond this count.
    m_history.setUndoLimit(1000);
    connect(&m_history, &QUndoStack::indexChanged, this, [this]() {
        HistoryMoved();
        emit historyChanged();
    });
    connect(&m_history, &QUndoStack::cleanChanged, this, [this]() { HistoryMoved(); });
    const QString dataPath = LangTrans::Instance()->GetGroupAppDataPath();
    CVLOG << "data path of Brevisto: " << dataPath;
    m_strDataPath = dataPath;
    m_recovery = std::make_unique<RecoveryFile>(m_strDataPath + QStringLiteral("/recovery.cvx"),
                                                [this]() { return RecoveryContentNow(); });
    connect(m_recovery.get(), &RecoveryFile::writeFailed, this, &Materials::recoveryWriteFailed);
    m_bRecoveryPending = QFile::exists(m_recovery->Path());
    m_recovery->SetPaused(m_bRecoveryPending);
}

Materials::~Materials()
{
    // The undo stack clears itself as it goes, and signals it: nothing here should answer then.
    disconnect(&m_history, nullptr, this, nullptr);
}

CPrintMaterial *Materials::CurrentRecord()
{
    MaterialEntry *entry = FindEntry(m_nCurMatID);
    return entry ? &entry->mat : nullptr;
}

const CPrintMaterial *Materials::currentMaterial() const
{
    return const_cast<Materials *>(this)->CurrentRecord();
}

MaterialEntry *Materials::FindEntry(int nID)
{
    for (const auto &entry : m_Materials) {
        if (entry->mat.m_nMatID == nID)
            return entry.get();
    }
    return nullptr;
}

QString Materials::curMaterial() const
{
    const CPrintMaterial *mat = currentMaterial();
    if (!mat)
        return LangTr("Material ");
    return QStringLiteral("%1 ( %2 )").arg(QString::fromUtf8(mat->m_szName), QString::fromUtf8(mat->m_szManu));
}

QString Materials::curMatName() const
{
    const CPrintMaterial *mat = currentMaterial();
    return mat ? QString::fromUtf8(mat->m_szName) : QString();
}

QString Materials::curManu() const
{
    const CPrintMaterial *mat = currentMaterial();
    return mat ? QString::fromUtf8(mat->m_szManu) : QString();
}

QString Materials::curPrinter() const
{
    if (m_nCurPrinter == -1000)
        return LangTr("-3D Printer-");
    return QString::fromStdString(GetPrinterName(m_nCurPrinter));
}

QString Materials::curNozzle() const
{
    if (m_nCurPrinter == -1000)
        return QStringLiteral("----");
    if (m_fCurNozzle < 0)
        return LangTr("-Nozzle-");
    return LangTr("Dia: %1 ").arg(double(m_fCurNozzle), 0, 'f', 2);
}

QString Materials::curLayerThick() const
{
    if (m_fCurNozzle < 0)
        return QStringLiteral("----");
    if (m_fCurLayerThick < 0)
        return LangTr("-Layer Thick-");
    return LangTr("Layer: %1 ").arg(double(m_fCurLayerThick), 0, 'f', 2);
}

QString Materials::curQuality() const
{
    if (m_fCurLayerThick < 0)
        return QStringLiteral("----");
    if (m_nCurQuality < 0)
        return LangTr("-Quality-");
    return LangTr(GetQualityName(m_nCurQuality).c_str());
}

void Materials::setCurLanguage(int idx)
{
    m_nLanguage = idx;
    LangTrans::Instance()->SetLanguage(idx);
    LogLine(nullptr) << " set language  idx: " << idx;
    // Every text of the library is read again in the new language, at once.
    emit languageChanged();
    emit curMaterialChanged(curMaterial());
    emit curPrinterChanged(curPrinter());
    emit curNozzleChanged(curNozzle());
    emit curLayerThickChanged(curLayerThick());
    emit curQualityChanged(curQuality());
    emit matChanged();
    emit qualityChanged();
    emit historyChanged();
}

QVariantMap Materials::lastImportReport() const
{
    return {{QStringLiteral("added"), m_lastImport.added},
            {QStringLiteral("replaced"), m_lastImport.replaced},
            {QStringLiteral("renumbered"), m_lastImport.renumbered},
            {QStringLiteral("skipped"), m_lastImport.skipped},
            {QStringLiteral("renamed"), m_lastImport.renamed},
            {QStringLiteral("kept"), m_lastImport.kept},
            {QStringLiteral("refusedSets"), m_lastImport.refusedSets},
            {QStringLiteral("missing"), m_lastImport.missing},
            {QStringLiteral("readError"), m_lastImport.readError},
            {QStringLiteral("renamedNames"), m_lastImport.renamedNames},
            {QStringLiteral("renumberedNames"), m_lastImport.renumberedNames}};
}

QVariantList Materials::materialIDsOf(QVariantList keys) const
{
    std::set<quint64> wanted;
    for (const QVariant &key : keys)
        wanted.insert(key.toULongLong());
    QVariantList ids;
    for (const auto &entry : m_Materials) {
        if (wanted.count(entry->key))
            ids << entry->mat.m_nMatID;
    }
    return ids;
}

quint64 Materials::EntryKey(int row) const
{
    return row >= 0 && row < int(m_Materials.size()) ? m_Materials[size_t(row)]->key : 0;
}

std::unique_ptr<MaterialEntry> Materials::NewEntry()
{
    auto entry = std::make_unique<MaterialEntry>();
    entry->key = m_nextKey++;
    return entry;
}

void Materials::SetUserLibraryReadError(const QString &reason)
{
    if (m_strUserReadError == reason)
        return;
    m_strUserReadError = reason;
    emit userLibraryReadErrorChanged(reason);
}

void Materials::appendItem()
{
    emit preItemAppended();
    ParamItem item;
    item.paramType = 1;
    item.paramDesc = QStringLiteral("Add new");
    m_items.append(item);
    emit postItemAppended();
}

void Materials::removeCompletedItems()
{
    for (int i = 0; i < m_items.size();) {
        if (m_items[i].paramType == 0) {
            emit preItemRemoved(i);
            m_items.remove(i);
            emit postItemRemoved();
        } else {
            ++i;
        }
    }
}

bool Materials::isFileExist(QString path)
{
    return QFileInfo::exists(path);
}

QVector<MaterialItem> Materials::materialItems() const
{
    QVector<MaterialItem> rows;
    rows.reserve(int(m_Materials.size()));
    for (int row = 0; row < int(m_Materials.size()); ++row)
        rows.append(materialItem(row));
    return rows;
}

MaterialItem Materials::materialItem(int row) const
{
    const CPrintMaterial *mat = materialAt(row);
    if (!mat)
        return MaterialItem();
    return {QString::fromUtf8(mat->m_szName), QString::fromUtf8(mat->m_szManu), mat->m_nMatID == m_nCurMatID,
            mat->m_nMatID};
}

const CPrintMaterial *Materials::materialAt(int row) const
{
    if (row < 0 || row >= int(m_Materials.size()))
        return nullptr;
    return &m_Materials[size_t(row)]->mat;
}

void Materials::OutputCurrentSelects()
{
    const CPrintMaterial *mat = CurrentRecord();
    if (!mat)
        return;
    CVLOG << "Cur MatID: " << m_nCurMatID;
    CVLOG << "Current Material:" << mat->m_nMatID << " name: " << mat->m_szName;
    CVLOG << "Current Printer: " << m_nCurPrinter << " Name: " << curPrinter();
    CVLOG << "Current Nozzle: " << m_fCurNozzle << curNozzle();
    CVLOG << "Current Layer Thick" << m_fCurLayerThick << curLayerThick();
    CVLOG << "Current Quality" << m_nCurQuality << " Name: " << GetQualityName(m_nCurQuality);
}
