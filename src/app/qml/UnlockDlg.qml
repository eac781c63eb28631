import QtQuick 2.12
import QtQuick.Controls 2.5

// Asked where the user tries to change a locked material: its password unlocks it until another
// material is chosen.
Dialog {
    id: unlock
    title: "🔒 " + qsTr("Locked")
    modal: true
    focus: true
    anchors.centerIn: Overlay.overlay
    standardButtons: Dialog.Ok | Dialog.Cancel
    contentWidth: Math.min(window.width - 80, fontP * 26)

    onAboutToShow: passwordField.text = ""
    onOpened: passwordField.forceActiveFocus()
    onAccepted: {
        var digest = passwordField.text.length > 0 ? Qt.md5(passwordField.text) : ""
        passwordField.text = ""
        if (materials.unlockMaterial(digest) !== 0) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = qsTr("Password error!")
            messageDialog.open()
        }
    }
    onRejected: passwordField.text = ""

    Column {
        width: parent.width
        spacing: 14
        Label {
            objectName: "unlockText"
            width: parent.width
            wrapMode: Text.WordWrap
            text: materials.hasPassword
                  ? qsTr("%1 is locked. Give its password to change it.").arg(materials.curMatName)
                  : qsTr("%1 has no password: OK opens it for changes.").arg(materials.curMatName)
        }
        TextField {
            id: passwordField
            objectName: "unlockPasswordField"
            width: parent.width
            visible: materials.hasPassword
            placeholderText: qsTr("Password")
            echoMode: TextInput.Password
            onAccepted: unlock.accept()
        }
    }
}
