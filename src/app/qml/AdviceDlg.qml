import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.12

// The check of the current material: each value unlikely to print well, with its reason and a
// suggested value. A press on one (or Return or Space on it) selects its print set through the
// cascade and shows the parameter page with the value's field given the keyboard.
Dialog {
    id: view
    objectName: "adviceView"
    property var findings: []

    anchors.centerIn: Overlay.overlay
    width: Math.min(window.width - 40, fontP * 52)
    height: window.height - 40
    modal: true
    focus: true
    title: qsTr("Check of %1").arg(materials.curMatName)
    standardButtons: Dialog.Close
    footer: DialogButtons {}

    function show() {
        refresh()
        open()
    }
    function refresh() { findings = materials.materialAdvice() }
    onOpened: list.count > 0 ? list.itemAtIndex(0).forceActiveFocus() : footer.forceActiveFocus()
    Connections {
        target: materials
        enabled: view.opened
        function onMatChanged() { view.refresh() }
        function onLanguageChanged() { view.refresh() }
    }

    // The finding's print set and value on the parameter page.
    function go(finding) {
        close()
        if (!materials.showPrintSet(finding.printer, finding.nozzle, finding.layer, finding.quality))
            return
        tryShowPage(1)
        var field = findChild(stackView.currentItem, "paramField_" + finding.row)
        if (field)
            field.forceActiveFocus(Qt.TabFocusReason)
    }
    function findChild(item, name) {
        if (!item)
            return null
        if (item.objectName === name)
            return item
        for (var i = 0; i < item.children.length; ++i) {
            var found = findChild(item.children[i], name)
            if (found)
                return found
        }
        return null
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 6
        Label {
            objectName: "adviceCount"
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: view.findings.length === 0 ? qsTr("Nothing unlikely was found.")
                                             : qsTr("%1 values are unlikely to print well; press one to see it.")
                                               .arg(view.findings.length)
        }
        ListView {
            id: list
            objectName: "adviceList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: view.findings
            ScrollBar.vertical: ScrollBar {}
            delegate: ItemDelegate {
                objectName: "advice_" + index
                width: list.width
                focusPolicy: Qt.StrongFocus
                text: modelData.name + ": " + modelData.value + " " + modelData.unit + " — " + modelData.text
                onActiveFocusChanged: if (activeFocus) list.positionViewAtIndex(index, ListView.Contain)
                contentItem: Column {
                    spacing: 2
                    Label {
                        width: parent.width
                        elide: Text.ElideRight
                        font.bold: true
                        text: parent.parent.text
                    }
                    Label {
                        width: parent.width
                        wrapMode: Text.Wrap
                        text: modelData.reason
                    }
                    Label {
                        width: parent.width
                        elide: Text.ElideRight
                        color: "#2E7D32"
                        text: qsTr("Suggested: %1").arg(modelData.suggested + " " + modelData.unit)
                    }
                }
                onClicked: view.go(modelData)
                Keys.onReturnPressed: view.go(modelData)
                Keys.onEnterPressed: view.go(modelData)
                Keys.onUpPressed: if (index > 0) list.itemAtIndex(index - 1).forceActiveFocus()
                Keys.onDownPressed: if (index + 1 < list.count) list.itemAtIndex(index + 1).forceActiveFocus()
            }
        }
    }
}
