import QtQuick 2.12
import QtQuick.Controls 2.5

// Edits a whole-number parameter of the row it is handed with an editable spin box.
ValueDlg {
    id: dialog
    width: setCount > 1 ? 520 : 320
    height: 260 + extraHeight
    title: "Please set double input dialog title"
    numberBox: spinBox
    controlValue: spinBox.value

    onLoading: spinBox.setRange(minVal, maxVal, editStep)
    onClosed: console.log("int input dialog exit")

    ValueSpinBox {
        id: spinBox
        objectName: "spinBox"
        anchors.centerIn: parent
        width: Math.min(parent.width, 220)
        unit: dialog.boxUnit
    }
}
