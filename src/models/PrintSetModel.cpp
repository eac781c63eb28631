#include "PrintSetModel.h"

#include "base/Log.h"
#include "base/TLanguage.h"
#include "library/Materials.h"

#include <QRegularExpression>

#include <cmath>

PrintSetModel::PrintSetModel(QObject *parent) : QAbstractListModel(parent) {}

void PrintSetModel::setMats(Materials *mats)
{
    beginResetModel();
    if (m_mats)
        disconnect(m_mats, nullptr, this, nullptr);
    LogLine("setMats") << " Set Model data of Print set Model";
    m_mats = mats;
    if (m_mats) {
        connect(m_mats, &Materials::preItemAppended, this, [this]() {
            const int row = m_mats->items()->size();
            beginInsertRows(QModelIndex(), row, row);
        });
        connect(m_mats, &Materials::postItemAppended, this, [this]() { endInsertRows(); });
        connect(m_mats, &Materials::preItemRemoved, this,
                [this](int nIndex) { beginRemoveRows(QModelIndex(), nIndex, nIndex); });
        connect(m_mats, &Materials::postItemRemoved, this, [this]() { endRemoveRows(); });
        connect(m_mats, &Materials::matChanged, this, [this]() {
            beginResetModel();
            endResetModel();
        });
    }
    endResetModel();
}

int PrintSetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_mats || !m_mats->currentMaterial())
        return 0;
    if (m_mats->curSetNumber() == 0)
        return BASICINFO_SIZE;
    return m_mats->items()->size();
}

QVariant PrintSetModel::RowData(int row, int role) const
{
    if (!m_mats || row < 0 || row >= m_mats->items()->size() || role < ParamIDRole || role > ParamRangeRole)
        return QVariant();
    const ParamItem &item = m_mats->items()->at(row);
    const auto shown = [](double v) {
        // Made once: compiling it for every row read cost the page more than its values.
        static const QRegularExpression trailingZeros(QStringLiteral("\\.?0+$"));
        return QString::number(RoundShownValue(v), 'f', 3).remove(trailingZeros);
    };
    if (role == ParamRangeRole) {
        if (item.paramFlag & ParamItem::CommonValue)
            return QString();
        const QVariantMap spread = m_mats->valueSpread(item.paramID);
        return spread.value(QStringLiteral("count")).toInt() > 1
                   ? shown(spread.value(QStringLiteral("min")).toDouble()) + QStringLiteral(" – ") +
                         shown(spread.value(QStringLiteral("max")).toDouble())
                   : QString();
    }
    if (role == VendorDiffRole || role == VendorTipRole) {
        const Materials::VendorMark mark = m_mats->vendorMark(row);
        if (role == VendorDiffRole)
            return mark.differs;
        QString values = shown(mark.low);
        if (mark.high != mark.low)
            values += QStringLiteral(" – ") + shown(mark.high);
        if (!mark.has)
            return QString();
        // Measured by the material it was copied from, the tip names that one.
        const QString parent = m_mats->referenceName();
        values += QLatin1Char(' ') + item.paramUnit;
        return parent.isEmpty() ? LangTr("Vendor: %1").arg(values)
                                : QStringLiteral("%1: %2").arg(parent, values);
    }
    switch (role) {
    case ParamIDRole:
        return item.paramID;
    case ParamTypeRole:
        return item.paramType;
    case ParamFlagRole:
        return item.paramFlag;
    case ParamValRole:
        return RoundShownValue(item.paramVal);
    case ParamDescRole:
        return LangTrans::Instance()->Translate(item.paramDesc);
    case ParamUnitRole:
        return item.paramUnit;
    case MinValRole:
        return item.minVal;
    case MaxValRole:
        return item.maxVal;
    case SafeValRole:
        return item.safeVal;
    case EditStepRole:
        return item.editStep;
    case TickStepRole:
        return item.tickStep;
    case LabelStepRole:
        return item.labelStep;
    case ParamHelpRole: {
        const QString help = ParamHelp(item.paramID);
        return help.isEmpty() ? help : LangTrans::Instance()->Translate(help);
    }
    }
    return QVariant();
}

QVariant PrintSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    return RowData(index.row(), role);
}

Qt::ItemFlags PrintSetModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEditable : Qt::NoItemFlags;
}

QHash<int, QByteArray> PrintSetModel::roleNames() const
{
    return {
        {ParamIDRole, "paramID"},       {ParamTypeRole, "paramType"}, {ParamValRole, "paramVal"},
        {ParamFlagRole, "paramFlag"},   {ParamDescRole, "paramDesc"}, {ParamUnitRole, "paramUnit"},
        {MinValRole, "minVal"},         {MaxValRole, "maxVal"},       {SafeValRole, "safeVal"},
        {EditStepRole, "editStep"},     {TickStepRole, "tickStep"},   {LabelStepRole, "labelStep"},
        {VendorDiffRole, "vendorDiff"}, {VendorTipRole, "vendorTip"}, {ParamHelpRole, "paramHelp"},
        {ParamRangeRole, "paramRange"},
    };
}

int BasicInfoModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return qMin(PrintSetModel::rowCount(), int(BASICINFO_SIZE));
}

QVariant BasicInfoModel::data(const QModelIndex &index, int role) const
{
    Q_ASSERT(!index.isValid() || index.row() < BASICINFO_SIZE);
    if (!index.isValid() || index.row() >= BASICINFO_SIZE)
        return QVariant();
    return PrintSetModel::data(index, role);
}

int PrintParamModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return qMax(0, PrintSetModel::rowCount() - BASICINFO_SIZE);
}

QVariant PrintParamModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    return RowData(index.row() + BASICINFO_SIZE, role);
}
