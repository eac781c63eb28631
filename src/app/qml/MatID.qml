import QtQuick 2.12
import QtQuick.Controls 2.5

// Changes the current material's ID; the library applies its own rules to the number.
Dialog {
    id: idDialog
    title: qsTr("Material ID")
    modal: true
    focus: true
    anchors.centerIn: Overlay.overlay
    standardButtons: Dialog.Ok | Dialog.Cancel
    contentWidth: fontP * 24

    // The typed text as a whole 32-bit number, or null: Number() would turn "" into 0
    // and "1e3" or "0x10" into IDs nobody typed.
    function parseID(text) {
        var t = text.trim()
        if (!/^[+-]?\d{1,10}$/.test(t))
            return null
        var n = Number(t)
        return n >= -2147483647 && n <= 2147483647 ? n : null
    }

    onOpened: idField.forceActiveFocus()

    onAboutToShow: idField.text = ""
    onAccepted: {
        var id = parseID(idField.text)
        if (id === null) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = "\"" + idField.text + "\" is not a material ID.\nPlease input a whole number."
            messageDialog.open()
            return
        }
        // The library takes a new ID as its negative; the user types the ID as shown.
        var refusal = materials.matIDRefusal(-id)
        if (refusal.length > 0) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = refusal
            messageDialog.open()
            return
        }
        materials.curMatID = -id
    }
    onClosed: console.log("matid dialog exit")

    Column {
        width: parent.width
        spacing: 20

        Label {
            width: parent.width
            text: qsTr("Please input the material ID:")
            elide: Text.ElideRight
        }
        Label {
            width: parent.width
            wrapMode: Text.WordWrap
            color: "gray"
            text: qsTr("The current ID is %1.").arg(materials.curMatID)
        }
        TextField {
            id: idField
            objectName: "idField"
            width: parent.width
            placeholderText: "123456"
            inputMethodHints: Qt.ImhFormattedNumbersOnly
            selectByMouse: true
            focus: true
            onAccepted: idDialog.accept()
        }
    }
}
