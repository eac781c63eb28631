import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.12
import QtQuick.Layouts 1.12

// Every value of one print row over the current printer's print sets at once: a line per nozzle
// and layer, a column per quality, each cell the value of the set with that key ("↺" where it
// differs from the vendor's), empty where the material has no such set. A press on a cell (or
// Return or Space on it) edits the value of that set alone in the row's dialog; the arrows move
// between cells. The row is chosen by typing part of its name and Return. Escape closes it.
Popup {
    id: table
    parent: Overlay.overlay
    x: 10
    y: 10
    width: parent.width - 20
    height: parent.height - 20
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape

    property int paramID: 9
    property var values: ({})
    readonly property var lines: values.lines || []
    readonly property var qualities: values.qualities || []
    // Asked again in a new language.
    readonly property var parameters: materials.curLanguage >= 0 ? materials.tableParameters() : []
    // What had the keyboard before it opened gets it back when it closes.
    property Item origin: null

    readonly property real keyWidth: fontP * 9
    readonly property real cellWidth: fontP * 6.5
    readonly property real cellHeight: fontP * 2.6

    function show(id, from) {
        origin = from || window.activeFocusItem
        paramID = id
        reload()
        if (values.lines !== undefined)
            open()
    }
    // The cell last given the keyboard: a reload makes the cells anew, and it gets it back.
    property var current: ({ line: 0, column: 0 })
    function reload() {
        var focused = window.activeFocusItem
        var hadCell = focused !== null && focused.objectName.indexOf("tableCell_") === 0
        values = materials.parameterTable(paramID)
        // An undo that took the printer away leaves nothing to show.
        if (values.lines === undefined) {
            close()
            return
        }
        choice.currentIndex = parameters.findIndex(p => p.id === paramID)
        if (hadCell)
            focusCell()
    }
    function focusCell() {
        var line = linesView.itemAt(Math.min(current.line, lines.length - 1))
        var cell = line ? line.cellAt(Math.min(current.column, qualities.length - 1)) : null
        if (cell && cell.enabled)
            cell.forceActiveFocus(Qt.TabFocusReason)
        else
            move(0, -1, 0, 1)
    }
    // The first row whose name holds the text, in any letter case.
    function choose(text) {
        var i = parameters.findIndex(p => p.name.toLowerCase().indexOf(text.trim().toLowerCase()) >= 0)
        if (i < 0) {
            choice.currentIndex = parameters.findIndex(p => p.id === paramID)
            return
        }
        paramID = parameters[i].id
        reload()
    }
    function keyText(line) {
        return "⩢ " + Number(line.nozzle).toFixed(2) + "  ≣ " + Number(line.layer).toFixed(2)
    }
    // The dialog of the row's kind, for the one set; a locked material asks for its password.
    function edit(l, c, cell) {
        if (values.locked) {
            askUnlock()
            return
        }
        var dialog = dialogOfKind[values.paramType]
        if (!dialog)
            return
        var line = lines[l]
        var row = rowOf(values)
        row.paramID = paramID
        row.paramFlag = 1
        row.paramVal = line.cells[c].value
        row.paramDesc = values.paramDesc + " — " + keyText(line) + "  ⚖ " + qualities[c].name
        row.set = { nozzle: line.nozzle, layer: line.layer, quality: qualities[c].id }
        editOrigin = focusReturn
        dialog.edit(row)
    }
    // The next cell with a set from line l, column c, in the direction given.
    function move(l, c, dl, dc) {
        for (l += dl, c += dc; l >= 0 && c >= 0 && l < lines.length && c < qualities.length; l += dl, c += dc) {
            var cell = linesView.itemAt(l).cellAt(c)
            if (cell && cell.enabled) {
                cell.forceActiveFocus(Qt.TabFocusReason)
                return
            }
        }
    }

    // Follows every change: a value stored, an undo or redo, the lock, the language.
    Connections {
        target: materials
        enabled: table.visible
        function onMatChanged() { table.reload() }
        function onBMatLockedChanged() { table.reload() }
        function onCurPrinterChanged() { table.reload() }
        function onLanguageChanged() { table.reload() }
    }
    // The window's keys (undo, redo, save...), which a modal popup keeps from the window.
    Loader { sourceComponent: windowKeys; onLoaded: item.active = Qt.binding(function() { return table.opened }) }
    onOpened: focusCell()
    onClosed: if (origin) origin.forceActiveFocus()

    contentItem: ColumnLayout {
        spacing: 6
        RowLayout {
            Layout.fillWidth: true
            spacing: fontP
            ComboBox {
                id: choice
                objectName: "tableParamChoice"
                Layout.preferredWidth: fontP * 16
                editable: true
                model: table.parameters
                textRole: "name"
                onActivated: table.choose(table.parameters[index].name)
                onAccepted: table.choose(editText)
            }
            Label {
                objectName: "tableTitle"
                Layout.fillWidth: true
                elide: Text.ElideRight
                text: table.values.paramUnit ? qsTr("%1 on %2, in %3").arg(table.values.paramDesc).arg(table.values.printerName)
                                                                     .arg(table.values.paramUnit)
                                           : qsTr("%1 on %2").arg(table.values.paramDesc).arg(table.values.printerName)
            }
            ToolButton {
                objectName: "tableClose"
                text: "✕"
                focusPolicy: Qt.TabFocus
                onClicked: table.close()
            }
        }
        // Where the keyboard goes back to after a value's dialog: to the cell edited, made anew
        // by then.
        Item {
            id: focusReturn
            onActiveFocusChanged: if (activeFocus) table.focusCell()
        }
        // The lock, as the parameter page shows it: a press asks for the password.
        Button {
            objectName: "tableLockState"
            visible: table.values.locked === true
            flat: true
            text: "🔒 " + qsTr("Locked: press to give its password")
            font.capitalization: Font.MixedCase
            Material.foreground: "#B71C1C"
            onClicked: askUnlock()
        }

        Flickable {
            id: grid
            objectName: "tableView"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            contentWidth: gridColumn.width
            contentHeight: gridColumn.height
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}
            ScrollBar.horizontal: ScrollBar {}

            // Scrolls the cell into view, as a view does for its current item.
            function show(item) {
                var at = item.mapToItem(gridColumn, 0, 0)
                if (at.y < contentY)
                    contentY = at.y
                else if (at.y + item.height > contentY + height)
                    contentY = at.y + item.height - height
                if (at.x < contentX)
                    contentX = at.x
                else if (at.x + item.width > contentX + width)
                    contentX = at.x + item.width - width
            }

            Column {
                id: gridColumn
                spacing: 2
                Row {
                    spacing: 2
                    Label {
                        width: table.keyWidth
                        height: table.cellHeight
                        verticalAlignment: Text.AlignVCenter
                        color: "#616161"
                        text: "⩢ ≣ \\ ⚖"
                    }
                    Repeater {
                        model: table.qualities
                        Label {
                            width: table.cellWidth
                            height: table.cellHeight
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                            elide: Text.ElideRight
                            font.bold: true
                            text: modelData.name
                        }
                    }
                }
                Repeater {
                    id: linesView
                    model: table.lines
                    Row {
                        readonly property int lineIndex: index
                        readonly property var line: modelData
                        function cellAt(c) { return cells.itemAt(c) }
                        spacing: 2
                        Label {
                            width: table.keyWidth
                            height: table.cellHeight
                            verticalAlignment: Text.AlignVCenter
                            color: "#616161"
                            text: table.keyText(line)
                        }
                        Repeater {
                            id: cells
                            model: line.cells
                            ItemDelegate {
                                id: cell
                                readonly property int column: index
                                objectName: "tableCell_" + lineIndex + "_" + column
                                width: table.cellWidth
                                height: table.cellHeight
                                enabled: modelData.exists
                                focusPolicy: modelData.exists ? Qt.StrongFocus : Qt.NoFocus
                                text: modelData.exists ? valueText(modelData.value, 2, Qt.locale("en_US")) : ""
                                font.bold: modelData.marked
                                background: Rectangle {
                                    color: modelData.marked ? "#FFF3E0" : modelData.exists ? "#EEF0F8" : "transparent"
                                    border.color: modelData.exists ? "#C5CAE9" : "#E0E0E0"
                                    radius: 3
                                }
                                Label {
                                    anchors.right: parent.right
                                    anchors.top: parent.top
                                    anchors.margins: 2
                                    visible: modelData.marked
                                    text: "↺"
                                    color: "#E65100"
                                    font.pixelSize: fontP * 0.8
                                }
                                onClicked: table.edit(lineIndex, column, cell)
                                onActiveFocusChanged: {
                                    if (!activeFocus)
                                        return
                                    table.current = { line: lineIndex, column: column }
                                    grid.show(cell)
                                }
                                Keys.onReturnPressed: table.edit(lineIndex, column, cell)
                                Keys.onEnterPressed: table.edit(lineIndex, column, cell)
                                Keys.onLeftPressed: table.move(lineIndex, column, 0, -1)
                                Keys.onRightPressed: table.move(lineIndex, column, 0, 1)
                                Keys.onUpPressed: table.move(lineIndex, column, -1, 0)
                                Keys.onDownPressed: table.move(lineIndex, column, 1, 0)
                                ToolTip.visible: hovered && modelData.marked
                                ToolTip.delay: 300
                                ToolTip.text: qsTr("Differs from the vendor's print set")
                            }
                        }
                    }
                }
            }
        }
    }
}
