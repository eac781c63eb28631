#pragma once

#include <QString>
#include <QVector>

#include <vector>

class CPrintMaterial;
struct PrintSetData;

// One parameter row: a value with its description, unit, kind, state flags and editing range.
struct ParamItem
{
    // Kinds of value; the kind selects the editing dialog.
    enum Type {
        NoParam = -1,
        Integer = 1,
        Real = 2,
        Text = 3,
        Temperature = 4,
        Speed = 5,
        Acceleration = 6,
        Width = 7
    };
    // State bits of paramFlag.
    enum Flag { CommonValue = 1, Locked = 2 };

    ParamItem() = default;
    ParamItem(int id, int type, int flag, double value, const QString &desc, const QString &unit, double min,
              double max, double safe, double edit, double tick, double label);

    int paramID = -1;
    int paramType = 0;
    int paramFlag = 1;
    double paramVal = 0.0;
    QString paramDesc = QStringLiteral("undefined Item");
    QString paramUnit = QStringLiteral("mm");
    double minVal = -2147483648.0;
    double maxVal = -2147483648.0;
    double safeVal = 0.0;
    double editStep = 0.0;
    double tickStep = 0.0;
    double labelStep = 0.0;
};

// The rows of a print set and of the basic information share one ID space.
constexpr int kParamCount = 45;
constexpr int kLastBasicParam = 8;
// A print row holding this (or anything below kNoValueBelow) shows no value.
constexpr double kNoValue = -1e10;
constexpr double kNoValueBelow = -100000.0;

// Two values of a row are one value when their shown values differ by less than this: the pages
// show three decimals, so values that read alike there are never told apart anywhere else (the
// vendor marks, the drawer's mark, Save, the differences of an import or of corvane-cvx diff).
constexpr double kSameValueTolerance = 0.0005;
inline bool SameShownValue(double a, double b)
{
    return !(a - b >= kSameValueTolerance || b - a >= kSameValueTolerance);
}

// The 45 catalogue rows, IDs 0 to 44 equal to their index; made anew, or the one copy shared.
QVector<ParamItem> BuildParamCatalogue();
const QVector<ParamItem> &ParamCatalogue();
// The row's help in English (meaning, unit, usual range), the key of its translation; empty for the
// "unused" rows and IDs outside the catalogue.
QString ParamHelp(int id);
// Whether the row is bound and shows a field no other row shows (row 29 shows row 10's).
bool ShowsOwnField(int id);

// A shown value as the pages read it: rounded to three decimals, half away from zero (a float
// -0.3 reads -0.3, not -0.299). Values whose thousandfold leaves the 32-bit range (the no-value
// marker) are returned unchanged.
double RoundShownValue(double value);

// Whether a row is bound to a stored field (the "unused" rows are not).
bool IsBoundParam(int id);
// The shown value of a bound basic row (0..8) or print row (9..44); 0 for unbound rows.
double ShownBasicValue(const CPrintMaterial &mat, int id);
double ShownPrintValue(const PrintSetData &set, int id);
// Converts the shown value and stores it in the bound field; unbound IDs change nothing.
void StoreBasicValue(CPrintMaterial &mat, int id, double value);
void StorePrintValue(PrintSetData &set, int id, double value);

// Changes the stored field of a bound row by an amount in the row's shown unit, or by a percentage
// of its value, and says whether it changed. The arithmetic works on the stored value as its
// shortest decimal (a float 1.15 is 1.15, not 1.149999976), so that +X then -X gives back the same
// bytes; a percentage field changes its fraction by amount / 100. Integer fields round to the
// nearest whole number. A result beyond min or max is held there only when the change itself
// crossed it: a value already outside the range never moves against the change. A change of 0
// changes nothing.
bool ChangeBasicValueBy(CPrintMaterial &mat, int id, double amount, bool percent, double min, double max);
bool ChangePrintValueBy(PrintSetData &set, int id, double amount, bool percent, double min, double max);

// Whether the stored fields bound to the row hold one value (within kSameValueTolerance, as shown).
bool SameBasicValue(const CPrintMaterial &a, const CPrintMaterial &b, int id);
bool SamePrintValue(const PrintSetData &a, const PrintSetData &b, int id);

// Copies the stored field bound to the row from one record or set to another, bit for bit.
void CopyBasicValue(CPrintMaterial &to, const CPrintMaterial &from, int id);
void CopyPrintValue(PrintSetData &to, const PrintSetData &from, int id);

// Fills rows 0..8 from the material (or the "no material" state when it is null).
void LoadBasicRows(QVector<ParamItem> &rows, const CPrintMaterial *mat, bool locked);
// Fills rows 9..end from the sets: the first set's value, bit 0 cleared where sets disagree.
void LoadPrintRows(QVector<ParamItem> &rows, const std::vector<const PrintSetData *> &sets, bool locked);

// The float as the shortest decimal that reads back as it (0.4f is 0.4), in double precision: the
// stored value the rows' arithmetic starts from.
double ShortestDecimal(float value);
