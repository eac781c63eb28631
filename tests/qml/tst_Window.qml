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
    function search(text) {
        press("searchField")
        keySequence(StandardKey.SelectAll)
        keyClick(Qt.Key_Backspace)
        type(text)
    }

    // The printer menu shows the parameters once; a printer text with a dash, or a material chosen
    // in the drawer, goes back to the start page, where a locked material's rows open no dialog.
    function test_pagesFollowTheSelection() {
        showParams(1001, 10102, -1, -1, -1)
        choose("printerButton", "printerMenu", "printerItem_10102")
        compare(child("stackView").depth, 2)
        materials.selectPrinter(-1000)
        compare(child("stackView").depth, 1)
        showParams(1001, 10102, -1, -1, -1)
        openDrawer()
        press("materialField_1002")
        closed("drawer")
        compare([child("stackView").depth, materials.curMatID, child("editButton_0").text], [1, 1002, "⚔"])
        press("basicField_0")
        verify(!child("temperatureDialog").visible)
    }

    // Rows are cut to 24 characters; the search finds by manufacturer or ID in any letter case, and
    // ➕ and ➖ act at once on the rows found.
    function test_drawerSearch() {
        openDrawer()
        var list = child("materialList")
        type("tAlLoW")
        tryCompare(list, "count", 1)
        verify(lookUp("materialField_1002"))
        search("1001")
        tryCompare(list, "count", 1)
        press("copyMaterial_1001")
        materials.setMatNameAndManu("A name long enough to cut", "Maker", "")
        search("LONG enough")
        tryCompare(list, "count", 1)
        var copyID = materials.curMatID
        compare(child("materialField_" + copyID).text, "A name long enough to cu")
        press("removeMaterial_" + copyID)
        tryCompare(list, "count", 0)
        search("")
        tryCompare(list, "count", 2)
        keyClick(Qt.Key_Escape)
        closed("drawer")
    }

    // A switch reads every text on screen again at once: the scene's, the library's and the models'.
    function test_languageSwitchReadsEveryTextAgain() {
        showParams(1001, 10102, -1, -1, -1)
        materials.curLanguage = 10
        compare([child("nozzleButton").text, child("backButton").text, child("importItem").text,
                 child("paramField_15").placeholderText], ["⩢ -喷嘴-", "◀ 基本信息", "导入", "多个值"])
        tryVerify(function() { return lookUp("paramField_15").parent.children[0].text === "轮廓速度: " })
        materials.curLanguage = 0
        compare([child("importItem").text, child("nozzleButton").text], ["Import", "⩢ -Nozzle-"])
    }

    // The next start goes back to where the user left off, as far as it still exists.
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
        tryCompare(child("stackView"), "depth", 1)
        findChild(window, "lastSession").matID = data.matID
        window.restoreSession()
        compare([materials.curMatID, materials.curQuality], [data.matID === 999 ? 1002 : 1001, data.quality])
        tryCompare(child("stackView"), "depth", data.depth)
    }

    // Closing with unsaved changes asks first; a save that fails keeps the window and says why.
    function test_closing_data() {
        return [
            { tag: "no changes: closes without asking", closes: true },
            { tag: "Cancel keeps the window and the changes", answer: Dialog.Cancel, closes: false },
            { tag: "Save writes, then closes", answer: Dialog.Save, closes: true, saved: true },
            { tag: "Discard closes", answer: Dialog.Discard, closes: true },
            // A folder where the library was is a change on disk: asked first, then the failure.
            { tag: "a failed save keeps the window", answer: Dialog.Save, blocked: true, closes: false }
        ]
    }
    function test_closing(data) {
        var path = materials.userLibraryPath()
        if (data.answer !== undefined)
            makeChange()
        else
            verify(materials.exportUserMaterials())
        if (data.blocked)
            verify(testFiles.blockWithFolder(path))
        keySequence("Ctrl+Q")
        if (data.answer !== undefined) {
            mouseClick(opened("unsavedDialog").standardButton(data.answer))
            closed("unsavedDialog")
        }
        if (data.blocked) {
            opened("diskChangedDialog")
            press("overwriteButton")
            opened("messageDialog")
            compare(message(), "Warning: The library could not be saved to\n" + path + "\nFilename refers to a directory")
            child("messageDialog").close()
            closed("messageDialog")
            verify(testFiles.unblock(path))
            materials.importUserMaterials() // the library in its folder again
        }
        tryCompare(window, "visible", !data.closes)
        compare(materials.modified, data.answer !== undefined && !data.saved)
        if (data.saved)
            verify(testFiles.decodeFile(path).indexOf('"b4":' + materials.valueSpread(0).min) >= 0)
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

    // A user library that was not read completely is replaced only when the user says so.
    function test_saveOverAnUnreadLibraryAsksFirst() {
        makeChange()
        var path = materials.userLibraryPath()
        verify(testFiles.blockWithFolder(path))
        materials.importUserMaterials() // a folder cannot be read
        verify(testFiles.unblock(path))
        keySequence("Ctrl+S")
        compare(opened("unreadLibraryDialog").prompt, "The user library\n" + path + "\nwas not read completely: "
                + "Is a directory.\nSaving replaces it with what the editor holds; what could not be read is lost.")
        press("cancelSaveButton")
        closed("unreadLibraryDialog")
        compare([materials.isFileExist(path), materials.modified], [false, true])
        keySequence("Ctrl+S")
        opened("unreadLibraryDialog")
        press("saveAnywayButton")
        closed("unreadLibraryDialog")
        compare([materials.modified, materials.userLibraryReadError], [false, ""])
        verify(testFiles.decodeFile(path).indexOf('"b4":' + materials.valueSpread(0).min) >= 0)
    }

    // Last, over the shipped vendor library, whose "PLA" takes the place of the fixture's: its
    // "PETG" from the drawer, a cell of the start page's map, a speed raised in its dialog and
    // saved from the ☰ menu; the value's vendor mark then puts the vendor's value back.
    function test_zVendorMaterialEditedAndSaved() {
        materials.checkVendorMaterials()
        materials.importVendorMaterials()
        openDrawer()
        type("989791271")
        press("materialField_989791271")
        closed("drawer")
        // The map of the material shown before is replaced as the view settles.
        tryVerify(function() { var c = lookUp("mapCell_-1_40"); return c && c.count > 0 })
        tryCompare(child("stackView"), "busy", false)
        waitForRendering(child("stackView"))
        press("mapCell_-1_40")
        tryCompare(child("stackView"), "depth", 2)
        tryCompare(child("stackView"), "busy", false)
        compare([materials.curPrinter, materials.curNozzle], ["Default", "Dia: 0.40 "])
        materials.selectLayerThick(0.2)
        materials.selectQuality(0)
        var vendorSpeed = materials.valueSpread(15).min
        press("paramField_15")
        opened("speedDialog")
        keyClick(Qt.Key_Up)
        keyClick(Qt.Key_Return)
        closed("speedDialog")
        var speed = materials.valueSpread(15).min
        compare(speed, vendorSpeed + 1)
        tryCompare(child("vendorMark_15"), "opacity", 1)
        compare(child("vendorMark_15").tip, "Vendor: " + vendorSpeed + " mm/s")
        choose("optionsButton", "optionsMenu", "saveItem")
        var saved = JSON.parse(testFiles.decodeFile(materials.userLibraryPath()))
        saved = saved.filter(function (m) { return m.b1 === 989791271 })[0]
        verify(saved.group.some(function (s) { return s.p1 === -1 && s.p4 === 0 && s.p12[0] === speed }),
               JSON.stringify(saved.group))
        press("vendorMark_15")
        compare(materials.valueSpread(15).min, vendorSpeed)
        tryVerify(function() { var m = lookUp("vendorMark_15"); return m && m.opacity === 0 })
        compare(materials.undoText, "Undo reset Contour Speed of PETG to the vendor's")
    }
}
