import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12
import PrintSet 1.0

// Comparing the current material with a second one: chosen from the library in a searchable list,
// from a material file (its materials listed the same way, nothing imported), or the two chosen in
// the drawer; then the comparison view.
Item {
    id: compareFlow

    function chooseFromLibrary() {
        chooser.fromFile = false
        chooser.title = qsTr("Compare %1 with…").arg(materials.curMatName)
        chooser.open()
    }
    function chooseFile() { compareFileDialog.open() }
    // The two materials chosen in the drawer: the current one stays current when it is one of them.
    function compareIDs(ids) {
        if (ids.length !== 2)
            return
        if (ids.indexOf(materials.curMatID) < 0)
            chooseMaterial(ids[0])
        drawer.close()
        if (materials.compareWith(ids[0] === materials.curMatID ? ids[1] : ids[0]))
            comparisonView.show()
    }
    function fileChosen(url) {
        var read = materials.readCompareFile(url)
        var path = pathOf(url)
        var note = read.missing ? qsTr("%1 does not exist.").arg(path)
                 : read.materials.length === 0 ? qsTr("%1 holds no material.").arg(path)
                 : read.readError !== "" ? qsTr("%1 could not be read completely (%2); what was read is offered.").arg(path).arg(read.readError)
                 : ""
        if (read.materials.length === 0) {
            messageDialog.title = qsTr("Compare")
            messageDialog.prompt = note
            messageDialog.open()
            return
        }
        chooser.fromFile = true
        chooser.fileMaterials = read.materials
        chooser.note = note
        chooser.title = qsTr("Compare %1 with a material of %2").arg(materials.curMatName).arg(fileNameOf(url))
        chooser.open()
    }
    function picked(row) {
        chooser.close()
        var ok = chooser.fromFile ? materials.compareWithFileMaterial(row.index) : materials.compareWith(row.matID)
        if (ok)
            comparisonView.show()
    }

    // A searchable list: the library's materials (less the current one), or a file's.
    Dialog {
        id: chooser
        objectName: "compareChooser"
        property bool fromFile: false
        property var fileMaterials: []
        property string note: ""
        anchors.centerIn: Overlay.overlay
        width: Math.min(window.width - 40, fontP * 36)
        height: Math.min(window.height - 40, fontP * 34)
        modal: true
        focus: true
        standardButtons: Dialog.Cancel
        footer: DialogButtons {}
        onAboutToShow: {
            search.text = ""
            refill()
            search.forceActiveFocus()
        }
        // Again once open: a dialog that closed as this one opened gives the keyboard back behind it.
        onOpened: search.forceActiveFocus()
        onClosed: if (!fromFile) note = ""
        // The file's materials that the search finds, as the drawer's search finds them.
        function refill() {
            fileRows.clear()
            var text = search.text.toLowerCase()
            fileMaterials.forEach(function (m, i) {
                if ((m.name + " " + m.manu + " " + m.matID).toLowerCase().indexOf(text) >= 0)
                    fileRows.append({ name: m.name, manu: m.manu, matID: m.matID, index: i, bCur: false })
            })
            list.currentIndex = firstChoosable()
        }
        // The highlight starts on the first row found that is not the current material.
        function firstChoosable() {
            for (var i = 0; i < list.count; ++i) {
                if (!rowAt(i).bCur)
                    return i
            }
            return 0
        }
        function rowAt(i) {
            if (fromFile)
                return fileRows.get(i)
            var at = filter.index(i, 0)
            return { matID: filter.data(at, 259), bCur: filter.data(at, 258) }
        }
        function pickCurrent() {
            if (list.currentIndex < 0 || list.count === 0)
                return
            var row = rowAt(list.currentIndex)
            if (!row.bCur)
                picked(row)
        }
        ListModel { id: fileRows }
        MaterialFilterModel {
            id: filter
            mats: materials
            filterText: chooser.fromFile ? "" : search.text
        }

        ColumnLayout {
            anchors.fill: parent
            Label {
                Layout.fillWidth: true
                visible: text !== ""
                text: chooser.note
                wrapMode: Text.Wrap
            }
            TextField {
                id: search
                objectName: "compareSearch"
                Layout.fillWidth: true
                placeholderText: qsTr("Search name, manufacturer or ID")
                selectByMouse: true
                onTextChanged: if (chooser.fromFile) chooser.refill(); else Qt.callLater(function() { list.currentIndex = chooser.firstChoosable() })
                Keys.onDownPressed: list.incrementCurrentIndex()
                Keys.onUpPressed: list.decrementCurrentIndex()
                Keys.onReturnPressed: chooser.pickCurrent()
                Keys.onEnterPressed: chooser.pickCurrent()
            }
            ListView {
                id: list
                objectName: "compareChoices"
                Layout.fillWidth: true
                Layout.fillHeight: true
                clip: true
                keyNavigationEnabled: true
                highlightMoveDuration: 0
                highlight: Rectangle { color: "#E8EAF6"; radius: 3 }
                ScrollBar.vertical: ScrollBar {}
                model: chooser.fromFile ? fileRows : filter
                delegate: ItemDelegate {
                    objectName: "compareChoice_" + index
                    width: list.width
                    focusPolicy: Qt.NoFocus
                    // The current material is not compared with itself.
                    enabled: !model.bCur
                    text: model.name + " - " + model.manu + " (" + model.matID + ")"
                    font.capitalization: Font.MixedCase
                    onClicked: picked(chooser.rowAt(index))
                }
            }
        }
    }

    ComparisonDlg { id: comparisonView }

    FileChooser {
        id: compareFileDialog
        objectName: "compareFileDialog"
        title: qsTr("Choose a material file to compare with")
        selectExisting: true
        onAccepted: fileChosen(fileUrl)
    }
}
