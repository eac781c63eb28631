#include "MaterialModel.h"

#include "ModelBinding.h"
#include "library/Materials.h"

#include <algorithm>

MaterialModel::MaterialModel(QObject *parent) : QAbstractListModel(parent) {}

void MaterialModel::setMats(Materials *mats)
{
    beginResetModel();
    RebindMats(this, m_mats, mats, &Materials::matChanged, [this] { Refresh(); });
    // A load in progress adds materials without changing the current one.
    if (mats)
        connect(mats, &Materials::materialsArrived, this, &MaterialModel::Refresh);
    m_keys = LibraryKeys();
    endResetModel();
}

QVector<quint64> MaterialModel::LibraryKeys() const
{
    QVector<quint64> keys;
    const int count = m_mats ? m_mats->materialCount() : 0;
    keys.reserve(count);
    for (int row = 0; row < count; ++row)
        keys.append(m_mats->EntryKey(row));
    return keys;
}

void MaterialModel::Refresh()
{
    QVector<quint64> keys = LibraryKeys();
    const int before = m_keys.size();
    if (keys.size() < before || !std::equal(m_keys.begin(), m_keys.end(), keys.begin())) {
        beginResetModel();
        m_keys = std::move(keys);
        endResetModel();
        return;
    }
    if (keys.size() > before) {
        beginInsertRows(QModelIndex(), before, keys.size() - 1);
        m_keys = std::move(keys);
        endInsertRows();
    }
    // Names, the current mark and the vendor state may have changed in any of the rows kept.
    if (before > 0)
        emit dataChanged(index(0), index(before - 1));
}

int MaterialModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_mats)
        return 0;
    return m_keys.size();
}

QVariant MaterialModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_mats || index.row() >= rowCount())
        return QVariant();
    if (role == VendorStateRole)
        return m_mats->VendorState(index.row());
    if (role == EntryKeyRole)
        return m_mats->EntryKey(index.row());
    const MaterialItem item = m_mats->materialItem(index.row());
    switch (role) {
    case NameRole:
        return item.name;
    case ManuRole:
        return item.manu;
    case BCurRole:
        return item.bCur;
    case MatIDRole:
        return item.matID;
    }
    return QVariant();
}

QHash<int, QByteArray> MaterialModel::roleNames() const
{
    return {{NameRole, "name"},
            {ManuRole, "manu"},
            {BCurRole, "bCur"},
            {MatIDRole, "matID"},
            {VendorStateRole, "vendorState"},
            {EntryKeyRole, "entryKey"}};
}
