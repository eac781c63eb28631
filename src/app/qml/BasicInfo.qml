import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Window 2.2
import QtQuick.Layouts 1.12
import PrintSet 1.0

Page {
    id: page
    // The page's dialogs, each made when it is first opened: the window's first frame waits for
    // none of them, and a chooser's list of the whole library costs nothing until it is wanted.
    property var parentChooser: null
    property var namInputDialog: null
    property var setIDDialog: null
    function openMade(name, component) {
        if (!page[name])
            page[name] = component.createObject(page)
        page[name].open()
    }

    BasicInfoModel {
        id: infoModel
        mats: materials
    }

    GridView {
        id: basicGrid
        readonly property real margin: 5
        anchors.fill: parent
        anchors.leftMargin: margin
        clip: true
        cellWidth: (width - 2 * margin) / 3 - 5
        cellHeight: fontP * 4
        // The values come with the window's second frame (see firstFrameOut).
        model: firstFrameOut ? infoModel : null

        // A long name gives way to the symbol that edits it.
        header: ColumnLayout {
            width: basicGrid.width
            spacing: 0
            RowLayout {
                Layout.fillWidth: true
                spacing: 15
                Item {
                    Layout.preferredWidth: 25
                    Layout.preferredHeight: 1
                }
                Label {
                    Layout.topMargin: 20
                    Layout.bottomMargin: 20
                    Layout.maximumWidth: Math.ceil(implicitWidth) + 1
                    Layout.fillWidth: true
                    text: materials.curMaterial
                    font.pixelSize: fontP * 2.0
                    elide: Text.ElideRight
                }
                ToolButton {
                    objectName: "nameSymbol"
                    focusPolicy: Qt.StrongFocus
                    text: "✍"
                    font.pixelSize: fontP * 2.0
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Name, manufacturer and password")
                    onClicked: openMade("namInputDialog", nameDialogMaker)
                }
                // The lock, where the user looks for it.
                Label {
                    objectName: "lockState"
                    Layout.fillWidth: true
                    elide: Text.ElideRight
                    color: materials.bMatLocked ? "#B71C1C" : "#616161"
                    text: materials.bMatLocked && materials.hasPassword ? "🔒 " + qsTr("Locked: give its password with ✍ to edit it")
                          : materials.hasPassword ? qsTr("Password set: it locks when you choose another material") : ""
                }
            }
            // What the user's own material is measured by (↺, ●): the one it was copied from.
            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 40
                Layout.bottomMargin: 10
                visible: materials.parentLinkable
                spacing: 10
                Label {
                    objectName: "parentNote"
                    Layout.fillWidth: true
                    Layout.maximumWidth: Math.ceil(implicitWidth) + 1
                    elide: Text.ElideRight
                    color: "#616161"
                    text: materials.parentNote !== "" ? materials.parentNote : qsTr("Measured by no other material")
                }
                Button {
                    objectName: "unlinkParent"
                    flat: true
                    visible: materials.parentNote !== ""
                    enabled: !materials.bMatLocked
                    text: qsTr("Unlink")
                    ToolTip.visible: hovered
                    ToolTip.text: qsTr("Measure it by no other material: no ↺ or ● against the one it was copied from")
                    onClicked: materials.unlinkParent()
                }
                Button {
                    objectName: "chooseParent"
                    flat: true
                    enabled: !materials.bMatLocked
                    text: qsTr("Choose parent…")
                    onClicked: openMade("parentChooser", parentChooserMaker)
                }
                Item { Layout.fillWidth: true }
            }
        }

        footer: Column {
            width: basicGrid.width - basicGrid.margin
            spacing: 18
            Row {
                width: parent.width
                spacing: 8
                Label {
                    objectName: "idFooter"
                    width: parent.width - idButton.width - parent.spacing
                    anchors.verticalCenter: parent.verticalCenter
                    wrapMode: Text.Wrap
                    text: qsTr("   --- This is basic infomation about ") + materials.curMaterial + "  ----"
                    font.pixelSize: fontP * 1.2
                }
                // The ID is changed here, by mouse or keyboard.
                Button {
                    id: idButton
                    objectName: "idButton"
                    flat: true
                    text: qsTr("ID: ") + materials.curMatID + " ✎"
                    font.capitalization: Font.MixedCase
                    font.pixelSize: fontP * 1.1
                    onClicked: openMade("setIDDialog", idDialogMaker)
                }
            }
            Loader {
                x: 20
                active: firstFrameOut
                sourceComponent: PrintSetMap {}
            }
        }

        delegate: Row {
            spacing: 1
            visible: paramType !== -1
            Item {
                width: 10
                height: 1
            }
            Button {
                id: editButton
                objectName: "editButton_" + paramID
                text: (paramFlag & 2) ? "🔒" : "✎"
                font.pixelSize: fontP * 1.6
                onClicked: beginEdit(model, valueField)
            }
            TextField {
                id: valueField
                objectName: "basicField_" + paramID
                width: basicGrid.cellWidth - 10 - editButton.width - 2
                anchors.verticalCenter: editButton.verticalCenter
                readOnly: true
                // A press opens the dialog, which keeps the keyboard; Tab still reaches the field.
                activeFocusOnPress: false
                activeFocusOnTab: true
                // Whole numbers as they are; decimals with at least two places (-0.3 reads -0.30).
                text: paramDesc + ": " + ((paramFlag & 1)
                      ? valueText(paramVal, paramType === 2 || paramType === 7 ? 2 : 0) + " " + paramUnit : "---")
                onTextChanged: cursorPosition = 0
                // The row's help (the vendor mark inside the field has its own); not for a row let go
                // at a reset, which has left the window.
                ToolTip.visible: hovered && !vendorMark.hovered && Window.window !== null && paramHelp !== ""
                ToolTip.text: paramHelp
                ToolTip.delay: 500
                onPressed: beginEdit(model, valueField)
                Keys.onReturnPressed: beginEdit(model, valueField)
                Keys.onEnterPressed: beginEdit(model, valueField)
                Keys.onSpacePressed: beginEdit(model, valueField)
                VendorMark {
                    id: vendorMark
                    objectName: "vendorMark_" + paramID
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    differs: vendorDiff
                    tip: vendorTip
                    paramID: model.paramID
                    locked: paramFlag & 2
                }
            }
        }
    }

    Component {
        id: parentChooserMaker
        MaterialChooser {
            objectName: "parentChooser"
            title: qsTr("Choose parent")
            prompt: qsTr("%1 is measured by the material you choose: ↺ marks its values that differ, and puts that material's value back.").arg(materials.curMatName)
            onChosen: {
                var refusal = materials.chooseParent(matID)
                if (refusal !== "") {
                    messageDialog.title = qsTr("Choose parent")
                    messageDialog.prompt = refusal
                    messageDialog.open()
                }
            }
        }
    }
    Component {
        id: nameDialogMaker
        MatNameInputDlg { objectName: "namInputDialog" }
    }
    Component {
        id: idDialogMaker
        MatID { objectName: "setIDDialog" }
    }
}
