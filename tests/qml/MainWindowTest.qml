import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// A test case on the real main window, loaded from the resources as start-up loads it, with the
// gestures the scene tests share: they press, type and use keys as a user does, on what a user can
// reach, and read what is shown.
TestCase {
    width: 1280
    height: 800
    when: windowShown && loader.status === Loader.Ready && sceneReady
    // The window's flows and dialogs are made after its first frame; the tests start a moment after
    // they are there, not inside the change that says so.
    property bool sceneReady: false
    Connections {
        target: loader.item
        function onSceneReadyChanged() { Qt.callLater(function() { sceneReady = loader.item.sceneReady }) }
    }

    readonly property alias window: loader.item
    Loader { id: loader; source: "qrc:/main.qml" }

    // The window's root item holds the header, the pages and the popups; views make their
    // delegates when they next lay out, so look until it is there.
    function lookUp(name) { return findChild(window.contentItem.parent, name) || findChild(window, name) }
    function child(name) {
        tryVerify(function() { return lookUp(name) !== null }, 3000, "no " + name)
        return lookUp(name)
    }
    function itemOf(item) { return typeof item === "string" ? child(item) : item }
    // The item and the items around it, out to the window's root.
    function ancestors(item) { return item ? [item].concat(ancestors(item.parent)) : [] }
    function hasKeys(item) { return ancestors(window.activeFocusItem).indexOf(item) >= 0 }

    // Why a user could not reach the item at x, y of it (its centre by default), or "". It must be
    // seen with everything around it out to the window's root (a closed popup's items hang from a
    // hidden item, or from none); what is disabled can still be read; the topmost popup at the
    // point, or a modal one's dimmer, takes a press.
    function refusal(item, x, y, reading) {
        var chain = ancestors(item = itemOf(item))
        var at = item.mapToItem(null, x === undefined ? item.width / 2 : x, y === undefined ? item.height / 2 : y)
        var above = popupAt(at.x, at.y)
        return !item.visible || chain[chain.length - 1] !== window.contentItem.parent ? "not visible"
             : chain.some(p => p.opacity === 0) ? "transparent"
             : !item.enabled && !reading ? "disabled"
             : at.x < 0 || at.y < 0 || at.x >= window.width || at.y >= window.height ? "outside the window"
             : chain.some(p => p.clip && !p.contains(p.mapFromItem(null, at.x, at.y))) ? "scrolled out of view"
             : above && chain.indexOf(above) < 0 ? "covered by a popup" : ""
    }
    // The topmost item of the popup layer at a point of the window, as a press finds it; the focus
    // outline, which takes no press, aside.
    function popupAt(x, y) {
        var children = window.Overlay.overlay.children, top = null
        for (var i = 0; i < children.length; ++i) {
            var c = children[i]
            if (c.visible && c.objectName !== "focusFrame" && c.contains(c.mapFromItem(null, x, y)) && (!top || c.z >= top.z))
                top = c
        }
        return top
    }
    // Fails the test, naming the item and why, when a user could not reach it.
    function reach(item, x, y, reading) {
        var why = refusal(item = itemOf(item), x, y, reading)
        verify(why === "", (item.objectName || item.text || String(item)) + ": " + why)
        return item
    }
    // Pressed where it is once the layouts around it have settled (a new text moves the buttons).
    function press(item, x, y, modifiers) {
        ancestors(item = itemOf(item)).forEach(function (p) { waitForItemPolished(p) })
        mouseClick(reach(item, x, y), x, y, Qt.LeftButton, modifiers)
        return item
    }
    // Keys go to the item that has the keyboard, which must be one the user sees.
    function key(k, modifiers) {
        reach(window.activeFocusItem)
        keyClick(k, modifiers)
    }
    // A text, or a list of keys.
    function type(keys) { (typeof keys === "string" ? keys.split("") : keys).forEach(k => key(k)) }
    // Presses the field, which takes the keyboard; what is typed replaces its text.
    function retype(name, text) {
        var field = press(name)
        verify(hasKeys(field), name + ": the press gave it no keyboard")
        keySequence(StandardKey.SelectAll)
        key(Qt.Key_Backspace)
        type(text)
        return field
    }
    // The item, which has the keyboard, shows the focus outline where it lies.
    function outlined(item) {
        var frame = child("focusFrame")
        tryVerify(function() {
            var target = window.activeFocusItem, at = target.mapToItem(frame.parent, 0, 0)
            return hasKeys(itemOf(item)) && frame.visible && Math.abs(frame.x + 2 - at.x) < 1
                   && Math.abs(frame.y + 2 - at.y) < 1 && Math.abs(frame.width - 4 - target.width) < 1
        }, 5000, (item.objectName || item) + ": no outline around it")
    }
    // Tab until the item has the keyboard, as a user moves it there; then the key given, if any.
    function focusOn(item, k) {
        var why = refusal(item = itemOf(item))
        for (var tabs = 0; tabs < 60 && !why && !hasKeys(item); ++tabs)
            keyClick(Qt.Key_Tab)
        verify(!why && hasKeys(item), item.objectName + ": " + (why || "Tab does not get there"))
        // What Tab reached is outlined (not what a press gave the keyboard before).
        if (tabs > 0)
            outlined(item)
        if (k)
            key(k)
    }
    // What an item in sight shows: the property named, or its text as shown (a combo box's choice,
    // a password's dots, a field's placeholder while it is empty).
    function shown(item, property) {
        item = reach(item, undefined, undefined, true)
        var text = property ? item[property] : item.displayText !== undefined ? item.displayText : item.text
        return !property && text === "" && item.placeholderText ? item.placeholderText : text
    }

    // Every item shown, from the window's root (popups included), and where a user can see it.
    function seen(item, list) {
        list = list || []
        // What a modal popup covers is still in sight behind its dimmer.
        if (item && ["", "covered by a popup", "outside the window"].indexOf(refusal(item, undefined, undefined, true)) >= 0) {
            list.push(item)
            for (var i = 0; i < item.children.length; ++i)
                seen(item.children[i], list)
        }
        return list
    }
    // The shown texts that hold English words other than names, units and file paths: texts no
    // language file translated.
    readonly property var names: ["PLA", "KestRona", "PETG", "Tallow", "Orvik", "Solo", "pico", "pico2", "HULL",
                                  "Wren", "V9", "ID", "mm", "cvx", "Ctrl", "Shift", "Esc", "Corvane", "Kestrona"]
    function untranslated() {
        var found = []
        seen(window.contentItem.parent).forEach(function (item) {
            var text = typeof item.text === "string" ? item.text : ""
            var words = text.replace(/\S*[\/.]\S*/g, "").match(/[A-Za-z][A-Za-z0-9]+/g) || []
            if (words.some(w => names.indexOf(w) < 0))
                found.push((item.objectName || String(item).split("_")[0]) + ": " + text)
        })
        return found.filter((t, i) => found.indexOf(t) === i)
    }
    // The controls shown that reach outside the window, wholly or in part: what is scrolled away
    // counts only when the view itself does not fit.
    function outsideTheWindow() {
        return seen(window.contentItem.parent).filter(function (item) {
            // Within a view, the view is what must fit.
            if (item.focusPolicy === undefined && item.echoMode === undefined && item.contentY === undefined
                || ancestors(item.parent).some(p => p.clip))
                return false
            var r = item.mapToItem(null, 0, 0)
            return r.x < -0.5 || r.y < -0.5 || r.x + item.width > window.width + 0.5
                   || r.y + item.height > window.height + 0.5
        }).map(item => (item.objectName || String(item).split("_")[0]) + " at " + Math.round(item.mapToItem(null, 0, 0).x)
               + "," + Math.round(item.mapToItem(null, 0, 0).y) + " " + Math.round(item.width) + "×" + Math.round(item.height))
    }

    function opened(popup) {
        tryCompare(popup = itemOf(popup), "opened", true)
        return popup
    }
    function closed(popup) { tryCompare(itemOf(popup), "visible", false) }
    function openFrom(button, popup) {
        press(button)
        return opened(popup)
    }
    // Chooses an entry of a combo box from its list, as a user with a mouse does.
    function pick(combo, index) {
        press(openFrom(combo, combo.popup).contentItem.itemAtIndex(index))
        closed(combo.popup)
    }
    // Presses one of a dialog's own buttons, which closes it.
    function answer(dialog, button) {
        press(opened(dialog).standardButton(button))
        closed(dialog)
    }
    function choose(button, menu, item) {
        openFrom(button, menu)
        press(item)
        closed(menu)
        tryCompare(child("stackView"), "busy", false)
    }
    // An item of ☰, or of one of its submenus ("compareMenu/tableItem").
    function chooseOption(path) {
        var names = path.split("/")
        var menu = openFrom("optionsButton", "optionsMenu")
        for (var i = 0; names.length > 1 && i < menu.count; ++i) {
            if (menu.itemAt(i).subMenu && menu.itemAt(i).subMenu.objectName === names[0])
                press(menu.itemAt(i))
        }
        if (names.length > 1)
            opened(names[0])
        press(names[names.length - 1])
        closed(menu)
        tryCompare(child("stackView"), "busy", false)
    }
    // Closes the popups named that a failed test may have left open, as Escape does (a dialog is
    // rejected): they would take the presses meant for the window.
    function closeAll(names) {
        names.map(lookUp).forEach(function (p) { if (p && p.visible) p.reject ? p.reject() : p.close() })
        names.map(lookUp).forEach(function (p) { if (p) closed(p) })
    }
    // Shown and active, so that keys reach it; closing it only hides it.
    function showWindow() {
        window.show()
        window.requestActivate()
        tryCompare(window, "active", true)
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
    // The message box's title and text as shown, "" while it is closed.
    function message() {
        var box = child("messageDialog")
        return box.visible ? shown(opened(box).header) + ": " + shown("messagePrompt") : ""
    }
}
