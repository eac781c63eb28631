import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Extras 1.4
import QtQuick.Controls.Styles 1.4

// Edits a speed or an acceleration of the row it is handed with a slider under a round colour gauge.
ValueDlg {
    id: dialog
    width: setCount > 1 ? 560 : 480
    // Never taller than the window: the gauge gives way.
    height: Math.min(window.height - 16, 500 + extraHeight)
    title: qsTr("Speed setting")
    numberBox: spinBox
    controlValue: slider.value

    property real tickStep: 500
    property real labelStep: 500
    // The arc is redrawn when this changes, not on every fraction of a step.
    readonly property string drawnArc: Math.floor(gauge.value) + (absolute ? "" : " from " + results.min)

    onLoading: {
        tickStep = dialog.row.tickStep
        labelStep = dialog.row.labelStep
        slider.load(minVal, maxVal, editStep, storedValue)
        spinBox.setRange(minVal, maxVal, editStep)
    }
    onClosed: console.log("speed dialog exit")

    Column {
        id: column
        anchors.fill: parent
        spacing: 4

        CircularGauge {
            id: gauge
            objectName: "gauge"
            anchors.horizontalCenter: parent.horizontalCenter
            // As large as the slider and the spin box below leave room for.
            height: Math.min(column.height * 0.8, column.height - slider.height - spinBox.height - 2 * column.spacing)
            width: Math.min(column.width * 0.8, height)
            minimumValue: slider.from
            maximumValue: slider.to
            stepSize: slider.stepSize
            // With a change to each set, the arc spans the results and there is no needle.
            value: dialog.absolute ? slider.value : dialog.results.max
            tickmarksVisible: true

            style: CircularGaugeStyle {
                id: gaugeStyle
                minimumValueAngle: -130
                maximumValueAngle: 130
                tickmarkStepSize: dialog.tickStep
                labelStepSize: dialog.labelStep
                labelInset: outerRadius * 0.24
                minorTickmarkCount: 1

                background: Canvas {
                    id: arc
                    objectName: "arc"
                    readonly property string drawnArc: dialog.drawnArc
                    onDrawnArcChanged: requestPaint()

                    onPaint: {
                        var ctx = getContext("2d")
                        ctx.reset()
                        var R = gaugeStyle.outerRadius
                        var lineWidth = 0.1 * R
                        var radius = R - lineWidth / 2
                        var min = gauge.minimumValue
                        var max = gauge.maximumValue
                        var value = gauge.value
                        function angleOf(v) {
                            var s = max > min ? (Math.max(min, Math.min(max, v)) - min) / (max - min) : 0
                            return -130 * (1 - s) + 130 * s
                        }
                        var end = angleOf(value)
                        var start = dialog.absolute ? -130 : angleOf(dialog.results.min)
                        // Results of one value still show as a mark.
                        if (!dialog.absolute && end - start < 2) {
                            start -= 1
                            end += 1
                        }
                        // The whole scale faintly, then up to the needle (or over the results) in colour.
                        ctx.lineWidth = lineWidth
                        ctx.strokeStyle = "#E6E6E6"
                        ctx.beginPath()
                        ctx.arc(R, R, radius, (-130 - 90) * Math.PI / 180, (130 - 90) * Math.PI / 180, false)
                        ctx.stroke()
                        ctx.strokeStyle = getColorByValue(value, min, dialog.safeVal)
                        ctx.beginPath()
                        ctx.arc(R, R, radius, (start - 90) * Math.PI / 180, (end - 90) * Math.PI / 180, false)
                        ctx.stroke()
                        console.log("tick: " + gaugeStyle.tickmarkStepSize + " labe: " + gaugeStyle.labelStepSize)
                    }
                }

                needle: Rectangle {
                    objectName: "needle"
                    visible: dialog.absolute
                    implicitWidth: outerRadius * 0.03
                    implicitHeight: outerRadius * 0.85
                    radius: width / 2
                    antialiasing: true
                    color: "#424242"
                }
                tickmark: Rectangle {
                    implicitWidth: outerRadius * 0.02
                    implicitHeight: outerRadius * 0.1
                    antialiasing: true
                    color: "#616161"
                }
                minorTickmark: Rectangle {
                    implicitWidth: outerRadius * 0.01
                    implicitHeight: outerRadius * 0.05
                    antialiasing: true
                    color: "#9E9E9E"
                }
                tickmarkLabel: Text {
                    font.pixelSize: Math.max(fontP * 0.8, outerRadius * 0.1)
                    text: Math.round(styleData.value)
                    color: "#424242"
                    antialiasing: true
                }
            }
        }

        ValueSlider {
            id: slider
            objectName: "slider"
            anchors.horizontalCenter: parent.horizontalCenter
            width: column.width * 0.8
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
            width: 220
            unit: dialog.boxUnit
            unitGap: ""
        }
    }
}
