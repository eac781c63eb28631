import QtQuick 2.12
import QtQuick.Controls 2.5

// Save and its questions: a user library that was not read completely or changed on disk is
// replaced only when the user says so, and closing with unsaved changes asks first.
Item {
    id: saveFlow

    function askBeforeClosing() { unsavedDialog.open() }

    // Returns whether the library was saved; a failure is always shown. A user library that was
    // not read completely, or that changed on disk since it was loaded or saved, is replaced only
    // when the user says so; a window that must not write it says why.
    function saveLibrary() {
        if (materials.readOnlyReason !== "") {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = qsTr("This window does not save the library: %1.").arg(materials.readOnlyReason)
            messageDialog.open()
            return false
        }
        if (materials.userLibraryReadError !== "") {
            unreadLibraryDialog.open()
            return false
        }
        if (materials.userLibraryChangedOnDisk()) {
            diskChangedDialog.open()
            return false
        }
        return writeLibrary()
    }

    function writeLibrary() {
        if (materials.exportUserMaterials()) {
            var saved = qsTr("Saved %1 materials of your own to %2").arg(materials.lastWrittenCount()).arg(materials.userLibraryPath())
            if (materials.lastSaveNote() === "") {
                showToast(saved)
            } else {
                messageDialog.title = qsTr("Saved")
                messageDialog.prompt = saved + "\n" + materials.lastSaveNote()
                messageDialog.open()
            }
            return true
        }
        messageDialog.title = qsTr("Warning")
        messageDialog.prompt = qsTr("The library could not be saved to\n%1\n%2")
            .arg(materials.userLibraryPath()).arg(materials.lastExportError())
        messageDialog.open()
        return false
    }

    Question {
        id: unsavedDialog
        objectName: "unsavedDialog"
        title: qsTr("Unsaved changes")
        standardButtons: Dialog.Save | Dialog.Discard | Dialog.Cancel
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: qsTr("The library has changes that are not saved.\nSave them before closing?")
            font.pixelSize: fontP * 1.1
        }
        onAccepted: {
            // A failed save keeps the window open; the message says why.
            if (saveLibrary()) {
                closeAnswered = true
                window.close()
            }
        }
        onDiscarded: {
            closeAnswered = true
            unsavedDialog.close()
            window.close()
        }
    }

    Question {
        id: unreadLibraryDialog
        objectName: "unreadLibraryDialog"
        property alias prompt: unreadLabel.text
        preferredWidth: 560
        title: qsTr("Replace the user library?")
        Label {
            id: unreadLabel
            width: parent.width
            text: qsTr("The user library\n%1\nwas not read completely: %2.\nSaving replaces it with what the editor holds; the file as it is now is kept beside it.")
                .arg(materials.userLibraryPath()).arg(materials.userLibraryReadError)
            font.pixelSize: fontP * 1.1
            wrapMode: Text.Wrap
        }
        footer: DialogButtonBox {
            Button {
                objectName: "saveAnywayButton"
                text: qsTr("Save anyway")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            Button {
                objectName: "cancelSaveButton"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
        }
        onAccepted: writeLibrary()
    }

    // Someone else wrote the user library meanwhile (corvane-cvx, another program): overwrite it,
    // merge its materials first as the user chooses (then save), or leave it.
    Question {
        id: diskChangedDialog
        objectName: "diskChangedDialog"
        preferredWidth: fontP * 40
        title: qsTr("The user library changed on disk")
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: qsTr("%1 was changed by another program since it was loaded or saved here. Saving now would replace those changes.")
                .arg(materials.userLibraryPath())
        }
        footer: DialogButtonBox {
            Button {
                objectName: "overwriteButton"
                text: qsTr("Overwrite")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            Button {
                objectName: "importFirstButton"
                text: qsTr("Merge its materials first…")
                DialogButtonBox.buttonRole: DialogButtonBox.ApplyRole
            }
            Button {
                objectName: "cancelDiskButton"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
            onApplied: {
                diskChangedDialog.close()
                importFlow.mergeChangedLibrary()
            }
        }
        onAccepted: writeLibrary()
    }
}
