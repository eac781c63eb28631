import QtQuick 2.12
import QtQuick.Window 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.12
import QtQuick.Layouts 1.12

// The editor's window without the editor: its size, style and a tool bar, nothing else.
ApplicationWindow {
    visible: true
    width: 1280
    height: 800
    title: "Bare window"

    header: ToolBar {
        RowLayout {
            anchors.fill: parent
            ToolButton { text: "Open" }
            ToolButton { text: "Save" }
            ToolButton { text: "Import" }
            ToolButton { text: "Export" }
            Item { Layout.fillWidth: true }
        }
    }

    Label {
        anchors.centerIn: parent
        text: "A window of Qt Quick Controls 2"
    }
}
