import QtQuick 2.12
import QtQuick.Controls 2.5

// Renames the current material and sets or proves its password.
Dialog {
    id: nameDialog
    title: "Material"
    modal: true
    focus: true
    anchors.centerIn: Overlay.overlay
    standardButtons: Dialog.Ok | Dialog.Cancel
    contentWidth: fontP * 26

    // Only the digest leaves the dialog; no password means no lock, not the digest of "".
    function passwordDigest(password) {
        return password.length > 0 ? Qt.md5(password) : ""
    }

    onAboutToShow: {
        nameField.text = materials.curMatName
        manuField.text = materials.curManu
        passwordField.text = ""
    }
    onOpened: nameField.forceActiveFocus()

    onAccepted: {
        var name = nameField.text
        var manu = manuField.text
        var password = passwordField.text
        passwordField.text = ""
        // The password itself stays out of the log.
        console.log("Set material name,manu,pw: " + name + " -" + manu + " -" + (password.length > 0 ? "********" : ""))
        var digest = passwordDigest(password)
        console.log("PW md5: " + digest)
        if (materials.setMatNameAndManu(name, manu, digest) < 0) {
            messageDialog.title = "Warning"
            messageDialog.prompt = "Password error!"
            messageDialog.open()
        }
    }
    onRejected: passwordField.text = ""
    onClosed: console.log("input dialog exit")

    Column {
        width: parent.width
        spacing: 20

        Label {
            width: parent.width
            text: "Please enter the material name, \nmanufacturer, password:"
            elide: Text.ElideRight
        }
        // The record holds at most 32 bytes of each.
        TextField {
            id: nameField
            objectName: "nameField"
            width: parent.width
            placeholderText: "Material Name"
            maximumLength: 32
            selectByMouse: true
            focus: true
            onAccepted: nameDialog.accept()
        }
        TextField {
            id: manuField
            objectName: "manuField"
            width: parent.width
            placeholderText: "Manufacturer"
            maximumLength: 32
            selectByMouse: true
            onAccepted: nameDialog.accept()
        }
        TextField {
            id: passwordField
            objectName: "passwordField"
            width: parent.width
            placeholderText: "Password"
            echoMode: TextInput.PasswordEchoOnEdit
            onAccepted: nameDialog.accept()
        }
    }
}
