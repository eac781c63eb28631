import QtQuick 2.12
import QtQuick.Controls 2.5

// The questions of a start, once the window shows: what the loads found, a recovery copy to
// restore, a library open elsewhere. Files to import, handed in at start or later, wait for the
// answers.
Item {
    id: startup

    // Once the library is loaded and the window complete.
    property bool asked: false
    function ask() {
        asked = true
        var notes = materials.startupNotes()
        if (notes.length > 0) {
            messageDialog.title = qsTr("Library loaded")
            messageDialog.prompt = notes
            messageDialog.open()
        }
        var recovered = materials.recoveryTime()
        if (recovered.length > 0) {
            recoveryDialog.time = recovered
            recoveryDialog.open()
        }
        if (typeof instanceNote !== "undefined" && instanceNote !== "")
            readOnlyDialog.open()
        if (typeof startupFiles !== "undefined" && startupFiles.length > 0)
            importWhenReady(startupFiles)
        // Handed over before then.
        if (!recoveryDialog.visible)
            recoveryAnswered()
    }

    // Files to import wait until the start is complete (the library loaded, the window made), and
    // while the restore question is open: a restore replaces the library, and with it anything
    // imported before the answer.
    property var filesAwaitingAnswer: []
    function importWhenReady(files) {
        if (!asked || recoveryDialog.visible)
            filesAwaitingAnswer = filesAwaitingAnswer.concat(files)
        else
            importFiles(files)
    }
    function recoveryAnswered() {
        var files = filesAwaitingAnswer
        filesAwaitingAnswer = []
        if (files.length > 0)
            importFiles(files)
    }

    // Unsaved changes would not outlive a crash: said once, until a copy is written again.
    Connections {
        target: materials
        function onRecoveryWriteFailed(reason) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = qsTr("The copy of your unsaved changes could not be written (%1): a crash now would lose them. Save when you can.").arg(reason)
            messageDialog.open()
        }
    }

    // Files that a later editor handed over: imported here, with the window brought forward.
    Connections {
        target: typeof editorInstance !== "undefined" ? editorInstance : null
        function onFilesReceived(files) {
            window.show()
            window.raise()
            window.requestActivate()
            if (files.length > 0)
                importWhenReady(files)
        }
    }

    // Another editor holds the library and does not answer, or no lock can be made: go on
    // without saving, or leave.
    Question {
        id: readOnlyDialog
        objectName: "readOnlyDialog"
        preferredWidth: fontP * 40
        closePolicy: Popup.NoAutoClose
        title: typeof instanceElsewhere === "undefined" || instanceElsewhere ? qsTr("The library is open elsewhere")
                                                                               : qsTr("The library cannot be locked")
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: (typeof instanceNote !== "undefined" ? instanceNote : "") + "\n\n"
                  + (typeof instanceElsewhere === "undefined" || instanceElsewhere
                     ? qsTr("This window can open it read-only: you can look and export, but Save is off, so that two editors never save one library.")
                     : qsTr("This window can open it read-only: you can look and export, but Save is off, since the folder does not take what a save writes."))
        }
        footer: DialogButtonBox {
            Button {
                objectName: "openReadOnlyButton"
                text: qsTr("Open read-only")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            Button {
                objectName: "quitButton"
                text: qsTr("Quit")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
        }
        onRejected: Qt.quit()
    }

    // A recovery copy means the last run ended without saving or discarding.
    Question {
        id: recoveryDialog
        objectName: "recoveryDialog"
        property string time
        preferredWidth: fontP * 36
        closePolicy: Popup.NoAutoClose
        title: qsTr("Unsaved changes found")
        standardButtons: Dialog.Ok | Dialog.Discard
        onAboutToShow: standardButton(Dialog.Ok).text = qsTr("Restore")
        Label {
            width: parent.width
            wrapMode: Text.WordWrap
            text: qsTr("Corvane was closed without saving. Restore the unsaved changes from %1?").arg(recoveryDialog.time)
        }
        onAccepted: {
            var problem = materials.restoreRecovery()
            if (problem.length > 0) {
                messageDialog.title = qsTr("Warning")
                messageDialog.prompt = problem
                messageDialog.open()
            }
            recoveryAnswered()
        }
        onDiscarded: {
            materials.discardRecovery()
            recoveryDialog.close()
            recoveryAnswered()
        }
    }
}
