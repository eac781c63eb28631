import QtQuick 2.12
import QtQuick.Controls 2.5
import PrintSet 1.0

Page {
    GridView {
        id: basicGrid
        readonly property real margin: 5
        anchors.fill: parent
        anchors.leftMargin: margin
        clip: true
        cellWidth: (width - 2 * margin) / 3 - 5
        cellHeight: fontP * 4
        model: BasicInfoModel { mats: materials }

        header: Row {
            topPadding: 20
            leftPadding: 40
            bottomPadding: 20
            spacing: 15
            Label {
                text: materials.curMaterial
                font.pixelSize: fontP * 2.0
            }
            Label {
                objectName: "nameSymbol"
                text: "✍"
                font.pixelSize: fontP * 2.0
                MouseArea {
                    anchors.fill: parent
                    onClicked: namInputDialog.open()
                }
            }
        }

        footer: Label {
            objectName: "idFooter"
            text: "   --- This is basic infomation about " + materials.curMaterial + "  ID: " + materials.curMatID + "  ----"
            font.pixelSize: fontP * 1.2
            MouseArea {
                width: 30
                height: parent.height
                onClicked: setIDDialog.open()
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
                text: (paramFlag & 2) ? "⚔" : "✎"
                font.pixelSize: fontP * 1.6
                onClicked: beginEdit(model)
            }
            TextField {
                objectName: "basicField_" + paramID
                width: basicGrid.cellWidth - 10 - editButton.width - 2
                anchors.verticalCenter: editButton.verticalCenter
                readOnly: true
                text: paramDesc + ": " + ((paramFlag & 1) ? paramVal + " " + paramUnit : "---")
                onPressed: beginEdit(model)
            }
        }
    }

    MatNameInputDlg { id: namInputDialog; objectName: "namInputDialog" }
    MatID { id: setIDDialog; objectName: "setIDDialog" }
}
