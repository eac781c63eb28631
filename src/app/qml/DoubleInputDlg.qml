import QtQuick 2.12
import QtQuick.Controls 2.5

// Edits a decimal parameter of the row it is handed. The spin box counts in hundredths, so it holds the
// value with two decimals as an integer.
ValueDlg {
    id: dialog
    width: setCount > 1 ? 520 : 320
    height: 260 + extraHeight
    title: "Please set double input dialog title"
    numberBox: spinBox
    controlValue: spinBox.value / realScale

    property int decimals: 2
    property real realScale: 100

    onLoading: spinBox.setRange(minVal, maxVal, editStep)
    onClosed: console.log("double input dialog exit")

    ValueSpinBox {
        id: spinBox
        objectName: "spinBox"
        anchors.centerIn: parent
        width: Math.min(parent.width, 220)
        unitScale: dialog.realScale
        decimals: dialog.decimals
        unit: dialog.boxUnit
    }
}
