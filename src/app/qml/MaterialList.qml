import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12
import PrintSet 1.0

Frame {
    id: list
    // The materials chosen with Ctrl and Shift, for an export of several: by the key that stays
    // with a material when its ID changes.
    property var chosenKeys: []
    property int anchorRow: -1

    function chosen(key) {
        return chosenKeys.indexOf(key) >= 0
    }
    // A press on a row: alone it makes the material current; Ctrl adds it to the chosen ones or
    // takes it out, Shift chooses the rows from the last one pressed.
    function pressRow(row, key, matID, modifiers) {
        var keys = chosenKeys.slice()
        if (modifiers & Qt.ShiftModifier && anchorRow >= 0) {
            keys = []
            for (var r = Math.min(anchorRow, row); r <= Math.max(anchorRow, row); ++r)
                keys.push(filter.data(filter.index(r, 0), 261))
        } else if (modifiers & Qt.ControlModifier) {
            var at = keys.indexOf(key)
            if (at >= 0)
                keys.splice(at, 1)
            else
                keys.push(key)
            anchorRow = row
        } else {
            // As in a file manager: the row pressed alone is the first of the chosen ones.
            chosenKeys = [key]
            anchorRow = row
            chooseMaterial(matID)
            return
        }
        chosenKeys = keys
        materialList.currentIndex = row
    }
    // The keyboard starts in the search field; the arrows move through the list and Return picks.
    function focusSearch() {
        searchField.forceActiveFocus()
        searchField.selectAll()
        highlightCurrent()
    }
    // The highlight starts on the current material; while a search narrows the list, on the
    // first row found.
    function highlightCurrent() {
        var row = searchField.text === "" ? filter.currentRow() : 0
        materialList.currentIndex = Math.max(row, 0)
        materialList.positionViewAtIndex(materialList.currentIndex, ListView.Contain)
    }
    function removeRow(matID, name) {
        var before = materials.materialCount()
        materials.removeMaterial(matID)
        if (materials.materialCount() < before)
            showUndoToast(qsTr("Removed %1").arg(name))
    }

    TextField {
        id: searchField
        objectName: "searchField"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: changedOnly.left
        placeholderText: qsTr("Search name, manufacturer or ID")
        selectByMouse: true
        // A search of part of the library would miss what is still to come.
        enabled: !materials.loading
        // Once the filter has the new text.
        onTextChanged: Qt.callLater(highlightCurrent)
        Keys.onDownPressed: materialList.incrementCurrentIndex()
        Keys.onUpPressed: materialList.decrementCurrentIndex()
        Keys.onReturnPressed: pickCurrent()
        Keys.onEnterPressed: pickCurrent()
        // Undo and redo are the library's here, as everywhere in the window: a search text is not
        // worth keeping a history of.
        Keys.onPressed: {
            if (event.matches(StandardKey.Undo)) {
                materials.undo()
                event.accepted = true
            } else if (event.matches(StandardKey.Redo) || (event.key === Qt.Key_Y && event.modifiers === Qt.ControlModifier)) {
                materials.redo()
                event.accepted = true
            }
        }
        function pickCurrent() {
            if (materialList.currentIndex >= 0 && materialList.count > 0)
                chooseMaterial(filter.data(filter.index(materialList.currentIndex, 0), 259))
        }
    }
    // Only what is the user's: materials changed from the vendor's, and the user's own.
    ToolButton {
        id: changedOnly
        objectName: "changedOnly"
        anchors.right: parent.right
        anchors.verticalCenter: searchField.verticalCenter
        checkable: true
        enabled: !materials.loading
        text: "●◆"
        font.pixelSize: fontP * 0.9
        ToolTip.visible: hovered
        ToolTip.text: qsTr("Show only materials changed from the vendor's (●) and your own (◆)")
    }

    ListView {
        id: materialList
        objectName: "materialList"
        anchors.top: searchField.bottom
        anchors.topMargin: 4
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: loadingNote.visible ? loadingNote.top : compareChosen.visible ? compareChosen.top : parent.bottom
        clip: true
        keyNavigationEnabled: true
        highlightMoveDuration: 0
        highlight: Rectangle {
            color: "#E8EAF6"
            radius: 3
        }
        model: MaterialFilterModel {
            id: filter
            objectName: "materialFilter"
            mats: materials
            filterText: searchField.text
            changedOnly: changedOnly.checked
        }
        delegate: RowLayout {
            width: materialList.width
            spacing: 1
            // A chosen row is tinted.
            Rectangle {
                parent: materialField
                anchors.fill: parent
                z: -1
                color: "#C5CAE9"
                visible: list.chosen(entryKey)
            }
            Button {
                Layout.preferredWidth: 44
                flat: true
                text: bCur ? "✔" : "○"
                onClicked: chooseMaterial(matID)
            }
            // ● changed from the vendor's (or from the material it was copied from), ◆ the user's own.
            Label {
                objectName: "vendorState_" + matID
                Layout.preferredWidth: fontP * 1.2
                horizontalAlignment: Text.AlignHCenter
                text: vendorState === 1 || vendorState === 3 ? "●" : vendorState === 2 ? "◆" : ""
                color: vendorState === 1 || vendorState === 3 ? "#E65100" : "#3F51B5"
                ToolTip.visible: stateHover.hovered && text !== ""
                ToolTip.text: vendorState === 1 ? qsTr("Changed from the vendor's")
                            : vendorState === 3 ? qsTr("Your own, changed from the material it was copied from")
                                                : qsTr("Your own material")
                HoverHandler { id: stateHover }
            }
            // The whole name as stored, elided where it does not fit, with all of it in a tool tip.
            ItemDelegate {
                id: materialField
                objectName: "materialField_" + matID
                Layout.fillWidth: true
                focusPolicy: Qt.NoFocus
                text: name + " - " + manu
                font.capitalization: Font.MixedCase
                contentItem: Label {
                    text: materialField.text
                    font.pixelSize: materialField.font.pixelSize
                    font.capitalization: Font.MixedCase
                    font.bold: bCur
                    elide: Text.ElideRight
                    verticalAlignment: Text.AlignVCenter
                }
                ToolTip.visible: hovered && contentItem.truncated
                ToolTip.text: text
                ToolTip.delay: 500
                MouseArea {
                    anchors.fill: parent
                    onPressed: list.pressRow(index, entryKey, matID, mouse.modifiers)
                }
            }
            Button {
                objectName: "copyMaterial_" + matID
                Layout.preferredWidth: 44
                flat: true
                text: "➕"
                onClicked: materials.addCopyMaterial(matID)
            }
            Button {
                objectName: "removeMaterial_" + matID
                Layout.preferredWidth: 44
                flat: true
                text: "➖"
                onClicked: list.removeRow(matID, name)
            }
        }
    }
    // Two materials chosen: the one of them that is current beside the other.
    Button {
        id: compareChosen
        objectName: "compareChosen"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        visible: chosenKeys.length === 2
        enabled: !materials.loading
        text: qsTr("Compare the 2 chosen")
        onClicked: compareFlow.compareIDs(materials.materialIDsOf(chosenKeys))
        Keys.onReturnPressed: clicked()
    }

    // The list grows while the library loads: how far it is.
    Label {
        id: loadingNote
        objectName: "loadingNote"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        padding: fontP / 2
        visible: materials.loading
        wrapMode: Text.Wrap
        text: qsTr("Loading the library: %1 materials so far (%2 %)").arg(materials.loadedCount)
                  .arg(Math.floor(materials.loadProgress * 100))
    }
}
