import QtQuick 2.12
import QtQuick.Controls 2.5

// The current material's print sets at a glance: a row per printer type that has sets, a column
// per nozzle, each cell with its number of sets (layers × qualities), shaded by it, and marked
// "↺" when one of them differs from the vendor's. A cell selects its printer and nozzle as the
// menus do.
Column {
    id: map
    readonly property var setMap: materials.setMap
    readonly property var nozzles: setMap.nozzles || []
    readonly property var printers: setMap.printers || []
    readonly property int columns: nozzles.length + 1
    readonly property int most: {
        var m = 1
        for (var r = 0; r < printers.length; ++r)
            for (var c = 0; c < printers[r].counts.length; ++c)
                m = Math.max(m, printers[r].counts[c])
        return m
    }
    readonly property real cellWidth: fontP * 5.5
    readonly property real cellHeight: fontP * 2.4
    spacing: 6

    Label {
        text: printers.length > 0 ? qsTr("Print sets by printer and nozzle") : qsTr("This material has no print sets.")
        font.pixelSize: fontP * 1.1
        font.bold: printers.length > 0
    }

    Grid {
        objectName: "setMap"
        columns: map.columns
        rowSpacing: 3
        columnSpacing: 3
        visible: printers.length > 0

        Repeater {
            model: printers.length > 0 ? map.columns * (printers.length + 1) : 0
            delegate: Loader {
                readonly property int row: Math.floor(index / map.columns) - 1
                readonly property int column: index % map.columns - 1
                sourceComponent: row < 0 ? (column < 0 ? corner : nozzleHead) : (column < 0 ? printerName : cell)
            }
        }
    }

    Component {
        id: corner
        Item { width: fontP * 9; height: map.cellHeight }
    }
    Component {
        id: nozzleHead
        Label {
            width: map.cellWidth
            height: map.cellHeight
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignBottom
            text: "⩢ " + Number(nozzles[parent.column]).toFixed(2)
            color: "#616161"
        }
    }
    Component {
        id: printerName
        Label {
            width: fontP * 9
            height: map.cellHeight
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            text: parent.row < printers.length ? printers[parent.row].name : ""
        }
    }
    Component {
        id: cell
        Rectangle {
            // A cell of a map that was just replaced may still be asked for a row it no longer has.
            readonly property var printer: printers[parent.row] || ({ type: 0, name: "", counts: [], changed: [] })
            readonly property real nozzle: nozzles[parent.column] || 0
            readonly property int count: printer.counts[parent.column] || 0
            readonly property bool changed: printer.changed[parent.column] || false
            objectName: "mapCell_" + printer.type + "_" + Math.round(nozzle * 100)
            width: map.cellWidth
            height: map.cellHeight
            radius: 3
            color: count > 0 ? Qt.rgba(0.25, 0.32, 0.71, 0.15 + 0.65 * count / map.most) : "transparent"
            border.color: count > 0 ? "#3F51B5" : "#D0D0D0"
            border.width: 1
            // The keyboard goes there as the mouse does: Tab to a cell, Return or Space.
            activeFocusOnTab: count > 0
            Keys.onReturnPressed: area.clicked(null)
            Keys.onEnterPressed: area.clicked(null)
            Keys.onSpacePressed: area.clicked(null)
            Label {
                anchors.centerIn: parent
                text: count > 0 ? count : "–"
                color: count > 0 && count / map.most > 0.5 ? "white" : (count > 0 ? "#1A237E" : "#BDBDBD")
                font.bold: count > 0
            }
            Rectangle {
                anchors.top: parent.top
                anchors.right: parent.right
                anchors.margins: -4
                width: fontP * 1.2
                height: width
                radius: width / 2
                color: "#E65100"
                visible: changed
                Label {
                    anchors.centerIn: parent
                    text: "↺"
                    color: "white"
                    font.pixelSize: fontP * 0.8
                }
            }
            MouseArea {
                id: area
                anchors.fill: parent
                enabled: count > 0
                hoverEnabled: true
                cursorShape: count > 0 ? Qt.PointingHandCursor : Qt.ArrowCursor
                onClicked: {
                    choosePrinter(printer.type)
                    materials.selectNozzle(nozzle)
                }
            }
            ToolTip.visible: area.containsMouse && count > 0
            ToolTip.text: qsTr("%1, nozzle %2 mm: %3 print sets").arg(printer.name).arg(Number(nozzle).toFixed(2)).arg(count)
                          + (changed ? "\n" + qsTr("Some differ from the vendor's.") : "")
        }
    }
}
