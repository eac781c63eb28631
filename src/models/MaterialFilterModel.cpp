#include "MaterialFilterModel.h"

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

bool MaterialFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
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
