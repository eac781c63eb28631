#pragma once

#include "SelectionListModel.h"

// The nozzle diameters of the current material and printer, for the nozzle menu.
// Resets on the library's nozzleChanged.
class NozzleDiaModel : public SelectionListModel
{
    Q_OBJECT

public:
    enum Roles {
        StrDiaRole = Qt::UserRole,
        DDiaRole,
    };

    explicit NozzleDiaModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

protected:
    int Count() const override;
};
