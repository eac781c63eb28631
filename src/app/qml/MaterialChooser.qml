import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12
import PrintSet 1.0

// One material of the library, chosen by a search as in the drawer: typing narrows the list, the
// arrows move, Return or OK takes the highlighted one (a press on a row highlights it).
Question {
    id: chooser
    property string prompt
    signal chosen(int matID)

    preferredWidth: fontP * 34
    standardButtons: Dialog.Ok | Dialog.Cancel
    onOpened: {
        search.text = ""
        search.forceActiveFocus()
        list.currentIndex = 0
    }
    onAccepted: {
        var id = currentID()
        if (id !== -1)
            chosen(id)
    }
    function currentID() {
        if (list.currentIndex < 0 || list.currentIndex >= list.count)
            return -1
        return filter.data(filter.index(list.currentIndex, 0), 259)
    }

    ColumnLayout {
        width: parent.width
        spacing: 6
        Label {
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            text: chooser.prompt
            visible: text !== ""
        }
        TextField {
            id: search
            objectName: "chooserSearch"
            Layout.fillWidth: true
            placeholderText: qsTr("Search name, manufacturer or ID")
            selectByMouse: true
            onTextChanged: list.currentIndex = 0
            Keys.onDownPressed: list.incrementCurrentIndex()
            Keys.onUpPressed: list.decrementCurrentIndex()
        }
        ListView {
            id: list
            objectName: "chooserList"
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(window.height - fontP * 16, fontP * 20)
            clip: true
            highlightMoveDuration: 0
            highlight: Rectangle { color: "#C5CAE9"; radius: 3 }
            ScrollBar.vertical: ScrollBar {}
            model: MaterialFilterModel {
                id: filter
                mats: materials
                filterText: search.text
            }
            delegate: ItemDelegate {
                objectName: "chooserRow_" + matID
                width: list.width
                focusPolicy: Qt.NoFocus
                text: name + " - " + manu + "   " + matID
                onClicked: list.currentIndex = index
                onDoubleClicked: {
                    list.currentIndex = index
                    chooser.accept()
                }
            }
        }
    }
}
