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
        anchors.right: parent.right
        placeholderText: qsTr("Search name, manufacturer or ID")
        selectByMouse: true
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
