import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12
import PrintSet 1.0

Frame {
    ListView {
        id: materialList
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
                Layout.fillWidth: true
                readOnly: true
                maximumLength: 24
                placeholderText: "Duplicate"
                text: name + " - " + manu
                onPressed: chooseMaterial(matID)
            }
            Button {
                text: "➕"
                onClicked: materials.addCopyMaterial(matID)
            }
            Button {
                text: "➖"
                onClicked: materials.removeMaterial(matID)
            }
        }
    }
}
