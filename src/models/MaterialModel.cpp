#include "MaterialModel.h"

#include "ModelBinding.h"
#include "library/Materials.h"

MaterialModel::MaterialModel(QObject *parent) : QAbstractListModel(parent) {}

void MaterialModel::setMats(Materials *mats)
{
    beginResetModel();
    const auto reset = [this]() {
        beginResetModel();
        endResetModel();
    };
    RebindMats(this, m_mats, mats, &Materials::matChanged, reset);
    // A load in progress adds materials without changing the current one.
    if (mats)
        connect(mats, &Materials::materialsArrived, this, reset);
    endResetModel();
}

int MaterialModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_mats)
        return 0;
    return m_mats->materialCount();
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
