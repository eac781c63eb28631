import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12

// Print sets made for another nozzle of the current printer, or another layer thickness of the
// current nozzle, from the current ones: each set to be made with its mapping and its widths and
// speeds before and after, the sets that exist already (kept, or replaced as chosen), and those
// that cannot be made with why. OK makes them in one step; a note counts them.
Dialog {
    id: derive
    // Another layer thickness, else another nozzle.
    property bool layerMode: false
    property string fromText
    property var targets: []
    property var plan: ({ refusal: "", count: 0, existing: 0, rows: [], refused: [] })
    // The existing sets to replace, by their row's text; the others are kept.
    property var replacing: ({})

    anchors.centerIn: Overlay.overlay
    width: Math.min(window.width - 40, fontP * 50)
    height: Math.min(window.height - 40, fontP * 40)
    modal: true
    // The keyboard comes with the dialog: Tab moves through its controls, not the page behind.
    focus: true
    title: layerMode ? qsTr("Print sets for another layer thickness") : qsTr("Print sets for another nozzle")
    standardButtons: Dialog.Ok | Dialog.Cancel
    footer: DialogButtons {}

    function start(forLayer) {
        layerMode = forLayer
        var selection = materials.currentSelection()
        fromText = Number(layerMode ? selection.layer : selection.nozzle).toFixed(2)
        targets = materials.deriveTargets(layerMode)
        replacing = {}
        flowBox.checked = false
        targetBox.currentIndex = 0
        refresh()
        open()
        targetBox.forceActiveFocus()
    }
    function targetValue() { return targets.length > 0 ? targets[Math.max(0, targetBox.currentIndex)].value : 0 }
    // The plan for the target and the flow chosen now; the choices of the sets stay with them.
    function refresh() {
        plan = materials.derivePlan(layerMode, targetValue(), flowBox.checked)
        rows.clear()
        plan.rows.forEach(r => rows.append({ "text": r.text, "details": r.details, "exists": r.exists, "why": "" }))
        plan.refused.forEach(r => rows.append({ "text": r.text, "details": "", "exists": false, "why": r.why }))
        var ok = standardButton(Dialog.Ok)
        if (ok)
            ok.enabled = plan.count > 0
    }

    onAccepted: {
        var target = targets[targetBox.currentIndex].text
        var result = materials.deriveSets(layerMode, targetValue(), flowBox.checked,
                                          plan.rows.map(r => derive.replacing[r.text] === true))
        var text = (layerMode ? qsTr("Made %1 print sets for layer %2") : qsTr("Made %1 print sets for nozzle %2"))
                   .arg(result.made).arg(target)
        if (result.kept > 0)
            text += qsTr("; %1 kept as they were").arg(result.kept)
        if (result.made > 0)
            showUndoToast(text)
        else
            showToast(text)
    }
    // An undo or redo while it is open may change the sets: the plan follows.
    Connections {
        target: materials
        enabled: derive.opened
        function onHistoryChanged() { derive.refresh() }
    }

    ListModel { id: rows }

    // Return makes the sets from wherever the keyboard is in the dialog (a button or box it is on is
    // pressed; an open list of choices takes it first); Escape cancels, as in every dialog.
    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: derive.opened && inDialog(window.activeFocusItem)
        function inDialog(item) {
            for (var p = item; p; p = p.parent)
                if (p === derive.contentItem.parent)
                    return true
            return false
        }
        onActivated: {
            var item = window.activeFocusItem
            if (typeof item.clicked === "function" && item.checkable !== undefined)
                item.clicked()
            else if (derive.plan.count > 0)
                derive.accept()
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 6

        RowLayout {
            Layout.fillWidth: true
            Label {
                objectName: "deriveFrom"
                text: (layerMode ? qsTr("From layer %1 mm to") : qsTr("From nozzle %1 mm to")).arg(derive.fromText)
            }
            ComboBox {
                id: targetBox
                objectName: "deriveTarget"
                Layout.preferredWidth: fontP * 8
                model: derive.targets.map(t => t.text)
                enabled: derive.targets.length > 0
                onActivated: derive.refresh()
            }
        }
        CheckBox {
            id: flowBox
            objectName: "deriveFlow"
            Layout.fillWidth: true
            text: qsTr("Keep the flow: speeds change with the widths and layers")
            onToggled: derive.refresh()
        }
        Label {
            objectName: "deriveSummary"
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            text: derive.targets.length === 0
                  ? (layerMode ? qsTr("The catalogue offers no other layer thickness for this nozzle.")
                           : qsTr("The catalogue offers no other nozzle for this printer."))
                  : derive.plan.refusal !== "" ? derive.plan.refusal
                  : qsTr("%1 print sets to make, %2 of them exist already; %3 cannot be made.")
                    .arg(derive.plan.count).arg(derive.plan.existing).arg(derive.plan.refused.length)
        }
        ListView {
            id: list
            objectName: "deriveList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 6
            model: rows
            ScrollBar.vertical: ScrollBar {}
            // Roles are read as model.x: the combo box has a "model" of its own.
            delegate: Column {
                id: row
                readonly property int rowIndex: index
                readonly property string rowText: model.text
                readonly property bool rowExists: model.exists
                readonly property string rowWhy: model.why
                width: list.width - 12
                spacing: 2
                RowLayout {
                    width: parent.width
                    Label {
                        objectName: "deriveRow_" + row.rowIndex
                        Layout.fillWidth: true
                        text: (row.rowWhy !== "" ? "✗ " : "") + row.rowText
                        color: row.rowWhy !== "" ? "#B71C1C" : row.rowExists ? "#E65100" : "#2E7D32"
                        wrapMode: Text.Wrap
                    }
                    ComboBox {
                        objectName: "deriveChoice_" + row.rowIndex
                        visible: row.rowExists
                        Layout.preferredWidth: fontP * 11
                        model: [qsTr("Keep mine"), qsTr("Replace")]
                        currentIndex: derive.replacing[row.rowText] === true ? 1 : 0
                        onActivated: {
                            var chosen = derive.replacing
                            chosen[row.rowText] = currentIndex === 1
                            derive.replacing = chosen
                        }
                    }
                }
                Label {
                    objectName: "deriveDetails_" + row.rowIndex
                    width: parent.width
                    leftPadding: fontP
                    text: row.rowWhy !== "" ? row.rowWhy
                          : model.details + (row.rowExists ? " — " + qsTr("exists already") : "")
                    color: "#616161"
                    font.pixelSize: fontP * 0.9
                    wrapMode: Text.Wrap
                }
            }
        }
    }
}
