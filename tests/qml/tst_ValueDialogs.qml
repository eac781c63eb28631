import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// The value dialogs, opened as a user opens them on material 1001 of the fixture library, whose
// stored values no dialog could have set: off the step grid, outside the usual range, and
// differing between the two print sets of nozzle 0.4, layer 0.2.
MainWindowTest {
    name: "ValueDialogs"

    SignalSpy { id: changes; target: materials; signalName: "matChanged" }
    readonly property var dialogs: ["intInput", "doubleInput", "temperature", "speed", "width"].map(d => d + "Dialog")

    // The values in both print sets of nozzle 0.4, layer 0.2; a pair gives each set its own.
    function store(vals) {
        for (var quality = 0; quality < 2; ++quality) {
            materials.restoreSelection(1001, 10102, 0.4, 0.2, quality)
            for (var id in vals)
                materials.setParameter(Number(id), Array.isArray(vals[id]) ? vals[id][quality] : vals[id])
        }
    }

    function initTestCase() {
        // The expected texts are written with a decimal point, whatever the machine's locale.
        dialogs.forEach(function (name) { findChild(child(name), "spinBox").locale = Qt.locale("C") })
    }
    // Every test starts from the same stored values, saved.
    function init() {
        materials.importMaterials(fixtureLibrary, false)
        store({ 0: 450, 3: 1.753, 4: 1.035, 6: 3, 15: [40, 55], 16: 40.5, 21: 105.5, 24: 0.425 })
        verify(materials.exportUserMaterials())
        showWindow()
    }
    function cleanup() { closeAll(dialogs) }

    function fieldOf(id) { return (id < 9 ? "basicField_" : "paramField_") + id }
    // A press on the row's page field or its ✎ button, or a key on the focused field.
    function open(data) {
        showParams(1001, 10102, 0.4, 0.2, -1)
        if (data.id < 9)
            press("backButton")
        tryCompare(child("stackView"), "busy", false)
        var opener = child(data.button ? "editButton_" + data.id : fieldOf(data.id))
        data.key ? focusOn(opener, data.key) : press(opener)
        return opened(data.dialog + "Dialog")
    }
    // The dialog shows the stored value as it is and keeps the keyboard; OK without a change
    // stores nothing, a change is stored in every selected set. After the same dialog was opened
    // on another row with the same value, what depends on the row still follows it.
    function test_dialogStoresOnlyAChange_data() {
        return [
            { tag: "untouched, out of range", id: 0, dialog: "temperature", text: "450℃", note: "outside" },
            { tag: "untouched, off the grid, ✎", id: 3, button: true, dialog: "width", text: "1.753 mm" },
            { tag: "untouched, sets differ; Tab reaches every control, outlined, and Return on Cancel", id: 15,
              dialog: "speed", text: "40 – 55mm/s", note: "2 print sets",
              tabs: ["modeSet", "modeAdd", "modePercent", "slider", "spinBox", "Ok", "Cancel"] },
            { tag: "untouched, integer off the grid", id: 21, dialog: "intInput", text: "105.5 %" },
            { tag: "untouched, decimal off the grid, ✎", id: 4, button: true, dialog: "doubleInput",
              text: "1.035 g/㎤" },
            { tag: "integer, arrow up from 105.5", id: 21, dialog: "intInput", text: "105.5 %",
              keys: [Qt.Key_Up, Qt.Key_Return], stored: 106 },
            { tag: "decimal typed with a point and the unit, ✎", id: 6, button: true, dialog: "doubleInput",
              text: "3.00 %", note: "outside", typed: "-0.35 %", stored: -0.35 },
            { tag: "speed, arrow down from 40.5 to the grid", id: 16, dialog: "speed", text: "40.5mm/s",
              keys: [Qt.Key_Down, Qt.Key_Return], stored: 40 },
            { tag: "width typed with a comma, Space on the field", id: 24, key: Qt.Key_Space, dialog: "width",
              text: "0.425 mm", typed: "0,5", stored: 0.5 },
            { tag: "differing speeds each raised by 5", id: 15, dialog: "speed", text: "40 – 55mm/s",
              note: "2 print sets", mode: "modeAdd", typed: "5", results: "Results: 45 – 60mm/s", stored: 45, max: 60 },
            { tag: "differing speeds each raised past the top: the results held there", id: 15, dialog: "speed",
              text: "40 – 55mm/s", note: "2 print sets", mode: "modeAdd", typed: "150",
              results: "Results: 190 – 200mm/s", stored: 190, max: 200 },
            { tag: "differing speeds each less 10 percent", id: 15, dialog: "speed", text: "40 – 55mm/s",
              note: "2 print sets", mode: "modePercent", unit: "0%", typed: "-10", results: "Results: 36 – 49.5mm/s",
              stored: 36, max: 49.5 },
            { tag: "temperatures each less 3 percent: whole results, the gauge's colour over them", id: 9,
              values: { 9: [200, 215] }, dialog: "temperature", text: "200 – 215℃", note: "2 print sets",
              mode: "modePercent", typed: "-3", results: "Results: 194 – 209℃", band: [194, 209], stored: 194, max: 209 },
            { tag: "Escape: no change", id: 16, dialog: "speed", text: "40.5mm/s", keys: [Qt.Key_Up, Qt.Key_Escape] },
            { tag: "speed: the slider pressed at its end, then OK pressed", id: 16, dialog: "speed",
              text: "40.5mm/s", slide: true, ok: true, stored: 200 },
            { tag: "each changed by 0: no change", id: 15, dialog: "speed", text: "40 – 55mm/s", note: "2 print sets",
              mode: "modeAdd", typed: "0" },
            { tag: "integer, each changed by an amount: a decimal point refused while typing", id: 21,
              dialog: "intInput", text: "105.5 %", mode: "modeAdd", typed: "2.5", stored: 130.5 },
            { tag: "acceleration: the dialog starts at the floor Save raises to", id: 18, dialog: "speed",
              text: "1000mm/s²", note: "The lowest value is 1000mm/s²: Save raises lower ones to it." },
            // Untouched on the grid; half way up the scale takes the colour above.
            { tag: "after another row: bar colour", id: 10, first: 9, values: { 9: 50, 10: 50 },
              dialog: "temperature", text: "50℃", colour: "#aafb82" }
        ]
    }
    function test_dialogStoresOnlyAChange(data) {
        if (data.values)
            store(data.values)
        if (data.first) {
            open({ id: data.first, dialog: data.dialog })
            key(Qt.Key_Escape)
            closed(data.dialog + "Dialog")
        }
        var d = open(data)
        var box = findChild(d, "spinBox")
        var before = materials.valueSpread(data.id)
        changes.clear()
        compare(shown(box.contentItem), data.text)
        var note = findChild(d, "valueNote")
        verify(note.visible === !!data.note && (!data.note || shown(note).indexOf(data.note) >= 0), note.text)
        if (data.colour)
            compare(String(shown(findChild(d, "valueBar"), "color")), data.colour)
        tryVerify(function() { return box.contentItem.activeFocus }, 1000, "the number box has the keyboard")
        compare(shown(d.standardButton(Dialog.Ok)), data.id < 9 ? "OK" : "OK (2 print sets)")
        if (data.mode)
            press(findChild(d, data.mode))
        if (data.unit)
            compare(shown(box.contentItem), data.unit)
        type(data.typed || "")
        // A change to each set: the results as typed so far; the slider's one handle is not shown.
        if (data.results) {
            compare(shown(findChild(d, "results")), data.results)
            if (findChild(d, "slider"))
                compare(refusal(findChild(d, "slider")), "not visible")
        }
        if (data.band) {
            var gauge = findChild(d, "gauge")
            compare(gauge.value, data.band[1])
            fuzzyCompare(shown(findChild(d, "belowResults"), "height") / shown(findChild(d, "valueBar"), "height"),
                         (data.band[0] - gauge.minimumValue) / (data.band[1] - gauge.minimumValue), 0.02)
        }
        // Tab reaches each control, which then shows the focus outline.
        if (data.tabs) data.tabs.forEach(function (name) {
            var item = findChild(d, name) || d.standardButton(Dialog[name])
            focusOn(item)
            outlined(item)
        })
        if (data.slide) {
            var slider = findChild(d, "slider")
            press(slider, slider.width - 2, slider.height / 2)
        }
        if (data.ok)
            answer(d, Dialog.Ok)
        else
            type(data.keys || [Qt.Key_Return])
        closed(d)
        var spread = materials.valueSpread(data.id)
        fuzzyCompare(spread.min, data.stored === undefined ? before.min : data.stored, 1e-6)
        fuzzyCompare(spread.max, data.stored === undefined ? before.max : data.max || data.stored, 1e-6)
        compare(changes.count, data.stored === undefined ? 0 : 1)
        if (data.stored === undefined)
            verify(child(fieldOf(data.id)).activeFocus, "the keyboard is back on the row's field")
    }

    // Undo shows the step's material, selection and page again, with the value as it was; redo
    // brings the edit back. The ☰ menu names the steps.
    function test_undoRedoByKeys_data() {
        return [{ tag: "Ctrl+Shift+Z redoes", redo: "Ctrl+Shift+Z" },
                { tag: "Ctrl+Y redoes", redo: "Ctrl+Y" }]
    }
    function test_undoRedoByKeys(data) {
        var d = open({ id: 16, dialog: "speed" })
        type("45")
        key(Qt.Key_Return)
        closed(d)
        var step = "Infill Speed 40.5 → 45 (2 print sets)"
        openFrom("optionsButton", "optionsMenu")
        compare([materials.valueSpread(16).min, shown("undoItem"), refusal("undoItem"), refusal("redoItem")],
                [45, "Undo " + step, "", "disabled"])
        key(Qt.Key_Escape)
        closed("optionsMenu")
        materials.selectMaterial(1002)
        tryCompare(child("stackView"), "depth", 1)
        keySequence("Ctrl+Z")
        compare([materials.valueSpread(16).min, materials.curMatID, materials.curLayerThick, materials.modified],
                [40.5, 1001, "Layer: 0.20 ", false])
        openFrom("optionsButton", "optionsMenu")
        compare(shown("redoItem"), "Redo " + step)
        key(Qt.Key_Escape)
        closed("optionsMenu")
        tryCompare(child("stackView"), "depth", 2)
        keySequence(data.redo)
        compare([materials.valueSpread(16).min, materials.modified], [45, true])
    }
}
