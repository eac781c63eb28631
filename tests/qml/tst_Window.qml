import QtQuick 2.12
import QtTest 1.2

// The real main window, loaded from the resources as start-up loads it, driven through its
// controls: navigation between the pages, the drawer and the lock.
Item {
    id: root
    width: 1280
    height: 800

    Loader {
        id: window
        source: "qrc:/main.qml"
    }

    TestCase {
        id: test
        name: "Window"
        when: window.status !== Loader.Loading

        property var stack

        // The window's root item holds the header, the pages and the popups; views make their
        // delegates when they next lay out, so look until it is there.
        function lookUp(name) {
            return findChild(window.item.contentItem.parent, name) || findChild(window.item, name)
        }
        function child(name) {
            tryVerify(function() { return lookUp(name) !== null }, 3000, "no " + name)
            return lookUp(name)
        }

        // The controls' own signals, as a click or a press emits them.
        function click(name) {
            child(name).clicked()
        }
        function press(name) {
            child(name).pressed(null)
        }

        function choosePrinter(typeID) {
            click("printerButton")
            tryCompare(child("printerMenu"), "opened", true)
            child("printerItem_" + typeID).triggered()
            child("printerMenu").close()
            tryCompare(child("printerMenu"), "visible", false)
        }

        function openDrawer() {
            child("drawer").open()
            tryCompare(child("drawer"), "position", 1)
        }

        function chooseMaterialFromDrawer(matID) {
            openDrawer()
            press("materialField_" + matID)
        }

        function initTestCase() {
            compare(window.status, Loader.Ready)
            // A window made by a Loader is not shown by itself.
            window.item.show()
            tryCompare(window.item, "visible", true)
            window.item.width = 1280
            window.item.height = 800
            stack = child("stackView")
            materials.importMaterials(fixtureLibrary, false)
        }

        function init() {
            child("drawer").close()
            tryCompare(child("drawer"), "position", 0)
            materials.selectMaterial(1001)
            while (stack.depth > 1)
                stack.pop(null)
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

        function test_printerMenuShowsTheParameterPageOnce() {
            compare(stack.depth, 1)
            choosePrinter(10102)
            compare(stack.depth, 2)
            choosePrinter(10102)
            compare(stack.depth, 2)
            verify(child("paramField_15") !== null)
        }

        function test_aPrinterTextWithADashLeavesTheParameterPage() {
            choosePrinter(10102)
            compare(stack.depth, 2)
            materials.selectPrinter(-1000)
            compare(stack.depth, 1)
        }

        function test_choosingAMaterialReturnsToTheStartPage() {
            choosePrinter(10102)
            chooseMaterialFromDrawer(1002)
            compare(stack.depth, 1)
            compare(materials.curMatID, 1002)
            tryCompare(child("drawer"), "position", 0)
        }

        function test_drawerRowsAreCutTo24Characters() {
            materials.setMatNameAndManu("A name long enough to cut", "Maker", "")
            openDrawer()
            compare(child("materialField_1001").text, "A name long enough to cu")
        }

        function test_lockedRowsOpenNoDialog() {
            materials.selectMaterial(1002) // locked with a password
            compare(materials.bMatLocked, 1)
            compare(child("editButton_0").text, "⚔")
            press("basicField_0")
            compare(child("temperatureDialog").opened, false)
            materials.selectMaterial(1001)
            compare(child("editButton_0").text, "✎")
            press("basicField_0")
            tryCompare(child("temperatureDialog"), "opened", true)
            child("temperatureDialog").reject()
            tryCompare(child("temperatureDialog"), "opened", false)
        }

        function test_removingFromTheDrawerIsImmediate() {
            materials.addCopyMaterial(1001)
            var copyID = materials.curMatID
            openDrawer()
            click("removeMaterial_" + copyID)
            tryVerify(function() { return lookUp("materialField_" + copyID) === null })
            child("drawer").close()
        }

        // A language switch reads every text on screen again at once: the scene's, the library's
        // and the models'.
        function test_languageSwitchReadsEveryTextAgain() {
            choosePrinter(10102)
            materials.curLanguage = 10
            compare(child("nozzleButton").text, "⩢ -喷嘴-")
            compare(child("backButton").text, "◀ 基本信息")
            compare(child("importItem").text, "导入")
            compare(child("paramField_15").placeholderText, "多个值")
            tryVerify(function() { return lookUp("paramField_15").parent.children[0].text === "轮廓速度: " })
            materials.curLanguage = 0
            compare(child("importItem").text, "Import")
            compare(child("nozzleButton").text, "⩢ -Nozzle-")
        }

        // The next start goes back to where the user left off, as far as it still exists.
        function test_lastSessionIsRestored_data() {
            return [
                { tag: "the whole selection and its page", matID: 1001, quality: "Fine", depth: 2 },
                { tag: "a material that is gone", matID: 999, quality: "----", depth: 1 }
            ]
        }
        function test_lastSessionIsRestored(data) {
            choosePrinter(10102)
            materials.selectNozzle(0.4)
            materials.selectLayerThick(0.2)
            materials.selectQuality(1)
            window.item.rememberSession()
            chooseMaterialFromDrawer(1002)
            tryCompare(stack, "depth", 1)
            if (data.matID === 999)
                findChild(window.item, "lastSession").matID = 999
            window.item.restoreSession()
            compare(materials.curMatID, data.matID === 999 ? 1002 : 1001)
            compare(materials.curQuality, data.quality)
            tryCompare(stack, "depth", data.depth)
        }

        // The start page's map goes into the cascade as the menus do; a value changed from the
        // vendor's is marked, and its mark puts the vendor's value back. Named to run last: it
        // loads the vendor library, whose "PLA" takes the place of the fixture's.
        function test_zVendorMarkAndMapCell() {
            materials.checkVendorMaterials()
            materials.importVendorMaterials()
            chooseMaterialFromDrawer(989791271) // the vendor's "PETG"
            tryCompare(child("drawer"), "visible", false)
            // The map of the material shown before is replaced as the view settles.
            tryVerify(function() { var c = lookUp("mapCell_-1_40"); return c && c.count > 0 && materials.curMatID === 989791271 })
            tryCompare(stack, "busy", false)
            waitForRendering(stack)
            mouseClick(child("mapCell_-1_40"))
            tryCompare(stack, "depth", 2)
            tryCompare(stack, "busy", false)
            compare(materials.curPrinter, "Default")
            compare(materials.curNozzle, "Dia: 0.40 ")
            materials.selectLayerThick(0.2)
            materials.selectQuality(0)
            var vendorSpeed = materials.valueSpread(15).min
            materials.setParameter(15, vendorSpeed + 9)
            var mark = child("vendorMark_15")
            tryCompare(mark, "opacity", 1)
            compare(mark.tip, "Vendor: " + vendorSpeed + " mm/s")
            mouseClick(mark)
            compare(materials.valueSpread(15).min, vendorSpeed)
            tryVerify(function() { var m = lookUp("vendorMark_15"); return m && m.opacity === 0 })
            compare(materials.undoText, "Undo reset Contour Speed of PETG to the vendor's")
        }
    }
}
