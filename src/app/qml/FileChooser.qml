import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Controls.Material 2.12
import QtQuick.Layouts 1.12
import Qt.labs.folderlistmodel 2.12
import PrintSet 1.0

// The program's file dialog, in the window's overlay as every dialog is: a folder's files under a
// filter, the places (home and the folders files were last chosen in) and a name field. It is
// accepted only with names that may be taken: files that exist when opening, names in a folder
// that exists when saving; fileUrls then holds a file URL for each.
Dialog {
    id: chooser

    // Open (the files must exist) or save.
    property bool selectExisting: true
    property bool selectMultiple: false
    // Added to a name saved without an extension while a filter of this extension is chosen.
    property string defaultSuffix: ""
    // The texts are shown; the patterns choose the files, whatever a translation makes of a text.
    property var nameFilters: [{ text: qsTr("fila corvane files (*.cvx)"), patterns: ["*.cvx"] },
                               { text: qsTr("All files (*.*)"), patterns: ["*"] }]
    property var fileUrls: []
    readonly property string fileUrl: fileUrls.length > 0 ? fileUrls[0] : ""
    // The folder shown, as a path.
    property string folder
    // The files chosen in the list, by name; the name field holds them.
    property var chosen: []
    property int anchorRow: -1
    // How many of the folders files were chosen in the places keep.
    readonly property int recentCount: 6

    anchors.centerIn: Overlay.overlay
    width: Math.min(window.width - 40, 900)
    height: Math.min(window.height - 40, 600)
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape

    // The remembered folder, or home when it is gone.
    onAboutToShow: {
        fileUrls = []
        nameField.text = ""
        filterBox.currentIndex = 0
        places.model = placesNow()
        var start = pathOf(fileSettings.folder)
        go(LocalFiles.isFolder(start) ? start : LocalFiles.home())
        nameField.forceActiveFocus()
    }
    onApplied: takeNames()

    // A stored list as a list: the settings file gives a single entry back as a text.
    function listOf(value) {
        if (typeof value === "string")
            return value === "" ? [] : [value]
        var list = []
        for (var i = 0; value && i < value.length; ++i)
            list.push(String(value[i]))
        return list
    }
    function nameOf(path) { return path === "/" ? path : path.substring(path.lastIndexOf("/") + 1) }
    function placesNow() {
        var recent = listOf(fileSettings.recentFolders).filter(function (p) { return LocalFiles.isFolder(p) })
        return [{ name: qsTr("Home"), path: LocalFiles.home() }].concat(
                    recent.map(function (p) { return { name: nameOf(p), path: p } }))
    }
    // The folder goes first in the places, the others move down, the oldest leave.
    function remember(dir) {
        fileSettings.folder = LocalFiles.urlOf(dir)
        fileSettings.recentFolders = [dir].concat(listOf(fileSettings.recentFolders).filter(function (p) {
            return p !== dir })).slice(0, recentCount)
    }
    function say(text) { note.text = text }
    function go(path) {
        folder = path
        folderField.text = path
        files.currentIndex = -1
        chosen = []
        anchorRow = -1
        say("")
    }
    function goTyped(text) {
        // An emptied field shows the folder again.
        var path = LocalFiles.resolve(text || ".", folder)
        if (LocalFiles.isFolder(path))
            go(path)
        else
            say((LocalFiles.isFile(path) ? qsTr("%1 is not a folder.") : qsTr("%1 does not exist.")).arg(path))
    }

    // Several names are typed, or chosen, each in quotes.
    function namesOf(text) {
        if (!selectMultiple || !/^\s*"/.test(text))
            return text === "" ? [] : [text]
        var names = []
        for (var quoted = /"([^"]+)"/g, m = quoted.exec(text); m !== null; m = quoted.exec(text))
            names.push(m[1])
        return names
    }
    function withSuffix(path) {
        var suffixed = defaultSuffix !== "" && nameFilters[Math.max(0, filterBox.currentIndex)].patterns.indexOf("*." + defaultSuffix) >= 0
        return suffixed && !/\.[^./]+$/.test(nameOf(path)) ? path + "." + defaultSuffix : path
    }
    // Why the path cannot be taken, or "".
    function refusal(path) {
        if (LocalFiles.isFolder(path))
            return qsTr("%1 is a folder.").arg(path)
        if (selectExisting)
            return LocalFiles.isFile(path) ? "" : qsTr("%1 does not exist.").arg(path)
        var dir = LocalFiles.folderOf(path)
        return LocalFiles.isFolder(dir) ? "" : qsTr("The folder %1 does not exist.").arg(dir)
    }
    // The name field's names: one folder is opened; files that may all be taken are the answer.
    function takeNames() {
        // Taken already: a Return while the chooser closes does not take the files again.
        if (fileUrls.length > 0)
            return
        var paths = namesOf(nameField.text).map(function (n) { return LocalFiles.resolve(n, folder) })
        if (paths.length === 0)
            return say(qsTr("Choose a file or type its name."))
        if (paths.length === 1 && LocalFiles.isFolder(paths[0])) {
            nameField.text = ""
            return go(paths[0])
        }
        if (!selectExisting)
            paths = [withSuffix(paths[0])]
        for (var i = 0; i < paths.length; ++i) {
            if (refusal(paths[i]) !== "")
                return say(refusal(paths[i]))
        }
        remember(LocalFiles.folderOf(paths[0]))
        fileUrls = paths.map(function (p) { return LocalFiles.urlOf(p) })
        accept()
    }

    // A press on a file chooses it; Ctrl adds it or takes it out, Shift chooses the files from the
    // last one pressed. A folder is opened by Return or a double press.
    function pressRow(row, modifiers) {
        files.currentIndex = row
        if (row < 0 || row >= folderModel.count || folderModel.isFolder(row))
            return
        var name = folderModel.get(row, "fileName")
        var names = [name]
        if (selectMultiple && modifiers & Qt.ShiftModifier && anchorRow >= 0) {
            names = []
            for (var r = Math.min(anchorRow, row); r <= Math.max(anchorRow, row); ++r) {
                if (!folderModel.isFolder(r))
                    names.push(folderModel.get(r, "fileName"))
            }
        } else if (selectMultiple && modifiers & Qt.ControlModifier) {
            names = chosen.indexOf(name) >= 0 ? chosen.filter(function (n) { return n !== name }) : chosen.concat([name])
        }
        if (!(modifiers & Qt.ShiftModifier))
            anchorRow = row
        chosen = names
        nameField.text = names.length === 1 ? names[0] : names.map(function (n) { return '"' + n + '"' }).join(" ")
    }
    function openRow(row) {
        if (row >= 0 && folderModel.isFolder(row))
            return go(LocalFiles.resolve(folderModel.get(row, "fileName"), folder))
        // Files chosen with Ctrl or Shift are taken whichever row has the keyboard.
        if (row >= 0 && chosen.length === 0)
            pressRow(row, 0)
        takeNames()
    }
    function up() { go(LocalFiles.folderOf(folder)) }

    FolderListModel {
        id: folderModel
        // Closed, it reads and watches no folder.
        folder: chooser.visible ? LocalFiles.urlOf(chooser.folder) : ""
        nameFilters: chooser.nameFilters[Math.max(0, filterBox.currentIndex)].patterns
        showDirsFirst: true
        caseSensitive: false
        sortCaseSensitive: false
        // A folder opened from the list keeps the keyboard on its first row, once it is read.
        onStatusChanged: {
            if (status === FolderListModel.Ready && files.activeFocus && files.currentIndex < 0 && count > 0)
                files.currentIndex = 0
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 4

        RowLayout {
            Button {
                id: upButton
                objectName: "chooserUp"
                text: "↑"
                enabled: chooser.folder !== "/"
                onClicked: up()
                Keys.onReturnPressed: clicked()
                ToolTip.visible: hovered
                ToolTip.text: qsTr("Up one folder")
            }
            TextField {
                id: folderField
                objectName: "chooserFolder"
                Layout.fillWidth: true
                placeholderText: qsTr("Folder")
                selectByMouse: true
                // Keys, not onAccepted: a text field passes Return on to the items around it.
                Keys.onReturnPressed: goTyped(text)
                Keys.onEnterPressed: goTyped(text)
            }
        }

        RowLayout {
            Layout.fillHeight: true
            spacing: 8
            Item {
                Layout.preferredWidth: Math.min(fontP * 12, chooser.availableWidth / 4)
                Layout.fillHeight: true
                ListView {
                    id: places
                    objectName: "chooserPlaces"
                    anchors.fill: parent
                    clip: true
                    activeFocusOnTab: true
                    highlightMoveDuration: 0
                    // The keyboard's place; the folder shown is marked by its row.
                    highlight: Rectangle { color: "#E8EAF6"; visible: places.activeFocus }
                    ScrollBar.vertical: ScrollBar {}
                    Keys.onReturnPressed: go(model[currentIndex].path)
                    Keys.onEnterPressed: go(model[currentIndex].path)
                    delegate: ItemDelegate {
                        objectName: "chooserPlace_" + index
                        width: places.width
                        focusPolicy: Qt.NoFocus
                        text: modelData.name
                        highlighted: modelData.path === chooser.folder
                        contentItem: Label { text: parent.text; elide: Text.ElideMiddle; verticalAlignment: Text.AlignVCenter }
                        ToolTip.visible: hovered
                        ToolTip.text: modelData.path
                        ToolTip.delay: 500
                        onClicked: {
                            places.currentIndex = index
                            go(modelData.path)
                        }
                    }
                }
            }
            Item {
                Layout.fillWidth: true
                Layout.fillHeight: true
                ListView {
                    id: files
                    objectName: "chooserList"
                    anchors.fill: parent
                    clip: true
                    activeFocusOnTab: true
                    model: folderModel
                    // Tabbed to, the keyboard starts on the first row.
                    onActiveFocusChanged: if (activeFocus && currentIndex < 0 && count > 0) currentIndex = 0
                    highlightMoveDuration: 0
                    highlight: Rectangle { color: "#E8EAF6" }
                    ScrollBar.vertical: ScrollBar {}
                    headerPositioning: ListView.OverlayHeader
                    // Over the rows that scroll under it.
                    header: Rectangle {
                        z: 2
                        width: files.width
                        height: fontP * 2
                        color: chooser.background.color
                        RowLayout {
                            anchors.verticalCenter: parent.verticalCenter
                            width: parent.width
                            Label { Layout.fillWidth: true; leftPadding: fontP; text: qsTr("Name") }
                            Label { Layout.preferredWidth: fontP * 6; horizontalAlignment: Text.AlignRight; text: qsTr("Size") }
                            Label {
                                Layout.preferredWidth: fontP * 11
                                rightPadding: fontP
                                horizontalAlignment: Text.AlignRight
                                text: qsTr("Modified")
                            }
                        }
                    }
                    Keys.onUpPressed: pressRow(Math.max(0, currentIndex - 1), event.modifiers)
                    Keys.onDownPressed: pressRow(Math.min(count - 1, currentIndex + 1), event.modifiers)
                    Keys.onReturnPressed: openRow(currentIndex)
                    Keys.onEnterPressed: openRow(currentIndex)
                    Keys.onPressed: {
                        if (event.key === Qt.Key_Backspace && chooser.folder !== "/") {
                            up()
                            event.accepted = true
                        }
                    }
                    // Folders end in "/"; a long name is elided in its middle, its extension kept, and
                    // shown whole in the tool tip.
                    delegate: ItemDelegate {
                        id: row
                        objectName: "chooserFile_" + fileName
                        width: files.width
                        focusPolicy: Qt.NoFocus
                        text: fileName + (fileIsDir ? "/" : "")
                        highlighted: chooser.chosen.indexOf(fileName) >= 0
                        contentItem: RowLayout {
                            Label { id: nameLabel; Layout.fillWidth: true; text: row.text; elide: Text.ElideMiddle }
                            Label {
                                Layout.preferredWidth: fontP * 6
                                horizontalAlignment: Text.AlignRight
                                text: fileIsDir || fileSize === undefined ? "" : LocalFiles.sizeText(fileSize)
                            }
                            Label {
                                Layout.preferredWidth: fontP * 11
                                horizontalAlignment: Text.AlignRight
                                text: fileModified ? fileModified.toLocaleString(Qt.locale(), Locale.ShortFormat) : ""
                            }
                        }
                        ToolTip.visible: hovered && nameLabel.truncated
                        ToolTip.text: text
                        ToolTip.delay: 500
                        MouseArea {
                            anchors.fill: parent
                            onPressed: {
                                files.forceActiveFocus()
                                pressRow(index, mouse.modifiers)
                            }
                            onDoubleClicked: openRow(index)
                        }
                    }
                }
            }
        }

        RowLayout {
            TextField {
                id: nameField
                objectName: "chooserName"
                Layout.fillWidth: true
                placeholderText: qsTr("File name")
                selectByMouse: true
                onTextEdited: say("")
                Keys.onReturnPressed: takeNames()
                Keys.onEnterPressed: takeNames()
            }
            ComboBox {
                id: filterBox
                objectName: "chooserFilter"
                // Wide enough for the longest filter, which Controls 2 does not measure by itself.
                Layout.preferredWidth: Math.min(chooser.availableWidth / 2, leftPadding + rightPadding + contentItem.leftPadding
                                                + contentItem.rightPadding + Math.ceil(Math.max.apply(null, model.map(
                                                    function (t) { return filterMetrics.advanceWidth(t) }))))
                model: nameFilters.map(function (f) { return f.text })
                FontMetrics { id: filterMetrics; font: filterBox.font }
            }
        }
        Label {
            id: note
            objectName: "chooserNote"
            Layout.fillWidth: true
            color: Material.color(Material.Red)
            // One line, which the layout keeps for it: the end of a path names the file.
            elide: Text.ElideMiddle
        }
    }

    footer: DialogButtonBox {
        Button {
            id: acceptButton
            objectName: "chooserAccept"
            text: chooser.selectExisting ? qsTr("Open") : qsTr("Save")
            highlighted: true
            DialogButtonBox.buttonRole: DialogButtonBox.ApplyRole
            Keys.onReturnPressed: clicked()
        }
        Button {
            id: cancelButton
            objectName: "chooserCancel"
            text: qsTr("Cancel")
            flat: true
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            Keys.onReturnPressed: clicked()
        }
    }
}
