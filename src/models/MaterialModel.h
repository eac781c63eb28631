#pragma once

#include <QAbstractListModel>

class Materials;

// The materials of the library, in library order. Each data() call builds only its own row.
// Resets on the library's matChanged.
class MaterialModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(Materials *mats READ mats WRITE setMats FINAL)

public:
    enum Roles {
        NameRole = Qt::UserRole,
        ManuRole,
        BCurRole,
        MatIDRole,
        // How the material stands to the vendor library (Materials::VendorStanding).
        VendorStateRole,
        // What stays with the material through ID changes (Materials::EntryKey).
        EntryKeyRole,
    };

    explicit MaterialModel(QObject *parent = nullptr);

    Materials *mats() const { return m_mats; }
    void setMats(Materials *mats);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    Materials *m_mats = nullptr;
};
