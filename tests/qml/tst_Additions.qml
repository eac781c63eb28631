import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// What the window adds for everyday safety and speed: the unsaved-changes question on closing,
// the search field of the drawer, the import report and the shortcuts.
Item {
    width: 1280
    height: 800

    Loader {
        id: window
        source: "qrc:/main.qml"
    }

    TestCase {
        name: "Additions"
        when: window.status !== Loader.Loading

        function lookUp(name) {
            return findChild(window.item.contentItem.parent, name) || findChild(window.item, name)
        }
        function child(name) {
            tryVerify(function() { return lookUp(name) !== null }, 3000, "no " + name)
            return lookUp(name)
        }
        function showWindow() {
            window.item.closeAnswered = false
            window.item.show()
            window.item.requestActivate()
            tryCompare(window.item, "visible", true)
        }
        // A value that differs from the stored one: storing the same value is no change.
        function makeChange() {
            materials.selectMaterial(1001)
            materials.setParameter(0, materials.valueSpread(0).min === 230 ? 231 : 230)
            verify(materials.modified)
        }
        function answer(button) {
            const dialog = child("unsavedDialog")
            tryCompare(dialog, "opened", true)
            dialog.standardButton(button).clicked()
        }

        function initTestCase() {
            compare(window.status, Loader.Ready)
            materials.importMaterials(fixtureLibrary, false)
            showWindow()
        }

        function test_closingWithoutChangesAsksNothing() {
            verify(materials.exportUserMaterials())
            window.item.close()
            tryCompare(window.item, "visible", false)
            showWindow()
        }

        function test_cancelKeepsTheWindowAndTheChanges() {
            makeChange()
            window.item.close()
            answer(Dialog.Cancel)
            tryCompare(child("unsavedDialog"), "visible", false)
            verify(window.item.visible)
            verify(materials.modified)
        }

        // The folder where the library was is a change on disk: asked first, then the failure.
        function test_saveThatFailsKeepsTheWindowOpen() {
            makeChange()
            verify(testFiles.blockWithFolder(materials.userLibraryPath()))
            window.item.close()
            answer(Dialog.Save)
            tryCompare(child("diskChangedDialog"), "opened", true)
            child("overwriteButton").clicked()
            tryCompare(child("messageDialog"), "opened", true)
            verify(child("messageDialog").prompt.indexOf("could not be saved") >= 0)
            verify(window.item.visible)
            verify(materials.modified)
            child("messageDialog").close()
            verify(testFiles.unblock(materials.userLibraryPath()))
            materials.importUserMaterials() // the library in its folder again
            verify(!materials.userLibraryChangedOnDisk())
        }

        function test_saveThenClose() {
            makeChange()
            window.item.close()
            answer(Dialog.Save)
            tryCompare(window.item, "visible", false)
            verify(!materials.modified)
            verify(testFiles.decodeFile(materials.userLibraryPath()).indexOf('"b4":' + materials.valueSpread(0).min) >= 0)
            showWindow()
        }

        function test_discardCloses() {
            makeChange()
            window.item.close()
            answer(Dialog.Discard)
            tryCompare(window.item, "visible", false)
            verify(materials.modified) // nothing was saved
            showWindow()
            verify(materials.exportUserMaterials())
        }

        function test_searchFiltersAndActsOnTheFilteredRows() {
            child("drawer").open()
            tryCompare(child("drawer"), "position", 1)
            const list = child("materialList")
            const search = child("searchField")
            compare(list.count, 2)
            search.text = "tAlLoW" // manufacturer, any letter case
            tryCompare(list, "count", 1)
            child("materialField_1002").pressed(null)
            compare(materials.curMatID, 1002)
            child("drawer").open()
            tryCompare(child("drawer"), "position", 1)
            search.text = "1001" // by ID
            tryCompare(list, "count", 1)
            child("copyMaterial_1001").clicked()
            search.text = "_copy"
            tryCompare(list, "count", 1)
            const copyID = materials.curMatID
            child("removeMaterial_" + copyID).clicked()
            tryCompare(list, "count", 0)
            search.text = ""
            tryCompare(list, "count", 2)
            child("drawer").close()
            tryCompare(child("drawer"), "position", 0)
        }

        // Files to import are previewed one after another, as chosen, then reported once.
        function test_importPreviewThenOneReport() {
            makeChange() // the library's PLA now differs from the fixture's
            const junk = testFiles.writeText("junk.cvx", "nothing here\n")
            window.item.importFiles([fixtureLibrary, junk])
            const preview = child("importPreview")
            tryCompare(preview, "opened", true)
            compare(child("previewSummary").text, "0 new, 1 the same as in your library, 1 different from it.")
            const choice = findChild(preview.contentItem, "choice_0")
            compare(choice.currentText, "Keep both")
            choice.currentIndex = 1
            choice.activated(1) // take theirs
            preview.accept()
            const message = child("messageDialog")
            tryCompare(message, "opened", true)
            compare(message.title, "Import")
            compare(message.prompt, junk + " holds no material.\n"
                    + "0 materials added, 1 replaced existing ones, 1 kept as they were, 0 renumbered, 1 lines skipped as not materials.")
            message.close()
            tryCompare(message, "visible", false)
            compare(materials.valueSpread(0).min, 210) // the fixture's print temperature, taken
        }

        // A user library that was not read completely is replaced only when the user says so.
        function test_saveOverAnUnreadLibraryAsksFirst() {
            makeChange()
            const path = materials.userLibraryPath()
            verify(testFiles.blockWithFolder(path))
            materials.importUserMaterials() // a folder cannot be read
            compare(materials.userLibraryReadError, "Is a directory")
            verify(testFiles.unblock(path))
            const dialog = child("unreadLibraryDialog")
            verify(!window.item.saveLibrary())
            tryCompare(dialog, "opened", true)
            verify(dialog.prompt.indexOf(path) >= 0, dialog.prompt)
            verify(dialog.prompt.indexOf("Is a directory") >= 0, dialog.prompt)
            child("cancelSaveButton").clicked()
            tryCompare(dialog, "visible", false)
            verify(!materials.isFileExist(path))
            verify(materials.modified)

            keySequence("Ctrl+S")
            tryCompare(dialog, "opened", true)
            child("saveAnywayButton").clicked()
            tryVerify(function() { return !materials.modified })
            compare(materials.userLibraryReadError, "")
            verify(testFiles.decodeFile(path).indexOf('"b4":230') >= 0)
            tryCompare(dialog, "visible", false)
        }

        function test_ctrlSSaves() {
            makeChange()
            tryCompare(window.item, "active", true)
            keySequence("Ctrl+S")
            tryVerify(function() { return !materials.modified })
        }
    }
}
