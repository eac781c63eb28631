#pragma once

#include <QAbstractListModel>

class Materials;

// The nozzle diameters of the current material and printer, for the nozzle menu.
// Resets on the library's nozzleChanged.
class NozzleDiaModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(Materials *mats READ mats WRITE setMats FINAL)

public:
    enum Roles {
        StrDiaRole = Qt::UserRole,
        DDiaRole,
    };

    explicit NozzleDiaModel(QObject *parent = nullptr);

    Materials *mats() const { return m_mats; }
    void setMats(Materials *mats);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    Materials *m_mats = nullptr;
};
