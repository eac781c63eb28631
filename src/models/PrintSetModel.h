#pragma once

#include <QAbstractListModel>

class Materials;

// The library's parameter rows, read in place: every data() call reads its row from the library
// and translates the description afresh. Resets on the library's matChanged and follows its
// row insertions and removals.
class PrintSetModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(Materials *mats READ mats WRITE setMats FINAL)

public:
    enum Roles {
        ParamIDRole = Qt::UserRole,
        ParamTypeRole,
        ParamFlagRole,
        ParamValRole,
        ParamDescRole,
        ParamUnitRole,
        MinValRole,
        MaxValRole,
        SafeValRole,
        EditStepRole,
        TickStepRole,
        LabelStepRole,
        // Whether the value differs from the vendor's, and the vendor's value in words.
        VendorDiffRole,
        VendorTipRole,
        // The row's help, translated; empty for "unused" rows.
        ParamHelpRole,
        // Where the selected print sets differ: their lowest and highest value ("40 – 55").
        ParamRangeRole,
    };

    // Rows 0..8 are the basic information, the rest the print parameters.
    static constexpr int BASICINFO_SIZE = 9;

    explicit PrintSetModel(QObject *parent = nullptr);

    Materials *mats() const { return m_mats; }
    void setMats(Materials *mats);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

protected:
    QVariant RowData(int row, int role) const;

private:
    Materials *m_mats = nullptr;
};

// The first nine rows: the material's basic information.
class BasicInfoModel : public PrintSetModel
{
    Q_OBJECT
public:
    using PrintSetModel::PrintSetModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

// The rows after the first nine: the parameters of the current print sets.
class PrintParamModel : public PrintSetModel
{
    Q_OBJECT
public:
    using PrintSetModel::PrintSetModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};
