import QtQuick 2.12
import QtQuick.Window 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.12
import QtQuick.Layouts 1.12
import Qt.labs.settings 1.0
import PrintSet 1.0

ApplicationWindow {
    id: window
    visible: true
    width: 1280
    height: 800
    // Below this, the pages and the tool bar could no longer show every value whole.
    // Small screens (800×600, or 1366×768 at 125 %) hold the whole window.
    minimumWidth: 800
    minimumHeight: 560
    // The material and whether the library has changes that are not saved, as editors show it.
    title: materials.curMatName === "" ? qsTr("Corvane")
           : qsTr("Corvane") + " — " + materials.curMatName + " (" + materials.curManu + ")" + (materials.modified ? " •" : "")

    // Closing with unsaved changes asks first; once the user has answered, the window closes.
    property bool closeAnswered: false
    onClosing: {
        if (materials.modified && !closeAnswered) {
            close.accepted = false
            saveFlow.askBeforeClosing()
            return
        }
        // Saved, discarded or nothing unsaved: the recovery copy has served. Quitting before the
        // library is loaded keeps the last session's place as it was.
        materials.endCleanly()
        if (!materials.loading)
            rememberSession()
    }

    // Where the user left off, kept in the configuration folder: the next start goes back there.
    Settings {
        id: lastSession
        objectName: "lastSession"
        category: "LastSession"
        property int matID: -1
        property int printer: -1000
        property real nozzle: -1
        property real layer: -1
        property int quality: -1
        property int page: 0
    }
    function rememberSession() {
        var selection = materials.currentSelection()
        lastSession.matID = selection.matID
        lastSession.printer = selection.printer
        lastSession.nozzle = selection.nozzle
        lastSession.layer = selection.layer
        lastSession.quality = selection.quality
        lastSession.page = stackView.depth === 2 ? 1 : 0
    }
    function restoreSession() {
        if (lastSession.matID === -1)
            return
        materials.restoreSelection(lastSession.matID, lastSession.printer, lastSession.nozzle, lastSession.layer,
                                   lastSession.quality)
        tryShowPage(lastSession.page)
    }

    // The window's keys; the drawer has the same set while it is open, since a modal popup keeps
    // the window's own shortcuts from firing.
    Component {
        id: windowKeys
        Item {
            property bool active: true
            // What needs the whole library waits until it is loaded.
            Shortcut { enabled: active && !materials.loading; sequence: StandardKey.Save; onActivated: saveLibrary() }
            Shortcut { enabled: active && !materials.loading; sequence: "Ctrl+O"; onActivated: importFlow.chooseFile() }
            Shortcut { enabled: active && !materials.loading; sequence: "Ctrl+E"; onActivated: exportFlow.start() }
            Shortcut { enabled: active; sequence: "Ctrl+Q"; onActivated: window.close() }
            Shortcut { enabled: active; sequences: [StandardKey.Undo]; onActivated: materials.undo() }
            Shortcut { enabled: active; sequences: ["Ctrl+Shift+Z", "Ctrl+Y"]; onActivated: materials.redo() }
        }
    }
    Loader { sourceComponent: windowKeys; onLoaded: item.active = Qt.binding(function() { return sceneReady && !drawer.opened && !paramTable.opened }) }

    // An undo or redo shows what it changed: its material and cascade are selected again by the
    // library; the page of the step is shown here.
    Connections {
        target: materials
        function onHistoryApplied(page) {
            tryShowPage(page)
        }
        // The last session's material came in with a piece of a load in progress.
        function onSelectionRestored() {
            tryShowPage(lastSession.page)
        }
        function onLoadingChanged() {
            Qt.callLater(askWhenComplete)
        }
        function onHistoryRefused(reason) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = reason
            messageDialog.open()
        }
    }
    // What the printer menu does, and the map of print sets too.
    function choosePrinter(typeID) {
        materials.selectPrinter(typeID)
        if (stackView.depth === 1)
            stackView.push(paramPage)
        console.log("Stack view depth: " + stackView.depth)
    }
    // Back to the material's start page, keeping the selection.
    function showStartPage() {
        if (stackView.depth === 2)
            stackView.pop()
    }
    // Each sequence once: on Linux the standard Back is Alt+Left, and a sequence given twice makes
    // the shortcut ambiguous, so that it never fires.
    Shortcut { sequences: ["Alt+Left", "Back"]; onActivated: showStartPage() }

    // The parameter page needs a printer; without one, the start page.
    function tryShowPage(page) {
        drawer.close()
        if (page === 1 && materials.curPrinter.charAt(0) !== "-") {
            if (stackView.depth === 1)
                stackView.push(paramPage)
        } else if (stackView.depth === 2) {
            stackView.pop()
        }
    }

    // A menu of the tool bar, made when it is first opened: the first frame waits for none of them.
    function menuOf(button, maker) {
        if (!button.menu)
            button.menu = maker.createObject(button)
        return button.menu
    }
    // What resetting the current material would do, asked when the ☰ menu opens (it looks through
    // the whole library); its item and the question after it read it.
    property var resetPreview: ({})
    property string resetName

    // The last session's place (shown once its material is read), then the questions of a start,
    // which wait for the whole library: a restore replaces it, its notes are of all of it.
    Component.onCompleted: {
        restoreSession()
    }

    // The application's flows, each in its own file (made with the dialogs, below); the window
    // keeps what the scene shares.
    function importFiles(files) { importFlow.importFiles(files) }
    // A local file's URL, or a path, as the path a user reads.
    function pathOf(url) { return decodeURIComponent(String(url).replace(/^file:\/\//, "")) }
    function fileNameOf(url) {
        var path = pathOf(url)
        return path.substring(path.lastIndexOf("/") + 1)
    }
    // Returns whether the library was saved.
    function saveLibrary() { return saveFlow.saveLibrary() }

    // P: the pixel size of the default font; sizes are given as multiples of it.
    readonly property real fontP: window.font.pixelSize > 0 ? window.font.pixelSize : 14

    // Cold to hot: the gauges' colour scale.
    readonly property var colorMap: ["#000E89", "#001FE5", "#1B55F5", "#54BDF9", "#78FBE0",
                                     "#AAFB82", "#F2FC55", "#F4B13E", "#EB5027", "#FC2B1D"]

    function getColorByValue(val, min, max) {
        console.log("Cal color: " + val + " " + min + " " + max)
        var s = max > min ? Math.round(9 * (val - min) / (max - min)) : 9
        s = Math.max(0, Math.min(9, s))
        return colorMap[s]
    }

    // The dialog for each kind of row (ParamItem::Type).
    readonly property var dialogOfKind: ({ 1: intInputDialog, 2: doubleInputDialog, 4: temperatureDialog,
                                           5: speedDialog, 6: speedDialog, 7: widthDialog })
    // What a dialog needs of a page's row, taken when it opens: the view's row goes with its next
    // reset, while the dialog is open.
    readonly property var rowRoles: ["paramID", "paramType", "paramFlag", "paramVal", "paramDesc", "paramUnit",
                                     "minVal", "maxVal", "safeVal", "editStep", "tickStep", "labelStep"]
    function rowOf(model) {
        var row = {}
        rowRoles.forEach(function (role) { row[role] = model[role] })
        return row
    }

    // A value as the pages show it: at least minPlaces decimals, and up to three where the stored
    // value has them (0.425 is not shown as 0.42).
    function valueText(v, minPlaces, locale) {
        var places = minPlaces
        while (places < 3 && Math.abs(v * Math.pow(10, places) - Math.round(v * Math.pow(10, places))) > 1e-6)
            ++places
        return locale ? Number(v).toLocaleString(locale, 'f', places) : Number(v).toFixed(places)
    }

    // The page field that started an edit gets the keyboard back when the dialog closes.
    property Item editOrigin: null
    function returnFocusAfterEdit() {
        if (editOrigin)
            editOrigin.forceActiveFocus()
    }

    // A locked material asks for its password where the user tries to change it.
    function askUnlock() {
        unlockDialog.open()
    }

    // Starts editing the row of a page's cell in the dialog of its kind; a locked material asks
    // for its password first.
    function beginEdit(model, origin) {
        if (model.paramFlag & 2) {
            askUnlock()
            return
        }
        var dialog = dialogOfKind[model.paramType]
        if (!dialog)
            return
        editOrigin = origin || null
        dialog.edit(rowOf(model))
    }

    // Selecting a material from the drawer goes back to the start page.
    function chooseMaterial(matID) {
        drawer.close()
        if (stackView.depth === 2)
            stackView.pop()
        else if (stackView.depth === 0)
            stackView.push(basicPage)
        materials.selectMaterial(matID)
    }

    header: ToolBar {
        contentHeight: materialButton.implicitHeight
        font.capitalization: Font.Capitalize

        RowLayout {
            anchors.fill: parent
            spacing: 5

            BarButton {
                id: materialButton
                objectName: "materialButton"
                enabled: sceneReady
                text: "❁ " + (materials.curMatName === "" && materials.loading ? qsTr("Loading…") : materials.curMaterial)
                font.pixelSize: fontP * 1.6
                // Names as stored: the bar's capitalisation is for its own words.
                font.capitalization: Font.MixedCase
                // The material's name gives way first: the selection texts are values.
                shortestWidth: Math.min(implicitWidth, fontP * 8)
                onClicked: drawer.open()
            }
            ToolSeparator {}
            BarButton {
                id: printerButton
                property var menu: null
                objectName: "printerButton"
                text: "⏍ " + materials.curPrinter
                font.pixelSize: fontP * 1.4
                onClicked: menuOf(printerButton, printerMenuMaker).open()
                // A printer text that begins with "-" means none is chosen: leave the parameters.
                onTextChanged: {
                    if (materials.curPrinter.charAt(0) === "-" && stackView.depth === 2)
                        stackView.pop()
                }
                Component {
                    id: printerMenuMaker
                    Menu {
                        id: printerMenu
                        objectName: "printerMenu"
                        title: "Printer Menu"
                        y: parent.height
                        Instantiator {
                            model: PrinterTypeModel { mats: materials }
                            delegate: MenuItem {
                                objectName: "printerItem_" + typeID
                                text: name
                                onTriggered: choosePrinter(typeID)
                            }
                            onObjectAdded: printerMenu.insertItem(index, object)
                            onObjectRemoved: printerMenu.removeItem(object)
                        }
                    }
                }
            }
            BarButton {
                id: nozzleButton
                property var menu: null
                objectName: "nozzleButton"
                text: "⩢ " + materials.curNozzle
                font.pixelSize: fontP * 1.3
                onClicked: if (materials.curNozzle !== "----") menuOf(nozzleButton, nozzleMenuMaker).open()
                Component {
                    id: nozzleMenuMaker
                    Menu {
                        id: nozzleMenu
                        objectName: "nozzleMenu"
                        title: "Nozzle menu"
                        y: parent.height
                        Instantiator {
                            model: NozzleDiaModel { mats: materials }
                            delegate: MenuItem {
                                objectName: "nozzleItem_" + index
                                text: strDia
                                onTriggered: materials.selectNozzle(dDia)
                            }
                            onObjectAdded: nozzleMenu.insertItem(index, object)
                            onObjectRemoved: nozzleMenu.removeItem(object)
                        }
                        // After the nozzles, which the library's list puts before it.
                        MenuSeparator {}
                        MenuItem {
                            objectName: "deriveNozzleItem"
                            text: qsTr("Make print sets for another nozzle…")
                            font.capitalization: Font.MixedCase
                            enabled: sceneReady && materials.curNozzle.charAt(0) !== "-"
                            onTriggered: deriveDialog.start(false)
                        }
                    }
                }
            }
            BarButton {
                id: layerButton
                property var menu: null
                objectName: "layerButton"
                text: " ≣ " + materials.curLayerThick
                font.pixelSize: fontP * 1.3
                onClicked: if (materials.curLayerThick !== "----") menuOf(layerButton, layerMenuMaker).open()
                Component {
                    id: layerMenuMaker
                    Menu {
                        id: layerMenu
                        objectName: "layerMenu"
                        title: "Layer menu"
                        y: parent.height
                        Instantiator {
                            model: LayerThickModel { mats: materials }
                            delegate: MenuItem {
                                objectName: "layerItem_" + index
                                text: strThick
                                onTriggered: materials.selectLayerThick(dThick)
                            }
                            onObjectAdded: layerMenu.insertItem(index, object)
                            onObjectRemoved: layerMenu.removeItem(object)
                        }
                        MenuSeparator {}
                        MenuItem {
                            objectName: "deriveLayerItem"
                            text: qsTr("Make print sets for another layer thickness…")
                            font.capitalization: Font.MixedCase
                            enabled: materials.curLayerThick.charAt(0) !== "-"
                            onTriggered: deriveDialog.start(true)
                        }
                    }
                }
            }
            BarButton {
                id: qualityButton
                property var menu: null
                objectName: "qualityButton"
                text: "⚖ " + materials.curQuality
                font.pixelSize: fontP * 1.3
                onClicked: if (materials.curQuality !== "----") menuOf(qualityButton, qualityMenuMaker).open()
                Component {
                    id: qualityMenuMaker
                    Menu {
                        id: qualityMenu
                        objectName: "qualityMenu"
                        title: "Quality menu"
                        y: parent.height
                        Instantiator {
                            model: QualityModel { mats: materials }
                            delegate: MenuItem {
                                objectName: "qualityItem_" + qualityID
                                text: name
                                onTriggered: materials.selectQuality(qualityID)
                            }
                            onObjectAdded: qualityMenu.insertItem(index, object)
                            onObjectRemoved: qualityMenu.removeItem(object)
                        }
                    }
                }
            }
            Item {
                Layout.fillWidth: true
            }

            BarButton {
                id: optionsButton
                property var menu: null
                Layout.fillWidth: false
                objectName: "optionsButton"
                text: "☰"
                enabled: sceneReady
                onClicked: menuOf(optionsButton, optionsMenuMaker).open()
                Component {
                    id: optionsMenuMaker
                    Menu {
                        id: optionsMenu
                        objectName: "optionsMenu"
                        y: parent.height
                        font.pixelSize: fontP
                        // Wide enough for the steps' names, which keep their letter case.
                        width: Math.max(implicitWidth, fontP * 30)
                        font.capitalization: Font.MixedCase
                        MenuItem {
                            objectName: "undoItem"
                            text: materials.undoText
                            enabled: materials.canUndo
                            onTriggered: materials.undo()
                        }
                        MenuItem {
                            objectName: "redoItem"
                            text: materials.redoText
                            enabled: materials.canRedo
                            onTriggered: materials.redo()
                        }
                        MenuSeparator {}
                        // Asked when the menu opens: both look through the whole library.
                        onAboutToShow: {
                            resetPreview = materials.vendorResetPreview()
                            resetName = materials.curMatName
                            bringBackItem.count = materials.removedVendorCount()
                        }
                        MenuItem {
                            id: resetItem
                            objectName: "resetItem"
                            readonly property var preview: resetPreview
                            readonly property string name: resetName
                            text: (preview.parent || "") === "" ? qsTr("Reset %1 to the vendor's…").arg(name)
                                                                : qsTr("Reset %1 to the values of %2…").arg(name).arg(preview.parent)
                            enabled: preview.available === true || (preview.refusal || "") !== ""
                            onTriggered: {
                                if (preview.available === true) {
                                    vendorDialogs.reset()
                                    return
                                }
                                messageDialog.title = qsTr("Reset to the vendor's")
                                messageDialog.prompt = preview.refusal
                                messageDialog.open()
                            }
                        }
                        MenuItem {
                            id: bringBackItem
                            objectName: "bringBackItem"
                            property int count: 0
                            text: qsTr("Bring back removed vendor materials (%1)").arg(count)
                            enabled: count > 0
                            onTriggered: {
                                var plan = materials.bringBackPreview()
                                if (plan.renames.length === 0 && plan.blocked.length === 0) {
                                    vendorDialogs.bringBack()
                                    return
                                }
                                vendorDialogs.askBringBack(plan)
                            }
                        }
                        MenuSeparator {}
                        // Other views of the current material: beside a second one (of the library or
                        // of a file), one value over the printer's print sets, and its print sets made
                        // for another nozzle or layer; a submenu, so that the menu still fits the
                        // smallest window.
                        Menu {
                            objectName: "compareMenu"
                            title: qsTr("Views")
                            enabled: materials.curMatName !== ""
                            MenuItem {
                                objectName: "compareItem"
                                text: qsTr("Compare with…")
                                enabled: !materials.loading
                                onTriggered: compareFlow.chooseFromLibrary()
                            }
                            MenuItem {
                                objectName: "compareFileItem"
                                text: qsTr("Compare with a material in a file…")
                                enabled: !materials.loading
                                onTriggered: compareFlow.chooseFile()
                            }
                            MenuItem {
                                objectName: "tableItem"
                                text: qsTr("Table of a value…")
                                enabled: materials.curPrinter.charAt(0) !== "-"
                                onTriggered: showTable(paramTable.paramID)
                            }
                            MenuItem {
                                objectName: "adviceItem"
                                text: qsTr("Check this material…")
                                onTriggered: adviceView.show()
                            }
                            // The current print sets made for another nozzle or layer: here, as ☰ itself
                            // is full at the smallest window.
                            MenuSeparator {}
                            MenuItem {
                                objectName: "deriveNozzleOption"
                                text: qsTr("Make print sets for another nozzle…")
                                enabled: materials.curNozzle.charAt(0) !== "-"
                                onTriggered: deriveDialog.start(false)
                            }
                            MenuItem {
                                objectName: "deriveLayerOption"
                                text: qsTr("Make print sets for another layer thickness…")
                                enabled: materials.curLayerThick.charAt(0) !== "-"
                                onTriggered: deriveDialog.start(true)
                            }
                        }
                        MenuSeparator {}
                        MenuItem { objectName: "importItem"; text: qsTr("Import"); enabled: !materials.loading; onTriggered: importFlow.chooseFile() }
                        MenuItem { objectName: "exportItem"; text: qsTr("Export"); enabled: !materials.loading; onTriggered: exportFlow.start() }
                        MenuItem {
                            objectName: "saveItem"
                            text: materials.readOnlyReason === "" ? qsTr("Save") : qsTr("Save") + " — " + qsTr("off: %1").arg(materials.readOnlyReason)
                            enabled: materials.readOnlyReason === "" && !materials.loading
                            onTriggered: saveLibrary()
                        }
                        // Where a user looks for it, besides About.
                        Menu {
                            objectName: "languageMenu"
                            title: qsTr("Language")
                            MenuItem {
                                objectName: "englishItem"
                                text: (materials.curLanguage !== 10 && materials.curLanguage !== 11 ? "✔ " : "    ") + "English"
                                onTriggered: materials.curLanguage = 0
                            }
                            MenuItem {
                                objectName: "chineseItem"
                                text: (materials.curLanguage === 10 || materials.curLanguage === 11 ? "✔ " : "    ") + "中文"
                                onTriggered: materials.curLanguage = 10
                            }
                        }
                        MenuItem { objectName: "aboutItem"; text: qsTr("About"); onTriggered: { aboutDialog.open() } }
                    }
                }
            }
        }
        // How far the library's load is, along the bar's foot, while it goes on.
        ProgressBar {
            objectName: "loadProgress"
            visible: materials.loading
            value: materials.loadProgress
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
        }
    }

    Drawer {
        id: drawer
        objectName: "drawer"
        width: 360
        height: window.height
        edge: Qt.LeftEdge
        interactive: sceneReady
        onOpened: materialList.focusSearch()
        // Made after the first frame, with the flows and dialogs: a list of many rows costs the
        // first frame more than the rest of the page.
        Loader {
            id: drawerList
            anchors.fill: parent
            asynchronous: true
            active: later.active
            source: "MaterialList.qml"
        }
        Loader { sourceComponent: windowKeys; onLoaded: item.active = Qt.binding(function() { return sceneReady && drawer.opened }) }
    }

    Component {
        id: basicPage
        BasicInfo {}
    }
    Component {
        id: paramPage
        ParamGrid {}
    }

    StackView {
        id: stackView
        objectName: "stackView"
        anchors.fill: parent
        initialItem: basicPage
    }

    // The file chooser opens where a file was last chosen, and offers the last folders files were
    // chosen in, newest first.
    Settings {
        id: fileSettings
        category: "Files"
        property url folder: ""
        property var recentFolders: []
    }

    // The 2-pixel accent outline around the control that has the keyboard, over pages and popups
    // alike, while the keyboard is in use; around a field that takes typing always.
    Rectangle {
        id: focusFrame
        objectName: "focusFrame"
        parent: Overlay.overlay
        z: 1e6
        color: "transparent"
        border.width: 2
        border.color: Material.accent
        radius: 2
        property Item target: window.activeFocusItem
        visible: target !== null && marks(target)
        // Not the window or a popup as a whole.
        function marks(item) {
            if (item === window.contentItem || String(item).indexOf("QQuickPopupItem") === 0 || item.width <= 0)
                return false
            return KeyboardUse.active || item.cursorPosition !== undefined && !item.readOnly
        }
        // Follows the control as pages slide and views scroll.
        function place() {
            if (!visible)
                return
            var at = target.mapToItem(parent, 0, 0)
            x = at.x - 2
            y = at.y - 2
            width = target.width + 4
            height = target.height + 4
        }
        onTargetChanged: place()
        onVisibleChanged: place()
        Connections {
            target: window
            function onAfterAnimating() { focusFrame.place() }
        }
    }

    // A short note of what Save or Export did, which fades by itself.
    Popup {
        id: toast
        objectName: "toast"
        property alias text: toastLabel.text
        x: (parent.width - width) / 2
        y: parent.height - height - fontP * 4
        closePolicy: Popup.NoAutoClose
        padding: fontP
        enter: Transition { NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 150 } }
        exit: Transition { NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 800 } }
        background: Rectangle { color: "#323232"; radius: 4 }
        // Offered only while the step it undoes is the last one.
        property bool undoable: false
        Row {
            spacing: fontP
            Label {
                id: toastLabel
                objectName: "toastText"
                color: "white"
                width: Math.min(implicitWidth, window.width * 0.7)
                wrapMode: Text.WrapAnywhere
                anchors.verticalCenter: parent.verticalCenter
            }
            Button {
                objectName: "toastUndo"
                visible: toast.undoable
                flat: true
                text: qsTr("Undo")
                onClicked: {
                    toast.undoable = false
                    toast.close()
                    materials.undo()
                }
            }
        }
        Timer { id: toastTimer; interval: 3500; onTriggered: toast.close() }
        Connections {
            target: materials
            // A note in the language it was written in would stand out after a switch.
            function onLanguageChanged() { toast.close() }
            function onHistoryChanged() {
                if (toast.undoable) {
                    toast.undoable = false
                    toast.close()
                }
            }
        }
    }
    function showToast(text) {
        toast.undoable = false
        toastTimer.interval = 3500
        toast.text = text
        toast.open()
        toastTimer.restart()
    }
    // A note of a step done at once, with the way back: "Removed TPE 85A — Undo".
    function showUndoToast(text) {
        toast.text = text + " —"
        toast.open()
        toast.undoable = true
        toastTimer.interval = 6000
        toastTimer.restart()
    }

    // A message of any length: a long one scrolls instead of being cut.
    Question {
        id: messageDialog
        objectName: "messageDialog"
        property alias prompt: promptLabel.text
        preferredWidth: 560
        height: Math.min(window.height - 40, Math.max(240, promptLabel.implicitHeight + fontP * 10))
        title: "Set title"
        standardButtons: Dialog.Ok
        Flickable {
            id: promptView
            objectName: "promptView"
            anchors.fill: parent
            clip: true
            contentWidth: width
            contentHeight: Math.max(height, promptLabel.implicitHeight)
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar { policy: promptView.contentHeight > promptView.height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded }
            Label {
                id: promptLabel
                objectName: "messagePrompt"
                width: promptView.width - fontP
                height: promptView.contentHeight
                text: "set prompt"
                font.pixelSize: fontP * 1.2
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
        onAboutToShow: promptView.contentY = 0
    }

    // The flows and the dialogs, made after the window's first frame, while the user looks at it:
    // a start waits for none of them. Until they are there, nothing that opens one is offered
    // (sceneReady), and the questions of a start wait for them.
    readonly property bool sceneReady: later.status === Loader.Ready && drawerList.status === Loader.Ready
    property var materialList: drawerList.item
    // The questions of a start, once, when both the library and the window are complete.
    onSceneReadyChanged: Qt.callLater(askWhenComplete)
    function askWhenComplete() {
        if (sceneReady && !materials.loading && !startup.asked)
            startup.ask()
    }
    // Called while the first frame is made: what is queued now runs once it is out.
    onAfterAnimating: if (!later.active) Qt.callLater(makeTheRest)
    // The first frame shows the tool bar and the top of the start page; the page's values and its
    // map come in the next one, the flows and dialogs over the frames after it.
    property bool firstFrameOut: false
    function makeTheRest() {
        firstFrameOut = true
        later.active = true
    }
    Loader {
        id: later
        anchors.fill: parent
        asynchronous: true
        active: false
        source: "Later.qml"
    }
    property var saveFlow: later.item ? later.item.saveFlow : null
    property var importFlow: later.item ? later.item.importFlow : null
    property var exportFlow: later.item ? later.item.exportFlow : null
    property var vendorDialogs: later.item ? later.item.vendorDialogs : null
    property var compareFlow: later.item ? later.item.compareFlow : null
    property var unlockDialog: later.item ? later.item.unlockDialog : null
    property var intInputDialog: later.item ? later.item.intInputDialog : null
    property var doubleInputDialog: later.item ? later.item.doubleInputDialog : null
    property var temperatureDialog: later.item ? later.item.temperatureDialog : null
    property var speedDialog: later.item ? later.item.speedDialog : null
    property var widthDialog: later.item ? later.item.widthDialog : null
    property var aboutDialog: later.item ? later.item.aboutDialog : null
    property var bulkPreview: later.item ? later.item.bulkPreview : null
    property var paramTable: later.item ? later.item.paramTable : null
    property var adviceView: later.item ? later.item.adviceView : null
    property var flowLimitDialog: later.item ? later.item.flowLimitDialog : null
    property var deriveDialog: later.item ? later.item.deriveDialog : null
    function showTable(paramID, origin) { if (paramTable) paramTable.show(paramID, origin) }

    // Made at once: files handed over by a later editor wait in it until the start is complete.
    StartupQuestions { id: startup; objectName: "startup" }
}
