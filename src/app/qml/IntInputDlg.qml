import QtQuick 2.12
import QtQuick.Controls 2.5

// Edits a whole-number parameter of curParamItem with an editable spin box.
Dialog {
    id: dialog
    width: 320
    height: 240
    anchors.centerIn: Overlay.overlay
    modal: true
    focus: true
    title: "Please set double input dialog title"
    standardButtons: Dialog.Ok | Dialog.Cancel

    property string unit: "unit"
    property real safeVal: 100

    function setValue() {
        title = curParamItem.paramDesc
        spinBox.from = Math.round(curParamItem.minVal)
        spinBox.to = Math.round(curParamItem.maxVal)
        spinBox.stepSize = Math.max(1, Math.round(curParamItem.editStep))
        unit = curParamItem.paramUnit
        safeVal = curParamItem.safeVal
        // The text follows value changes only, so a new unit with an unchanged value needs a
        // change of value to show.
        var target = Math.round(curParamItem.paramVal)
        spinBox.value = target < spinBox.to ? target + 1 : target - 1
        spinBox.value = target
    }

    onAccepted: {
        materials.setParameter(curParamItem.paramID, spinBox.value)
        console.log("Ok clicked, Set parameter, ID: " + curParamItem.paramID)
    }
    onRejected: console.log("Cancel clicked")
    onClosed: {
        console.log("int input: " + spinBox.value)
        console.log("int input dialog exit")
    }

    SpinBox {
        id: spinBox
        objectName: "spinBox"
        anchors.centerIn: parent
        width: Math.min(parent.width, 220)
        font.pixelSize: fontP * 1.2
        editable: true
        focus: true
        from: 0
        to: 100

        // The number as typed, with or without the unit after it; the range is kept by the
        // spin box when the text is taken.
        validator: RegExpValidator {
            regExp: new RegExp("[+-]?\\d{0,9}(\\s*" + dialog.unit.replace(/[.*+?^${}()|[\]\\\/-]/g, "\\$&") + ")?")
        }

        textFromValue: function (value, locale) {
            return dialog.unit.length > 0 ? value + " " + dialog.unit : String(value)
        }

        valueFromText: function (text, locale) {
            var match = text.match(/(\-|\+?)\d+/)
            // Text without a number leaves the value as it was.
            var number = match ? parseInt(match[0], 10) : spinBox.value
            console.log("substring of int input: " + match + " " + number)
            return number
        }
    }
}
