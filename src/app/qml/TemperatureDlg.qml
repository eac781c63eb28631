import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Extras 1.4
import QtQuick.Controls.Styles 1.4

// Edits a temperature of curParamItem with a slider over a horizontal colour gauge.
Dialog {
    id: dialog
    width: 560
    height: 320
    anchors.centerIn: Overlay.overlay
    modal: true
    focus: true
    title: "Temperature setting"
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
        console.log("Cal color from temperature dialog")
        console.log("tickmarkStepSize: " + gauge.tickmarkStepSize)
        return getColorByValue(value, gauge.minimumValue, safeVal)
    }

    onAccepted: {
        materials.setParameter(curParamItem.paramID, slider.value)
        console.log("Ok clicked, Set parameter, ID: " + curParamItem.paramID)
    }
    onRejected: console.log("Cancel clicked")
    onClosed: console.log("temperature dialog exit")

    Column {
        anchors.centerIn: parent
        width: parent.width
        spacing: 8

        Gauge {
            id: gauge
            objectName: "gauge"
            anchors.horizontalCenter: parent.horizontalCenter
            width: parent.width * 0.8
            orientation: Qt.Horizontal
            tickmarkAlignment: Qt.AlignBottom
            minorTickmarkCount: 4
            minimumValue: slider.from
            maximumValue: slider.to
            value: slider.value
            tickmarkStepSize: 50
            font.pixelSize: fontP * 0.9
            formatValue: function (value) { return Math.round(value) }

            style: GaugeStyle {
                background: Rectangle {
                    color: "#E6E6E6"
                    radius: 3
                }
                valueBar: Rectangle {
                    objectName: "valueBar"
                    implicitWidth: 16
                    radius: 3
                    color: dialog.barColor(control.value)
                }
                tickmark: Item {
                    implicitWidth: 10
                    implicitHeight: 2
                    Rectangle {
                        anchors.fill: parent
                        anchors.leftMargin: 2
                        color: "#616161"
                    }
                }
                minorTickmark: Item {
                    implicitWidth: 6
                    implicitHeight: 1
                    Rectangle {
                        anchors.fill: parent
                        anchors.leftMargin: 2
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
            to: 400
            stepSize: 1
        }

        SpinBox {
            id: spinBox
            objectName: "spinBox"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 200
            font.pixelSize: fontP * 1.2
            from: slider.from
            to: slider.to
            stepSize: slider.stepSize
            value: slider.value
            onValueModified: slider.value = value
            textFromValue: function (value, locale) { return value + dialog.unit }
        }
    }
}
