import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// The material dialogs inside the real main window, against the fixture library: "PLA" 1001
// with three print sets for printer 10102, and "PETG"/"Tallow" 1002 locked with "secret".
Item {
    width: 1280
    height: 800

    Loader {
        id: window
        source: "qrc:/main.qml"
    }

    TestCase {
        name: "MaterialDialogs"
        when: window.status === Loader.Ready

        property int copyID: 0

        function child(parent, name) { var found = findChild(parent, name); verify(found, name); return found }
        function stack() { return child(window.item, "stackView") }
        function messageBox() { return child(window.item, "messageDialog") }
        function basicDialog(name) { return child(stack().get(0), name) }
        function openDialog(dlg) { dlg.open(); tryCompare(dlg, "opened", true) }
        function press(dlg, button) { mouseClick(dlg.standardButton(button)); tryCompare(dlg, "visible", false) }
        function verifyMessage(title, prompt) {
            verify(messageBox().visible, "message shown")
            compare(messageBox().title, title)
            compare(messageBox().prompt, prompt)
        }
        // Tests that edit work on their own copy of "PLA": unlocked, no printer chosen.
        function freshCopy() { materials.addCopyMaterial(1001); copyID = materials.curMatID }
        // The parameter page for sel = [printer, nozzle, layer, quality], pushed as the printer menu does.
        function paramPage(sel) {
            tryCompare(stack(), "busy", false)
            materials.selectPrinter(sel[0])
            if (sel[1] > 0)
                materials.selectNozzle(sel[1])
            if (sel[2] > 0)
                materials.selectLayerThick(sel[2])
            if (sel[3] >= 0)
                materials.selectQuality(sel[3])
            tryCompare(stack(), "busy", false)
            if (stack().depth === 1)
                stack().push("qrc:/ParamGrid.qml")
            tryCompare(stack(), "busy", false)
            return stack().currentItem
        }

        function initTestCase() { materials.importMaterials(fixtureLibrary, false) }

        function cleanup() {
            var popups = [messageBox(), child(window.item, "aboutDialog"),
                          basicDialog("namInputDialog"), basicDialog("setIDDialog")]
            if (stack().depth === 2)
                popups.push(child(stack().currentItem, "copyDialog"), child(stack().currentItem, "removeSetDialog"))
            for (var i = 0; i < popups.length; ++i) {
                popups[i].close()
                tryCompare(popups[i], "visible", false)
            }
            if (copyID !== 0)
                materials.removeMaterial(copyID)
            copyID = 0
            if (materials.curLanguage !== 0)
                materials.curLanguage = 0
            materials.selectMaterial(1001)
            tryCompare(stack(), "busy", false)
        }

        function test_passwordDigest_data() {
            return [
                { tag: "no password, no digest", password: "", digest: "" },
                { tag: "secret", password: "secret", digest: "5ebe2294ecd0e0f08eab7690d2a6ee69" },
                { tag: "UTF-8 bytes", password: "pässwörd", digest: "12841e4ba5e37d2fbfc78458c6714ade" },
            ]
        }
        function test_passwordDigest(data) {
            compare(basicDialog("namInputDialog").passwordDigest(data.password), data.digest)
        }

        // A first password is typed twice, and the user is told when it locks.
        function test_nameDialogSetsLock_data() {
            return [
                { tag: "empty password leaves it open", password: "", repeated: "", locked: 0 },
                { tag: "password locks from the next selection", password: "secret", repeated: "secret", locked: 1,
                  message: "Password set" },
                { tag: "passwords that differ change nothing", password: "secret", repeated: "secrte", locked: 0,
                  message: "Warning" },
            ]
        }
        function test_nameDialogSetsLock(data) {
            freshCopy()
            var dlg = basicDialog("namInputDialog")
            openDialog(dlg)
            child(dlg, "passwordField").text = data.password
            child(dlg, "repeatField").text = data.repeated
            press(dlg, Dialog.Ok)
            compare(materials.bMatLocked, 0)
            compare(messageBox().visible, !!data.message)
            if (data.message)
                compare(messageBox().title, data.message)
            materials.selectMaterial(copyID)
            compare(materials.bMatLocked, data.locked)
        }

        function test_rename_data() {
            return [
                { tag: "OK renames", button: Dialog.Ok, renamed: true },
                { tag: "Cancel keeps the name", button: Dialog.Cancel, renamed: false },
            ]
        }
        function test_rename(data) {
            freshCopy()
            var before = materials.curMatName
            var dlg = basicDialog("namInputDialog")
            openDialog(dlg)
            verify(child(dlg, "nameField").text.indexOf("PLA_Copy") === 0)
            compare(child(dlg, "manuField").text, "Manufacturer")
            child(dlg, "nameField").text = "PLA Pro"
            child(dlg, "manuField").text = "Acme"
            child(dlg, "passwordField").text = "typed"
            child(dlg, "repeatField").text = "typed"
            press(dlg, data.button)
            compare(materials.curMaterial, data.renamed ? "PLA Pro ( Acme )" : before + " ( Manufacturer )")
            // Every opening starts again from the library and an empty password.
            openDialog(dlg)
            compare(child(dlg, "nameField").text, data.renamed ? "PLA Pro" : before)
            compare(child(dlg, "passwordField").text, "")
        }

        function test_lockedMaterial_data() {
            return [
                { tag: "wrong password", password: "Secret", name: "Changed", unlocked: false },
                { tag: "no password", password: "", name: "Changed", unlocked: false },
                { tag: "right password", password: "secret", name: "PETG", unlocked: true },
            ]
        }
        function test_lockedMaterial(data) {
            materials.selectMaterial(1002)
            compare(materials.bMatLocked, 1)
            var dlg = basicDialog("namInputDialog")
            openDialog(dlg)
            child(dlg, "nameField").text = data.name
            child(dlg, "passwordField").text = data.password
            press(dlg, Dialog.Ok)
            compare(materials.curMaterial, "PETG ( Tallow )")
            compare(materials.bMatLocked, data.unlocked ? 0 : 1)
            if (data.unlocked)
                verify(!messageBox().visible)
            else
                verifyMessage("Warning", "Password error!")
        }

        function test_materialID_data() {
            return [
                { tag: "negative number", text: "-700", id: 700 },
                { tag: "positive number: the library's reason", text: "702", refused: "negative number" },
                { tag: "another material's ID: whose it is", text: "-1002", refused: "PETG / Tallow" },
                { tag: "letters", text: "12ab", refused: true },
                { tag: "empty", text: "", refused: true },
                { tag: "decimal", text: "-1.5", refused: true },
                { tag: "exponent", text: "-1e3", refused: true },
                { tag: "beyond 32 bits", text: "-4294967996", refused: true },
            ]
        }
        function test_materialID(data) {
            freshCopy()
            var dlg = basicDialog("setIDDialog")
            openDialog(dlg)
            child(dlg, "idField").text = data.text
            press(dlg, Dialog.Ok)
            compare(materials.curMatID, data.id ? data.id : copyID)
            compare(messageBox().visible, !!data.refused)
            if (data.refused)
                compare(messageBox().title, "Warning")
            if (typeof data.refused === "string")
                verify(messageBox().prompt.indexOf(data.refused) >= 0, messageBox().prompt)
            copyID = materials.curMatID
        }

        function test_copyDialogTexts_data() {
            return [
                { tag: "no printer", sel: [-1000, -1, -1, -1], text: "Copy from: Unknow printer\nTotal sets: 0" },
                { tag: "printer", sel: [10102, -1, -1, -1], text: "Copy from: Orvik Solo\nTotal sets: 3" },
                { tag: "nozzle", sel: [10102, 0.4, -1, -1], text: "Copy from: Orvik Solo > Dia: 0.40 \nTotal sets: 2" },
                { tag: "quality", sel: [10102, 0.4, 0.2, 1],
                  text: "Copy from: Orvik Solo > Dia: 0.40  > Layer: 0.20  > Fine\nTotal sets: 1" },
            ]
        }
        function test_copyDialogTexts(data) {
            freshCopy()
            var dlg = child(paramPage(data.sel), "copyDialog")
            dlg.beforeOpen()
            openDialog(dlg)
            compare(child(dlg, "copyFromLabel").text, data.text)
            var pieces = materials.availNewSet.split("|")
            var combo = child(dlg, "setCombo")
            compare(combo.count, pieces.length)
            for (var i = 0; i < pieces.length; ++i)
                compare(combo.textAt(i), pieces[i])
            compare(combo.currentIndex, 0)
        }

        function test_copyDialogOk_data() {
            return [
                // Qualities 2 to 6 are offered: the second entry is "Turbo".
                { tag: "second quality", sel: [10102, 0.4, 0.2, 0], added: 1, after: "Turbo" },
                // Nozzles 0.2, 0.3, 0.5, 0.8 and 1.0 are offered: both 0.4 sets get 0.3.
                { tag: "second nozzle", sel: [10102, 0.4, -1, -1], added: 2, after: "Dia: 0.30 " },
            ]
        }
        function test_copyDialogOk(data) {
            freshCopy()
            var dlg = child(paramPage(data.sel), "copyDialog")
            dlg.beforeOpen()
            openDialog(dlg)
            child(dlg, "setCombo").currentIndex = 1
            press(dlg, Dialog.Ok)
            verifyMessage("Copy print set", "Add " + data.added + " print sets")
            compare(materials.curSetNumber, data.added)
            compare(data.sel[2] > 0 ? materials.curQuality : materials.curNozzle, data.after)
        }

        function test_copyDialogNothingToAdd() {
            freshCopy()
            // Copied to the small printer, whose only nozzle is 0.4, the sets leave nothing to add there.
            materials.selectPrinter(10102)
            verify(materials.copyCurSets(materials.availNewSet.split("|").indexOf("Orvik pico")) > 0)
            var dlg = child(paramPage([10104, 0.4, -1, -1]), "copyDialog")
            var sets = materials.curSetNumber
            dlg.beforeOpen()
            openDialog(dlg)
            compare(child(dlg, "setCombo").count, 1)
            compare(child(dlg, "setCombo").currentText, "Can't insert new sets")
            press(dlg, Dialog.Ok)
            verify(!messageBox().visible)
            compare(materials.curSetNumber, sets)
        }

        function test_removeDialog_data() {
            return [
                { tag: "one quality", sel: [10102, 0.4, 0.2, 0], removed: 1,
                  text: "Remove 1 print sets\nOrvik Solo > Dia: 0.40  > Layer: 0.20  > Normal" },
                { tag: "no set selected", sel: [10102, 0.4, 0.2, 2], removed: 0,
                  text: "Remove 0 print sets\nOrvik Solo > Dia: 0.40  > Layer: 0.20  > Fast" },
                { tag: "one nozzle", sel: [10102, 0.4, -1, -1], removed: 2,
                  text: "Remove 2 print sets\nOrvik Solo > Dia: 0.40  > -Layer Thick- > ----" },
            ]
        }
        function test_removeDialog(data) {
            freshCopy()
            var dlg = child(paramPage(data.sel), "removeSetDialog")
            openDialog(dlg)
            compare(findChild(dlg.contentItem, "removeLabel").text, data.text)
            press(dlg, Dialog.Ok)
            verifyMessage("Remove print set", "Removed " + data.removed + " print sets")
            materials.selectPrinter(10102)
            compare(materials.curSetNumber, 3 - data.removed)
        }

        function test_aboutDialog_data() {
            return [
                { tag: "zh shows 中文, English writes 0", language: 10, shown: "中文", choose: 0, written: 0 },
                { tag: "English, 中文 writes 10", language: 0, shown: "English", choose: 1, written: 10 },
                { tag: "zh_tw shows 中文 and is kept", language: 11, shown: "中文", written: 11 },
                { tag: "another language is kept", language: 3, shown: "English", written: 3 },
            ]
        }
        function test_aboutDialog(data) {
            materials.curLanguage = data.language
            var dlg = child(window.item, "aboutDialog")
            openDialog(dlg)
            var combo = child(dlg, "languageCombo")
            compare(combo.currentText, data.shown)
            if (data.choose !== undefined)
                combo.currentIndex = data.choose
            press(dlg, Dialog.Ok)
            compare(materials.curLanguage, data.written)
        }
    }
}
