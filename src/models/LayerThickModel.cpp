#include "LayerThickModel.h"

#include "ModelBinding.h"
#include "core/PrinterCatalogue.h"
#include "library/Materials.h"

LayerThickModel::LayerThickModel(QObject *parent) : QAbstractListModel(parent) {}

void LayerThickModel::setMats(Materials *mats)
{
    beginResetModel();
    RebindMats(this, m_mats, mats, &Materials::layerThickChanged, [this]() {
        beginResetModel();
        endResetModel();
    });
    endResetModel();
}

int LayerThickModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_mats)
        return 0;
    return int(m_mats->m_LayerThicks.size());
}

QVariant LayerThickModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_mats || index.row() >= rowCount())
        return QVariant();
    const float thick = m_mats->m_LayerThicks[size_t(index.row())];
    switch (role) {
    case StrThickRole:
        return QStringLiteral("%1mm").arg(double(thick), 0, 'f', 2);
    case DThickRole:
        return thick;
    }
    return QVariant();
}

Qt::ItemFlags LayerThickModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags;
}

QHash<int, QByteArray> LayerThickModel::roleNames() const
{
    return {{StrThickRole, "strThick"}, {DThickRole, "dThick"}};
}
