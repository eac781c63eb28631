import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Window 2.2
import QtQuick.Controls.Material 2.12
import PrintSet 1.0

Page {
    id: paramPage
    font.pixelSize: fontP * 1.1

    // The selection as a path of the levels chosen: a level's text starting with "-" is a
    // menu's placeholder.
    function selectionPath() {
        return [materials.curPrinter, materials.curNozzle, materials.curLayerThick, materials.curQuality]
               .filter(t => t.charAt(0) !== "-").map(t => t.trim()).join(" > ")
    }

    // Three cells to a line where the window is wide, as the rows come in threes (contour, infill,
    // support); two, then one, where it is not, without the cells that only keep the threes apart.
    readonly property int columns: width >= fontP * 75 ? 3 : width >= fontP * 44 ? 2 : 1
    readonly property real cellWidth: (paramView.width - 20) / columns

    Flickable {
        id: paramView
        objectName: "paramView"
        anchors.fill: parent
        anchors.leftMargin: 10
        clip: true
        contentWidth: width
        contentHeight: paramColumn.height + 10
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}

        // Scrolls the item into view, as a view does for its current row.
        function show(item) {
            var y = item.mapToItem(paramColumn, 0, 0).y
            if (y < contentY)
                contentY = y
            else if (y + item.height > contentY + height)
                contentY = y + item.height - height
        }

        Column {
            id: paramColumn
            width: parent.width

            Flow {
                width: parent.width
                topPadding: 10
                leftPadding: 30
                bottomPadding: 2
                spacing: 10
                // Back to the material's start page; the selection stays.
                Button {
                    objectName: "backButton"
                    text: "◀ " + qsTr("Basic information")
                    font.pixelSize: fontP * 1.1
                    font.capitalization: Font.MixedCase
                    flat: true
                    onClicked: showStartPage()
                }
                Button {
                    objectName: "copySetsButton"
                    text: "➕"
                    font.pixelSize: fontP * 1.4
                    enabled: !materials.bMatLocked
                    ToolTip.visible: hovered
                    ToolTip.delay: 500
                    ToolTip.text: qsTr("Copy the selected print sets")
                    onClicked: {
                        copyDialog.beforeOpen()
                        copyDialog.open()
                    }
                }
                Button {
                    objectName: "removeSetsButton"
                    text: "➖"
                    font.pixelSize: fontP * 1.4
                    enabled: !materials.bMatLocked
                    ToolTip.visible: hovered
                    ToolTip.delay: 500
                    ToolTip.text: qsTr("Remove the selected print sets")
                    onClicked: removeSetDialog.open()
                }
                // The lock, where the values are: a press on one asks for the password.
                Button {
                    objectName: "paramLockState"
                    visible: materials.bMatLocked
                    flat: true
                    text: "🔒 " + qsTr("Locked: press to give its password")
                    font.capitalization: Font.MixedCase
                    Material.foreground: "#B71C1C"
                    onClicked: askUnlock()
                }
            }
            // What the values below are of.
            Label {
                objectName: "selectionSummary"
                x: 40
                width: parent.width - 50
                bottomPadding: 8
                elide: Text.ElideRight
                color: "#616161"
                text: qsTr("%1 print sets: %2").arg(materials.curSetNumber).arg(selectionPath())
            }

            // The volumetric flow of the selected sets for contour, infill and support, and the
            // material's flow limit: a line over it in a warning colour.
            Flow {
                id: flowRow
                objectName: "flowRow"
                x: 40
                width: parent.width - 50
                spacing: 16
                bottomPadding: 6
                property var lines: []
                property real limit: 0
                function reload() {
                    lines = materials.flowLines()
                    limit = materials.flowLimit()
                }
                Component.onCompleted: reload()
                Connections {
                    target: materials
                    function onMatChanged() { flowRow.reload() }
                    function onQualityChanged() { flowRow.reload() }
                    function onLayerThickChanged() { flowRow.reload() }
                    function onNozzleChanged() { flowRow.reload() }
                    function onPrinterChanged() { flowRow.reload() }
                }
                Repeater {
                    model: flowRow.lines
                    Label {
                        objectName: "flowLine_" + modelData.part
                        readonly property string range: modelData.low === modelData.high ? String(modelData.low)
                                                        : modelData.low + " – " + modelData.high
                        text: [qsTr("Contour flow"), qsTr("Infill flow"), qsTr("Support flow")][modelData.part]
                              + ": " + range + " mm³/s"
                        color: modelData.over ? "#E65100" : "#37474F"
                        font.bold: modelData.over
                        ToolTip.visible: flowHover.hovered
                        ToolTip.delay: 300
                        ToolTip.text: qsTr("Speed × line width × layer thickness, from the stored values of the selected print sets.")
                                      + (modelData.over ? "\n" + qsTr("Over the material's flow limit of %1 mm³/s.").arg(flowRow.limit) : "")
                        HoverHandler { id: flowHover; enabled: !paramTable.visible }
                    }
                }
                Button {
                    objectName: "flowLimitButton"
                    flat: true
                    font.capitalization: Font.MixedCase
                    text: flowRow.limit > 0 ? qsTr("Limit: %1 mm³/s").arg(flowRow.limit) : qsTr("Flow limit…")
                    ToolTip.visible: hovered
                    ToolTip.delay: 500
                    ToolTip.text: qsTr("The highest volumetric flow of this material")
                    onClicked: flowLimitDialog.open()
                }
            }

            Flow {
                width: parent.width
                Repeater {
                    model: PrintParamModel { mats: materials }
                    delegate: paramCell
                }
            }
        }
    }

    // The widest value a cell shows, so that values are never cut; the label gives way.
    TextMetrics {
        id: valueMetrics
        font: paramPage.font
        text: "-0,000.000 mm/s²"
    }

    Component {
        id: paramCell
        Item {
            width: paramPage.cellWidth
            height: fontP * 3
            // An unused cell keeps its place only where the lines hold three.
            visible: paramType !== -1 || paramPage.columns === 3
            opacity: paramType !== -1 ? 1 : 0
            // Every label starts at one margin; a long one is cut, whole in its tool tip.
            Label {
                id: descLabel
                anchors.left: parent.left
                anchors.leftMargin: 12
                anchors.right: tableButton.left
                anchors.rightMargin: 4
                anchors.verticalCenter: valueField.verticalCenter
                text: paramDesc + ": "
                elide: Text.ElideRight
                // The row's help, after the whole label where the label is cut. A row let go at a reset
                // leaves the window, and its tip, still waiting to open, must not try.
                ToolTip.visible: labelHover.hovered && Window.window !== null && (truncated || paramHelp !== "")
                ToolTip.text: (truncated ? paramDesc + (paramHelp ? " — " : "") : "") + paramHelp
                ToolTip.delay: 500
                // Not through the value table, which covers the page.
                HoverHandler { id: labelHover; enabled: !paramTable.visible }
            }
            // Where the print sets differ: each set's value in a table.
            ToolButton {
                id: tableButton
                objectName: "tableButton_" + paramID
                anchors.right: vendorMark.left
                anchors.verticalCenter: valueField.verticalCenter
                visible: paramRange !== ""
                width: visible ? implicitWidth : 0
                implicitWidth: fontP * 2
                text: "⊞"
                font.pixelSize: fontP * 1.2
                focusPolicy: Qt.TabFocus
                ToolTip.visible: hovered
                ToolTip.delay: 300
                ToolTip.text: qsTr("Each print set's value in a table")
                onClicked: showTable(paramID, valueField)
            }
            VendorMark {
                id: vendorMark
                objectName: "vendorMark_" + paramID
                anchors.right: valueField.left
                anchors.verticalCenter: valueField.verticalCenter
                differs: vendorDiff
                tip: vendorTip
                paramID: model.paramID
                locked: paramFlag & 2
            }
            TextField {
                id: valueField
                objectName: "paramField_" + paramID
                anchors.right: parent.right
                anchors.rightMargin: 10
                width: valueMetrics.advanceWidth + leftPadding + rightPadding + 8
                readOnly: true
                activeFocusOnPress: false
                activeFocusOnTab: paramType !== -1
                horizontalAlignment: TextInput.AlignRight
                color: "Red"
                // Where the print sets differ and their range shows, the word moves to a caption.
                placeholderText: paramRange === "" ? qsTr("manifold") : ""
                placeholderTextColor: "gray"
                text: (paramFlag & 1) ? valueText(paramVal, 2, Qt.locale("en_US")) + " " + paramUnit : ""
                onActiveFocusChanged: if (activeFocus) paramView.show(parent)
                onPressed: {
                    console.log(" TextField Widht: " + width)
                    beginEdit(model, valueField)
                }
                Keys.onReturnPressed: beginEdit(model, valueField)
                Keys.onEnterPressed: beginEdit(model, valueField)
                Keys.onSpacePressed: beginEdit(model, valueField)
                Label {
                    anchors.right: parent.right
                    anchors.rightMargin: parent.rightPadding
                    anchors.top: parent.top
                    visible: paramRange !== ""
                    text: qsTr("manifold")
                    color: "gray"
                    font.pixelSize: fontP * 0.7
                }
                // Where the print sets differ, their range under the caption.
                Label {
                    objectName: "paramRange_" + paramID
                    anchors.right: parent.right
                    anchors.rightMargin: parent.rightPadding
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.verticalCenterOffset: fontP * 0.3
                    visible: paramRange !== ""
                    readonly property var ends: paramRange.split(" – ").map(Number)
                    text: paramRange + " " + paramUnit
                    // Red, as values are, only where one of them lies outside the row's range.
                    color: ends[0] < minVal || ends[1] > maxVal ? "Red" : "#37474F"
                }
            }
        }
    }

    CopySetDlg { id: copyDialog; objectName: "copyDialog" }

    Question {
        id: removeSetDialog
        objectName: "removeSetDialog"
        title: qsTr("Remove print sets")
        preferredWidth: 480
        height: 240
        standardButtons: Dialog.Ok | Dialog.Cancel
        onAboutToShow: removeLabel.text = qsTr("Remove %1 print sets").arg(materials.curSetNumber) + "\n" + selectionPath()
        onAccepted: {
            var n = materials.removeCurSets()
            console.log("Remove print set: " + n)
            messageDialog.title = qsTr("Remove print set")
            messageDialog.prompt = qsTr("Removed %1 print sets").arg(n)
            messageDialog.open()
        }
        Column {
            spacing: 20
            anchors.fill: parent
            Label {
                id: removeLabel
                objectName: "removeLabel"
                width: parent.width
                height: parent.height
                color: "#e41e25"
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
}
