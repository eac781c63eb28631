import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12

// Before an import changes anything: each material of the file as new, the same as the library's,
// or different from it (with its differing values by name). A different one is kept beside the
// library's own, takes its place, or is left out, as the user chooses. Merging the user library
// that another program changed is the same choice, with "removed here" for what the editor removed
// since the last save, and a save once the user confirms.
Dialog {
    id: preview
    objectName: "importPreview"
    property string fileName
    // "import" a file, or "merge" the user library changed on disk.
    property string purpose: "import"
    // Whether the last closing imported (OK) or not (Cancel).
    signal finished(bool imported)

    anchors.centerIn: Overlay.overlay
    width: Math.min(window.width - 40, fontP * 56)
    height: Math.min(window.height - 40, fontP * 42)
    modal: true
    // The keyboard comes with the dialog: Tab moves through its rows, not the page behind.
    focus: true
    title: purpose === "merge" ? qsTr("Merge the changed %1").arg(fileName) : qsTr("Import %1").arg(fileName)
    standardButtons: Dialog.Ok | Dialog.Cancel
    footer: DialogButtons {}

    // The choices a row offers, by its state: what the library does, and what the user reads.
    readonly property var choiceValues: ({ "different": ["both", "take", "keep"], "removed": ["skip", "add"] })
    function choiceTexts(state) {
        return state === "removed" ? [qsTr("Leave it removed"), qsTr("Add it back")]
                                   : [qsTr("Keep both"), qsTr("Take theirs"), qsTr("Keep mine")]
    }
    function stateText(state) {
        return state === "new" ? qsTr("New") : state === "same" ? qsTr("The same")
             : state === "removed" ? qsTr("Removed here") : qsTr("Different")
    }

    function show(file, items) {
        fileName = file
        rows.clear()
        var counts = { "new": 0, "same": 0, "different": 0, "removed": 0 }
        for (var i = 0; i < items.length; ++i) {
            var item = items[i]
            counts[item.state] += 1
            rows.append({ "name": item.name, "manu": item.manu, "rowState": item.state, "choice": item.choice,
                           "mine": item.mine || "", "differences": (item.differences || []).join("\n") })
        }
        var text = qsTr("%1 new, %2 the same as in your library, %3 different from it.")
            .arg(counts["new"]).arg(counts["same"]).arg(counts["different"])
        if (counts["removed"] > 0)
            text += " " + qsTr("%1 removed here since the last save.").arg(counts["removed"])
        if (purpose === "merge")
            text += " " + qsTr("Nothing is saved until you press Merge and save.")
        summary.text = text
        standardButton(Dialog.Ok).text = purpose === "merge" ? qsTr("Merge and save") : qsTr("Import")
        open()
    }

    function choices() {
        var list = []
        for (var i = 0; i < rows.count; ++i)
            list.push(rows.get(i).choice)
        return list
    }

    onAccepted: {
        materials.applyImport(choices())
        finished(true)
    }
    onRejected: finished(false)

    ListModel { id: rows }

    // Return imports from wherever the keyboard is in the dialog (a button it is on is pressed;
    // an open list of choices takes it first); Escape cancels, as in every dialog.
    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: preview.opened && inDialog(window.activeFocusItem)
        function inDialog(item) {
            for (var p = item; p; p = p.parent)
                if (p === preview.contentItem.parent)
                    return true
            return false
        }
        onActivated: {
            var item = window.activeFocusItem
            if (typeof item.clicked === "function" && item.checkable !== undefined)
                item.clicked()
            else
                preview.accept()
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 8

        Label {
            id: summary
            objectName: "previewSummary"
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
        }
        ListView {
            id: list
            objectName: "previewList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 6
            model: rows
            ScrollBar.vertical: ScrollBar {}
            // Roles are read as model.x: a role named like a property of the delegate would read
            // the delegate's own property instead.
            delegate: Column {
                id: row
                // "index" inside the combo box's handler is the signal's own argument.
                readonly property int rowIndex: index
                readonly property string rowState: model.rowState
                readonly property string rowChoice: model.choice
                width: list.width - 12
                spacing: 2
                RowLayout {
                    width: parent.width
                    Label {
                        objectName: "rowState_" + index
                        Layout.preferredWidth: fontP * 7
                        text: preview.stateText(row.rowState)
                        color: row.rowState === "different" ? "#E65100" : row.rowState === "new" ? "#2E7D32"
                             : row.rowState === "removed" ? "#B71C1C" : "#757575"
                        font.bold: true
                    }
                    Label {
                        objectName: "rowName_" + index
                        Layout.fillWidth: true
                        text: model.name + " / " + model.manu
                        elide: Text.ElideRight
                    }
                    ComboBox {
                        objectName: "choice_" + index
                        visible: row.rowState === "different" || row.rowState === "removed"
                        Layout.preferredWidth: fontP * 14
                        model: preview.choiceTexts(row.rowState)
                        currentIndex: Math.max(0, (preview.choiceValues[row.rowState] || []).indexOf(row.rowChoice))
                        onActivated: rows.setProperty(row.rowIndex, "choice", preview.choiceValues[row.rowState][currentIndex])
                    }
                }
                Label {
                    width: parent.width
                    visible: model.differences !== ""
                    leftPadding: fontP * 7
                    text: qsTr("Yours: %1").arg(model.mine) + "\n" + model.differences
                    color: "#616161"
                    font.pixelSize: fontP * 0.9
                    wrapMode: Text.Wrap
                    maximumLineCount: 8
                    elide: Text.ElideRight
                }
            }
        }
    }
}
