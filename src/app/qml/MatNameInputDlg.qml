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

    // The record holds 32 bytes of UTF-8: the fields stop there while typing, so what is shown is
    // what is stored.
    readonly property int maxBytes: 32
    function utf8Length(text) {
        var bytes = 0
        for (var i = 0; i < text.length; ++i) {
            var c = text.charCodeAt(i)
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.length) {
                bytes += 4
                ++i
            } else {
                bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : 3
            }
        }
        return bytes
    }
    // Drops what was just typed before the cursor until the text fits.
    function keepWithinBytes(field) {
        while (utf8Length(field.text) > maxBytes && field.cursorPosition > 0) {
            var at = field.cursorPosition
            var cut = at >= 2 && field.text.charCodeAt(at - 1) >= 0xDC00 && field.text.charCodeAt(at - 1) <= 0xDFFF ? 2 : 1
            field.remove(at - cut, at)
        }
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
        var result = materials.setMatNameAndManu(name, manu, digest)
        if (result === -3) {
            messageDialog.title = "Warning"
            messageDialog.prompt = qsTr("Another material is already called %1 / %2.\nNothing was changed: two materials with one name and manufacturer would become one at the next start.")
                .arg(name).arg(manu)
            messageDialog.open()
        } else if (result < 0) {
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
            TextField {
            id: nameField
            objectName: "nameField"
            width: parent.width
            placeholderText: "Material Name"
            selectByMouse: true
            rightPadding: nameBytes.width + 6
            onTextEdited: keepWithinBytes(nameField)
            Label {
                id: nameBytes
                objectName: "nameBytes"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: utf8Length(parent.text) + "/" + maxBytes
                color: utf8Length(parent.text) >= maxBytes ? "#B71C1C" : "gray"
                font.pixelSize: fontP * 0.8
            }
            focus: true
            onAccepted: nameDialog.accept()
        }
        TextField {
            id: manuField
            objectName: "manuField"
            width: parent.width
            placeholderText: "Manufacturer"
            selectByMouse: true
            rightPadding: manuBytes.width + 6
            onTextEdited: keepWithinBytes(manuField)
            Label {
                id: manuBytes
                objectName: "manuBytes"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: utf8Length(parent.text) + "/" + maxBytes
                color: utf8Length(parent.text) >= maxBytes ? "#B71C1C" : "gray"
                font.pixelSize: fontP * 0.8
            }
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
