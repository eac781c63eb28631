#include "MaterialFilterModel.h"

#include "library/Materials.h"

MaterialFilterModel::MaterialFilterModel(QObject *parent) : QSortFilterProxyModel(parent)
{
    setSourceModel(&m_source);
}

void MaterialFilterModel::setFilterText(const QString &text)
{
    if (text == m_filterText)
        return;
    m_filterText = text;
    invalidateFilter();
    emit filterTextChanged();
}

void MaterialFilterModel::setChangedOnly(bool changedOnly)
{
    if (changedOnly == m_changedOnly)
        return;
    m_changedOnly = changedOnly;
    invalidateFilter();
    emit changedOnlyChanged();
}

bool MaterialFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_changedOnly && mats() && mats()->VendorState(sourceRow) == Materials::VendorSame)
        return false;
    const QString text = m_filterText.trimmed();
    if (text.isEmpty())
        return true;
    const QModelIndex row = m_source.index(sourceRow, 0, sourceParent);
    for (const int role : {MaterialModel::NameRole, MaterialModel::ManuRole, MaterialModel::MatIDRole}) {
        if (m_source.data(row, role).toString().contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

int MaterialFilterModel::currentRow() const
{
    for (int row = 0; row < rowCount(); ++row)
        if (data(index(row, 0), MaterialModel::BCurRole).toBool())
            return row;
    return -1;
}
