#pragma once

#include <QAbstractListModel>

class Materials;

// What the menu models share: the library they read (the "mats" property), a reset when the
// library signals that their list was rebuilt, a row count from that list, and editable rows. Each
// model adds only its list, its roles and its texts.
class SelectionListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(Materials *mats READ mats WRITE setMats FINAL)

public:
    Materials *mats() const { return m_mats; }
    void setMats(Materials *mats);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

protected:
    using ListChanged = void (Materials::*)();
    SelectionListModel(ListChanged changed, QObject *parent);
    // The length of the model's list in the library.
    virtual int Count() const = 0;
    // Whether the index is a row of the list; data() reads nothing else.
    bool IsRow(const QModelIndex &index) const { return index.isValid() && m_mats && index.row() < Count(); }

    Materials *m_mats = nullptr;

private:
    ListChanged m_changed;
};
