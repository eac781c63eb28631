import QtQuick 2.12
import QtQuick.Controls 2.5

// What the vendor's library gives back: a material reset to the vendor's, and vendor materials
// that were removed; both say first whose name they take.
Item {
    id: vendorDialogs

    function reset() { resetDialog.open() }
    function askBringBack(plan) {
        bringBackDialog.plan = plan
        bringBackDialog.open()
    }

    Question {
        id: resetDialog
        objectName: "resetDialog"
        preferredWidth: fontP * 34
        title: (resetPreview.parent || "") === "" ? qsTr("Reset to the vendor's") : qsTr("Reset to the parent's values")
        standardButtons: Dialog.Ok | Dialog.Cancel
        Label {
            objectName: "resetText"
            width: parent.width
            wrapMode: Text.WordWrap
            text: ((resetPreview.parent || "") === ""
                   ? qsTr("Make %1 the vendor's material again? %2 values and %3 print sets will change; you can undo it.")
                         .arg(resetName).arg(resetPreview.values).arg(resetPreview.sets)
                   : qsTr("Give %1 the values of %2 again? %3 values and %4 print sets will change; its name and ID stay, and you can undo it.")
                         .arg(resetName).arg(resetPreview.parent).arg(resetPreview.values).arg(resetPreview.sets))
                + ((resetPreview.nameTakenBy || "") === "" ? ""
                   : "\n\n" + qsTr("%1 has the vendor's name now: it is renamed to %2, so that two materials never share one name.")
                         .arg(resetPreview.nameTakenBy).arg(resetPreview.renamedTo))
        }
        onAccepted: materials.resetMaterialToVendor()
    }

    function bringBack() {
        var n = materials.bringBackRemovedVendor()
        showToast(qsTr("Brought back %1 vendor materials").arg(n))
    }

    // Bringing vendor materials back where the user's own have their names now: those are renamed,
    // and locked ones keep theirs (the vendor's material then stays removed).
    Question {
        id: bringBackDialog
        objectName: "bringBackDialog"
        property var plan: ({ renames: [], blocked: [] })
        preferredWidth: fontP * 40
        title: qsTr("Bring back removed vendor materials")
        standardButtons: Dialog.Ok | Dialog.Cancel
        Label {
            objectName: "bringBackText"
            width: parent.width
            wrapMode: Text.Wrap
            text: (bringBackDialog.plan.renames.length > 0
                   ? qsTr("Your materials that have their names now are renamed:") + "\n" + bringBackDialog.plan.renames.join("\n") : "")
                  + (bringBackDialog.plan.blocked.length > 0
                     ? "\n\n" + qsTr("Locked materials keep their names, and those vendor materials stay removed:") + "\n"
                       + bringBackDialog.plan.blocked.join("\n") : "")
        }
        onAccepted: bringBack()
    }
}
