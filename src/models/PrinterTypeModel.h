#pragma once

#include "SelectionListModel.h"

// The printer types of the current material, for the printer menu.
// Resets on the library's printerChanged.
class PrinterTypeModel : public SelectionListModel
{
    Q_OBJECT

public:
    enum Roles {
        NameRole = Qt::UserRole,
        TypeIDRole,
    };

    explicit PrinterTypeModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

protected:
    int Count() const override;
};
