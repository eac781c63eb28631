import QtQuick 2.12
import QtQuick.Controls 2.5

// Copies the current print sets to a key that the material does not have yet.
Dialog {
    title: qsTr("Copy print set")
    modal: true
    focus: true
    anchors.centerIn: Overlay.overlay
    standardButtons: Dialog.Ok | Dialog.Cancel
    contentWidth: fontP * 30

    property string printer: "unknow"
    property string nozzle: "unknow"
    property string thick: "unknow"
    property string quality: "unknow"
    property int setNumber: 0
    property int availNumber: 0

    // A level's text starting with "-" means nothing is chosen there.
    function levelText(text) {
        return text.charAt(0) !== "-" ? " > " + text : ""
    }

    function beforeOpen() {
        entries.clear()
        var s = materials.availNewSet
        console.log(" available sets: " + s + " str lenght: " + s.length)
        if (s !== "") {
            var pieces = s.split("|")
            console.log("list size: " + pieces.length)
            for (var i = 0; i < pieces.length; ++i)
                entries.append({ "text": pieces[i] })
            availNumber = pieces.length
        } else {
            entries.append({ "text": qsTr("Can't insert new sets") })
            availNumber = 0
        }
        setCombo.currentIndex = 0
        printer = materials.curPrinter.charAt(0) !== "-" ? materials.curPrinter : qsTr("Unknow printer")
        nozzle = levelText(materials.curNozzle)
        thick = levelText(materials.curLayerThick)
        quality = levelText(materials.curQuality)
        setNumber = materials.curSetNumber
    }

    onAccepted: {
        if (availNumber === 0)
            return
        var index = setCombo.currentIndex
        console.log("Copy sets with selected index: " + index)
        var n = materials.copyCurSets(index)
        console.log("Add print set: " + n)
        // What was made, and what the printer does not offer, with why.
        var report = materials.lastCopyReport()
        var text = qsTr("Add %1 print sets").arg(n)
        if (report.refusedSets > 0)
            text += "\n" + qsTr("%1 print sets could not be made:").arg(report.refusedSets) + "\n" + report.refused.join("\n")
        messageDialog.title = qsTr("Copy print set")
        messageDialog.prompt = text
        messageDialog.open()
    }

    ListModel { id: entries }

    Column {
        width: parent.width
        spacing: 20

        Row {
            width: parent.width
            spacing: 10
            Label {
                id: newSetLabel
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("New set:")
            }
            ComboBox {
                id: setCombo
                objectName: "setCombo"
                width: parent.width - newSetLabel.width - parent.spacing
                model: entries
                textRole: "text"
                Component.onCompleted: console.log(" combox complete!  ")
            }
        }
        Label {
            objectName: "copyFromLabel"
            width: parent.width
            height: Math.max(implicitHeight, fontP * 5)
            color: "grey"
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: qsTr("Copy from: ") + printer + nozzle + thick + quality + "\n" + qsTr("Total sets: ") + setNumber
        }
    }
}
