import QtQuick 2.12
import QtQuick.Controls 2.5

// Export: the current material, the materials chosen in the drawer, or the whole library, to a
// file the user names (a file that is there is replaced only when the user says so).
Item {
    id: exportFlow

    function start() { exportChoice.open() }

    // Export: the current material, the materials chosen in the drawer, or the whole library.
    Dialog {
        id: exportChoice
        objectName: "exportChoice"
        anchors.centerIn: Overlay.overlay
        modal: true
        focus: true
        title: qsTr("Export")
        standardButtons: Dialog.Ok | Dialog.Cancel
        property int choice: 0
        property string current
        property int chosen: 0
        property int all: 0
        // The chosen materials as they are now: an ID changed since they were chosen still counts.
        property var chosenIDs: []
        onAboutToShow: {
            current = materials.curMatName
            chosenIDs = materials.materialIDsOf(materialList.chosenKeys)
            chosen = chosenIDs.length
            all = materials.materialCount()
            choice = chosen > 0 ? 1 : 0
        }
        function ids() {
            return choice === 0 ? [materials.curMatID] : choice === 1 ? chosenIDs : []
        }
        onAccepted: exportDialog.open()
        Column {
            spacing: 4
            RadioButton {
                objectName: "exportCurrent"
                text: qsTr("The current material, %1").arg(exportChoice.current)
                checked: exportChoice.choice === 0
                onClicked: exportChoice.choice = 0
            }
            RadioButton {
                objectName: "exportChosen"
                text: qsTr("The %1 materials chosen in the list (Ctrl or Shift and a press)").arg(exportChoice.chosen)
                enabled: exportChoice.chosen > 0
                checked: exportChoice.choice === 1
                onClicked: exportChoice.choice = 1
            }
            RadioButton {
                objectName: "exportAll"
                text: qsTr("The whole library, %1 materials").arg(exportChoice.all)
                checked: exportChoice.choice === 2
                onClicked: exportChoice.choice = 2
            }
        }
    }

    FileChooser {
        id: exportDialog
        objectName: "exportDialog"
        title: qsTr("Please choose material file")
        selectExisting: false
        defaultSuffix: "cvx"
        onAccepted: {
            console.log("You choose: " + exportDialog.fileUrl)
            var path = pathOf(exportDialog.fileUrl)
            if (materials.isFileExist(path)) {
                overwriteDialog.path = path
                overwriteDialog.open()
            } else {
                exportTo(exportDialog.fileUrl)
            }
        }
        onRejected: console.log("Canceled")
    }

    function exportTo(url) {
        var path = pathOf(url)
        if (materials.exportMaterialIDs(url, exportChoice.ids())) {
            showToast(qsTr("Exported %1 materials to %2").arg(materials.lastWrittenCount()).arg(path))
            return
        }
        messageDialog.title = qsTr("Warning")
        messageDialog.prompt = qsTr("The materials could not be exported to\n%1\n%2").arg(path).arg(materials.lastExportError())
        messageDialog.open()
    }

    Question {
        id: overwriteDialog
        objectName: "overwriteDialog"
        property string path
        preferredWidth: fontP * 36
        title: qsTr("Replace the file?")
        standardButtons: Dialog.Yes | Dialog.No
        Label {
            width: parent.width
            wrapMode: Text.WrapAnywhere
            text: qsTr("%1 exists already. Replace it with the exported materials?").arg(overwriteDialog.path)
        }
        onAccepted: exportTo(exportDialog.fileUrl)
    }
}
