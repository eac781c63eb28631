#pragma once

#include "MaterialModel.h"

#include <QSortFilterProxyModel>

class Materials;

// The material list filtered as the user types: rows whose name, manufacturer or ID contain the
// text, letter case ignored (an empty text shows every row), and, when asked, only those of the
// user's own making. Rows keep the roles of MaterialModel.
class MaterialFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(Materials *mats READ mats WRITE setMats FINAL)
    Q_PROPERTY(QString filterText READ filterText WRITE setFilterText NOTIFY filterTextChanged)
    // Only the materials that differ from the vendor's or that the vendor library does not have.
    Q_PROPERTY(bool changedOnly READ changedOnly WRITE setChangedOnly NOTIFY changedOnlyChanged)

public:
    explicit MaterialFilterModel(QObject *parent = nullptr);

    Materials *mats() const { return m_source.mats(); }
    void setMats(Materials *mats) { m_source.setMats(mats); }
    QString filterText() const { return m_filterText; }
    void setFilterText(const QString &text);
    bool changedOnly() const { return m_changedOnly; }
    void setChangedOnly(bool changedOnly);
    // The row of the current material, or -1 when the filter hides it.
    Q_INVOKABLE int currentRow() const;

signals:
    void filterTextChanged();
    void changedOnlyChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    MaterialModel m_source;
    QString m_filterText;
    bool m_changedOnly = false;
};
