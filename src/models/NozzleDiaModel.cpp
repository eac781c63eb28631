#include "NozzleDiaModel.h"

#include "ModelBinding.h"
#include "core/PrinterCatalogue.h"
#include "library/Materials.h"

NozzleDiaModel::NozzleDiaModel(QObject *parent) : QAbstractListModel(parent) {}

void NozzleDiaModel::setMats(Materials *mats)
{
    beginResetModel();
    RebindMats(this, m_mats, mats, &Materials::nozzleChanged, [this]() {
        beginResetModel();
        endResetModel();
    });
    endResetModel();
}

int NozzleDiaModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_mats)
        return 0;
    return int(m_mats->m_NozzleDias.size());
}

QVariant NozzleDiaModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_mats || index.row() >= rowCount())
        return QVariant();
    const float dia = m_mats->m_NozzleDias[size_t(index.row())];
    switch (role) {
    case StrDiaRole:
        return QStringLiteral("%1mm").arg(double(dia), 0, 'f', 2);
    case DDiaRole:
        return dia;
    }
    return QVariant();
}

Qt::ItemFlags NozzleDiaModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags;
}

QHash<int, QByteArray> NozzleDiaModel::roleNames() const
{
    return {{StrDiaRole, "strDia"}, {DDiaRole, "dDia"}};
}
