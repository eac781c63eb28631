import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.12
import QtQuick.Layouts 1.12

// A tool-bar button whose text gives way when the bar is short: it is elided (the whole text in
// a tool tip) rather than pushing the buttons after it out of the window. The keyboard focus
// shows as a frame, which reads on the coloured bar too.
ToolButton {
    id: button
    // Layouts round widths to whole pixels: a pixel more than the text needs keeps it unelided.
    Layout.fillWidth: true
    Layout.preferredWidth: Math.ceil(implicitWidth) + 1
    Layout.maximumWidth: Math.ceil(implicitWidth) + 1
    // How far the text may give way; the cascade's buttons keep their short texts whole.
    property real shortestWidth: Math.min(implicitWidth, fontP * 12)
    Layout.minimumWidth: shortestWidth

    contentItem: Label {
        text: button.text
        font: button.font
        color: button.Material.foreground
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    ToolTip.visible: hovered && contentItem.truncated
    ToolTip.text: text
    ToolTip.delay: 500

    Rectangle {
        anchors.fill: parent
        anchors.margins: 3
        radius: 3
        color: "transparent"
        border.color: button.Material.foreground
        border.width: 2
        visible: button.visualFocus
    }
}
