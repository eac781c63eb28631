#include "PrinterTypeModel.h"

#include "library/Materials.h"
#include "library/SelectionCascade.h"

PrinterTypeModel::PrinterTypeModel(QObject *parent) : SelectionListModel(&Materials::printerChanged, parent)
{
}

int PrinterTypeModel::Count() const
{
    return int(m_mats->PrinterTypes().size());
}

QVariant PrinterTypeModel::data(const QModelIndex &index, int role) const
{
    if (!IsRow(index))
        return QVariant();
    const int type = m_mats->PrinterTypes()[size_t(index.row())];
    switch (role) {
    case NameRole:
        return ShownPrinterName(type);
    case TypeIDRole:
        return type;
    }
    return QVariant();
}

QHash<int, QByteArray> PrinterTypeModel::roleNames() const
{
    return {{NameRole, "name"}, {TypeIDRole, "typeID"}};
}
