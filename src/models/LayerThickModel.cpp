#include "LayerThickModel.h"

#include "library/Materials.h"

LayerThickModel::LayerThickModel(QObject *parent) : SelectionListModel(&Materials::layerThickChanged, parent)
{
}

int LayerThickModel::Count() const
{
    return int(m_mats->LayerThicks().size());
}

QVariant LayerThickModel::data(const QModelIndex &index, int role) const
{
    if (!IsRow(index))
        return QVariant();
    const float thick = m_mats->LayerThicks()[size_t(index.row())];
    switch (role) {
    case StrThickRole:
        return QStringLiteral("%1mm").arg(double(thick), 0, 'f', 2);
    case DThickRole:
        return thick;
    }
    return QVariant();
}

QHash<int, QByteArray> LayerThickModel::roleNames() const
{
    return {{StrThickRole, "strThick"}, {DThickRole, "dThick"}};
}
