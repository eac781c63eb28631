#pragma once

#include <QAbstractListModel>
#include <QVector>

class Materials;

// The materials of the library, in library order. Each data() call builds only its own row.
// Follows the library's matChanged and materialsArrived: rows that are still the same materials in
// the same places change in place and rows added at the end are inserted, since a reset makes every
// view build its rows again; any other change resets.
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
    QVector<quint64> LibraryKeys() const;
    void Refresh();

    Materials *m_mats = nullptr;
    // The entry keys of the rows as the views were last told of them.
    QVector<quint64> m_keys;
};
