import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// The window over a library that another program is still writing, so that its load goes on while
// the user looks: what has come in is shown and can be looked at; what needs the whole library
// (saving, importing, exporting, searching, changing) waits, and says so.
MainWindowTest {
    name: "Loading"

    function init() { showWindow() }
    function cleanupTestCase() { slowLibrary.end() }

    function test_whileTheLibraryLoads() {
        verify(slowLibrary.start())
        tryCompare(child("materialButton"), "text", "❁ Loading…")
        reach("loadProgress", undefined, undefined, true)
        verify(slowLibrary.feed(fixtureLibrary, 1, 1)) // PLA, the first material: shown at once
        tryVerify(function() { return shown("materialButton").indexOf("PLA") >= 0 }, 5000)
        tryVerify(function() { return shown("basicField_4").indexOf("Fila Density") === 0 })

        // The drawer fills as the materials come in, with how far it is; its search waits. A
        // material chosen there is shown, and its values open; a change is refused with a message,
        // and nothing is stored.
        openFrom("materialButton", "drawer")
        compare(child("materialList").count, 1)
        compare(shown("loadingNote"), "Loading the library: 1 materials so far (0 %)")
        compare([refusal("searchField"), refusal("changedOnly")], ["disabled", "disabled"])
        press("materialField_1001")
        closed("drawer")
        var before = shown("basicField_4")
        press("basicField_4")
        opened("doubleInputDialog")
        key(Qt.Key_Up)
        key(Qt.Key_Return)
        closed("doubleInputDialog")
        opened("messageDialog")
        compare(shown("messagePrompt"), "The library is still loading: changes can be made once it is complete.")
        answer("messageDialog", Dialog.Ok)
        compare(shown("basicField_4"), before)
        openFrom("optionsButton", "optionsMenu")
        compare(["saveItem", "importItem", "exportItem"].map(i => refusal(i)), ["disabled", "disabled", "disabled"])
        key(Qt.Key_Escape)
        closed("optionsMenu")

        // The rest comes in: everything is offered.
        verify(slowLibrary.feed(fixtureLibrary, 2, 1))
        slowLibrary.end()
        tryCompare(child("loadProgress"), "visible", false)
        openFrom("materialButton", "drawer")
        tryCompare(child("materialList"), "count", 2)
        compare([refusal("loadingNote", undefined, undefined, true), refusal("searchField"), refusal("changedOnly")],
                ["not visible", "", ""])
        key(Qt.Key_Escape)
        closed("drawer")
        openFrom("optionsButton", "optionsMenu")
        compare(["saveItem", "importItem", "exportItem"].map(i => refusal(i)), ["", "", ""])
        key(Qt.Key_Escape)
    }
}
