import QtQuick 2.12
import QtQuick.Controls 2.5

// A question or a message of the window: centred and modal, never wider than the window, with
// the keyboard on it. Return presses the button that has the keyboard, or else answers with the
// accepting one; Escape answers with the rejecting one.
Dialog {
    id: question
    property real preferredWidth: fontP * 36
    anchors.centerIn: Overlay.overlay
    width: Math.min(window.width - 40, preferredWidth)
    modal: true
    focus: true

    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: question.opened
        onActivated: {
            var item = window.activeFocusItem
            if (item && typeof item.clicked === "function" && item.checkable !== undefined)
                item.clicked()
            else
                question.accept()
        }
    }
}
