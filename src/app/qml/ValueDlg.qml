import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12

// The frame of the five value dialogs. It is handed the row it edits, shows the
// stored value as it is (off the step grid, outside the usual range, or differing between the
// selected print sets), gives the keyboard to the number box at once, and on OK sends a value
// only when the user changed the control: an untouched OK stores nothing.
Dialog {
    id: dialog
    anchors.centerIn: Overlay.overlay
    modal: true
    focus: true
    standardButtons: Dialog.Ok | Dialog.Cancel
    footer: DialogButtons {}

    // What each dialog sets: its number box and the value OK sends.
    default property alias body: slot.data
    property ValueSpinBox numberBox
    property real controlValue

    property string unit: "unit"
    property real safeVal: 100
    property real minVal: 0
    property real maxVal: 100
    property real editStep: 1
    // As the row holds it (the first print set's for a print row), and its spread over the sets.
    property real storedValue: 0
    property real spreadMin: 0
    property real spreadMax: 0
    property int setCount: 1
    readonly property bool manifold: spreadMin !== spreadMax
    readonly property bool outOfRange: !manifold && (storedValue < minVal || storedValue > maxVal)
    readonly property bool touched: numberBox !== null && numberBox.changedByUser
    // With several print sets: 0 sets them all to the value, 1 changes each by an amount and 2 by
    // a percentage of its own value, so that their differences survive.
    property int changeMode: 0
    readonly property bool absolute: changeMode === 0
    readonly property string boxUnit: changeMode === 2 ? "%" : unit
    // The change as typed so far, and the lowest and highest result over the sets, as the change
    // would store them.
    readonly property real change: absolute || numberBox === null ? 0 : numberBox.typedValue / numberBox.unitScale
    readonly property var results: absolute ? ({ count: 0, min: 0, max: 0 })
                                            : materials.valueSpread(row.paramID, change, changeMode === 2)
    // Room the choice of mode, of rows and the group's lines take, for the dialogs' heights.
    readonly property real extraHeight: (modes.visible ? modes.implicitHeight + 6 : 0)
                                        + (groupChoice.visible ? groupChoice.implicitHeight + 6 : 0)
                                        + (applyToChosen.visible ? applyToChosen.implicitHeight + 6 : 0)
                                        + (group ? 2 * fontP + 12 : 0)

    // A change of several rows of the edited row's kind at once: the rows it may reach (none for a
    // table's cell, which is one set's) and those ticked, the edited one first.
    property var groupRows: []
    property var ticked: []
    readonly property bool group: ticked.length > 1
    readonly property real groupAmount: absolute ? controlValue : change
    readonly property var groupResults: group ? materials.groupResults(ticked, changeMode, groupAmount) : []
    readonly property var groupCount: group ? materials.bulkPreview([materials.curMatID], ticked, changeMode, groupAmount)
                                            : ({ values: 0, sets: 0 })
    readonly property string allText: ({ 4: qsTr("All temperatures"), 5: qsTr("All speeds"), 6: qsTr("All accelerations"),
                                         7: qsTr("All widths") })[row.paramType] || ""
    function tick(id, on) {
        var ids = ticked.filter(function (t) { return t !== id })
        ticked = on ? ids.concat([id]) : ids
    }
    // The first row's results, and how many more rows follow; a row whose range refuses a value set
    // is named in the note instead.
    function groupResultsText() {
        var shownRows = groupResults.filter(function (r) { return !r.outOfRange })
        if (shownRows.length === 0)
            return ""
        var first = shownRows[0].name + " " + spanText(shownRows[0].min, shownRows[0].max)
        return shownRows.length > 1 ? qsTr("Results: %1, and %2 more").arg(first).arg(shownRows.length - 1)
                                    : qsTr("Results: %1").arg(first)
    }
    // The change as typed, to the materials chosen in the drawer: a preview asks first.
    function applyToChosenMaterials() {
        numberBox.commit()
        var ids = group ? ticked : [row.paramID]
        var amount = absolute ? controlValue : numberBox.value / numberBox.unitScale
        var mode = changeMode
        close()
        bulkPreview.ask(materials.materialIDsOf(materialList.chosenKeys), ids, mode, amount)
    }

    // Each dialog sets up its control for the row here, before the number box is loaded.
    signal loading()

    // Decimal places that show a value as stored, at most three (the rows' precision).
    function placesOf(v) {
        var places = 0
        while (places < 3 && Math.abs(v * Math.pow(10, places) - Math.round(v * Math.pow(10, places))) > 1e-6)
            ++places
        return places
    }

    function unitText(text) {
        return unit.length > 0 ? text + numberBox.unitGap + unit : text
    }

    function shown(v) {
        return numberBox.format(v, Math.max(numberBox.decimals, placesOf(v)))
    }
    function spanText(low, high) {
        return unitText(low === high ? shown(low) : shown(low) + " – " + shown(high))
    }

    readonly property string storedText: numberBox === null ? ""
        : manifold ? spanText(spreadMin, spreadMax) : spanText(storedValue, storedValue)

    // A gauge whose colour runs from its lowest value up to the highest result shows the results
    // by drawing this share of that run faint: the part below the lowest result.
    function shareBelowResults(lowest, highest) {
        var low = Math.max(lowest, Math.min(highest, results.min))
        var high = Math.max(lowest, Math.min(highest, results.max))
        return high > lowest ? (low - lowest) / (high - lowest) : 0
    }

    // The row being edited, as the page had it when the dialog opened (roles of PrintSetModel).
    property var row: ({ paramID: -1, paramType: 0 })
    // Save raises a lower acceleration to this; the dialogs start there and say so.
    readonly property bool floorRow: row.paramType === 6
    function edit(edited) {
        row = edited
        setValue()
        open()
    }
    function setValue() {
        changeMode = 0
        numberBox.wholeOnly = false
        numberBox.signed = false
        title = row.paramDesc
        groupRows = row.set ? [] : materials.groupRows(row.paramID)
        ticked = [row.paramID]
        unit = row.paramUnit
        safeVal = row.safeVal
        minVal = row.minVal
        maxVal = row.maxVal
        editStep = row.editStep
        storedValue = row.paramVal
        // A row of the value table is one print set's.
        var spread = row.set ? { count: 1, min: storedValue, max: storedValue } : materials.valueSpread(row.paramID)
        setCount = spread.count
        spreadMin = spread.count > 0 ? spread.min : storedValue
        spreadMax = spread.count > 0 ? spread.max : storedValue
        loading()
        numberBox.load(storedValue, storedText)
        standardButton(Dialog.Ok).text = setCount > 1 ? qsTr("OK (%1 print sets)").arg(setCount) : qsTr("OK")
    }

    // The mode is set first, so that what follows it (the number box's unit) has followed it when
    // the box is loaded: the box makes its text again only for a new value.
    function setMode(mode) {
        if (mode === changeMode)
            return
        changeMode = mode
        numberBox.wholeOnly = changeMode !== 0 && numberBox.decimals === 0
        numberBox.signed = changeMode !== 0
        if (changeMode === 0) {
            loading()
            numberBox.load(storedValue, storedText)
        } else {
            var span = maxVal - minVal
            if (changeMode === 1)
                numberBox.setRange(-span, span, editStep)
            else
                numberBox.setRange(-100, 500, 1)
            numberBox.load(0, "")
        }
        numberBox.contentItem.forceActiveFocus()
        numberBox.contentItem.selectAll()
    }

    onOpened: {
        numberBox.contentItem.forceActiveFocus()
        numberBox.contentItem.selectAll()
    }

    onAccepted: {
        numberBox.commit()
        if (!touched) {
            console.log("Ok without a change: nothing stored")
            return
        }
        if (group) {
            var done = materials.changeGroup(ticked, changeMode, absolute ? controlValue : numberBox.value / numberBox.unitScale)
            if (done.values > 0)
                window.showUndoToast(qsTr("Changed %1 values in %2 print sets").arg(done.values).arg(done.sets))
            return
        }
        if (row.set)
            materials.setValueInSet(row.paramID, row.set.nozzle, row.set.layer, row.set.quality, controlValue)
        else if (absolute)
            materials.setParameter(row.paramID, controlValue)
        else
            materials.changeParameterBy(row.paramID, numberBox.value / numberBox.unitScale, changeMode === 2)
        console.log("Ok clicked, Set parameter, ID: " + row.paramID)
    }
    onRejected: console.log("Cancel clicked")
    // The preview of a change to the chosen materials keeps the keyboard; it gives it back itself.
    onClosed: if (!bulkPreview.visible) window.returnFocusAfterEdit()

    Connections {
        target: dialog.numberBox
        function onEntered() { dialog.accept() }
    }

    contentItem: ColumnLayout {
        spacing: 6
        Flow {
            id: groupChoice
            objectName: "groupChoice"
            Layout.fillWidth: true
            visible: dialog.groupRows.length > 1
            CheckBox {
                objectName: "groupAll"
                text: dialog.allText
                padding: 2
                focusPolicy: Qt.TabFocus
                checked: dialog.ticked.length === dialog.groupRows.length
                onClicked: {
                    dialog.ticked = checked ? [dialog.row.paramID].concat(dialog.groupRows.map(function (r) { return r.id })
                                                  .filter(function (id) { return id !== dialog.row.paramID }))
                                            : [dialog.row.paramID]
                    checked = Qt.binding(function () { return dialog.ticked.length === dialog.groupRows.length })
                }
                Keys.onReturnPressed: { toggle(); clicked() }
            }
            Repeater {
                model: dialog.groupRows
                CheckBox {
                    objectName: "groupRow_" + modelData.id
                    text: modelData.name
                    padding: 2
                    focusPolicy: Qt.TabFocus
                    // The edited row is always changed.
                    enabled: modelData.id !== dialog.row.paramID
                    checked: dialog.ticked.indexOf(modelData.id) >= 0
                    onClicked: {
                        dialog.tick(modelData.id, checked)
                        checked = Qt.binding(function () { return dialog.ticked.indexOf(modelData.id) >= 0 })
                    }
                    Keys.onReturnPressed: { toggle(); clicked() }
                }
            }
        }
        Row {
            id: modes
            Layout.alignment: Qt.AlignHCenter
            visible: dialog.setCount > 1 || dialog.group
            spacing: 4
            RadioButton {
                objectName: "modeSet"
                text: qsTr("Set all to")
                checked: dialog.changeMode === 0
                focusPolicy: Qt.TabFocus
                onClicked: dialog.setMode(0)
            }
            RadioButton {
                objectName: "modeAdd"
                text: qsTr("Change each by ±")
                checked: dialog.changeMode === 1
                focusPolicy: Qt.TabFocus
                onClicked: dialog.setMode(1)
            }
            RadioButton {
                objectName: "modePercent"
                text: qsTr("Change each by ±%")
                checked: dialog.changeMode === 2
                focusPolicy: Qt.TabFocus
                onClicked: dialog.setMode(2)
            }
        }
        Item {
            id: slot
            Layout.fillWidth: true
            Layout.fillHeight: true
        }
        Label {
            objectName: "results"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            visible: text !== ""
            font.bold: true
            text: dialog.group ? dialog.groupResultsText()
                               : dialog.absolute ? "" : qsTr("Results: %1").arg(dialog.spanText(dialog.results.min, dialog.results.max))
        }
        Label {
            id: note
            objectName: "valueNote"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            color: outOfRange ? "#B71C1C" : "#455A64"
            visible: text.length > 0
            text: {
                if (dialog.group) {
                    var refused = dialog.groupResults.filter(function (r) { return r.outOfRange }).map(function (r) { return r.name })
                    var counted = dialog.touched ? qsTr("OK changes %1 values in %2 print sets.").arg(dialog.groupCount.values).arg(dialog.groupCount.sets)
                                                 : qsTr("Type a value or a change for the %1 ticked rows.").arg(dialog.ticked.length)
                    return refused.length === 0 ? counted
                                                : counted + " " + qsTr("Outside their range, these stay as they are: %1.").arg(refused.join(", "))
                }
                if (!dialog.absolute)
                    return qsTr("Each of the %1 print sets keeps its own value, changed by this.").arg(dialog.setCount)
                if (dialog.touched)
                    return dialog.setCount > 1 ? qsTr("OK stores the value in all %1 print sets.").arg(dialog.setCount) : ""
                if (dialog.manifold)
                    return qsTr("The selected print sets differ: %1 in %2 print sets. OK without a change keeps each one's value.")
                        .arg(dialog.storedText).arg(dialog.setCount)
                if (dialog.outOfRange && dialog.floorRow && dialog.storedValue < dialog.minVal)
                    return qsTr("%1 is below %2, which Save raises it to.")
                        .arg(dialog.storedText).arg(dialog.unitText(dialog.shown(dialog.minVal)))
                if (dialog.outOfRange)
                    return qsTr("%1 is outside the usual range of %2.")
                        .arg(dialog.storedText).arg(dialog.unitText(dialog.shown(dialog.minVal) + " – " + dialog.shown(dialog.maxVal)))
                if (dialog.floorRow)
                    return qsTr("The lowest value is %1: Save raises lower ones to it.").arg(dialog.unitText(dialog.shown(dialog.minVal)))
                return ""
            }
        }
        Button {
            id: applyToChosen
            objectName: "applyToChosen"
            Layout.alignment: Qt.AlignHCenter
            flat: true
            focusPolicy: Qt.TabFocus
            visible: !dialog.row.set && dialog.row.paramID > 8 && materialList && materialList.chosenKeys.length > 1
            enabled: dialog.touched
            text: qsTr("Apply to the %1 materials chosen in the list…").arg(materialList ? materialList.chosenKeys.length : 0)
            onClicked: dialog.applyToChosenMaterials()
            Keys.onReturnPressed: clicked()
        }
    }
}
