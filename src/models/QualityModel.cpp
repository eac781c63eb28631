#include "QualityModel.h"

#include "base/TLanguage.h"
#include "core/PrinterCatalogue.h"
#include "library/Materials.h"

QualityModel::QualityModel(QObject *parent) : SelectionListModel(&Materials::qualityChanged, parent) {}

int QualityModel::Count() const
{
    return int(m_mats->Qualities().size());
}

QVariant QualityModel::data(const QModelIndex &index, int role) const
{
    if (!IsRow(index))
        return QVariant();
    const int quality = m_mats->Qualities()[size_t(index.row())];
    switch (role) {
    case NameRole:
        return ShownQualityName(quality);
    case QualityIDRole:
        return quality;
    }
    return QVariant();
}

QHash<int, QByteArray> QualityModel::roleNames() const
{
    return {{NameRole, "name"}, {QualityIDRole, "qualityID"}};
}
