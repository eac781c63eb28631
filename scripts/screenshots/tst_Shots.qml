import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// Screenshots of the real window for people to look at (not a test): run by scripts/screenshots
// under Xvfb, written to build/shots/. Each shot names the state it shows.
Item {
    width: 1280
    height: 800

    Loader { id: window; source: "qrc:/main.qml" }

    TestCase {
        name: "Shots"
        when: windowShown && window.status === Loader.Ready

        function lookUp(name) { return findChild(window.item.contentItem.parent, name) || findChild(window.item, name) }
        function child(name) {
            tryVerify(function() { return lookUp(name) !== null }, 3000, "no " + name)
            return lookUp(name)
        }
        function stack() { return child("stackView") }
        function shot(name) {
            wait(400)
            grabImage(window.item.contentItem.parent).save("build/shots/" + name + ".png")
        }
        function language(zh) {
            materials.curLanguage = zh ? 10 : 0
            return zh ? "zh" : "en"
        }
        function paramPage() {
            materials.selectMaterial(1001)
            mouseClick(child("printerButton"))
            tryCompare(child("printerMenu"), "opened", true)
            mouseClick(child("printerItem_10102"))
            tryCompare(stack(), "busy", false)
            materials.selectNozzle(0.4)
            materials.selectLayerThick(0.2)
        }
        function openField(id) {
            var field = child((id < 9 ? "basicField_" : "paramField_") + id)
            waitForRendering(field)
            mouseClick(field)
        }
        function closeDialogs() {
            var names = ["intInputDialog", "doubleInputDialog", "temperatureDialog", "speedDialog", "widthDialog"]
            for (var i = 0; i < names.length; ++i)
                findChild(window.item, names[i]).close()
            wait(300)
        }

        function initTestCase() {
            window.item.show()
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

        function test_shots_data() { return [{ tag: "en", zh: false }, { tag: "zh", zh: true }] }
        function test_shots(data) {
            var lang = language(data.zh)
            window.item.width = 1280
            window.item.height = 800
            paramPage()
            openField(16)
            shot(lang + "-dialog-off-grid")
            closeDialogs()
            openField(15)
            shot(lang + "-dialog-manifold")
            closeDialogs()
            openField(20)
            shot(lang + "-dialog-out-of-range")
            closeDialogs()
            // The longest names a record holds, at the smallest window.
            materials.addCopyMaterial(1001)
            materials.setMatNameAndManu(data.zh ? "聚乳酸高级丝绸彩虹色测" + "XY" : "Polylactide Premium Silk Rainbow",
                                        data.zh ? "科斯特罗纳材料科技有限公" + "Z" : "Kestrona Advanced Materials Ltd.", "")
            var id = materials.curMatID
            window.item.width = 1024
            window.item.height = 700
            materials.selectPrinter(10102)
            materials.selectNozzle(0.4)
            materials.selectLayerThick(0.2)
            materials.selectQuality(1)
            stack().push("qrc:/ParamGrid.qml")
            tryCompare(stack(), "busy", false)
            shot(lang + "-params-1024x700")
            stack().pop()
            tryCompare(stack(), "busy", false)
            shot(lang + "-start-1024x700")
            materials.removeMaterial(id)
            // The history in the ☰ menu after an edit, and the question after a crash.
            window.item.width = 1280
            window.item.height = 800
            paramPage()
            materials.setParameter(17, 66)
            mouseClick(child("optionsButton"))
            tryCompare(child("optionsMenu"), "opened", true)
            shot(lang + "-menu-undo")
            child("optionsMenu").close()
            tryCompare(child("optionsMenu"), "visible", false)
            var question = child("recoveryDialog")
            question.time = Qt.formatDateTime(new Date(2026, 11, 7, 9, 41), Qt.DefaultLocaleLongDate)
            question.open()
            shot(lang + "-recovery-question")
            question.close()
            tryCompare(question, "visible", false)
            // Against the vendor library: a changed vendor material's pages, and the drawer.
            if (!data.zh) {
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
            mouseClick(child("mapCell_-1_40"))
            tryCompare(stack(), "busy", false)
            mouseMove(child("vendorMark_15"))
            wait(800)
            shot(lang + "-vendor-params-tooltip")
            child("drawer").open()
            tryCompare(child("drawer"), "position", 1)
            shot(lang + "-vendor-drawer")
            child("drawer").close()
            tryCompare(child("drawer"), "position", 0)
        }
    }
}
