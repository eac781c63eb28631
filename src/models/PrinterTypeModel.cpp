#include "PrinterTypeModel.h"

#include "ModelBinding.h"
#include "core/PrinterCatalogue.h"
#include "library/Materials.h"

PrinterTypeModel::PrinterTypeModel(QObject *parent) : QAbstractListModel(parent) {}

void PrinterTypeModel::setMats(Materials *mats)
{
    beginResetModel();
    RebindMats(this, m_mats, mats, &Materials::printerChanged, [this]() {
        beginResetModel();
        endResetModel();
    });
    endResetModel();
}

int PrinterTypeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_mats)
        return 0;
    return int(m_mats->m_PrinterTypes.size());
}

QVariant PrinterTypeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_mats || index.row() >= rowCount())
        return QVariant();
    const int type = m_mats->m_PrinterTypes[size_t(index.row())];
    switch (role) {
    case NameRole:
        return QString::fromStdString(GetPrinterName(type));
    case TypeIDRole:
        return type;
    }
    return QVariant();
}

Qt::ItemFlags PrinterTypeModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags;
}

QHash<int, QByteArray> PrinterTypeModel::roleNames() const
{
    return {{NameRole, "name"}, {TypeIDRole, "typeID"}};
}
