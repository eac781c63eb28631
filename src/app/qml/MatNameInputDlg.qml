import QtQuick 2.12
import QtQuick.Controls 2.5

// Renames the current material and sets or proves its password.
Dialog {
    id: nameDialog
    title: qsTr("Material")
    modal: true
    focus: true
    anchors.centerIn: Overlay.overlay
    standardButtons: Dialog.Ok | Dialog.Cancel
    footer: DialogButtons {}
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

    // Return in a field moves on to the next field shown; in the last one it accepts the dialog.
    function returnIn(field, fields, dialog) {
        for (var i = fields.indexOf(field) + 1; i < fields.length; ++i) {
            if (fields[i].visible)
                return fields[i].forceActiveFocus()
        }
        dialog.accept()
    }

    // Giving a material its first password asks for it twice; with one, the field proves it.
    property bool settingPassword: false
    readonly property var fields: [nameField, manuField, passwordField, repeatField]

    function clearPasswords() {
        passwordField.text = ""
        repeatField.text = ""
    }

    onAboutToShow: {
        nameField.text = materials.curMatName
        manuField.text = materials.curManu
        settingPassword = !materials.hasPassword
        clearPasswords()
    }
    onOpened: nameField.forceActiveFocus()

    onAccepted: {
        var name = nameField.text
        var manu = manuField.text
        var password = passwordField.text
        var repeated = repeatField.text
        clearPasswords()
        // Neither the password nor its digest goes to the log.
        console.log("Set material name,manu,pw: " + name + " -" + manu + " -" + (password.length > 0 ? "********" : ""))
        if (settingPassword && password !== repeated) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = qsTr("The two passwords differ. Nothing was changed.")
            messageDialog.open()
            return
        }
        var digest = passwordDigest(password)
        console.log("PW md5: " + (digest.length > 0 ? "********" : ""))
        var result = materials.setMatNameAndManu(name, manu, digest)
        if (result === 0 && settingPassword && digest.length > 0) {
            messageDialog.title = qsTr("Password set")
            messageDialog.prompt = qsTr("%1 now has a password. It stays open until you choose another material; from then on it asks for the password before any change.").arg(name)
            messageDialog.open()
        }
        if (result === -3) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = qsTr("Another material is already called %1 / %2.\nNothing was changed: two materials with one name and manufacturer would become one at the next start.")
                .arg(name).arg(manu)
            messageDialog.open()
        } else if (result < 0) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = qsTr("Password error!")
            messageDialog.open()
        }
    }
    onRejected: clearPasswords()
    onClosed: console.log("input dialog exit")

    Column {
        width: parent.width
        spacing: 20

        Label {
            width: parent.width
            text: qsTr("Please enter the material name, \nmanufacturer, password:")
            elide: Text.ElideRight
        }
        TextField {
            id: nameField
            objectName: "nameField"
            width: parent.width
            placeholderText: qsTr("Material Name")
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
            onAccepted: returnIn(nameField, nameDialog.fields, nameDialog)
        }
        TextField {
            id: manuField
            objectName: "manuField"
            width: parent.width
            placeholderText: qsTr("Manufacturer")
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
            onAccepted: returnIn(manuField, nameDialog.fields, nameDialog)
        }
        TextField {
            id: passwordField
            objectName: "passwordField"
            width: parent.width
            placeholderText: qsTr("Password")
            echoMode: TextInput.Password
            onAccepted: returnIn(passwordField, nameDialog.fields, nameDialog)
        }
        TextField {
            id: repeatField
            objectName: "repeatField"
            width: parent.width
            visible: settingPassword && passwordField.text.length > 0
            placeholderText: qsTr("Repeat the password")
            echoMode: TextInput.Password
            onAccepted: returnIn(repeatField, nameDialog.fields, nameDialog)
        }
        Button {
            id: changePasswordButton
            objectName: "changePasswordButton"
            visible: !settingPassword
            flat: true
            text: qsTr("Change or remove the password…")
            font.capitalization: Font.MixedCase
            onClicked: {
                nameDialog.reject()
                passwordDialog.open()
            }
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }

    // A separate action for the owner: the old password proves it, the new one is typed twice; no
    // new password removes the lock.
    Dialog {
        id: passwordDialog
        objectName: "passwordDialog"
        title: qsTr("Change the password")
        modal: true
        anchors.centerIn: Overlay.overlay
        standardButtons: Dialog.Ok | Dialog.Cancel
        footer: DialogButtons {}
        contentWidth: fontP * 24
        readonly property var fields: [oldField, newField, newRepeatField]
        onAboutToShow: {
            oldField.text = ""
            newField.text = ""
            newRepeatField.text = ""
        }
        onOpened: oldField.forceActiveFocus()
        onAccepted: {
            var same = newField.text === newRepeatField.text
            var result = same ? materials.changePassword(passwordDigest(oldField.text), passwordDigest(newField.text)) : 0
            messageDialog.title = same && result === 0 ? qsTr("Password") : qsTr("Warning")
            messageDialog.prompt = !same ? qsTr("The two new passwords differ. Nothing was changed.")
                                 : result < 0 ? qsTr("Password error!")
                                 : newField.text.length > 0 ? qsTr("The password was changed.") : qsTr("The password was removed.")
            oldField.text = ""
            newField.text = ""
            newRepeatField.text = ""
            messageDialog.open()
        }
        Column {
            width: parent.width
            spacing: 14
            TextField {
                id: oldField
                objectName: "oldPasswordField"
                width: parent.width
                placeholderText: qsTr("Current password")
                echoMode: TextInput.Password
                onAccepted: returnIn(oldField, passwordDialog.fields, passwordDialog)
            }
            TextField {
                id: newField
                objectName: "newPasswordField"
                width: parent.width
                placeholderText: qsTr("New password (empty: no password)")
                echoMode: TextInput.Password
                onAccepted: returnIn(newField, passwordDialog.fields, passwordDialog)
            }
            TextField {
                id: newRepeatField
                objectName: "newRepeatField"
                width: parent.width
                placeholderText: qsTr("Repeat the new password")
                echoMode: TextInput.Password
                onAccepted: returnIn(newRepeatField, passwordDialog.fields, passwordDialog)
            }
        }
    }
}
