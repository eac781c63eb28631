import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Extras 1.4
import QtQuick.Controls.Styles 1.4

// Edits a temperature of the row it is handed with a slider over a horizontal colour gauge.
ValueDlg {
    id: dialog
    width: 560
    height: Math.min(window.height - 16, 340 + extraHeight)
    title: qsTr("Temperature setting")
    numberBox: spinBox
    controlValue: slider.value

    function barColor(value) {
        console.log("Cal color from temperature dialog")
        console.log("tickmarkStepSize: " + gauge.tickmarkStepSize)
        return getColorByValue(value, gauge.minimumValue, safeVal)
    }

    onLoading: {
        slider.load(minVal, maxVal, editStep, storedValue)
        gauge.tickmarkStepSize = dialog.row.labelStep
        spinBox.setRange(minVal, maxVal, editStep)
    }
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
            // With a change to each set, the colour spans the results.
            value: dialog.absolute ? slider.value : dialog.results.max
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
                    Rectangle {
                        objectName: "belowResults"
                        visible: !dialog.absolute
                        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                        // At least a line of colour where every result is one value.
                        height: Math.min(parent.height - 2,
                                         parent.height * dialog.shareBelowResults(control.minimumValue, control.maximumValue))
                        radius: 3
                        color: "#E6E6E6"
                    }
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

        ValueSlider {
            id: slider
            objectName: "slider"
            anchors.horizontalCenter: parent.horizontalCenter
            width: gauge.width
            height: 30
            numberBox: spinBox
            enabled: dialog.absolute
            // One handle cannot show the results.
            visible: dialog.absolute
        }

        ValueSpinBox {
            id: spinBox
            objectName: "spinBox"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 200
            unit: dialog.boxUnit
            unitGap: ""
        }
    }
}
