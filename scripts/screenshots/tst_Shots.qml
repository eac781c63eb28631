import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2
import "../../tests/qml"

// Screenshots of the real window for people to look at (not a test): run by scripts/screenshots
// under Xvfb, written to build/shots/. Each shot names the state it shows; the window is driven
// with the scene tests' gestures, so that a shot shows only what a user can get to.
MainWindowTest {
    name: "Shots"

    function stack() { return child("stackView") }
    function shot(name) {
        wait(400)
        grabImage(window.contentItem.parent).save("build/shots/" + name + ".png")
    }
    function paramPage() {
        materials.selectMaterial(1001)
        if (materials.bMatLocked)
            materials.unlockMaterial("") // the vendor's, after the first run
        choose("printerButton", "printerMenu", "printerItem_10102")
        materials.selectNozzle(0.4)
        materials.selectLayerThick(0.2)
    }
    function openField(id) {
        var field = child((id < 9 ? "basicField_" : "paramField_") + id)
        waitForRendering(field)
        press(field)
    }
    function closeDialogs() {
        closeAll(["intInputDialog", "doubleInputDialog", "temperatureDialog", "speedDialog", "widthDialog"])
    }

    function initTestCase() {
        showWindow()
        materials.importMaterials(fixtureLibrary, false)
        materials.selectMaterial(1001)
        materials.setParameter(0, 450)
        materials.setParameter(3, 1.753)
        materials.setParameter(6, -0.3)
        for (var q = 0; q < 2; ++q) {
            materials.selectPrinter(10102)
            materials.selectNozzle(0.4)
            materials.selectLayerThick(0.2)
            materials.selectQuality(q)
            materials.setParameter(15, q === 0 ? 40 : 55)
            materials.setParameter(16, 40.5)
            materials.setParameter(18, 1700)
            materials.setParameter(20, 5000)
        }
    }

    // Chinese first: the first run brings in the vendor library, whose PLA asks before a change.
    function test_shots_data() { return [{ tag: "zh", zh: true }, { tag: "en", zh: false }] }
    function test_shots(data) {
        var lang = data.tag
        materials.curLanguage = data.zh ? 10 : 0
        window.width = 1280
        window.height = 800
        paramPage()
        openField(16)
        shot(lang + "-dialog-off-grid")
        closeDialogs()
        shot(lang + "-params-1280x800")
        openField(15)
        shot(lang + "-dialog-differing")
        press("modeAdd")
        type("-5")
        shot(lang + "-dialog-change-by")
        closeDialogs()
        openField(20)
        shot(lang + "-dialog-out-of-range")
        closeDialogs()
        // The longest names a record holds, at the smallest window.
        materials.addCopyMaterial(1001)
        materials.setMatNameAndManu(data.zh ? "聚乳酸高级丝绸彩虹色测" + "XY" : "Polylactide Premium Silk Rainbow",
                                    data.zh ? "科斯特罗纳材料科技有限公" + "Z" : "Kestrona Advanced Materials Ltd.", "")
        var id = materials.curMatID
        window.width = 800
        window.height = 560
        choose("printerButton", "printerMenu", "printerItem_10102")
        materials.selectNozzle(0.4)
        materials.selectLayerThick(0.2)
        materials.selectQuality(1)
        shot(lang + "-params-800x560")
        press("backButton")
        tryCompare(stack(), "busy", false)
        shot(lang + "-start-800x560")
        // The other views of the copy: beside the one it was copied from, and one value's table.
        chooseOption("compareMenu/compareItem")
        opened("compareChooser")
        type("kestrona")
        key(Qt.Key_Return)
        opened("comparisonView")
        shot(lang + "-compare-800x560")
        key(Qt.Key_Escape)
        closed("comparisonView")
        chooseOption("compareMenu/tableItem")
        opened("paramTable")
        shot(lang + "-table-800x560")
        key(Qt.Key_Escape)
        closed("paramTable")
        chooseOption("compareMenu/adviceItem")
        opened("adviceView")
        shot(lang + "-check-800x560")
        key(Qt.Key_Escape)
        closed("adviceView")
        chooseOption("compareMenu/deriveNozzleOption")
        opened("deriveDialog")
        shot(lang + "-derive-800x560")
        key(Qt.Key_Escape)
        closed("deriveDialog")
        window.importFiles([fixtureLibrary])
        opened("importPreview")
        shot(lang + "-import-preview-800x560")
        answer("importPreview", Dialog.Cancel)
        openFrom("materialButton", "drawer")
        retype("searchField", String(id))
        shot(lang + "-drawer-search-800x560")
        press("removeMaterial_" + id)
        shot(lang + "-drawer-removed-800x560")
        key(Qt.Key_Escape)
        closed("drawer")
        // The history in the ☰ menu after an edit, and the question after a crash.
        window.width = 1280
        window.height = 800
        paramPage()
        materials.setParameter(17, 66)
        openFrom("optionsButton", "optionsMenu")
        shot(lang + "-menu-undo")
        key(Qt.Key_Escape)
        closed("optionsMenu")
        var question = child("recoveryDialog")
        question.time = Qt.formatDateTime(new Date(2026, 11, 7, 9, 41), Qt.DefaultLocaleLongDate)
        question.open()
        shot(lang + "-recovery-question")
        question.close()
        closed(question)
        // Against the vendor library: a changed vendor material's pages, and the drawer.
        if (data.zh) {
            materials.checkVendorMaterials()
            materials.importVendorMaterials()
        }
        materials.selectMaterial(989791271) // the vendor's PETG
        tryCompare(stack(), "depth", 1)
        materials.setParameter(0, 245)
        materials.selectPrinter(-1)
        materials.selectNozzle(0.4)
        materials.setParameter(15, 44)
        materials.selectPrinter(-1000)
        tryCompare(stack(), "depth", 1)
        shot(lang + "-vendor-start-page")
        press("mapCell_-1_40")
        tryCompare(stack(), "busy", false)
        var mark = child("vendorMark_15")
        mouseMove(reach(mark), mark.width / 2, mark.height / 2)
        wait(800)
        shot(lang + "-vendor-params-tooltip")
        openFrom("materialButton", "drawer")
        shot(lang + "-vendor-drawer")
        key(Qt.Key_Escape)
        closed("drawer")
    }
}
