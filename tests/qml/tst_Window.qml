import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// The window around the pages, on the fixture library: navigation, the drawer, the lock, the
// language, the last session, closing, saving and importing; last, a vendor material edited from
// the drawer to the saved user library.
MainWindowTest {
    name: "Window"

    function initTestCase() { materials.importMaterials(fixtureLibrary, false) }
    function init() {
        materials.curLanguage = 0
        window.closeAnswered = false
        showWindow()
        // A drawer still closing takes the presses meant for the window.
        child("drawer").close()
        closed("drawer")
    }
    // A value that differs from the stored one: storing the same value is no change.
    function makeChange() {
        materials.selectMaterial(1001)
        materials.setParameter(0, materials.valueSpread(0).min === 230 ? 231 : 230)
        verify(materials.modified)
    }

    // The search finds by manufacturer or ID in any letter case, the arrows and Return pick a row,
    // ➕ and ➖ act at once on the rows found, which are cut to 24 characters. Ctrl and Shift with a
    // press choose rows, which the export offers.
    function test_drawer() {
        openDrawer()
        var list = child("materialList")
        type("tAlLoW")
        tryCompare(list, "count", 1)
        retype("searchField", "100")
        tryCompare(list, "count", 2)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Return)
        closed("drawer")
        compare(materials.curMatID, 1002)
        openDrawer()
        retype("searchField", "1001")
        press("copyMaterial_1001")
        materials.setMatNameAndManu("A name long enough to cut", "Maker", "")
        retype("searchField", "LONG enough")
        tryCompare(list, "count", 1)
        var copyID = materials.curMatID
        compare(child("materialField_" + copyID).text, "A name long enough to cu")
        press("removeMaterial_" + copyID)
        tryCompare(list, "count", 0)
        retype("searchField", "")
        tryCompare(list, "count", 2)
        mouseClick(child("materialField_1002"), 5, 5, Qt.LeftButton, Qt.ControlModifier)
        mouseClick(child("materialField_1001"), 5, 5, Qt.LeftButton, Qt.ShiftModifier)
        mouseClick(child("materialField_1002"), 5, 5, Qt.LeftButton, Qt.ControlModifier)
        keyClick(Qt.Key_Escape)
        closed("drawer")
        keySequence("Ctrl+E")
        var choice = opened("exportChoice")
        compare([child("exportChosen").checked, child("exportChosen").text],
                [true, "The 1 materials chosen in the list (Ctrl or Shift and a press)"])
        compare(choice.ids(), [1001])
        choice.close()
    }

    // The printer menu shows the parameters once. A switch from the ☰ menu reads every text on
    // screen again at once: the scene's, the library's and the models'.
    function test_language_data() {
        return [
            { tag: "☰ 中文", language: 0, item: "chineseItem", written: 10,
              texts: ["⩢ -喷嘴-", "◀ 基本信息", "导入", "多个值", "轮廓速度: "] },
            { tag: "☰ English", language: 11, item: "englishItem", written: 0,
              texts: ["⩢ -Nozzle-", "◀ Basic information", "Import", "manifold", "Contour Speed: "] }
        ]
    }
    function test_language(data) {
        showParams(1001, 10102, -1, -1, -1)
        choose("printerButton", "printerMenu", "printerItem_10102")
        compare(child("stackView").depth, 2)
        materials.curLanguage = data.language
        press("optionsButton")
        var menu = opened("optionsMenu")
        press(menu.itemAt(menu.count - 2)) // the language's submenu, above About
        press(data.item)
        closed("optionsMenu")
        compare(materials.curLanguage, data.written)
        var speed = child("paramField_15")
        tryCompare(speed.parent.children[0], "text", data.texts[4])
        compare([child("nozzleButton").text, child("backButton").text, child("importItem").text,
                 speed.placeholderText, speed.parent.children[0].text], data.texts)
    }

    // A material chosen in the drawer goes back to the start page, where a locked material's rows
    // open no dialog; the next start goes back to where the user left off, as far as it still exists.
    function test_lastSessionIsRestored_data() {
        return [
            { tag: "the whole selection and its page", matID: 1001, quality: "Fine", depth: 2 },
            { tag: "a material that is gone", matID: 999, quality: "----", depth: 1 }
        ]
    }
    function test_lastSessionIsRestored(data) {
        showParams(1001, 10102, 0.4, 0.2, 1)
        window.rememberSession()
        openDrawer()
        press("materialField_1002")
        closed("drawer")
        compare([child("stackView").depth, materials.curMatID, child("editButton_0").text], [1, 1002, "⚔"])
        press("basicField_0")
        verify(!child("temperatureDialog").visible)
        findChild(window, "lastSession").matID = data.matID
        window.restoreSession()
        compare([materials.curMatID, materials.curQuality], [data.matID === 999 ? 1002 : 1001, data.quality])
        tryCompare(child("stackView"), "depth", data.depth)
    }

    // Closing with unsaved changes asks first.
    function test_closing_data() {
        return [
            { tag: "no changes: closes without asking", closes: true },
            { tag: "Cancel keeps the window and the changes", answer: Dialog.Cancel, closes: false },
            { tag: "Save writes, then closes", answer: Dialog.Save, closes: true, saved: true },
            { tag: "Discard closes", answer: Dialog.Discard, closes: true }
        ]
    }
    function test_closing(data) {
        if (data.answer !== undefined)
            makeChange()
        else
            verify(materials.exportUserMaterials())
        keySequence("Ctrl+Q")
        if (data.answer !== undefined) {
            mouseClick(opened("unsavedDialog").standardButton(data.answer))
            closed("unsavedDialog")
        }
        tryCompare(window, "visible", !data.closes)
        compare(materials.modified, data.answer !== undefined && !data.saved)
        if (data.saved) {
            var saved = testFiles.decodeFile(materials.userLibraryPath())
            verify(saved.indexOf('"b4":' + materials.valueSpread(0).min) >= 0)
        }
    }

    // Files to import are previewed one after another, as chosen, then reported once.
    function test_importPreviewThenOneReport() {
        makeChange() // the library's PLA now differs from the fixture's
        var junk = testFiles.writeText("junk.cvx", "nothing here\n")
        window.importFiles([fixtureLibrary, junk])
        var preview = opened("importPreview")
        compare(child("previewSummary").text, "0 new, 1 the same as in your library, 1 different from it.")
        var choice = findChild(preview.contentItem, "choice_0")
        compare(choice.currentText, "Keep both")
        choice.forceActiveFocus()
        keyClick(Qt.Key_Down) // take theirs
        mouseClick(preview.standardButton(Dialog.Ok))
        opened("messageDialog")
        compare(message(), "Import: " + junk + " holds no material.\n0 materials added, 1 replaced existing "
                + "ones, 1 kept as they were, 0 renumbered, 1 lines skipped as not materials.")
        child("messageDialog").close()
        closed("messageDialog")
        compare(materials.valueSpread(0).min, 210) // the fixture's print temperature, taken
    }

    // Last, over the shipped vendor library, whose "PLA" takes the place of the fixture's: its
    // "PETG" from the drawer and a cell of the start page's map; a value changed from the vendor's
    // is marked, and its mark puts the vendor's value back.
    function test_zVendorMarkAndMapCell() {
        materials.checkVendorMaterials()
        materials.importVendorMaterials()
        openDrawer()
        type("989791271")
        keyClick(Qt.Key_Return)
        closed("drawer")
        // The map of the material shown before is replaced as the view settles.
        tryVerify(function() { var c = lookUp("mapCell_-1_40"); return c && c.count > 0 })
        tryCompare(child("stackView"), "busy", false)
        waitForRendering(child("stackView"))
        press("mapCell_-1_40")
        tryCompare(child("stackView"), "depth", 2)
        tryCompare(child("stackView"), "busy", false)
        compare([materials.curMatID, materials.curPrinter, materials.curNozzle],
                [989791271, "Default", "Dia: 0.40 "])
        materials.selectLayerThick(0.2)
        materials.selectQuality(0)
        var vendorSpeed = materials.valueSpread(15).min
        materials.setParameter(15, vendorSpeed + 9)
        tryCompare(child("vendorMark_15"), "opacity", 1)
        compare(child("vendorMark_15").tip, "Vendor: " + vendorSpeed + " mm/s")
        press("vendorMark_15")
        compare(materials.valueSpread(15).min, vendorSpeed)
        tryVerify(function() { var m = lookUp("vendorMark_15"); return m && m.opacity === 0 })
        compare(materials.undoText, "Undo reset Contour Speed of PETG to the vendor's")
    }
}
