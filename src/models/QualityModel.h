#pragma once

#include "SelectionListModel.h"

// The qualities for the current printer, nozzle and layer, for the quality menu (translated).
// Resets on the library's qualityChanged.
class QualityModel : public SelectionListModel
{
    Q_OBJECT

public:
    enum Roles {
        NameRole = Qt::UserRole,
        QualityIDRole,
    };

    explicit QualityModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

protected:
    int Count() const override;
};
