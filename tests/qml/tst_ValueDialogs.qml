import QtQuick 2.12
import QtTest 1.2
import PrintSet 1.0

// The value dialogs of the real main window, on material 1001 of the fixture library with one
// print set selected: what they show for a parameter row and what OK sends to the library.
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

        function initTestCase() {
            materials.importMaterials(fixtureLibrary, false)
            materials.selectMaterial(1001)
            materials.selectPrinter(10102)
            materials.selectNozzle(0.4)
            materials.selectLayerThick(0.2)
            materials.selectQuality(0)
            compare(materials.curSetNumber, 1)
            // The expected texts are written with a decimal point, whatever the machine's locale.
            findChild(dialog("widthDialog"), "spinBox").locale = Qt.locale("C")
            findChild(dialog("doubleInputDialog"), "spinBox").locale = Qt.locale("C")
        }

        function cleanup() {
            findChild(dialog("doubleInputDialog"), "spinBox").locale = Qt.locale("C")
            for (var i = 0; i < dialogNames.length; ++i) {
                dialog(dialogNames[i]).close()
                tryCompare(dialog(dialogNames[i]), "visible", false)
            }
        }

        function dialog(name) { return findChild(window.item, name) }

        // Parameter id's row as the pages read it (roles 256 to 267 in order).
        function row(id) {
            var model = id < 9 ? basicRows : printRows
            var r = {}
            for (var i = 0; i < roleNames.length; ++i)
                r[roleNames[i]] = model.data(model.index(id < 9 ? id : id - 9, 0), 256 + i)
            return r
        }

        // Stores the value, then starts editing its row as a press on a page does.
        function edit(name, id, value) {
            materials.setParameter(id, value)
            window.item.beginEdit(row(id))
            tryCompare(dialog(name), "opened", true)
            return dialog(name)
        }

        function test_getColorByValue_data() {
            return [
                { tag: "middle rounds up", val: 50, min: 0, max: 100, color: "#AAFB82" },
                { tag: "above max", val: 150, min: 0, max: 100, color: "#FC2B1D" },
                { tag: "min equals max", val: -7, min: 20, max: 20, color: "#FC2B1D" },
                { tag: "below min", val: -5, min: 0, max: 100, color: "#000E89" }
            ]
        }

        function test_getColorByValue(data) {
            compare(String(window.item.getColorByValue(data.val, data.min, data.max)).toUpperCase(), data.color)
        }

        function test_showDialog_data() {
            return [
                { tag: "integer", type: 1, name: "intInputDialog" },
                { tag: "decimal", type: 2, name: "doubleInputDialog" },
                { tag: "temperature", type: 4, name: "temperatureDialog" },
                { tag: "speed", type: 5, name: "speedDialog" },
                { tag: "acceleration", type: 6, name: "speedDialog" },
                { tag: "width", type: 7, name: "widthDialog" },
                { tag: "unused row", type: -1, name: "" },
                { tag: "type 3", type: 3, name: "" }
            ]
        }

        function test_showDialog(data) {
            findChild(window.item, "curParamItem").paramType = data.type
            window.item.showDialog()
            for (var i = 0; i < dialogNames.length; ++i)
                compare(dialog(dialogNames[i]).visible, dialogNames[i] === data.name, dialogNames[i])
        }

        // Loading from a row, one arrow step up on the spin box, OK: the new value is in the
        // library. Speeds and accelerations share a dialog and must not share their ranges.
        function test_loadStepAccept_data() {
            return [
                { tag: "integer", name: "intInputDialog", id: 21, value: 105, title: "Contour Extrude",
                  control: "spinBox", from: 50, to: 200, step: 1, shown: 105, text: "105 %", next: 106 },
                { tag: "decimal", name: "doubleInputDialog", id: 37, value: 0.25, title: "Tolerance",
                  control: "spinBox", from: -100, to: 100, step: 1, shown: 25, text: "0.25 mm", next: 0.26 },
                { tag: "temperature", name: "temperatureDialog", id: 9, value: 210, title: "Basic Temp",
                  control: "slider", from: 0, to: 400, step: 1, shown: 210, text: "210℃", next: 211 },
                // The library stores -4 as an integer and the model reads it -3.999.
                { tag: "bias read as -4.999", name: "temperatureDialog", id: 12, value: -5, title: "Contour Bias",
                  control: "slider", from: -20, to: 20, step: 1, shown: -5, text: "-5℃", next: -3.999 },
                { tag: "speed", name: "speedDialog", id: 15, value: 40, title: "Contour Speed",
                  control: "slider", from: 0, to: 200, step: 1, shown: 40, text: "40mm/s", next: 41 },
                { tag: "acceleration", name: "speedDialog", id: 18, value: 1500, title: "Contour Acc",
                  control: "slider", from: 0, to: 3000, step: 100, shown: 1500, text: "1500mm/s²", next: 1600 },
                { tag: "width", name: "widthDialog", id: 24, value: 0.45, title: "Contour Width",
                  control: "slider", from: 0, to: 2, step: 0.01, shown: 0.45, text: "0.45 mm", next: 0.46 }
            ]
        }

        function test_loadStepAccept(data) {
            var d = edit(data.name, data.id, data.value)
            var control = findChild(d, data.control)
            var spinBox = findChild(d, "spinBox")
            compare(d.title, data.title)
            fuzzyCompare(control.from, data.from, 1e-9)
            fuzzyCompare(control.to, data.to, 1e-9)
            fuzzyCompare(control.stepSize, data.step, 1e-9)
            fuzzyCompare(control.value, data.shown, 1e-9)
            compare(spinBox.displayText, data.text)
            mouseClick(spinBox.up.indicator)
            d.accept()
            fuzzyCompare(row(data.id).paramVal, data.next, 1e-9)
        }

        // The model cuts toward zero at three decimals; the dialog shows and sends the hundredth.
        function test_decimalRoundTrip_data() {
            return [
                { tag: "0.1", id: 37, value: 0.1, text: "0.10 mm", held: 10, stored: 0.1 },
                { tag: "-0.3 read as -0.299", id: 37, value: -0.3, text: "-0.30 mm", held: -30, stored: -0.299 },
                { tag: "1.05", id: 4, value: 1.05, text: "1.05 g/㎤", held: 105, stored: 1.05 },
                { tag: "percent -1.5", id: 6, value: -1.5, text: "-1.50 %", held: -150, stored: -1.499 }
            ]
        }

        function test_decimalRoundTrip(data) {
            var d = edit("doubleInputDialog", data.id, data.value)
            compare(findChild(d, "spinBox").displayText, data.text)
            compare(findChild(d, "spinBox").value, data.held)
            d.accept()
            fuzzyCompare(row(data.id).paramVal, data.stored, 1e-9)
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
                  color: "#FC2B1D" }
            ]
        }

        function test_refreshWithSameValue(data) {
            edit(data.name, data.first, data.value).close()
            tryCompare(dialog(data.name), "visible", false)
            var d = edit(data.name, data.second, data.value)
            compare(findChild(d, "spinBox").displayText, data.text)
            if (data.color)
                compare(String(findChild(d, "valueBar").color).toUpperCase(), data.color)
        }

        function test_speedArcColour_data() {
            return [
                { tag: "speed then raft speed", first: 15, second: 27, value: 50, color: "#fc2b1d" },
                { tag: "raft speed then speed", first: 27, second: 15, value: 50, color: "#aafb82" }
            ]
        }

        function test_speedArcColour(data) {
            edit("speedDialog", data.first, data.value).close()
            tryCompare(dialog("speedDialog"), "visible", false)
            var arc = findChild(edit("speedDialog", data.second, data.value), "arc")
            // Just after the arc's start, on the middle of its stroke.
            var angle = (-130 - 90 + 5) * Math.PI / 180
            var x = Math.round(arc.width / 2 * (1 + 0.95 * Math.cos(angle)))
            var y = Math.round(arc.width / 2 * (1 + 0.95 * Math.sin(angle)))
            // The arc is painted on a later frame.
            var shown = ""
            for (var attempt = 0; attempt < 40 && shown !== data.color; ++attempt) {
                if (attempt > 0)
                    wait(50)
                var px = arc.getContext("2d").getImageData(x, y, 1, 1).data
                shown = "#" + [px[0], px[1], px[2]].map(function (c) { return (c < 16 ? "0" : "") + c.toString(16) }).join("")
            }
            compare(shown, data.color)
        }

        function test_cancelSendsNothing_data() {
            return [
                { tag: "integer", name: "intInputDialog", id: 21, value: 105 },
                { tag: "decimal", name: "doubleInputDialog", id: 37, value: 0.25 },
                { tag: "temperature", name: "temperatureDialog", id: 9, value: 210 },
                { tag: "speed", name: "speedDialog", id: 16, value: 50 },
                { tag: "width", name: "widthDialog", id: 25, value: 0.5 }
            ]
        }

        function test_cancelSendsNothing(data) {
            var d = edit(data.name, data.id, data.value)
            changes.clear()
            mouseClick(findChild(d, "spinBox").up.indicator)
            d.reject()
            tryCompare(d, "visible", false)
            compare(changes.count, 0)
            fuzzyCompare(row(data.id).paramVal, data.value, 1e-9)
        }

        // Typed into an editable spin box over its whole text, then Enter; with no keys, the
        // shown text itself is taken back.
        function test_typing_data() {
            return [
                { tag: "decimal with unit", name: "doubleInputDialog", keys: "-0.5 mm", held: -50, text: "-0.50 mm" },
                { tag: "decimal above range", name: "doubleInputDialog", keys: "5", held: 100, text: "1.00 mm" },
                { tag: "decimal, letters", name: "doubleInputDialog", keys: "abc", held: 10, text: "0.10 mm" },
                { tag: "comma locale", name: "doubleInputDialog", keys: "0,35", held: 35, text: "0,35 mm", locale: "de_DE" },
                { tag: "comma locale, shown text", name: "doubleInputDialog", held: 10, text: "0,10 mm", locale: "de_DE" },
                { tag: "integer above range", name: "intInputDialog", keys: "999", held: 200, text: "200 %" },
                { tag: "integer, no number", name: "intInputDialog", keys: "", held: 105, text: "105 %" }
            ]
        }

        function test_typing(data) {
            var spinBox = findChild(dialog(data.name), "spinBox")
            if (data.locale)
                spinBox.locale = Qt.locale(data.locale)
            if (data.name === "intInputDialog")
                edit(data.name, 21, 105)
            else
                edit(data.name, 37, 0.1)
            window.item.requestActivate()
            tryCompare(window.item, "active", true)
            spinBox.contentItem.forceActiveFocus()
            if (data.keys !== undefined) {
                spinBox.contentItem.selectAll()
                keyClick(Qt.Key_Backspace)
                for (var i = 0; i < data.keys.length; ++i)
                    keyClick(data.keys.charAt(i))
            }
            keyClick(Qt.Key_Return)
            compare(spinBox.value, data.held)
            compare(spinBox.contentItem.text, data.text)
        }
    }
}
