#include "SelectionListModel.h"

#include "ModelBinding.h"
#include "library/Materials.h"

SelectionListModel::SelectionListModel(ListChanged changed, QObject *parent)
    : QAbstractListModel(parent), m_changed(changed)
{
}

void SelectionListModel::setMats(Materials *mats)
{
    beginResetModel();
    RebindMats(this, m_mats, mats, m_changed, [this]() {
        beginResetModel();
        endResetModel();
    });
    endResetModel();
}

int SelectionListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_mats ? 0 : Count();
}

Qt::ItemFlags SelectionListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags;
}
