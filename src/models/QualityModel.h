#pragma once

#include <QAbstractListModel>

class Materials;

// The qualities for the current printer, nozzle and layer, for the quality menu (translated).
// Resets on the library's qualityChanged.
class QualityModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(Materials *mats READ mats WRITE setMats FINAL)

public:
    enum Roles {
        NameRole = Qt::UserRole,
        QualityIDRole,
    };

    explicit QualityModel(QObject *parent = nullptr);

    Materials *mats() const { return m_mats; }
    void setMats(Materials *mats);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    Materials *m_mats = nullptr;
};
