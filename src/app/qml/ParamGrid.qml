import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Window 2.2
import QtQuick.Controls.Material 2.12
import PrintSet 1.0

Page {
    id: paramPage
    font.pixelSize: fontP * 1.1

    GridView {
        id: paramGrid
        readonly property real margin: 10
        anchors.fill: parent
        anchors.leftMargin: margin
        clip: true
        cellWidth: (paramPage.width - 2 * margin) / 3 - 10
        cellHeight: fontP * 3
        model: PrintParamModel { mats: materials }

        header: Row {
            topPadding: 10
            leftPadding: 40
            bottomPadding: 5
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

        // The widest value a cell shows, so that values are never cut; the label gives way.
        TextMetrics {
            id: valueMetrics
            font: paramPage.font
            text: "-0,000.000 mm/s²"
        }

        delegate: Item {
            width: paramGrid.cellWidth
            height: paramGrid.cellHeight
            visible: paramType !== -1
            Label {
                id: descLabel
                anchors.left: parent.left
                anchors.leftMargin: Math.max(8, Math.min(50, parent.width - valueField.width - vendorMark.width - implicitWidth - 14))
                anchors.right: vendorMark.left
                anchors.rightMargin: 4
                anchors.verticalCenter: valueField.verticalCenter
                text: paramDesc + ": "
                elide: Text.ElideRight
                // The row's help, after the whole label where the label is cut. A row let go at a reset
                // leaves the window, and its tip, still waiting to open, must not try.
                ToolTip.visible: labelHover.hovered && Window.window !== null && (truncated || paramHelp !== "")
                ToolTip.text: (truncated ? paramDesc + (paramHelp ? " — " : "") : "") + paramHelp
                ToolTip.delay: 500
                HoverHandler { id: labelHover }
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
                activeFocusOnTab: true
                horizontalAlignment: TextInput.AlignRight
                color: "Red"
                placeholderText: qsTr("manifold")
                placeholderTextColor: "gray"
                text: (paramFlag & 1) ? valueText(paramVal, 2, Qt.locale("en_US")) + " " + paramUnit : ""
                onActiveFocusChanged: if (activeFocus) paramGrid.positionViewAtIndex(index, GridView.Contain)
                onPressed: {
                    console.log(" TextField Widht: " + width)
                    beginEdit(model, valueField)
                }
                Keys.onReturnPressed: beginEdit(model, valueField)
                Keys.onEnterPressed: beginEdit(model, valueField)
                Keys.onSpacePressed: beginEdit(model, valueField)
            }
        }
    }

    CopySetDlg { id: copyDialog; objectName: "copyDialog" }

    Dialog {
        id: removeSetDialog
        objectName: "removeSetDialog"
        title: qsTr("Remove print sets")
        width: 480
        height: 240
        anchors.centerIn: Overlay.overlay
        modal: true
        standardButtons: Dialog.Ok | Dialog.Cancel
        onAboutToShow: removeLabel.text = qsTr("Remove %1 print sets").arg(materials.curSetNumber) + "\n" + materials.curPrinter
                       + " > " + materials.curNozzle + " > " + materials.curLayerThick + " > " + materials.curQuality
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
