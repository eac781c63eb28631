import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2
import PrintSet 1.0

// The value dialogs of the real main window, opened as a user opens them, on material 1001 of
// the fixture library whose stored values no dialog could have set: off the step grid, outside
// the usual range, and differing between the two print sets of nozzle 0.4, layer 0.2.
Item {
    width: 1280
    height: 800

    Loader { id: window; source: "qrc:/main.qml" }
    BasicInfoModel { id: basicRows; mats: materials }
    PrintParamModel { id: printRows; mats: materials }
    SignalSpy { id: changes; target: materials; signalName: "matChanged" }

    TestCase {
        name: "ValueDialogs"
        when: windowShown && window.status === Loader.Ready

        readonly property var dialogNames: ["intInputDialog", "doubleInputDialog", "temperatureDialog",
                                            "speedDialog", "widthDialog"]
        readonly property var roleNames: ["paramID", "paramType", "paramFlag", "paramVal", "paramDesc", "paramUnit",
                                          "minVal", "maxVal", "safeVal", "editStep", "tickStep", "labelStep"]

        function lookUp(name) { return findChild(window.item.contentItem.parent, name) || findChild(window.item, name) }
        function child(name) {
            tryVerify(function() { return lookUp(name) !== null }, 3000, "no " + name)
            return lookUp(name)
        }
        function dialog(name) { return findChild(window.item, name) }
        function stack() { return child("stackView") }

        // Both sets of nozzle 0.4, layer 0.2 get the values; speed 15 differs between them.
        function store(values) {
            for (var quality = 0; quality < 2; ++quality) {
                materials.selectPrinter(10102)
                materials.selectNozzle(0.4)
                materials.selectLayerThick(0.2)
                materials.selectQuality(quality)
                for (var id in values)
                    materials.setParameter(Number(id), values[id])
                materials.setParameter(15, quality === 0 ? 40 : 55)
            }
        }

        property string prepared

        function initTestCase() {
            window.item.show()
            window.item.width = 1280
            window.item.height = 800
            // The expected texts are written with a decimal point, whatever the machine's locale.
            for (var i = 0; i < dialogNames.length; ++i)
                findChild(dialog(dialogNames[i]), "spinBox").locale = Qt.locale("C")
            materials.importMaterials(fixtureLibrary, false)
            materials.selectMaterial(1001)
            var basic = { 0: 450, 3: 1.753, 4: 1.035, 6: 3 }
            for (var id in basic)
                materials.setParameter(Number(id), basic[id])
            store({ 9: 210, 16: 40.5, 18: 1234.5, 20: 5000, 21: 105.5, 24: 0.425 })
            prepared = testFiles.writeText("prepared.cvx", "")
            verify(materials.exportMaterials(prepared, false))
        }

        // Every test starts from the same stored values, saved, and with the window active, so
        // that keys reach it.
        function init() {
            materials.importMaterials(prepared, false)
            verify(materials.exportUserMaterials())
            window.item.requestActivate()
            tryCompare(window.item, "active", true)
        }

        function cleanup() {
            for (var i = 0; i < dialogNames.length; ++i) {
                dialog(dialogNames[i]).close()
                tryCompare(dialog(dialogNames[i]), "visible", false)
            }
        }

        // The page of the row, with nozzle 0.4 and layer 0.2 chosen through the printer menu.
        function showPageOf(id) {
            materials.selectMaterial(1001)
            tryCompare(stack(), "busy", false)
            while (stack().depth > 1)
                stack().pop(null)
            if (id < 9)
                return
            mouseClick(child("printerButton"))
            tryCompare(child("printerMenu"), "opened", true)
            mouseClick(child("printerItem_10102"))
            tryCompare(stack(), "busy", false)
            materials.selectNozzle(0.4)
            materials.selectLayerThick(0.2)
        }

        // Opens the row's dialog the way a user does: a press on its page field or its ✎ button, or
        // a key on the focused field.
        function open(data) {
            showPageOf(data.id)
            var opener = child((data.id < 9 ? (data.button ? "editButton_" : "basicField_") : "paramField_") + data.id)
            waitForRendering(opener)
            if (data.key) {
                opener.forceActiveFocus()
                keyClick(data.key)
            } else {
                mouseClick(opener)
            }
            var d = dialog(data.dialog)
            tryCompare(d, "opened", true)
            return d
        }

        // OK at once stores nothing, whatever the dialog shows; the dialog shows the stored value
        // as it is and keeps the keyboard from the start.
        function test_untouchedOkStoresNothing_data() {
            return [
                { tag: "temperature out of range, field", id: 0, dialog: "temperatureDialog", text: "450℃", note: "outside" },
                { tag: "diameter off the grid, ✎", id: 3, button: true, dialog: "widthDialog", text: "1.753 mm" },
                { tag: "density off the grid, field", id: 4, dialog: "doubleInputDialog", text: "1.035 g/㎤" },
                { tag: "shrink out of range, ✎", id: 6, button: true, dialog: "doubleInputDialog", text: "3.00 %",
                  note: "outside" },
                { tag: "temperature on the grid", id: 9, dialog: "temperatureDialog", text: "210℃" },
                { tag: "speeds differing between the sets", id: 15, dialog: "speedDialog", text: "40 – 55mm/s",
                  note: "2 print sets" },
                { tag: "speed off the grid", id: 16, dialog: "speedDialog", text: "40.5mm/s" },
                { tag: "acceleration off the grid", id: 18, dialog: "speedDialog", text: "1234.5mm/s²" },
                { tag: "acceleration out of range", id: 20, dialog: "speedDialog", text: "5000mm/s²", note: "outside" },
                { tag: "extrusion off the grid", id: 21, dialog: "intInputDialog", text: "105.5 %" },
                { tag: "width off the grid, Space on the field", id: 24, key: Qt.Key_Space, dialog: "widthDialog",
                  text: "0.425 mm" }
            ]
        }
        function test_untouchedOkStoresNothing(data) {
            var d = open(data)
            var box = findChild(d, "spinBox")
            var before = materials.valueSpread(data.id)
            changes.clear()
            compare(box.contentItem.text, data.text)
            var note = findChild(d, "valueNote")
            compare(note.visible, !!data.note)
            if (data.note)
                verify(note.text.indexOf(data.note) >= 0, note.text)
            // The press that opened the dialog is over, and the box still has the keyboard.
            wait(100)
            verify(box.contentItem.activeFocus, "the number box has the keyboard")
            keyClick(Qt.Key_Return)
            tryCompare(d, "visible", false)
            compare(changes.count, 0)
            compare(materials.modified, false)
            compare(materials.valueSpread(data.id), before)
            verify(child((data.id < 9 ? "basicField_" : "paramField_") + data.id).activeFocus,
                   "the keyboard is back on the row's field")
        }

        // Once the user changes the control, its value is stored in every selected set.
        function test_changedValueIsStored_data() {
            return [
                { tag: "integer, arrow up from 105.5", id: 21, dialog: "intInputDialog", keys: [Qt.Key_Up], stored: 106 },
                { tag: "decimal typed with a comma", id: 4, dialog: "doubleInputDialog", typed: "1,2", stored: 1.2 },
                { tag: "decimal typed with a point and the unit", id: 6, dialog: "doubleInputDialog", typed: "-0.35 %",
                  stored: -0.35 },
                { tag: "temperature typed", id: 0, dialog: "temperatureDialog", typed: "215", stored: 215 },
                { tag: "speed, arrow down from 40.5 to the grid", id: 16, dialog: "speedDialog", keys: [Qt.Key_Down],
                  stored: 40 },
                { tag: "acceleration, arrow up from 1234.5 to the grid", id: 18, dialog: "speedDialog",
                  keys: [Qt.Key_Up], stored: 1300 },
                { tag: "width typed with a comma", id: 24, dialog: "widthDialog", typed: "0,5", stored: 0.5 },
                { tag: "differing speeds set alike", id: 15, dialog: "speedDialog", typed: "45", stored: 45 },
                { tag: "differing speeds each raised by 5", id: 15, dialog: "speedDialog", mode: "modeAdd", typed: "5",
                  stored: 45, max: 60 },
                { tag: "differing speeds each less 10 percent", id: 15, dialog: "speedDialog", mode: "modePercent",
                  typed: "-10", stored: 36, max: 49.5 },
                { tag: "Escape stores nothing", id: 16, dialog: "speedDialog", keys: [Qt.Key_Up, Qt.Key_Escape],
                  stored: 40.5, count: 0 }
            ]
        }
        function test_changedValueIsStored(data) {
            var d = open(data)
            var expected = data.count === undefined ? materials.valueSpread(data.id).count : data.count
            changes.clear()
            if (data.mode) {
                compare(d.standardButton(Dialog.Ok).text, "OK (2 print sets)")
                mouseClick(findChild(d, data.mode))
            }
            for (var i = 0; data.typed && i < data.typed.length; ++i)
                keyClick(data.typed.charAt(i))
            var keys = data.keys || []
            for (i = 0; i < keys.length; ++i)
                keyClick(keys[i])
            if (data.count === undefined)
                keyClick(Qt.Key_Return)
            tryCompare(d, "visible", false)
            var spread = materials.valueSpread(data.id)
            fuzzyCompare(spread.min, data.stored, 1e-6)
            fuzzyCompare(spread.max, data.max === undefined ? data.stored : data.max, 1e-6)
            compare(changes.count, expected === 0 ? 0 : 1)
            compare(materials.modified, expected > 0)
        }

        // An edit in a dialog, then the keys: undo shows the step's page and selection again, with
        // the value as it was; redo brings the edit back. The ☰ menu names the steps.
        function test_undoRedoByKeys_data() {
            return [
                { tag: "Ctrl+Shift+Z redoes", redo: "Ctrl+Shift+Z" },
                { tag: "Ctrl+Y redoes", redo: "Ctrl+Y" }
            ]
        }
        function test_undoRedoByKeys(data) {
            var d = open({ id: 16, dialog: "speedDialog" })
            keyClick("4")
            keyClick("5")
            keyClick(Qt.Key_Return)
            tryCompare(d, "visible", false)
            compare(materials.valueSpread(16).min, 45)
            compare(child("undoItem").text, "Undo Infill Speed 40.5 → 45 (2 print sets)")
            verify(child("undoItem").enabled)
            verify(!child("redoItem").enabled)
            // Elsewhere: another material, the start page.
            materials.selectMaterial(1002)
            tryCompare(stack(), "depth", 1)

            keySequence("Ctrl+Z")
            compare(materials.valueSpread(16).min, 40.5)
            compare(materials.curMatID, 1001)
            compare(materials.curLayerThick, "Layer: 0.20 ")
            tryCompare(stack(), "depth", 2)
            compare(materials.modified, false)
            compare(child("redoItem").text, "Redo Infill Speed 40.5 → 45 (2 print sets)")

            keySequence(data.redo)
            compare(materials.valueSpread(16).min, 45)
            compare(materials.modified, true)
        }

        // Parameter id's row as the pages read it (roles 256 to 267 in order).
        function row(id) {
            var model = id < 9 ? basicRows : printRows
            var r = {}
            for (var i = 0; i < roleNames.length; ++i)
                r[roleNames[i]] = model.data(model.index(id < 9 ? id : id - 9, 0), 256 + i)
            return r
        }
        function edit(name, id, value) {
            materials.setParameter(id, value)
            window.item.beginEdit(row(id))
            tryCompare(dialog(name), "opened", true)
            return dialog(name)
        }

        // Two openings with the same value: what depends on the other fields still follows them.
        function test_refreshWithSameValue_data() {
            return [
                { tag: "integer unit", name: "intInputDialog", first: 21, second: 40, value: 60, text: "60 °" },
                { tag: "decimal unit", name: "doubleInputDialog", first: 37, second: 7, value: 0.1, text: "0.10 %" },
                { tag: "speed unit", name: "speedDialog", first: 15, second: 18, value: 50, text: "50mm/s²" },
                { tag: "temperature colour", name: "temperatureDialog", first: 9, second: 10, value: 100,
                  text: "100℃", color: "#FC2B1D" },
                { tag: "width colour", name: "widthDialog", first: 3, second: 24, value: 1, text: "1.00 mm",
                  color: "#FC2B1D" },
                { tag: "arc colour: speed then raft speed", name: "speedDialog", first: 15, second: 27, value: 50,
                  text: "50mm/s", arc: "#fc2b1d" },
                { tag: "arc colour: raft speed then speed", name: "speedDialog", first: 27, second: 15, value: 50,
                  text: "50mm/s", arc: "#aafb82" }
            ]
        }
        function test_refreshWithSameValue(data) {
            materials.selectPrinter(10102)
            materials.selectNozzle(0.4)
            materials.selectLayerThick(0.2)
            materials.selectQuality(0)
            edit(data.name, data.first, data.value).close()
            tryCompare(dialog(data.name), "visible", false)
            var d = edit(data.name, data.second, data.value)
            compare(findChild(d, "spinBox").displayText, data.text)
            if (data.color)
                compare(String(findChild(d, "valueBar").color).toUpperCase(), data.color)
            if (data.arc) {
                var arc = findChild(d, "arc")
                // Just after the arc's start, on the middle of its stroke; it is painted on a later frame.
                var angle = (-130 - 90 + 5) * Math.PI / 180
                var x = Math.round(arc.width / 2 * (1 + 0.95 * Math.cos(angle)))
                var y = Math.round(arc.width / 2 * (1 + 0.95 * Math.sin(angle)))
                tryVerify(function() {
                    var px = arc.getContext("2d").getImageData(x, y, 1, 1).data
                    return "#" + [px[0], px[1], px[2]].map(function (c) { return (c < 16 ? "0" : "") + c.toString(16) }).join("") === data.arc
                }, 2000, "arc colour " + data.arc)
            }
        }
    }
}
