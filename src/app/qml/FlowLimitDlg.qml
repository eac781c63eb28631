import QtQuick 2.12
import QtQuick.Controls 2.5

// The current material's highest volumetric flow, mm³/s: the parameter page marks the print sets
// whose flow exceeds it, and the check lists their speeds. Empty removes it. One step either way.
Question {
    id: limitDialog
    objectName: "flowLimitDialog"
    title: qsTr("Flow limit")
    standardButtons: Dialog.Ok | Dialog.Cancel
    footer: DialogButtons {}

    // The typed text as a limit (0: none), or null for a text that is none.
    function parse(text) {
        var t = text.trim().replace(",", ".")
        if (t === "")
            return 0
        if (!/^\d*\.?\d+$|^\d+\.$/.test(t))
            return null
        var n = Number(t)
        return n > 0 && n < 1e6 ? n : null
    }
    readonly property bool valid: parse(limitField.text) !== null

    // A text refused by Return comes back with the dialog, not lost.
    property var refused: null
    onAboutToShow: {
        limitField.text = refused !== null ? refused
                        : materials.flowLimit() > 0 ? String(materials.flowLimit()) : ""
        refused = null
    }
    onOpened: {
        limitField.forceActiveFocus()
        limitField.selectAll()
    }
    // A text that is no limit shows why, and OK waits for one.
    onValidChanged: if (standardButton(Dialog.Ok)) standardButton(Dialog.Ok).enabled = valid
    onAccepted: {
        var limit = parse(limitField.text)
        if (limit === null) {
            refused = limitField.text
            open()
        } else {
            materials.setFlowLimit(limit)
        }
    }

    Column {
        width: parent.width
        spacing: 12
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: qsTr("The highest volumetric flow this material melts fast enough for, in mm³/s. Print sets whose flow exceeds it are marked; leave it empty for no limit.")
        }
        TextField {
            id: limitField
            objectName: "flowLimitField"
            width: parent.width
            placeholderText: qsTr("no limit")
            inputMethodHints: Qt.ImhFormattedNumbersOnly
            selectByMouse: true
        }
        Label {
            objectName: "flowLimitError"
            width: parent.width
            wrapMode: Text.Wrap
            visible: !limitDialog.valid
            color: "#B71C1C"
            text: qsTr("Type a number over 0, such as 12 or 15.5, or nothing for no limit.")
        }
    }
}
