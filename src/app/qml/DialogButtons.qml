import QtQuick 2.12
import QtQuick.Controls 2.12

// A dialog's standard buttons: Return presses the one that has the keyboard, as Space does
// (Controls 2 of Qt 5 has no click()).
DialogButtonBox {
    visible: count > 0
    delegate: Button {
        id: button
        flat: true
        Keys.onReturnPressed: button.clicked()
        Keys.onEnterPressed: button.clicked()
    }
}
