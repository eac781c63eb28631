#pragma once

#include "SelectionListModel.h"

// The layer thicknesses for the current printer and nozzle, for the layer menu.
// Resets on the library's layerThickChanged.
class LayerThickModel : public SelectionListModel
{
    Q_OBJECT

public:
    enum Roles {
        StrThickRole = Qt::UserRole,
        DThickRole,
    };

    explicit LayerThickModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

protected:
    int Count() const override;
};
