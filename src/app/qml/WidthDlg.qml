import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Extras 1.4
import QtQuick.Controls.Styles 1.4

// Edits a width or a diameter of curParamItem with a slider under an upright colour gauge; the
// spin box shows the slider's value in hundredths.
Dialog {
    id: dialog
    width: 640
    height: 400
    anchors.centerIn: Overlay.overlay
    modal: true
    focus: true
    title: "Width setting"
    standardButtons: Dialog.Ok | Dialog.Cancel

    property string unit: "unit"
    property real safeVal: 100

    // Decimal places of a step such as 0.01 (at most three, the model's precision).
    function placesOf(step) {
        var places = 0
        while (places < 3 && Math.abs(step * Math.pow(10, places) - Math.round(step * Math.pow(10, places))) > 1e-9)
            ++places
        return places
    }

    function setValue() {
        title = curParamItem.paramDesc
        slider.from = curParamItem.minVal
        slider.to = curParamItem.maxVal
        slider.stepSize = curParamItem.editStep
        gauge.tickmarkStepSize = curParamItem.labelStep
        safeVal = curParamItem.safeVal
        unit = curParamItem.paramUnit
        // The model cuts toward zero at three decimals (a stored -5 reads -4.999), which the
        // step's precision undoes; else OK would store -4.
        var target = Number(curParamItem.paramVal.toFixed(placesOf(curParamItem.editStep)))
        // A change of value first, so that the gauge, its colour and the text refresh even when
        // the value is the one of the last opening.
        slider.value = target !== slider.from ? slider.from : slider.to
        slider.value = target
    }

    function barColor(value) {
        console.log("Cal color from width dialog")
        return getColorByValue(value, gauge.minimumValue, safeVal)
    }

    onAccepted: {
        materials.setParameter(curParamItem.paramID, slider.value)
        console.log("Ok clicked, Set parameter, ID: " + curParamItem.paramID)
    }
    onRejected: console.log("Cancel clicked")
    onClosed: console.log("Width dialog exit")

    Column {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width
        spacing: 8

        Gauge {
            id: gauge
            objectName: "gauge"
            anchors.horizontalCenter: parent.horizontalCenter
            width: parent.width * 0.9
            height: 160
            orientation: Qt.Vertical
            tickmarkAlignment: Qt.AlignLeft
            minorTickmarkCount: 4
            minimumValue: slider.from
            maximumValue: slider.to
            value: slider.value
            tickmarkStepSize: 0.5
            font.pixelSize: fontP * 0.9
            // All labels with the step's decimals: the gauge makes room for the text of its
            // maximum only, and steps such as 0.1 add up to 0.30000000000000004.
            formatValue: function (value) { return value.toFixed(dialog.placesOf(tickmarkStepSize)) }

            style: GaugeStyle {
                background: Rectangle {
                    color: "#E6E6E6"
                    radius: 3
                }
                valueBar: Rectangle {
                    objectName: "valueBar"
                    implicitWidth: control.width - 45
                    radius: 3
                    color: dialog.barColor(control.value)
                }
                tickmark: Item {
                    implicitWidth: 8
                    implicitHeight: 2
                    Rectangle {
                        anchors.fill: parent
                        anchors.rightMargin: 2
                        color: "#616161"
                    }
                }
                minorTickmark: Item {
                    implicitWidth: 5
                    implicitHeight: 1
                    Rectangle {
                        anchors.fill: parent
                        anchors.rightMargin: 2
                        color: "#9E9E9E"
                    }
                }
                tickmarkLabel: Text {
                    text: control.formatValue(styleData.value)
                    font: control.font
                    color: "#424242"
                }
            }
        }

        Slider {
            id: slider
            objectName: "slider"
            anchors.horizontalCenter: parent.horizontalCenter
            width: gauge.width
            height: 30
            focus: true
            from: 0
            to: 2
            stepSize: 0.01
        }

        SpinBox {
            id: spinBox
            objectName: "spinBox"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 200
            font.pixelSize: fontP * 1.2
            // Rounded: 0.29 * 100 is 28.999999999999996.
            from: Math.round(slider.from * 100)
            to: Math.round(slider.to * 100)
            stepSize: 1
            value: Math.round(slider.value * 100)
            onValueModified: slider.value = value / 100
            textFromValue: function (value, locale) {
                return Number(value / 100).toLocaleString(locale, 'f', 2) + " " + dialog.unit
            }
        }
    }
}
