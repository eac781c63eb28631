#include "NozzleDiaModel.h"

#include "library/Materials.h"

NozzleDiaModel::NozzleDiaModel(QObject *parent) : SelectionListModel(&Materials::nozzleChanged, parent) {}

int NozzleDiaModel::Count() const
{
    return int(m_mats->NozzleDias().size());
}

QVariant NozzleDiaModel::data(const QModelIndex &index, int role) const
{
    if (!IsRow(index))
        return QVariant();
    const float dia = m_mats->NozzleDias()[size_t(index.row())];
    switch (role) {
    case StrDiaRole:
        return QStringLiteral("%1mm").arg(double(dia), 0, 'f', 2);
    case DDiaRole:
        return dia;
    }
    return QVariant();
}

QHash<int, QByteArray> NozzleDiaModel::roleNames() const
{
    return {{StrDiaRole, "strDia"}, {DDiaRole, "dDia"}};
}
