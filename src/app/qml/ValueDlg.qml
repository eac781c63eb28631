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
    // Room the choice of mode takes, for the dialogs' heights.
    readonly property real extraHeight: modes.visible ? modes.implicitHeight + 6 : 0

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
        if (row.set)
            materials.setValueInSet(row.paramID, row.set.nozzle, row.set.layer, row.set.quality, controlValue)
        else if (absolute)
            materials.setParameter(row.paramID, controlValue)
        else
            materials.changeParameterBy(row.paramID, numberBox.value / numberBox.unitScale, changeMode === 2)
        console.log("Ok clicked, Set parameter, ID: " + row.paramID)
    }
    onRejected: console.log("Cancel clicked")
    onClosed: window.returnFocusAfterEdit()

    Connections {
        target: dialog.numberBox
        function onEntered() { dialog.accept() }
    }

    contentItem: ColumnLayout {
        spacing: 6
        Row {
            id: modes
            Layout.alignment: Qt.AlignHCenter
            visible: dialog.setCount > 1
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
            visible: !dialog.absolute
            font.bold: true
            text: dialog.absolute ? "" : qsTr("Results: %1").arg(dialog.spanText(dialog.results.min, dialog.results.max))
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
    }
}
