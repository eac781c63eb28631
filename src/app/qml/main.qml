import QtQuick 2.12
import QtQuick.Window 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.12
import QtQuick.Layouts 1.12
import QtQuick.Dialogs 1.2 as D
import Qt.labs.settings 1.0
import PrintSet 1.0

ApplicationWindow {
    id: window
    visible: true
    width: 1280
    height: 800
    // Below this, the pages and the tool bar could no longer show every value whole.
    minimumWidth: 1024
    minimumHeight: 700
    title: qsTr("Corvane")

    // Closing with unsaved changes asks first; once the user has answered, the window closes.
    property bool closeAnswered: false
    onClosing: {
        if (materials.modified && !closeAnswered) {
            close.accepted = false
            unsavedDialog.open()
            return
        }
        // Saved, discarded or nothing unsaved: the recovery copy has served.
        materials.endCleanly()
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
            Shortcut { enabled: active; sequence: StandardKey.Save; onActivated: saveLibrary() }
            Shortcut { enabled: active; sequence: "Ctrl+O"; onActivated: importDialog.open() }
            Shortcut { enabled: active; sequence: "Ctrl+E"; onActivated: exportChoice.open() }
            Shortcut { enabled: active; sequence: "Ctrl+Q"; onActivated: window.close() }
            Shortcut { enabled: active; sequences: [StandardKey.Undo]; onActivated: materials.undo() }
            Shortcut { enabled: active; sequences: ["Ctrl+Shift+Z", "Ctrl+Y"]; onActivated: materials.redo() }
        }
    }
    Loader { sourceComponent: windowKeys; onLoaded: item.active = Qt.binding(function() { return !drawer.opened }) }

    // An undo or redo shows what it changed: its material and cascade are selected again by the
    // library; the page of the step is shown here.
    Connections {
        target: materials
        function onHistoryApplied(page) {
            tryShowPage(page)
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

    // What the start-up loads found worth telling, once the window shows.
    Component.onCompleted: {
        restoreSession()
        var notes = materials.startupNotes()
        if (notes.length > 0) {
            messageDialog.title = qsTr("Library loaded")
            messageDialog.prompt = notes
            messageDialog.open()
        }
        var recovered = materials.recoveryTime()
        if (recovered.length > 0) {
            recoveryDialog.time = recovered
            recoveryDialog.open()
        }
        if (typeof instanceNote !== "undefined" && instanceNote !== "")
            readOnlyDialog.open()
        if (typeof startupFiles !== "undefined" && startupFiles.length > 0)
            importWhenReady(startupFiles)
    }

    // Files to import wait while the restore question is open: a restore replaces the library,
    // and with it anything imported before the answer.
    property var filesAwaitingAnswer: []
    function importWhenReady(files) {
        if (recoveryDialog.visible)
            filesAwaitingAnswer = filesAwaitingAnswer.concat(files)
        else
            importFiles(files)
    }
    function recoveryAnswered() {
        var files = filesAwaitingAnswer
        filesAwaitingAnswer = []
        if (files.length > 0)
            importFiles(files)
    }

    // Unsaved changes would not outlive a crash: said once, until a copy is written again.
    Connections {
        target: materials
        function onRecoveryWriteFailed(reason) {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = qsTr("The copy of your unsaved changes could not be written (%1): a crash now would lose them. Save when you can.").arg(reason)
            messageDialog.open()
        }
    }

    // Files that a later editor handed over: imported here, with the window brought forward.
    Connections {
        target: typeof editorInstance !== "undefined" ? editorInstance : null
        function onFilesReceived(files) {
            window.show()
            window.raise()
            window.requestActivate()
            if (files.length > 0)
                importWhenReady(files)
        }
    }

    // Another editor holds the library and does not answer, or no lock can be made: go on
    // without saving, or leave.
    Dialog {
        id: readOnlyDialog
        objectName: "readOnlyDialog"
        anchors.centerIn: Overlay.overlay
        width: Math.min(window.width - 40, fontP * 40)
        modal: true
        closePolicy: Popup.NoAutoClose
        title: typeof instanceElsewhere === "undefined" || instanceElsewhere ? qsTr("The library is open elsewhere")
                                                                               : qsTr("The library cannot be locked")
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: (typeof instanceNote !== "undefined" ? instanceNote : "") + "\n\n"
                  + (typeof instanceElsewhere === "undefined" || instanceElsewhere
                     ? qsTr("This window can open it read-only: you can look and export, but Save is off, so that two editors never save one library.")
                     : qsTr("This window can open it read-only: you can look and export, but Save is off, since the folder does not take what a save writes."))
        }
        footer: DialogButtonBox {
            Button {
                objectName: "openReadOnlyButton"
                text: qsTr("Open read-only")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            Button {
                objectName: "quitButton"
                text: qsTr("Quit")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
        }
        onRejected: Qt.quit()
    }

    // A recovery copy means the last run ended without saving or discarding.
    Dialog {
        id: recoveryDialog
        objectName: "recoveryDialog"
        property string time
        anchors.centerIn: Overlay.overlay
        width: Math.min(window.width - 40, fontP * 36)
        modal: true
        closePolicy: Popup.NoAutoClose
        title: qsTr("Unsaved changes found")
        standardButtons: Dialog.Ok | Dialog.Discard
        Component.onCompleted: standardButton(Dialog.Ok).text = qsTr("Restore")
        Label {
            width: parent.width
            wrapMode: Text.WordWrap
            text: qsTr("Corvane was closed without saving. Restore the unsaved changes from %1?").arg(recoveryDialog.time)
        }
        onAccepted: {
            var problem = materials.restoreRecovery()
            if (problem.length > 0) {
                messageDialog.title = qsTr("Warning")
                messageDialog.prompt = problem
                messageDialog.open()
            }
            recoveryAnswered()
        }
        onDiscarded: {
            materials.discardRecovery()
            recoveryDialog.close()
            recoveryAnswered()
        }
    }

    // P: the pixel size of the default font; sizes are given as multiples of it.
    readonly property real fontP: window.font.pixelSize > 0 ? window.font.pixelSize : 14

    // Cold to hot: the gauges' colour scale.
    readonly property var colorMap: ["#000E89", "#001FE5", "#1B55F5", "#54BDF9", "#78FBE0",
                                     "#AAFB82", "#F2FC55", "#F4B13E", "#EB5027", "#FC2B1D"]

    // The parameter being edited: a page copies a row here before a dialog opens.
    Item {
        id: curParamItem
        objectName: "curParamItem"
        property int paramID: -1
        property int paramType: 0
        property int paramFlag: 1
        property real paramVal: 50
        property string paramDesc: " param desc"
        property string paramUnit: "mm"
        property real minVal: 0
        property real maxVal: 100
        property real safeVal: 50
        property real editStep: 1.0
        property real tickStep: 1.0
        property real labelStep: 10
    }

    function getColorByValue(val, min, max) {
        console.log("Cal color: " + val + " " + min + " " + max)
        var s = max > min ? Math.round(9 * (val - min) / (max - min)) : 9
        s = Math.max(0, Math.min(9, s))
        return colorMap[s]
    }

    function showDialog() {
        var dialog = null
        switch (curParamItem.paramType) {
        case 1: dialog = intInputDialog; break
        case 2: dialog = doubleInputDialog; break
        case 4: dialog = temperatureDialog; break
        case 5:
        case 6: dialog = speedDialog; break
        case 7: dialog = widthDialog; break
        }
        if (dialog) {
            dialog.setValue()
            dialog.open()
        }
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

    // Starts editing the row of a page's cell; a locked material asks for its password first.
    function beginEdit(row, origin) {
        if (row.paramFlag & 2) {
            askUnlock()
            return
        }
        editOrigin = origin || null
        curParamItem.paramID = row.paramID
        curParamItem.paramType = row.paramType
        curParamItem.paramFlag = row.paramFlag
        curParamItem.paramVal = row.paramVal
        curParamItem.paramDesc = row.paramDesc
        curParamItem.paramUnit = row.paramUnit
        curParamItem.minVal = row.minVal
        curParamItem.maxVal = row.maxVal
        curParamItem.safeVal = row.safeVal
        curParamItem.editStep = row.editStep
        curParamItem.tickStep = row.tickStep
        curParamItem.labelStep = row.labelStep
        console.log("Param unit: " + row.paramUnit)
        showDialog()
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

    // Returns whether the library was saved; a failure is always shown. A user library that was
    // not read completely, or that changed on disk since it was loaded or saved, is replaced only
    // when the user says so; a window that must not write it says why.
    function saveLibrary() {
        if (materials.readOnlyReason !== "") {
            messageDialog.title = qsTr("Warning")
            messageDialog.prompt = qsTr("This window does not save the library: %1.").arg(materials.readOnlyReason)
            messageDialog.open()
            return false
        }
        if (materials.userLibraryReadError !== "") {
            unreadLibraryDialog.open()
            return false
        }
        if (materials.userLibraryChangedOnDisk()) {
            diskChangedDialog.open()
            return false
        }
        return writeLibrary()
    }

    function writeLibrary() {
        if (materials.exportUserMaterials()) {
            var saved = qsTr("Saved %1 materials of your own to %2").arg(materials.lastWrittenCount()).arg(materials.userLibraryPath())
            if (materials.lastSaveNote() === "") {
                showToast(saved)
            } else {
                messageDialog.title = qsTr("Saved")
                messageDialog.prompt = saved + "\n" + materials.lastSaveNote()
                messageDialog.open()
            }
            return true
        }
        messageDialog.title = qsTr("Warning")
        messageDialog.prompt = qsTr("The library could not be saved to\n%1\n%2")
            .arg(materials.userLibraryPath()).arg(materials.lastExportError())
        messageDialog.open()
        return false
    }

    // Files to import go one preview after another; one report tells what all of them did.
    property var importQueue: []
    property var importTotals: null
    function importFiles(files) {
        importQueue = importQueue.concat(files)
        if (importTotals === null) {
            importTotals = { imported: 0, added: 0, replaced: 0, kept: 0, renumbered: 0, skipped: 0, refusedSets: 0,
                             notes: [], renamedNames: [], renumberedNames: [] }
            importNext()
        }
    }
    function fileNameOf(file) {
        var path = decodeURIComponent(String(file).replace(/^file:\/\//, ""))
        return path.substring(path.lastIndexOf("/") + 1)
    }
    function importNext() {
        if (importQueue.length === 0) {
            // A preview cancelled imports nothing and says nothing.
            if (importTotals.imported > 0 || importTotals.notes.length > 0)
                reportImports(importTotals)
            importTotals = null
            return
        }
        var file = importQueue.shift()
        var items = materials.previewImport(file)
        var read = materials.lastImportReport()
        var path = decodeURIComponent(String(file).replace(/^file:\/\//, ""))
        importTotals.skipped += read.skipped
        importTotals.refusedSets += read.refusedSets
        if (read.missing)
            importTotals.notes.push(qsTr("%1 does not exist.").arg(path))
        else if (read.readError !== "")
            importTotals.notes.push(qsTr("%1 could not be read completely (%2); what was read is offered.").arg(path).arg(read.readError))
        else if (items.length === 0)
            importTotals.notes.push(qsTr("%1 holds no material.").arg(path))
        if (items.length === 0) {
            importNext()
            return
        }
        importPreview.purpose = "import"
        importPreview.show(fileNameOf(file), items)
    }
    function reportImports(totals) {
        var text = qsTr("%1 materials added, %2 replaced existing ones, %3 kept as they were, %4 renumbered, %5 lines skipped as not materials.")
            .arg(totals.added).arg(totals.replaced).arg(totals.kept).arg(totals.renumbered).arg(totals.skipped)
        if (totals.refusedSets > 0)
            text += " " + qsTr("%1 print sets refused.").arg(totals.refusedSets)
        var lines = totals.notes.concat([text])
        if (totals.renamedNames.length > 0)
            lines.push(qsTr("Renamed: %1").arg(totals.renamedNames.join("; ")))
        if (totals.renumberedNames.length > 0)
            lines.push(qsTr("New IDs: %1").arg(totals.renumberedNames.join("; ")))
        messageDialog.title = qsTr("Import")
        messageDialog.prompt = lines.join("\n")
        messageDialog.open()
    }

    // The user library changed on disk: its materials are merged as the user chooses in the
    // preview, and saved once the user confirms there.
    function mergeChangedLibrary() {
        var items = materials.previewImport(materials.userLibraryPath())
        importPreview.purpose = "merge"
        importPreview.show(fileNameOf(materials.userLibraryPath()), items)
    }

    ImportPreviewDlg {
        id: importPreview
        onFinished: {
            if (purpose === "merge") {
                if (imported)
                    writeLibrary()
                return
            }
            if (imported) {
                var r = materials.lastImportReport()
                importTotals.imported += 1
                importTotals.added += r.added
                importTotals.replaced += r.replaced
                importTotals.kept += r.kept
                importTotals.renumbered += r.renumbered
                importTotals.renamedNames = importTotals.renamedNames.concat(r.renamedNames)
                importTotals.renumberedNames = importTotals.renumberedNames.concat(r.renumberedNames)
            }
            importNext()
        }
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
                text: "❁ " + materials.curMaterial
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
                objectName: "printerButton"
                text: "⏍ " + materials.curPrinter
                font.pixelSize: fontP * 1.4
                onClicked: printerMenu.open()
                // A printer text that begins with "-" means none is chosen: leave the parameters.
                onTextChanged: {
                    if (materials.curPrinter.charAt(0) === "-" && stackView.depth === 2)
                        stackView.pop()
                }
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
            BarButton {
                id: nozzleButton
                objectName: "nozzleButton"
                text: "⩢ " + materials.curNozzle
                font.pixelSize: fontP * 1.3
                onClicked: if (materials.curNozzle !== "----") nozzleMenu.open()
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
                }
            }
            BarButton {
                id: layerButton
                objectName: "layerButton"
                text: " ≣ " + materials.curLayerThick
                font.pixelSize: fontP * 1.3
                onClicked: if (materials.curLayerThick !== "----") layerMenu.open()
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
                }
            }
            BarButton {
                id: qualityButton
                objectName: "qualityButton"
                text: "⚖ " + materials.curQuality
                font.pixelSize: fontP * 1.3
                onClicked: if (materials.curQuality !== "----") qualityMenu.open()
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
            Item {
                Layout.fillWidth: true
            }

            BarButton {
                id: optionsButton
                Layout.fillWidth: false
                objectName: "optionsButton"
                text: "☰"
                onClicked: optionsMenu.open()
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
                        resetItem.preview = materials.vendorResetPreview()
                        resetItem.name = materials.curMatName
                        bringBackItem.count = materials.removedVendorCount()
                    }
                    MenuItem {
                        id: resetItem
                        objectName: "resetItem"
                        property var preview: ({})
                        property string name
                        text: qsTr("Reset %1 to the vendor's…").arg(name)
                        enabled: preview.available === true || (preview.refusal || "") !== ""
                        onTriggered: {
                            if (preview.available === true) {
                                resetDialog.open()
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
                                bringBack()
                                return
                            }
                            bringBackDialog.plan = plan
                            bringBackDialog.open()
                        }
                    }
                    MenuSeparator {}
                    MenuItem { objectName: "importItem"; text: qsTr("Import"); onTriggered: importDialog.open() }
                    MenuItem { objectName: "exportItem"; text: qsTr("Export"); onTriggered: exportChoice.open() }
                    MenuItem {
                        objectName: "saveItem"
                        text: materials.readOnlyReason === "" ? qsTr("Save") : qsTr("Save") + " — " + qsTr("off: %1").arg(materials.readOnlyReason)
                        enabled: materials.readOnlyReason === ""
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

    Drawer {
        id: drawer
        objectName: "drawer"
        width: 360
        height: window.height
        edge: Qt.LeftEdge
        onOpened: materialList.focusSearch()
        MaterialList {
            id: materialList
            anchors.fill: parent
        }
        Loader { sourceComponent: windowKeys; onLoaded: item.active = Qt.binding(function() { return drawer.opened }) }
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

    D.FileDialog {
        id: importDialog
        objectName: "importDialog"
        title: qsTr("Please choose material file")
        folder: fileSettings.folder.toString() !== "" ? fileSettings.folder : shortcuts.home
        width: 900
        height: 600
        nameFilters: [qsTr("fila corvane files (*.cvx)"), qsTr("All files (*.*)")]
        selectExisting: true
        onAccepted: {
            console.log("You chose: " + importDialog.fileUrl)
            fileSettings.folder = importDialog.folder
            importFiles([importDialog.fileUrl.toString()])
        }
        onRejected: console.log("Canceled")
    }

    // Export: the current material, the materials chosen in the drawer, or the whole library.
    Dialog {
        id: exportChoice
        objectName: "exportChoice"
        anchors.centerIn: Overlay.overlay
        modal: true
        focus: true
        title: qsTr("Export")
        standardButtons: Dialog.Ok | Dialog.Cancel
        property int choice: 0
        property string current
        property int chosen: 0
        property int all: 0
        // The chosen materials as they are now: an ID changed since they were chosen still counts.
        property var chosenIDs: []
        onAboutToShow: {
            current = materials.curMatName
            chosenIDs = materials.materialIDsOf(materialList.chosenKeys)
            chosen = chosenIDs.length
            all = materials.materialCount()
            choice = chosen > 0 ? 1 : 0
        }
        function ids() {
            return choice === 0 ? [materials.curMatID] : choice === 1 ? chosenIDs : []
        }
        onAccepted: exportDialog.open()
        Column {
            spacing: 4
            RadioButton {
                objectName: "exportCurrent"
                text: qsTr("The current material, %1").arg(exportChoice.current)
                checked: exportChoice.choice === 0
                onClicked: exportChoice.choice = 0
            }
            RadioButton {
                objectName: "exportChosen"
                text: qsTr("The %1 materials chosen in the list (Ctrl or Shift and a press)").arg(exportChoice.chosen)
                enabled: exportChoice.chosen > 0
                checked: exportChoice.choice === 1
                onClicked: exportChoice.choice = 1
            }
            RadioButton {
                objectName: "exportAll"
                text: qsTr("The whole library, %1 materials").arg(exportChoice.all)
                checked: exportChoice.choice === 2
                onClicked: exportChoice.choice = 2
            }
        }
    }

    // The file dialogs open where the last one was left, large enough to read the names.
    Settings {
        id: fileSettings
        category: "Files"
        property url folder: ""
    }

    D.FileDialog {
        id: exportDialog
        objectName: "exportDialog"
        title: qsTr("Please choose material file")
        folder: fileSettings.folder.toString() !== "" ? fileSettings.folder : shortcuts.home
        width: 900
        height: 600
        nameFilters: [qsTr("fila corvane files (*.cvx)"), qsTr("All files (*.*)")]
        selectExisting: false
        selectMultiple: false
        onAccepted: {
            console.log("You choose: " + exportDialog.fileUrl)
            fileSettings.folder = exportDialog.folder
            var path = exportDialog.fileUrl.toString().replace(/^file:\/\//, "")
            if (materials.isFileExist(decodeURIComponent(path))) {
                overwriteDialog.path = decodeURIComponent(path)
                overwriteDialog.open()
            } else {
                exportTo(exportDialog.fileUrl.toString())
            }
        }
        onRejected: console.log("Canceled")
    }

    function exportTo(url) {
        var path = decodeURIComponent(url.replace(/^file:\/\//, ""))
        if (materials.exportMaterialIDs(url, exportChoice.ids())) {
            showToast(qsTr("Exported %1 materials to %2").arg(materials.lastWrittenCount()).arg(path))
            return
        }
        messageDialog.title = qsTr("Warning")
        messageDialog.prompt = qsTr("The materials could not be exported to\n%1\n%2").arg(path).arg(materials.lastExportError())
        messageDialog.open()
    }

    Dialog {
        id: overwriteDialog
        objectName: "overwriteDialog"
        property string path
        anchors.centerIn: Overlay.overlay
        width: Math.min(window.width - 40, fontP * 36)
        modal: true
        title: qsTr("Replace the file?")
        standardButtons: Dialog.Yes | Dialog.No
        Label {
            width: parent.width
            wrapMode: Text.WrapAnywhere
            text: qsTr("%1 exists already. Replace it with the exported materials?").arg(overwriteDialog.path)
        }
        onAccepted: exportTo(exportDialog.fileUrl.toString())
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
        Label {
            id: toastLabel
            color: "white"
            width: Math.min(implicitWidth, window.width * 0.7)
            wrapMode: Text.WrapAnywhere
        }
        Timer { id: toastTimer; interval: 3500; onTriggered: toast.close() }
    }
    function showToast(text) {
        toast.text = text
        toast.open()
        toastTimer.restart()
    }

    // A message of any length: a long one scrolls instead of being cut.
    Dialog {
        id: messageDialog
        objectName: "messageDialog"
        property alias prompt: promptLabel.text
        width: Math.min(window.width - 40, 560)
        height: Math.min(window.height - 40, Math.max(240, promptLabel.implicitHeight + fontP * 10))
        anchors.centerIn: Overlay.overlay
        modal: true
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

    Dialog {
        id: resetDialog
        objectName: "resetDialog"
        anchors.centerIn: Overlay.overlay
        width: Math.min(window.width - 40, fontP * 34)
        modal: true
        title: qsTr("Reset to the vendor's")
        standardButtons: Dialog.Ok | Dialog.Cancel
        Label {
            objectName: "resetText"
            width: parent.width
            wrapMode: Text.WordWrap
            text: qsTr("Make %1 the vendor's material again? %2 values and %3 print sets will change; you can undo it.")
                .arg(resetItem.name).arg(resetItem.preview.values).arg(resetItem.preview.sets)
                + ((resetItem.preview.nameTakenBy || "") === "" ? ""
                   : "\n\n" + qsTr("%1 has the vendor's name now: it is renamed to %2, so that two materials never share one name.")
                         .arg(resetItem.preview.nameTakenBy).arg(resetItem.preview.renamedTo))
        }
        onAccepted: materials.resetMaterialToVendor()
    }

    function bringBack() {
        var n = materials.bringBackRemovedVendor()
        showToast(qsTr("Brought back %1 vendor materials").arg(n))
    }

    // Bringing vendor materials back where the user's own have their names now: those are renamed,
    // and locked ones keep theirs (the vendor's material then stays removed).
    Dialog {
        id: bringBackDialog
        objectName: "bringBackDialog"
        property var plan: ({ renames: [], blocked: [] })
        anchors.centerIn: Overlay.overlay
        width: Math.min(window.width - 40, fontP * 40)
        modal: true
        title: qsTr("Bring back removed vendor materials")
        standardButtons: Dialog.Ok | Dialog.Cancel
        Label {
            objectName: "bringBackText"
            width: parent.width
            wrapMode: Text.Wrap
            text: (bringBackDialog.plan.renames.length > 0
                   ? qsTr("Your materials that have their names now are renamed:") + "\n" + bringBackDialog.plan.renames.join("\n") : "")
                  + (bringBackDialog.plan.blocked.length > 0
                     ? "\n\n" + qsTr("Locked materials keep their names, and those vendor materials stay removed:") + "\n"
                       + bringBackDialog.plan.blocked.join("\n") : "")
        }
        onAccepted: bringBack()
    }

    // The password of the current material, asked where the user tries to change it.
    UnlockDlg { id: unlockDialog; objectName: "unlockDialog" }

    Dialog {
        id: unsavedDialog
        objectName: "unsavedDialog"
        anchors.centerIn: Overlay.overlay
        modal: true
        title: qsTr("Unsaved changes")
        standardButtons: Dialog.Save | Dialog.Discard | Dialog.Cancel
        Label {
            text: qsTr("The library has changes that are not saved.\nSave them before closing?")
            font.pixelSize: fontP * 1.1
        }
        onAccepted: {
            // A failed save keeps the window open; the message says why.
            if (saveLibrary()) {
                closeAnswered = true
                window.close()
            }
        }
        onDiscarded: {
            closeAnswered = true
            unsavedDialog.close()
            window.close()
        }
    }

    Dialog {
        id: unreadLibraryDialog
        objectName: "unreadLibraryDialog"
        property alias prompt: unreadLabel.text
        anchors.centerIn: Overlay.overlay
        width: 560
        modal: true
        title: qsTr("Replace the user library?")
        Label {
            id: unreadLabel
            width: parent.width
            text: qsTr("The user library\n%1\nwas not read completely: %2.\nSaving replaces it with what the editor holds; the file as it is now is kept beside it.")
                .arg(materials.userLibraryPath()).arg(materials.userLibraryReadError)
            font.pixelSize: fontP * 1.1
            wrapMode: Text.Wrap
        }
        footer: DialogButtonBox {
            Button {
                objectName: "saveAnywayButton"
                text: qsTr("Save anyway")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            Button {
                objectName: "cancelSaveButton"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
        }
        onAccepted: writeLibrary()
    }

    // Someone else wrote the user library meanwhile (corvane-cvx, another program): overwrite it,
    // merge its materials first as the user chooses (then save), or leave it.
    Dialog {
        id: diskChangedDialog
        objectName: "diskChangedDialog"
        anchors.centerIn: Overlay.overlay
        width: Math.min(window.width - 40, fontP * 40)
        modal: true
        title: qsTr("The user library changed on disk")
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: qsTr("%1 was changed by another program since it was loaded or saved here. Saving now would replace those changes.")
                .arg(materials.userLibraryPath())
        }
        footer: DialogButtonBox {
            Button {
                objectName: "overwriteButton"
                text: qsTr("Overwrite")
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            Button {
                objectName: "importFirstButton"
                text: qsTr("Merge its materials first…")
                DialogButtonBox.buttonRole: DialogButtonBox.ApplyRole
            }
            Button {
                objectName: "cancelDiskButton"
                text: qsTr("Cancel")
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
            onApplied: {
                diskChangedDialog.close()
                mergeChangedLibrary()
            }
        }
        onAccepted: writeLibrary()
    }

    IntInputDlg { id: intInputDialog; objectName: "intInputDialog" }
    DoubleInputDlg { id: doubleInputDialog; objectName: "doubleInputDialog" }
    TemperatureDlg { id: temperatureDialog; objectName: "temperatureDialog" }
    SpeedDlg { id: speedDialog; objectName: "speedDialog" }
    WidthDlg { id: widthDialog; objectName: "widthDialog" }
    AboutDlg { id: aboutDialog; objectName: "aboutDialog" }
}
