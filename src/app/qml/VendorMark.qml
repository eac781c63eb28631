import QtQuick 2.12
import QtQuick.Controls 2.5

// "↺" beside a value that differs from the vendor's (or from the material it was copied from): its
// tool tip gives that value, and
// pressing it puts that value back (not for a locked material). It keeps its room when hidden,
// so that the fields line up.
ToolButton {
    id: mark
    property bool differs: false
    property string tip
    property int paramID: -1
    property bool locked: false

    implicitWidth: fontP * 2
    text: "↺"
    font.pixelSize: fontP * 1.2
    opacity: differs ? 1 : 0
    enabled: differs
    // Tab reaches it where it shows; a press leaves the keyboard where it was.
    focusPolicy: Qt.TabFocus
    ToolTip.visible: hovered && differs
    ToolTip.delay: 300
    ToolTip.text: locked ? tip + "\n🔒 " + qsTr("Locked: press to give its password.")
                         : tip + "\n" + (materials.referenceName === "" ? qsTr("Press to put the vendor's value back.")
                                                                          : qsTr("Press to put the value of %1 back.").arg(materials.referenceName))
    onClicked: {
        if (locked)
            askUnlock()
        else
            materials.resetValueToVendor(paramID)
    }
}
