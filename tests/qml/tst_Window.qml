import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2
import PrintSet 1.0

// The window around the pages, on the fixture library: navigation, the drawer, the lock, the
// language, the last session, closing, saving, importing and the file chooser; last, a vendor
// material edited from the drawer to the saved user library.
MainWindowTest {
    name: "Window"

    function initTestCase() { materials.importMaterials(fixtureLibrary, false) }
    function init() {
        materials.curLanguage = 0
        window.closeAnswered = false
        showWindow()
        closeAll(["drawer", "toast", "importPreview", "messageDialog", "importDialog", "exportDialog", "overwriteDialog",
                  "parentChooser", "compareChooser", "compareFileDialog", "comparisonView", "paramTable"]
                 .concat(test_everyScreen_data().map(r => r.popup).filter(p => p)))
        if (window.width !== 1280 || window.height !== 800)
            window.width = 1280, window.height = 800
    }
    // A value that differs from the stored one: storing the same value is no change.
    function makeChange() {
        materials.selectMaterial(1001)
        materials.setParameter(0, materials.valueSpread(0).min === 230 ? 231 : 230)
        verify(materials.modified)
    }

    // The search finds by manufacturer or ID in any letter case, the arrows and Return pick a row,
    // ➕ and ➖ act at once on the rows found, which show whole names (elided where they do not fit,
    // whole in the tool tip), as the tool bar does, in their own letter case. Ctrl and Shift with a
    // press choose rows, which the export offers, still after an ID changed and changed back.
    function test_drawer() {
        openFrom("materialButton", "drawer")
        var list = child("materialList")
        type("tAlLoW")
        tryCompare(list, "count", 1)
        retype("searchField", "100")
        tryCompare(list, "count", 2)
        type([Qt.Key_Down, Qt.Key_Return])
        closed("drawer")
        compare([materials.curMatID, shown("materialButton")], [1002, "❁ PETG ( Tallow )"])
        openFrom("materialButton", "drawer")
        retype("searchField", "1001")
        press("copyMaterial_1001")
        materials.setMatNameAndManu("pla crash test: long enough, too", "a maker with a long name as well", "")
        retype("searchField", "LONG enough")
        tryCompare(list, "count", 1)
        var row = child("materialField_" + materials.curMatID)
        var whole = "pla crash test: long enough, too - a maker with a long name as well"
        compare([shown(row), row.contentItem.truncated, row.ToolTip.text], [whole, true, whole])
        key(Qt.Key_Escape)
        closed("drawer")
        var bar = child("materialButton")
        compare([shown(bar), bar.contentItem.font.capitalization],
                ["❁ pla crash test: long enough, too ( a maker with a long name as well )", Font.MixedCase])
        openFrom("materialButton", "drawer")
        compare(list.currentItem.children[2].objectName, "materialField_" + materials.curMatID)
        // Removed at once, announced with the way back; the next step takes the way back away.
        press("removeMaterial_" + materials.curMatID)
        tryCompare(list, "count", 0)
        tryCompare(lookUp("toast"), "opacity", 1)
        compare(shown("toastText"), "Removed pla crash test: long enough, too —")
        press("toastUndo")
        closed("drawer") // an undo shows its page
        openFrom("materialButton", "drawer")
        tryCompare(list, "count", 1)
        press("removeMaterial_" + materials.curMatID)
        tryCompare(list, "count", 0)
        key(Qt.Key_Escape)
        closed("drawer")
        makeChange()
        verify(!lookUp("toastUndo").visible)
        materials.undo()
        materials.selectMaterial(1002)
        openFrom("materialButton", "drawer")
        retype("searchField", "")
        tryCompare(list, "count", 2)
        compare(list.currentItem.children[2].objectName, "materialField_1002")
        // A plain press then a Ctrl press choose both, as in a file manager.
        press("materialField_1001")
        closed("drawer")
        openFrom("materialButton", "drawer")
        compare(list.currentItem.children[2].objectName, "materialField_1001")
        press("materialField_1002", 5, 5, Qt.ControlModifier)
        key(Qt.Key_Escape)
        closed("drawer")
        keySequence("Ctrl+E")
        opened("exportChoice")
        compare(shown("exportChosen"), "The 2 materials chosen in the list (Ctrl or Shift and a press)")
        answer("exportChoice", Dialog.Cancel)
        openFrom("materialButton", "drawer")
        press("materialField_1002", 5, 5, Qt.ControlModifier)
        press("materialField_1001", 5, 5, Qt.ShiftModifier)
        press("materialField_1002", 5, 5, Qt.ControlModifier)
        key(Qt.Key_Escape)
        closed("drawer")
        materials.selectMaterial(1001)
        materials.curMatID = -4711 // a new ID after the choice: the choice follows the material
        keySequence("Ctrl+E")
        var choice = opened("exportChoice")
        compare([shown("exportChosen", "checked"), shown("exportChosen"), choice.ids(), refusal("materialButton")],
                [true, "The 1 materials chosen in the list (Ctrl or Shift and a press)", [4711], "covered by a popup"])
        answer(choice, Dialog.Cancel)
        materials.undo()
        keySequence("Ctrl+E")
        compare(opened("exportChoice").ids(), [1001]) // and back with an undo
        answer("exportChoice", Dialog.Cancel)
    }

    // A copy is measured by the material it was copied from: the start page names it, ↺ marks a
    // value changed since and puts the parent's back; unlinked, nothing measures it, until a parent
    // is chosen from the list by typing; an undo takes the choice back.
    function test_copyRemembersItsParent() {
        materials.selectMaterial(1001)
        var parent = materials.curMatName + " (" + materials.curManu + ")"
        openFrom("materialButton", "drawer")
        retype("searchField", "1001")
        press("copyMaterial_1001")
        key(Qt.Key_Escape)
        closed("drawer")
        var copy = materials.curMatID
        tryCompare(child("stackView"), "busy", false)
        compare(shown("parentNote"), "Copied from " + parent)
        var temperature = materials.valueSpread(0).min
        materials.setParameter(0, temperature + 5)
        var mark = child("vendorMark_0")
        tryCompare(mark, "opacity", 1)
        compare(mark.ToolTip.text, parent + ": " + temperature + " ℃\nPress to put the value of " + parent + " back.")
        press(mark)
        compare(materials.valueSpread(0).min, temperature)
        tryVerify(function() { var m = lookUp("vendorMark_0"); return m && m.opacity === 0 })
        press("unlinkParent")
        compare([shown("parentNote"), refusal("unlinkParent")], ["Measured by no other material", "not visible"])
        press("chooseParent")
        opened("parentChooser")
        type("1001")
        key(Qt.Key_Return)
        closed("parentChooser")
        compare(shown("parentNote"), "Copied from " + parent)
        keySequence("Ctrl+Z")
        tryCompare(child("parentNote"), "text", "Measured by no other material")
        materials.removeMaterial(copy)
    }

    // The printer menu shows the parameters once. A switch from the ☰ menu reads every text on
    // screen again at once: the scene's, the library's and the models' (a label's help included).
    function test_language_data() {
        return [{ tag: "☰ 中文", language: 0, item: "chineseItem",
                  shown: [10, "⩢ -喷嘴-", "◀ 基本信息", "拐角半径: ", "路径拐角倒圆的半径，单位 mm；通常为 0.2～0.3。"] },
                { tag: "☰ English", language: 11, item: "englishItem",
                  shown: [0, "⩢ -Nozzle-", "◀ Basic information", "Corner Radius: ",
                          "Radius to which corners of the path are rounded, mm; usually 0.2 to 0.3."] }]
    }
    function test_language(data) {
        showParams(1001, 10102, -1, -1, -1)
        choose("printerButton", "printerMenu", "printerItem_10102")
        compare(child("stackView").depth, 2)
        materials.curLanguage = data.language
        var menu = openFrom("optionsButton", "optionsMenu")
        press(menu.itemAt(menu.count - 2)) // the language's submenu, above About
        opened("languageMenu")
        press(data.item)
        closed("optionsMenu")
        compare(refusal("importItem"), "not visible") // the ☰ menu's items, gone with it
        var label = child("paramField_39").parent.children[0]
        tryCompare(label, "text", data.shown[3])
        // The tool tip's text: the offscreen platform has no hover to show it.
        compare([materials.curLanguage, shown("nozzleButton"), shown("backButton"), shown(label), label.ToolTip.text],
                data.shown)
    }

    // A material chosen in the drawer goes back to the start page, where a locked material's rows
    // ask for its password; the next start goes back to where the user left off, as far as it
    // still exists.
    function test_lastSessionIsRestored_data() {
        return [{ tag: "the whole selection and its page", matID: 1001, quality: "Fine", depth: 2 },
                { tag: "a material that is gone", matID: 999, quality: "----", depth: 1 }]
    }
    function test_lastSessionIsRestored(data) {
        showParams(1001, 10102, 0.4, 0.2, 1)
        window.rememberSession()
        openFrom("materialButton", "drawer")
        press("materialField_1002")
        closed("drawer")
        compare([child("stackView").depth, materials.curMatID, shown("editButton_0")], [1, 1002, "🔒"])
        press("basicField_0") // a locked value asks for the password
        opened("unlockDialog")
        compare([shown("unlockText"), child("temperatureDialog").visible],
                ["PETG is locked. Give its password to change it.", false])
        answer("unlockDialog", Dialog.Cancel)
        compare(materials.bMatLocked, 1)
        press("basicField_0")
        opened("unlockDialog")
        type("secret")
        key(Qt.Key_Return)
        closed("unlockDialog")
        compare([materials.bMatLocked, shown("editButton_0")], [0, "✎"])
        press("basicField_0") // now the value's dialog
        answer("temperatureDialog", Dialog.Cancel)
        materials.selectMaterial(1002) // locked again
        findChild(window, "lastSession").matID = data.matID
        window.restoreSession()
        compare([materials.curMatID, materials.curQuality], [data.matID === 999 ? 1002 : 1001, data.quality])
        tryCompare(child("stackView"), "depth", data.depth)
    }

    // Keys work wherever the user is: Alt+Left and the Back key go back to the start page, and the
    // window's keys work with the drawer open.
    function test_keys_data() {
        return [{ tag: "Alt+Left", key: Qt.Key_Left, modifiers: Qt.AltModifier },
                { tag: "the Back key", key: Qt.Key_Back }, { tag: "Ctrl+Z with the drawer open", key: Qt.Key_Z },
                { tag: "Ctrl+S with the drawer open", key: Qt.Key_S }]
    }
    function test_keys(data) {
        if (data.key !== Qt.Key_Z && data.key !== Qt.Key_S) {
            showParams(1001, 10102, -1, -1, -1)
            key(data.key, data.modifiers)
            tryCompare(child("stackView"), "depth", 1)
            return
        }
        materials.selectMaterial(1001)
        var before = materials.valueSpread(0).min
        makeChange()
        openFrom("materialButton", "drawer")
        key(data.key, Qt.ControlModifier)
        if (data.key === Qt.Key_S) {
            verify(!materials.modified)
            key(Qt.Key_Escape)
        } else {
            compare(materials.valueSpread(0).min, before)
        }
        closed("drawer") // an undo shows its page
    }

    // Closing with unsaved changes asks first.
    function test_closing_data() {
        return [{ tag: "no changes: closes without asking", closes: true },
                { tag: "Cancel keeps the window and the changes", answer: Dialog.Cancel, closes: false },
                { tag: "Save writes, then closes", answer: Dialog.Save, closes: true, saved: true },
                { tag: "Discard closes", answer: Dialog.Discard, closes: true }]
    }
    function test_closing(data) {
        data.answer !== undefined ? makeChange() : verify(materials.exportUserMaterials())
        keySequence("Ctrl+Q")
        if (data.answer !== undefined)
            answer("unsavedDialog", data.answer)
        tryCompare(window, "visible", !data.closes)
        var modified = data.answer !== undefined && !data.saved
        compare([materials.modified, window.title.endsWith(" •")], [modified, modified])
        if (data.saved)
            verify(testFiles.decodeFile(materials.userLibraryPath()).includes('"b4":' + materials.valueSpread(0).min))
    }

    // Save after another program changed user.cvx merges its materials as the user chooses, the
    // editor's own changes kept as offered, and saves once the user confirms.
    function test_saveAfterAChangeOnDisk() {
        verify(materials.exportUserMaterials())
        materials.selectMaterial(1001)
        materials.setParameter(0, 233)
        verify(testFiles.copyFile(fixtureLibrary, materials.userLibraryPath()))
        key(Qt.Key_S, Qt.ControlModifier)
        press(opened("diskChangedDialog") && "importFirstButton")
        var preview = opened("importPreview")
        compare([shown("rowState_0"), shown("choice_0"), shown("rowState_1"), shown(preview.standardButton(Dialog.Ok))],
                ["Different", "Keep mine", "The same", "Merge and save"])
        answer(preview, Dialog.Ok)
        compare([materials.modified, materials.valueSpread(0).min, materials.userLibraryChangedOnDisk()], [false, 233, false])
        verify(testFiles.decodeFile(materials.userLibraryPath()).includes('"b4":233'))
    }

    // Files to import are previewed one after another, as chosen, then reported once. Each row
    // shows its own state; only a different one offers a choice, taken from its list or with keys.
    function test_importPreviewThenOneReport_data() {
        var taken = "Import: {junk} holds no material.\n0 materials added, 1 replaced existing ones, 1 kept as they "
                    + "were, 0 renumbered, 1 lines skipped as not materials."
        return [{ tag: "Take theirs from the list", choose: 1, message: taken, temperature: 210 },
                { tag: "Take theirs: Tab to the choice, arrow down, Return", keys: true, message: taken, temperature: 210 },
                { tag: "Keep both, as offered: the report names the one renamed and renumbered", temperature: 230,
                  message: "Import: {junk} holds no material.\n1 materials added, 0 replaced existing ones, 1 kept as "
                           + "they were, 1 renumbered, 1 lines skipped as not materials.\nRenamed: PLA → PLA_Copy1\n"
                           + "New IDs: PLA_Copy1: 1001 → {id}" },
                { tag: "Cancelled with Escape: nothing imported, nothing reported", cancel: true, message: "", temperature: 230 }]
    }
    function test_importPreviewThenOneReport(data) {
        makeChange() // the library's PLA now differs from the fixture's
        materials.setParameter(0, 230)
        var junk = testFiles.writeText("junk.cvx", "nothing here\n")
        window.importFiles(data.cancel ? [fixtureLibrary] : [fixtureLibrary, junk])
        opened("importPreview")
        var choice = child("choice_0")
        compare([shown("previewSummary"), shown("rowName_0"), shown("rowState_0"), shown("rowName_1"),
                 shown("rowState_1"), refusal("choice_1"), shown(choice)],
                ["0 new, 1 the same as in your library, 1 different from it.", "PLA / KestRona", "Different",
                 "PETG / Tallow", "The same", "not visible", "Keep both"])
        if (data.keys)
            focusOn(choice, Qt.Key_Down)
        else if (data.choose)
            pick(choice, data.choose)
        compare(shown(choice), data.message === "" || !data.choose && !data.keys ? "Keep both" : "Take theirs")
        // From the keyboard: Return imports, Escape cancels.
        if (data.keys || data.cancel)
            key(data.cancel ? Qt.Key_Escape : Qt.Key_Return)
        else
            answer("importPreview", Dialog.Ok)
        closed("importPreview")
        tryCompare(child("messageDialog"), "visible", data.message !== "")
        var newID = message().split("→ ").pop() // drawn at random, a number of its own
        compare(message(), data.message.replace("{junk}", junk).replace("{id}", /^\d+$/.test(newID) ? newID : "?"))
        if (data.message !== "")
            answer("messageDialog", Dialog.Ok)
        compare(materials.valueSpread(0).min, data.temperature)
        if (!data.cancel && !data.choose && !data.keys)
            materials.undo()
    }

    // Files handed in (by the command line or another editor) while the restore question is open
    // wait for its answer, then go through the import preview.
    function test_filesWaitForTheRecoveryAnswer() {
        var question = child("recoveryDialog")
        question.open()
        opened(question)
        child("startup").importWhenReady([fixtureLibrary])
        wait(200)
        verify(!child("importPreview").visible)
        answer(question, Dialog.Discard)
        answer(opened("importPreview"), Dialog.Cancel)
    }

    // Every page, menu, dialog and question, in both languages, on the smallest window: every
    // text a language file translates, every control inside the window.
    function test_everyScreen_data() {
        var screens = [
            { tag: "start page" }, { tag: "parameter page", params: true },
            { tag: "drawer", button: "materialButton", popup: "drawer" },
            { tag: "☰ menu", change: true, title: "Corvane — PLA (KestRona) •", pressedOnly: true, button: "optionsButton", popup: "optionsMenu" },
            { tag: "printer menu", button: "printerButton", popup: "printerMenu" },
            { tag: "nozzle menu", params: true, button: "nozzleButton", popup: "nozzleMenu" },
            { tag: "layer menu", params: true, button: "layerButton", popup: "layerMenu" },
            { tag: "quality menu", params: true, button: "qualityButton", popup: "qualityMenu" },
            { tag: "name and password", button: "nameSymbol", popup: "namInputDialog" },
            { tag: "ID", button: "idButton", popup: "setIDDialog" },
            { tag: "temperature", button: "basicField_0", popup: "temperatureDialog" },
            { tag: "decimal", button: "basicField_4", popup: "doubleInputDialog" },
            { tag: "speed", params: true, button: "paramField_15", popup: "speedDialog" },
            { tag: "width", params: true, button: "paramField_24", popup: "widthDialog" },
            { tag: "whole number", params: true, button: "paramField_21", popup: "intInputDialog" },
            { tag: "table of a value", params: true, menu: "compareMenu/tableItem", popup: "paramTable" },
            { tag: "check of a material", params: true, menu: "compareMenu/adviceItem", popup: "adviceView" },
            { tag: "flow limit", params: true, button: "flowLimitButton", popup: "flowLimitDialog" },
            { tag: "print sets for another nozzle", params: true, menu: "compareMenu/deriveNozzleOption",
              popup: "deriveDialog" },
            { tag: "copy print sets", params: true, button: "copySetsButton", popup: "copyDialog" },
            { tag: "remove print sets", params: true, button: "removeSetsButton", popup: "removeSetDialog" },
            { tag: "removed: the message", params: true, button: "removeSetsButton", popup: "messageDialog",
              previous: "removeSetDialog", then: Dialog.Ok, undo: true },
            { tag: "locked: the password asked", matID: 1002, button: "basicField_0", popup: "unlockDialog" },
            { tag: "import preview", files: true, popup: "importPreview" },
            { tag: "import: the file chooser", keys: "Ctrl+O", popup: "importDialog" },
            { tag: "export", keys: "Ctrl+E", popup: "exportChoice" },
            { tag: "export: the file chooser", keys: "Ctrl+E", previous: "exportChoice", then: Dialog.Ok,
              popup: "exportDialog" },
            { tag: "a change to the chosen materials", params: true, chosen: true, button: "paramField_15",
              previous: "speedDialog", typed: "50", then: "applyToChosen", popup: "bulkPreview" },
            { tag: "closing with changes", change: true, keys: "Ctrl+Q", popup: "unsavedDialog" },
            { tag: "about", menu: "aboutItem", popup: "aboutDialog", shows: ["versionField", "Version: " + Qt.application.version] }]
        var rows = []
        screens.forEach(function (s) {
            rows.push(Object.assign({}, s, { tag: "中文: " + s.tag, language: 10 }))
            rows.push(Object.assign({}, s, { tag: "English: " + s.tag, language: 0 }))
        })
        return rows
    }
    function test_everyScreen(data) {
        window.width = 800
        window.height = 560
        materials.curLanguage = data.language
        if (child("stackView").depth > 1)
            press("backButton")
        tryCompare(child("stackView"), "depth", 1)
        tryCompare(child("stackView"), "busy", false)
        materials.selectMaterial(data.matID || 1001)
        // 1001 alone, then 1002 with Ctrl: two chosen in the drawer.
        if (data.chosen)
            chooseInDrawer([1001, 1002])
        if (data.change)
            makeChange()
        if (data.params)
            showParams(1001, 10102, 0.4, data.popup === "qualityMenu" ? 0.2 : -1, -1)
        if (data.button)
            press(data.button)
        if (data.files)
            window.importFiles([fixtureLibrary])
        if (data.keys)
            keySequence(data.keys)
        if (data.menu)
            chooseOption(data.menu)
        if (data.typed) {
            opened(data.previous)
            type(data.typed)
            press(data.then)
        } else if (data.then !== undefined) {
            answer(data.previous, data.then)
        }
        if (data.popup)
            opened(data.popup)
        tryCompare(child("stackView"), "busy", false)
        compare(data.language === 0 ? [] : untranslated(), [])
        compare(outsideTheWindow(), [])
        if (data.title)
            compare(window.title, data.title)
        // Opened with the mouse: no focus outline anywhere.
        if (data.pressedOnly)
            verify(!child("focusFrame").visible)
        if (data.shows && data.language === 0)
            compare(shown(data.shows[0]), data.shows[1])
        if (data.popup) {
            key(Qt.Key_Escape)
            closed(data.popup)
        }
        if (data.change || data.undo)
            materials.undo()
        if (data.chosen)
            chooseInDrawer([1001])
        window.width = 1280
        window.height = 800
    }

    // The file chooser of Import (Ctrl+O) and Export (Ctrl+E), on the window. A row's steps, in
    // order: [part, text] types the text into the part and presses Return; [part, modifiers]
    // presses it; a number is a key; ["Tab", part] tabs to it, which lies whole in the window;
    // ["=" or "≠", part, text] checks what it shows; a function acts as another program. "again" are
    // the steps of the next opening.
    function test_fileChooser_data() {
        var dir = testFiles.writeText("taken.cvx", "no material\n").replace(/\/[^\/]*$/, "")
        var db = fixtureLibrary.replace(/\/[^\/]*$/, "")
        var several = ["a", "b", "c"].map(n => testFiles.writeText("several-" + n + ".cvx", "no material\n"))
        var parts = ["chooserUp", "chooserFolder", "chooserPlaces", "chooserList", "chooserName", "chooserFilter",
                     "chooserAccept", "chooserCancel"]
        return [
            { tag: "import: a path typed as the name, then Return", removed: 1002, steps: [["chooserName", fixtureLibrary]],
              preview: "Import fixture.cvx", report: "Import: " },
            { tag: "import: a missing file is a note, nothing imported",
              steps: [["chooserName", dir], ["chooserName", "gone.cvx"]], note: dir + "/gone.cvx does not exist." },
            { tag: "a file as the folder is a note", steps: [["chooserFolder", fixtureLibrary]],
              note: fixtureLibrary + " is not a folder." },
            { tag: "Shift and Ctrl with a press choose several files, imported one after another",
              steps: [["chooserFolder", dir], ["chooserFile_several-a.cvx", 0], ["chooserFile_several-c.cvx", Qt.ShiftModifier],
                      ["=", "chooserName", '"several-a.cvx" "several-b.cvx" "several-c.cvx"'],
                      ["chooserFile_several-b.cvx", Qt.ControlModifier], ["chooserAccept", 0]],
              report: "Import: " + several[0] + " holds no material.\n" + several[2] + " holds no material." },
            { tag: "export: ~/ is the home folder", flow: "export", steps: [["chooserName", "~/tilde"]],
              written: LocalFiles.home() + "/tilde.cvx", unwritten: LocalFiles.home() + "/tilde" },
            { tag: "export: a name without extension is saved as NAME.cvx", flow: "export",
              steps: [["chooserFolder", dir], ["chooserName", "plain"]], written: dir + "/plain.cvx", unwritten: dir + "/plain" },
            { tag: "export: a name with an extension keeps it", flow: "export",
              steps: [["chooserFolder", dir], ["chooserName", "kept.txt"]], written: dir + "/kept.txt", unwritten: dir + "/kept.txt.cvx" },
            { tag: "export: under All files no extension is added", flow: "export", filter: 1,
              steps: [["chooserFolder", dir], ["chooserName", "bare"]], written: dir + "/bare", unwritten: dir + "/bare.cvx" },
            { tag: "export: a name whose NAME.cvx exists asks before replacing it", flow: "export",
              steps: [["chooserFolder", dir], ["chooserName", "taken"]], unwritten: dir + "/taken.cvx", replace: true },
            { tag: "export: a name in a folder that does not exist is a note", flow: "export",
              steps: [["chooserFolder", dir], ["chooserName", "nowhere/x"]], note: "The folder " + dir + "/nowhere does not exist." },
            { tag: "a folder that is gone is neither a place nor where the chooser opens", flow: "export",
              steps: [["chooserFolder", LocalFiles.folderOf(testFiles.writeText("gone/kept", ""))], ["chooserName", "x"],
                      () => testFiles.removeFolder("gone")],
              again: [["=", "chooserPlace_0", "Home"], ["≠", "chooserPlace_1", "gone"], ["≠", "chooserFolder", dir + "/gone"],
                      Qt.Key_Escape] },
            { tag: "keys: Return opens a folder, Backspace goes up, Return takes a file", preview: "Import fixture.cvx",
              steps: [["chooserFolder", db + "/.."], ["Tab", "chooserList"], Qt.Key_Return, ["=", "chooserFolder", db],
                      Qt.Key_Backspace, ["=", "chooserFolder", db.replace(/\/DB$/, "")], ["=", "chooserFile_DB", "DB/"],
                      Qt.Key_Return, ["=", "chooserFile_Lang", "Lang/"], Qt.Key_Down, ["=", "chooserName", "fixture.cvx"],
                      Qt.Key_Return] },
            { tag: "the folder a file was chosen in is the first place next time", preview: "Import fixture.cvx",
              steps: [["chooserFolder", dir], ["chooserName", fixtureLibrary]],
              again: [["=", "chooserPlace_1", "DB"], ["=", "chooserPlace_2", dir.replace(/.*\//, "")],
                      ["≠", "chooserPlace_3", dir.replace(/.*\//, "")],
                      ["chooserFolder", dir], ["chooserPlace_1", 0], ["=", "chooserFolder", db], Qt.Key_Escape] },
            { tag: "at 800×560 every part lies in the window, Tab reaches it, Return presses Cancel", size: [800, 560],
              steps: parts.map(p => ["Tab", p]).concat([Qt.Key_Return]) }
        ]
    }
    function test_fileChooser(data) {
        var chooser = data.flow === "export" ? "exportDialog" : "importDialog"
        materials.selectMaterial(1001)
        if (data.removed)
            materials.removeMaterial(data.removed)
        if (data.size) {
            window.width = data.size[0]
            window.height = data.size[1]
        }
        (data.again ? [data.steps, data.again] : [data.steps]).forEach(function (steps) {
            keySequence(data.flow === "export" ? "Ctrl+E" : "Ctrl+O")
            if (data.flow === "export")
                answer("exportChoice", Dialog.Ok)
            opened(chooser)
            if (data.filter)
                pick(child("chooserFilter"), data.filter)
            steps.forEach(function (step) {
                if (typeof step === "number")
                    key(step)
                else if (typeof step === "function")
                    step()
                else if (step[0] === "≠")
                    verify(!lookUp(step[1]) || shown(step[1]) !== step[2], step[1])
                else if (step[0] === "=")
                    compare(shown(step[1]), step[2])
                else if (step[0] === "Tab")
                    focusOn(step[1]) || reach(step[1], 0, 0) && reach(step[1], child(step[1]).width - 1, child(step[1]).height - 1)
                else if (typeof step[1] === "string")
                    retype(step[0], step[1]) && key(Qt.Key_Return)
                else
                    press(step[0], 5, 5, step[1])
            })
            if (steps === data.steps && data.again)
                closed(chooser) || data.preview && answer("importPreview", Dialog.Cancel)
        })
        if (data.note) {
            compare([shown("chooserNote"), child("importPreview").visible], [data.note, false])
            key(Qt.Key_Escape)
        }
        closed(chooser)
        if (data.replace)
            answer("overwriteDialog", Dialog.No)
        if (data.preview && !data.again)
            answer(compare(shown(opened("importPreview").header), data.preview) || "importPreview",
                   data.report ? Dialog.Ok : Dialog.Cancel)
        if (data.written || data.unwritten)
            compare([testFiles.decodeFile(data.written || data.unwritten).includes("PLA"), testFiles.decodeFile(data.unwritten)],
                    [!data.replace, "[]"])
        tryCompare(child("messageDialog"), "visible", data.report !== undefined)
        compare([message().slice(0, (data.report || "").length), child("importPreview").visible], [data.report || "", false])
        if (data.report)
            answer("messageDialog", Dialog.Ok)
        if (data.removed) {
            materials.selectMaterial(data.removed)
            compare(materials.curMatID, data.removed)
            materials.undo() // the import
            materials.undo() // the removal
        }
    }

    // ☰ → Compare with…: the other material found in the searchable list and taken with Return;
    // the view fits the smallest window in both languages and counts what differs. A value taken
    // with its button reaches the page; Undo in the view gives it back, and the view follows both.
    function test_compareWithTake() {
        window.width = 800
        window.height = 560
        // A copy of PLA as other tests left it, then one value of its set changed.
        materials.selectMaterial(1001)
        materials.addCopyMaterial(1001)
        materials.setMatNameAndManu("PLA", "Wren", "")
        var copy = materials.curMatID
        showParams(copy, 10102, 0.4, 0.2, 0)
        materials.setParameter(15, 77)
        chooseOption("compareMenu/compareItem")
        opened("compareChooser")
        type("kestrona")
        tryCompare(child("compareChoices"), "count", 1)
        key(Qt.Key_Return)
        closed("compareChooser")
        opened("comparisonView")
        var differs = "1 values differ; 1 print sets differ: 0 only in the current one, 0 only in the other."
        compare([shown("compareHeading"), shown("compareCount"), outsideTheWindow()],
                ["Current: PLA / Wren (ID " + copy + ") — other: PLA / KestRona (ID 1001)", differs, []])
        materials.curLanguage = 10
        compare(untranslated(), [])
        materials.curLanguage = 0
        var row = materials.comparison().rows.findIndex(r => r.id === 15)
        child("compareList").positionViewAtIndex(row, ListView.Center)
        var theirs = shown("compareTheirs_" + row)
        compare([shown("compareMine_" + row), child("compareName_" + row).font.bold], ["77", true])
        press("takeValue_15")
        tryCompare(child("compareCount"), "text",
                   "0 values differ; 0 print sets differ: 0 only in the current one, 0 only in the other.")
        compare([shown("compareMine_" + row), refusal("takeValue_15")], [theirs, "transparent"])
        focusOn("compareUndo", Qt.Key_Return)
        tryCompare(child("compareCount"), "text", differs)
        key(Qt.Key_Escape)
        closed("comparisonView")
        compare(shown("paramField_15"), "77.00 mm/s")
        materials.redo()
        compare(shown("paramField_15"), window.valueText(Number(theirs), 2, Qt.locale("en_US")) + " mm/s")
        openFrom("optionsButton", "optionsMenu")
        compare(shown("undoItem"), "Undo take Contour Speed from PLA")
        key(Qt.Key_Escape)
        closed("optionsMenu")
        for (var steps = 0; steps < 4; ++steps) // the take, the value, the name, the copy
            materials.undo()
        window.width = 1280
        window.height = 800
    }

    // The materials pressed in the drawer, the first alone and the others with Ctrl.
    function chooseInDrawer(ids) {
        openFrom("materialButton", "drawer")
        retype("searchField", "")
        press("materialField_" + ids[0])
        closed("drawer")
        if (ids.length === 1)
            return
        openFrom("materialButton", "drawer")
        ids.slice(1).forEach(id => press("materialField_" + id, 5, 5, Qt.ControlModifier))
        key(Qt.Key_Escape)
        closed("drawer")
    }

    // A value dialog changes every row of its kind: all speeds ticked, +10 % typed; the results
    // line names the first row and how many follow, the note and then the toast count the values
    // and print sets, and Undo in the toast gives every value back.
    function test_groupChange() {
        showParams(1001, 10102, -1, -1, -1)
        var speeds = [15, 16, 17, 27]
        var before = speeds.map(id => shown("paramField_" + id))
        press("paramField_15")
        opened("speedDialog")
        press("groupAll")
        compare(speeds.map(id => child("groupRow_" + id).checked), [true, true, true, true])
        press("groupRow_27")
        press("modePercent")
        type("10")
        compare(shown("results"), "Results: Contour Speed 33mm/s, and 2 more") // 30 in every set
        var sets = materials.curSetNumber
        compare(shown("valueNote"), "OK changes " + 3 * sets + " values in " + sets + " print sets.")
        key(Qt.Key_Return)
        closed("speedDialog")
        tryCompare(lookUp("toast"), "opacity", 1)
        compare(shown("toastText"), "Changed " + 3 * sets + " values in " + sets + " print sets —")
        compare(shown("paramField_27"), before[3])
        verify(shown("paramField_16") !== before[1])
        press("toastUndo")
        tryVerify(() => shown("paramField_16") === before[1])
        compare(speeds.map(id => shown("paramField_" + id)), before)
    }

    // A value whose print sets differ opens from the button beside its range as a table of the
    // printer's sets; a cell edits its set alone, Ctrl+Z takes it back, and typing part of a row's
    // name with Return shows that row.
    function test_valueTable() {
        materials.restoreSelection(1001, 10102, 0.4, 0.2, 1)
        materials.setParameter(15, 45)
        showParams(1001, 10102, -1, -1, -1)
        compare(shown("paramRange_15"), "30 – 45 mm/s")
        press("tableButton_15")
        opened("paramTable")
        var cells = () => ["0_0", "0_1", "1_0", "1_1"].map(c => shown("tableCell_" + c))
        compare([shown("tableTitle")].concat(cells()), ["Contour Speed on Orvik Solo, in mm/s", "30.00", "45.00", "30.00", ""])
        press("tableCell_1_0")
        opened("speedDialog")
        type("52")
        key(Qt.Key_Return)
        closed("speedDialog")
        tryVerify(() => shown("tableCell_1_0") === "52.00")
        compare(cells(), ["30.00", "45.00", "52.00", ""])
        key(Qt.Key_Z, Qt.ControlModifier)
        tryVerify(() => shown("tableCell_1_0") === "30.00")
        retype("tableParamChoice", "infill sp")
        key(Qt.Key_Return)
        tryCompare(child("tableTitle"), "text", "Infill Speed on Orvik Solo, in mm/s")
        compare(cells(), ["40.00", "40.00", "40.00", ""])
        key(Qt.Key_Escape)
        closed("paramTable")
        materials.undo()
    }

    // ☰ → Views → Check this material… lists an unlikely value with its reason; the keyboard moves
    // to it, and Return selects its print set and shows the value on the parameter page.
    function test_checkThisMaterial() {
        materials.restoreSelection(1001, 10102, 0.4, 0.2, 1)
        materials.setParameter(24, 0.2)
        chooseOption("compareMenu/adviceItem")
        opened("adviceView")
        var index = materials.materialAdvice().findIndex(f => f.row === 24 && f.quality === 1 && f.layer < 0.25)
        verify(index >= 0)
        for (var i = 0; i < index; ++i)
            key(Qt.Key_Down)
        var finding = child("advice_" + index)
        verify(hasKeys(finding))
        compare(shown(finding), "Contour Width: 0.2 mm — Orvik Solo ⩢ 0.40 ≣ 0.20 ⚖ Fine")
        key(Qt.Key_Return)
        closed("adviceView")
        tryCompare(child("stackView"), "depth", 2)
        tryCompare(child("stackView"), "busy", false)
        compare(shown("paramField_24"), "0.20 mm")
        verify(hasKeys(child("paramField_24")))
        verify(shown("selectionSummary").indexOf("1 print sets") === 0)
        materials.undo()
    }

    // The nozzle menu's last item makes the nozzle's print sets for another nozzle: the preview
    // counts them and shows their speeds kept, or scaled to keep the flow; OK makes them, the note
    // counts them, the new nozzle joins the menu, and Undo in the note takes them back.
    function test_deriveForAnotherNozzle() {
        showParams(1001, 10102, 0.4, -1, -1)
        choose("nozzleButton", "nozzleMenu", "deriveNozzleItem")
        opened("deriveDialog")
        var target = child("deriveTarget")
        pick(target, target.model.indexOf("0.50"))
        compare([shown("deriveFrom"), shown(target), shown("deriveSummary"), shown("deriveRow_0"), shown("deriveRow_1")],
                ["From nozzle 0.40 mm to", "0.50", "2 print sets to make, 0 of them exist already; 0 cannot be made.",
                 "0.40 / 0.20 / Normal → 0.50 / 0.20 / Normal", "0.40 / 0.20 / Fine → 0.50 / 0.20 / Fine"])
        var speeds = () => shown("deriveDetails_0").split("speeds ")[1].replace(" mm/s", "").split(" → ")
        var kept = speeds()
        compare(kept[1], kept[0])
        press("deriveFlow")
        // Widths × 1.25 on one layer: speeds × 0.8.
        var scaled = kept[0].split(", ").map(v => Math.round(v * 800) / 1000).join(", ")
        tryVerify(() => speeds()[1] === scaled, 3000, speeds()[1] + " ≠ " + scaled)
        answer("deriveDialog", Dialog.Ok)
        tryCompare(lookUp("toast"), "opacity", 1)
        compare(shown("toastText"), "Made 2 print sets for nozzle 0.50 —")
        openFrom("nozzleButton", "nozzleMenu")
        compare([shown("nozzleItem_0"), shown("nozzleItem_1"), shown("nozzleItem_2")], ["0.40mm", "0.50mm", "0.60mm"])
        key(Qt.Key_Escape)
        closed("nozzleMenu")
        press("toastUndo")
        openFrom("nozzleButton", "nozzleMenu")
        compare([shown("nozzleItem_1"), lookUp("nozzleItem_2")], ["0.60mm", null])
        key(Qt.Key_Escape)
        closed("nozzleMenu")
    }

    // Last, over the shipped vendor library, whose "PLA" takes the place of the fixture's: its
    // "PETG" from the drawer and a cell of the start page's map; a value changed from the vendor's
    // is marked, and its mark puts the vendor's value back.
    function test_zVendorMarkAndMapCell() {
        materials.checkVendorMaterials()
        materials.importVendorMaterials()
        openFrom("materialButton", "drawer")
        // The view makes the rows below its end already; they lie beyond the window until scrolled to.
        compare(refusal(child("materialButton"), -5, 5), "outside the window")
        type("989791271")
        key(Qt.Key_Return)
        closed("drawer")
        // The map of the material shown before is replaced as the view settles.
        tryVerify(function() { var c = lookUp("mapCell_-1_40"); return c && c.count > 0 })
        tryCompare(child("stackView"), "busy", false)
        waitForRendering(child("stackView"))
        focusOn("mapCell_-1_40", Qt.Key_Return)
        tryCompare(child("stackView"), "depth", 2)
        tryCompare(child("stackView"), "busy", false)
        compare([materials.curMatID, shown("printerButton"), shown("nozzleButton")],
                [989791271, "⏍ Default", "⩢ Dia: 0.40 "])
        materials.restoreSelection(989791271, -1, 0.4, 0.2, 0)
        var vendorSpeed = materials.valueSpread(15).min
        materials.setParameter(15, vendorSpeed + 9)
        var mark = child("vendorMark_15")
        tryCompare(mark, "opacity", 1)
        // The tool tip's text: the offscreen platform has no hover to show it.
        compare([shown(mark), mark.ToolTip.text],
                ["↺", "Vendor: " + vendorSpeed + " mm/s\nPress to put the vendor's value back."])
        focusOn(mark, Qt.Key_Space)
        compare(materials.valueSpread(15).min, vendorSpeed)
        tryVerify(function() { var m = lookUp("vendorMark_15"); return m && refusal(m) === "transparent" })
        openFrom("optionsButton", "optionsMenu")
        compare(shown("undoItem"), "Undo reset Contour Speed of PETG to the vendor's")
    }
}
