import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12
import PrintSet 1.0

Frame {
    TextField {
        id: searchField
        objectName: "searchField"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: changedOnly.left
        placeholderText: qsTr("Search name, manufacturer or ID")
        selectByMouse: true
    }
    // Only what is the user's: materials changed from the vendor's, and the user's own.
    ToolButton {
        id: changedOnly
        objectName: "changedOnly"
        anchors.right: parent.right
        anchors.verticalCenter: searchField.verticalCenter
        checkable: true
        text: "●◆"
        font.pixelSize: fontP * 0.9
        ToolTip.visible: hovered
        ToolTip.text: qsTr("Show only materials changed from the vendor's (●) and your own (◆)")
    }

    ListView {
        id: materialList
        objectName: "materialList"
        anchors.top: searchField.bottom
        anchors.topMargin: 4
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        clip: true
        model: MaterialFilterModel {
            objectName: "materialFilter"
            mats: materials
            filterText: searchField.text
            changedOnly: changedOnly.checked
        }
        delegate: RowLayout {
            width: materialList.width
            spacing: 1
            Button {
                Layout.preferredWidth: 44
                flat: true
                text: bCur ? "✔" : "○"
                onClicked: chooseMaterial(matID)
            }
            // ● changed from the vendor's, ◆ the user's own.
            Label {
                objectName: "vendorState_" + matID
                Layout.preferredWidth: fontP * 1.2
                horizontalAlignment: Text.AlignHCenter
                text: vendorState === 1 ? "●" : vendorState === 2 ? "◆" : ""
                color: vendorState === 1 ? "#E65100" : "#3F51B5"
                ToolTip.visible: stateHover.hovered && text !== ""
                ToolTip.text: vendorState === 1 ? qsTr("Changed from the vendor's") : qsTr("Your own material")
                HoverHandler { id: stateHover }
            }
            TextField {
                objectName: "materialField_" + matID
                Layout.fillWidth: true
                readOnly: true
                maximumLength: 24
                placeholderText: "Duplicate"
                text: name + " - " + manu
                // Show the beginning of the name, not the end where the cursor was left.
                onTextChanged: cursorPosition = 0
                Component.onCompleted: cursorPosition = 0
                onPressed: chooseMaterial(matID)
            }
            Button {
                objectName: "copyMaterial_" + matID
                Layout.preferredWidth: 44
                flat: true
                text: "➕"
                onClicked: materials.addCopyMaterial(matID)
            }
            Button {
                objectName: "removeMaterial_" + matID
                Layout.preferredWidth: 44
                flat: true
                text: "➖"
                onClicked: materials.removeMaterial(matID)
            }
        }
    }
}
