import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Extras 1.4
import QtQuick.Controls.Styles 1.4

// Edits a width or a diameter of the row it is handed with a slider under an upright colour gauge; the
// number box counts in hundredths.
ValueDlg {
    id: dialog
    width: 640
    height: Math.min(window.height - 16, 420 + extraHeight)
    title: qsTr("Width setting")
    numberBox: spinBox
    controlValue: slider.value

    function barColor(value) {
        console.log("Cal color from width dialog")
        return getColorByValue(value, gauge.minimumValue, safeVal)
    }

    onLoading: {
        slider.load(minVal, maxVal, editStep, storedValue)
        gauge.tickmarkStepSize = dialog.row.labelStep
        spinBox.setRange(minVal, maxVal, editStep)
    }
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
            // With a change to each set, the colour spans the results.
            value: dialog.absolute ? slider.value : dialog.results.max
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
            unitScale: 100
            decimals: 2
            unit: dialog.boxUnit
        }
    }
}
