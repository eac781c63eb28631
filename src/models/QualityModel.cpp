#include "QualityModel.h"

#include "ModelBinding.h"
#include "base/TLanguage.h"
#include "core/PrinterCatalogue.h"
#include "library/Materials.h"

QualityModel::QualityModel(QObject *parent) : QAbstractListModel(parent) {}

void QualityModel::setMats(Materials *mats)
{
    beginResetModel();
    RebindMats(this, m_mats, mats, &Materials::qualityChanged, [this]() {
        beginResetModel();
        endResetModel();
    });
    endResetModel();
}

int QualityModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_mats)
        return 0;
    return int(m_mats->m_Qualities.size());
}

QVariant QualityModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_mats || index.row() >= rowCount())
        return QVariant();
    const int quality = m_mats->m_Qualities[size_t(index.row())];
    switch (role) {
    case NameRole:
        return LangTrans::Instance()->Translate(QString::fromStdString(GetQualityName(quality)));
    case QualityIDRole:
        return quality;
    }
    return QVariant();
}

Qt::ItemFlags QualityModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags;
}

QHash<int, QByteArray> QualityModel::roleNames() const
{
    return {{NameRole, "name"}, {QualityIDRole, "qualityID"}};
}
