import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// A test case on the real main window, loaded from the resources as start-up loads it, with the
// gestures the scene tests share: they press, type and use keys as a user does.
TestCase {
    width: 1280
    height: 800
    when: windowShown && loader.status === Loader.Ready

    readonly property alias window: loader.item
    Loader { id: loader; source: "qrc:/main.qml" }

    // The window's root item holds the header, the pages and the popups; views make their
    // delegates when they next lay out, so look until it is there.
    function lookUp(name) { return findChild(window.contentItem.parent, name) || findChild(window, name) }
    function child(name) {
        tryVerify(function() { return lookUp(name) !== null }, 3000, "no " + name)
        return lookUp(name)
    }
    // Pressed where it is once the layouts around it have settled (a new text moves the buttons).
    function press(item) {
        item = typeof item === "string" ? child(item) : item
        for (var p = item; p; p = p.parent)
            waitForItemPolished(p)
        mouseClick(item)
        return item
    }
    function type(text) {
        for (var i = 0; i < text.length; ++i)
            keyClick(text.charAt(i))
    }
    // Presses the field; what is typed replaces its text.
    function retype(name, text) {
        var field = press(name)
        keySequence(StandardKey.SelectAll)
        keyClick(Qt.Key_Backspace)
        type(text)
        return field
    }
    function opened(name) {
        tryCompare(child(name), "opened", true)
        return child(name)
    }
    function closed(popup) { tryCompare(typeof popup === "string" ? child(popup) : popup, "visible", false) }
    // Shown and active, so that keys reach it; closing it only hides it.
    function showWindow() {
        window.show()
        window.requestActivate()
        tryCompare(window, "active", true)
    }
    function choose(button, menu, item) {
        press(button)
        opened(menu)
        press(item)
        closed(menu)
        tryCompare(child("stackView"), "busy", false)
    }
    function openDrawer() {
        press("materialButton")
        opened("drawer")
    }
    // The parameter page through the printer menu, a quality through its menu.
    function showParams(matID, printer, nozzle, layer, quality) {
        materials.selectMaterial(matID)
        choose("printerButton", "printerMenu", "printerItem_" + printer)
        materials.restoreSelection(matID, printer, nozzle, layer, -1)
        if (quality >= 0)
            choose("qualityButton", "qualityMenu", "qualityItem_" + quality)
        compare(child("stackView").depth, 2)
    }
    function message() {
        var box = child("messageDialog")
        return box.visible ? box.title + ": " + box.prompt : ""
    }
}
