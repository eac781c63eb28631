import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12

// The current material beside a second one, over the selected print sets: every value of both
// (the differing ones marked), the count of what differs and the sets only one of them has. A
// value, a set or every differing value is taken from the other with one press, each one step; the
// view follows every change, undo and redo included.
Dialog {
    id: view
    objectName: "comparisonView"
    property var compared: ({})
    readonly property bool canTake: compared.available === true && compared.refusal === ""

    anchors.centerIn: Overlay.overlay
    width: Math.min(window.width - 40, fontP * 62)
    height: window.height - 40
    modal: true
    focus: true
    title: qsTr("Compare")
    standardButtons: Dialog.Close
    footer: DialogButtons {}

    // The keyboard starts on the first control shown (one of a closed popup may still hold it).
    onOpened: (takeAll.visible && takeAll.enabled ? takeAll : swap.visible ? swap : undoButton).forceActiveFocus()
    function show() {
        refresh()
        open()
    }
    // The rows are set in place: the list keeps where it was scrolled to.
    function refresh() {
        compared = materials.comparison()
        if (compared.available !== true) {
            lines.clear()
            return
        }
        var items = compared.rows.map(function (r) {
            return { kind: "row", key: r.id, name: r.name + (r.unit !== "" ? " (" + r.unit + ")" : ""),
                     mine: r.mine, theirs: r.theirs, differs: r.differs, takeable: r.differs }
        })
        compared.printSets.forEach(function (s) {
            var state = s.side === "mine" ? qsTr("only in the current one")
                      : s.side === "theirs" ? qsTr("only in the other")
                      : s.differing > 0 ? qsTr("%1 values differ").arg(s.differing) : qsTr("alike")
            items.push({ kind: "set", key: s.index, name: s.text, mine: s.side !== "theirs" ? "✔" : "",
                         theirs: s.side !== "mine" ? "✔" : "", differs: s.side !== "both" || s.differing > 0,
                         takeable: s.side !== "mine" && (s.side === "theirs" || s.differing > 0), state: state })
        })
        for (var i = 0; i < items.length; ++i) {
            items[i].state = items[i].state || ""
            if (i < lines.count)
                lines.set(i, items[i])
            else
                lines.append(items[i])
        }
        if (lines.count > items.length)
            lines.remove(items.length, lines.count - items.length)
    }
    Connections {
        target: materials
        enabled: view.opened
        function onMatChanged() { view.refresh() }
        function onHistoryChanged() { view.refresh() }
        function onLanguageChanged() { view.refresh() }
    }
    ListModel { id: lines }

    ColumnLayout {
        anchors.fill: parent
        spacing: 6

        Label {
            objectName: "compareHeading"
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            font.bold: true
            text: view.compared.available !== true ? qsTr("The other material is gone.")
                  : qsTr("Current: %1 — other: %2").arg(view.compared.mine).arg(view.compared.theirs)
                    + (view.compared.fromFile ? " " + qsTr("(from a file)") : "")
        }
        Label {
            objectName: "compareCount"
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            visible: view.compared.available === true
            text: qsTr("%1 values differ; %2 print sets differ: %3 only in the current one, %4 only in the other.")
                  .arg(view.compared.values).arg(view.compared.sets).arg(view.compared.mineOnly).arg(view.compared.theirsOnly)
        }
        Label {
            objectName: "compareRefusal"
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            visible: text !== ""
            color: "#B71C1C"
            text: view.compared.refusal || ""
        }
        RowLayout {
            Layout.fillWidth: true
            Button {
                id: takeAll
                objectName: "takeAllButton"
                text: qsTr("Take all differing values")
                enabled: view.canTake && view.compared.values > 0
                visible: view.canTake
                onClicked: materials.takeAllValues()
                Keys.onReturnPressed: clicked()
            }
            Button {
                id: swap
                objectName: "swapButton"
                text: qsTr("Swap")
                visible: view.compared.available === true && !view.compared.fromFile
                onClicked: materials.swapComparison() && view.refresh()
                Keys.onReturnPressed: clicked()
            }
            Item { Layout.fillWidth: true }
            Button {
                id: undoButton
                objectName: "compareUndo"
                text: qsTr("Undo")
                enabled: materials.canUndo
                onClicked: materials.undo()
                Keys.onReturnPressed: clicked()
            }
        }
        // The columns' heads, over the values as the list below shows them.
        RowLayout {
            Layout.fillWidth: true
            Layout.rightMargin: fontP * 3.5
            Label { Layout.fillWidth: true; text: qsTr("Parameter"); font.bold: true }
            Label { Layout.preferredWidth: fontP * 8; text: qsTr("Current"); font.bold: true }
            Label { Layout.preferredWidth: fontP * 8; text: qsTr("Other"); font.bold: true }
        }
        ListView {
            id: list
            objectName: "compareList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: lines
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOn }
            section.property: "kind"
            section.delegate: Label {
                width: list.width
                topPadding: fontP * 0.5
                text: section === "set" ? qsTr("Print sets of the selection") : qsTr("Values")
                font.bold: true
                color: "#3F51B5"
            }
            // Roles are read as model.x: "state" would read the delegate's own.
            delegate: Rectangle {
                width: list.width - fontP
                height: rowLayout.implicitHeight + 4
                color: model.differs ? "#FFF3E0" : "transparent"
                RowLayout {
                    id: rowLayout
                    anchors.fill: parent
                    anchors.leftMargin: 4
                    Label {
                        objectName: "compareName_" + index
                        Layout.fillWidth: true
                        text: model.name + (model.state !== "" ? " — " + model.state : "")
                        font.bold: model.differs
                        wrapMode: Text.Wrap
                    }
                    Label {
                        objectName: "compareMine_" + index
                        Layout.preferredWidth: fontP * 8
                        text: model.mine
                        font.bold: model.differs
                    }
                    Label {
                        objectName: "compareTheirs_" + index
                        Layout.preferredWidth: fontP * 8
                        text: model.theirs
                        font.bold: model.differs
                        color: model.differs ? "#E65100" : palette.text
                    }
                    Button {
                        objectName: (model.kind === "row" ? "takeValue_" : "takeSet_") + model.key
                        Layout.preferredWidth: fontP * 2.5
                        flat: true
                        text: "⇐"
                        opacity: model.takeable && view.canTake ? 1 : 0
                        enabled: opacity > 0
                        ToolTip.visible: hovered
                        ToolTip.text: qsTr("Take the other's")
                        onClicked: model.kind === "row" ? materials.takeValue(model.key) : materials.takeSet(model.key)
                        Keys.onReturnPressed: clicked()
                    }
                }
            }
        }
    }
}
