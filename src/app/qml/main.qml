import QtQuick 2.12
import QtQuick.Window 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.12
import QtQuick.Layouts 1.12
import QtQuick.Dialogs 1.2 as D
import PrintSet 1.0

ApplicationWindow {
    id: window
    visible: true
    width: 1280
    height: 800
    title: qsTr("Corvane")

    // Closing with unsaved changes asks first; once the user has answered, the window closes.
    property bool closeAnswered: false
    onClosing: {
        if (materials.modified && !closeAnswered) {
            close.accepted = false
            unsavedDialog.open()
        }
    }

    Shortcut { sequence: StandardKey.Save; onActivated: saveLibrary() }
    Shortcut { sequence: "Ctrl+O"; onActivated: importDialog.open() }
    Shortcut { sequence: "Ctrl+E"; onActivated: exportDialog.open() }
    Shortcut { sequence: "Ctrl+Q"; onActivated: window.close() }

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

    // Starts editing the row of a page's cell; a locked material's rows are not edited.
    function beginEdit(row) {
        if (row.paramFlag & 2)
            return
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
    // not read completely is replaced only when the user says so.
    function saveLibrary() {
        if (materials.userLibraryReadError !== "") {
            unreadLibraryDialog.open()
            return false
        }
        return writeLibrary()
    }

    function writeLibrary() {
        if (materials.exportUserMaterials())
            return true
        messageDialog.title = qsTr("Warning")
        messageDialog.prompt = qsTr("The library could not be saved to\n%1\n%2")
            .arg(materials.userLibraryPath()).arg(materials.lastExportError())
        messageDialog.open()
        return false
    }

    function reportImport(file) {
        var r = materials.lastImportReport()
        messageDialog.title = qsTr("Import")
        if (r.missing)
            messageDialog.prompt = qsTr("%1 does not exist.").arg(file)
        else if (r.added + r.replaced === 0)
            messageDialog.prompt = qsTr("%1 holds no material.").arg(file)
        else
            messageDialog.prompt = qsTr("%1 materials added, %2 replaced existing ones, %3 renumbered, %4 lines skipped as not materials.")
                .arg(r.added).arg(r.replaced).arg(r.renumbered).arg(r.skipped)
        if (r.refusedSets > 0)
            messageDialog.prompt += " " + qsTr("%1 print sets refused.").arg(r.refusedSets)
        if (r.readError !== "")
            messageDialog.prompt = qsTr("%1 could not be read completely (%2); what was read is kept.")
                .arg(file).arg(r.readError) + "\n" + messageDialog.prompt
        messageDialog.open()
    }

    header: ToolBar {
        contentHeight: materialButton.implicitHeight
        font.capitalization: Font.Capitalize

        Row {
            spacing: 5
            anchors.verticalCenter: parent.verticalCenter

            ToolButton {
                id: materialButton
                objectName: "materialButton"
                text: "❁ " + materials.curMaterial
                font.pixelSize: fontP * 1.6
                onClicked: drawer.open()
            }
            ToolSeparator {}
            ToolButton {
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
                            onTriggered: {
                                materials.selectPrinter(typeID)
                                if (stackView.depth === 1)
                                    stackView.push(paramPage)
                                console.log("Stack view depth: " + stackView.depth)
                            }
                        }
                        onObjectAdded: printerMenu.insertItem(index, object)
                        onObjectRemoved: printerMenu.removeItem(object)
                    }
                }
            }
            ToolButton {
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
            ToolButton {
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
            ToolButton {
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
        }

        ToolButton {
            id: optionsButton
            objectName: "optionsButton"
            text: "☰"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            onClicked: optionsMenu.open()
            Menu {
                id: optionsMenu
                objectName: "optionsMenu"
                y: parent.height
                font.pixelSize: fontP
                MenuItem { objectName: "importItem"; text: "Import"; onTriggered: importDialog.open() }
                MenuItem { objectName: "exportItem"; text: "Export"; onTriggered: exportDialog.open() }
                MenuItem { objectName: "saveItem"; text: "Save"; onTriggered: saveLibrary() }
                MenuItem { objectName: "aboutItem"; text: "About"; onTriggered: { aboutDialog.open() } }
            }
        }
    }

    Drawer {
        id: drawer
        objectName: "drawer"
        width: 360
        height: window.height
        edge: Qt.LeftEdge
        MaterialList {
            anchors.fill: parent
        }
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
        title: "Please choose material file"
        folder: shortcuts.home
        nameFilters: ["fila corvane files (*.cvx)", "All files (*.*)"]
        selectExisting: true
        onAccepted: {
            console.log("You chose: " + importDialog.fileUrl)
            materials.importMaterials(importDialog.fileUrl.toString(), false)
            reportImport(importDialog.fileUrl.toString().replace(/^file:\/\//, ""))
        }
        onRejected: console.log("Canceled")
    }

    D.FileDialog {
        id: exportDialog
        objectName: "exportDialog"
        title: "Please choose material file"
        folder: shortcuts.home
        nameFilters: ["fila corvane files (*.cvx)", "All files (*.*)"]
        selectExisting: false
        selectMultiple: false
        onAccepted: {
            console.log("You choose: " + exportDialog.fileUrl)
            if (!materials.exportMaterials(exportDialog.fileUrl.toString(), false)) {
                messageDialog.title = qsTr("Warning")
                messageDialog.prompt = qsTr("The materials could not be exported to\n%1\n%2")
                    .arg(exportDialog.fileUrl.toString()).arg(materials.lastExportError())
                messageDialog.open()
            }
        }
        onRejected: console.log("Canceled")
    }

    Dialog {
        id: messageDialog
        objectName: "messageDialog"
        property alias prompt: promptLabel.text
        width: 480
        height: 240
        anchors.centerIn: Overlay.overlay
        modal: true
        title: "Set title"
        standardButtons: Dialog.Ok
        Label {
            id: promptLabel
            anchors.fill: parent
            text: "set prompt"
            font.pixelSize: fontP * 1.2
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }

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
            text: qsTr("The user library\n%1\nwas not read completely: %2.\nSaving replaces it with what the editor holds; what could not be read is lost.")
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

    IntInputDlg { id: intInputDialog; objectName: "intInputDialog" }
    DoubleInputDlg { id: doubleInputDialog; objectName: "doubleInputDialog" }
    TemperatureDlg { id: temperatureDialog; objectName: "temperatureDialog" }
    SpeedDlg { id: speedDialog; objectName: "speedDialog" }
    WidthDlg { id: widthDialog; objectName: "widthDialog" }
    AboutDlg { id: aboutDialog; objectName: "aboutDialog" }
}
