import QtQuick 2.12
import QtQuick.Controls 2.5

// A change of the value dialog over the materials chosen in the drawer, in their print sets that
// the current printer, nozzle, layer and quality match: what it would change, and which materials
// it skips (locked, or with no such set), before OK makes it one step.
Question {
    id: preview
    objectName: "bulkPreview"
    title: qsTr("Apply to the chosen materials")
    standardButtons: Dialog.Ok | Dialog.Cancel
    height: Math.min(window.height - 40, planLabel.implicitHeight + fontP * 10)

    property var matIDs: []
    property var ids: []
    property int mode: 0
    property real amount: 0
    property var plan: ({ materials: 0, sets: 0, values: 0, locked: [], noSets: [] })

    function ask(chosenIDs, rowIDs, changeMode, change) {
        matIDs = chosenIDs
        ids = rowIDs
        mode = changeMode
        amount = change
        plan = materials.bulkPreview(matIDs, ids, mode, amount)
        open()
        standardButton(Dialog.Ok).enabled = plan.values > 0
    }
    function planText() {
        var lines = [qsTr("%1 values in %2 print sets of %3 of the %4 chosen materials would change.")
                     .arg(plan.values).arg(plan.sets).arg(plan.materials).arg(matIDs.length)]
        if (plan.locked.length > 0)
            lines.push(qsTr("Locked, left as they are: %1").arg(plan.locked.join(", ")))
        if (plan.noSets.length > 0)
            lines.push(qsTr("No print set of the selection, left as they are: %1").arg(plan.noSets.join(", ")))
        return lines.join("\n\n")
    }

    onAccepted: {
        var done = materials.applyBulkChange(matIDs, ids, mode, amount)
        if (done.values > 0)
            window.showUndoToast(qsTr("Changed %1 values in %2 print sets of %3 materials")
                                 .arg(done.values).arg(done.sets).arg(done.materials))
    }
    onClosed: window.returnFocusAfterEdit()

    Flickable {
        id: planView
        anchors.fill: parent
        clip: true
        contentWidth: width
        contentHeight: planLabel.implicitHeight
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: planView.contentHeight > planView.height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded }
        Label {
            id: planLabel
            objectName: "bulkPlan"
            width: planView.width - fontP
            text: preview.planText()
            wrapMode: Text.Wrap
        }
    }
}
