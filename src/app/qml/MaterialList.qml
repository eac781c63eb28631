import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12
import PrintSet 1.0

Frame {
    ListView {
        id: materialList
        objectName: "materialList"
        anchors.fill: parent
        clip: true
        model: MaterialModel { mats: materials }
        delegate: RowLayout {
            width: materialList.width
            spacing: 1
            Button {
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
                onPressed: chooseMaterial(matID)
            }
            Button {
                objectName: "copyMaterial_" + matID
                text: "➕"
                onClicked: materials.addCopyMaterial(matID)
            }
            Button {
                objectName: "removeMaterial_" + matID
                text: "➖"
                onClicked: materials.removeMaterial(matID)
            }
        }
    }
}
