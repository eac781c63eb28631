import QtQuick 2.12
import QtQuick.Controls 2.5

Dialog {
    function setValue() {}
    function beforeOpen() {}
}
