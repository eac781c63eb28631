import QtQuick 2.12
import QtQuick.Controls 2.5

// Edits a decimal parameter of curParamItem. The spin box counts in hundredths, so it holds the
// value with two decimals as an integer.
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
    property int decimals: 2
    property real realScale: 100

    function setValue() {
        title = curParamItem.paramDesc
        // Rounded: 0.29 * 100 is 28.999999999999996.
        spinBox.from = Math.round(curParamItem.minVal * realScale)
        spinBox.to = Math.round(curParamItem.maxVal * realScale)
        spinBox.stepSize = Math.max(1, Math.round(curParamItem.editStep * realScale))
        unit = curParamItem.paramUnit
        safeVal = curParamItem.safeVal
        // The model cuts values toward zero at three decimals (a stored -0.3 reads -0.299); the
        // offsets bring them back to their hundredth before the integer part is taken.
        var x = curParamItem.paramVal
        var target = Math.trunc(x > 0 ? (x + 0.001) * realScale : (x - 0.005) * realScale)
        // The text follows value changes only, so a new unit with an unchanged value needs a
        // change of value to show.
        spinBox.value = target !== spinBox.from ? spinBox.from : spinBox.to
        spinBox.value = target
    }

    // The locale's decimal point and minus sign, without group separators, so that the text
    // reads back as it was shown.
    function formatHundredths(value, locale) {
        var text = (value / realScale).toFixed(decimals)
        return text.replace("-", locale.negativeSign).replace(".", locale.decimalPoint)
    }

    onAccepted: {
        materials.setParameter(curParamItem.paramID, spinBox.value / realScale)
        console.log("Ok clicked, Set parameter, ID: " + curParamItem.paramID)
    }
    onRejected: console.log("Cancel clicked")
    onClosed: {
        console.log("double input: " + spinBox.value / realScale)
        console.log("double input dialog exit")
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

        // A number with at most two decimals, with or without the unit after it; the range is
        // kept by the spin box when the text is taken.
        validator: RegExpValidator {
            regExp: new RegExp("[+\\-" + spinBox.locale.negativeSign + "]?\\d{0,7}([.,"
                               + spinBox.locale.decimalPoint + "]\\d{0," + dialog.decimals + "})?(\\s*"
                               + dialog.unit.replace(/[.*+?^${}()|[\]\\\/-]/g, "\\$&") + ")?")
        }

        textFromValue: function (value, locale) {
            console.log(" val to txt, val=" + value + " : " + value / dialog.realScale)
            console.log("locale: " + locale.name)
            return dialog.formatHundredths(value, locale) + " " + curParamItem.paramUnit
        }

        valueFromText: function (text, locale) {
            var plain = text.replace(locale.negativeSign, "-").replace(locale.decimalPoint, ".")
            var match = plain.match(/(\-|\+?)\d+(\.\d+)?/)
            console.log("substring of double input: " + match)
            // Text without a number leaves the value as it was.
            if (!match)
                return spinBox.value
            return Math.round(parseFloat(match[0]) * dialog.realScale)
        }
    }
}
