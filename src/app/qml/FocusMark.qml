import QtQuick 2.12
import QtQuick.Controls.Material 2.12

// The 2-pixel accent outline of a control that has the keyboard, where its style shows none.
Rectangle {
    objectName: "focusMark"
    anchors.fill: parent
    color: "transparent"
    border.width: 2
    border.color: Material.accent
    radius: 2
}
