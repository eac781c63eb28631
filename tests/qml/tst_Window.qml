import QtQuick 2.12
import QtTest 1.2

// The real main window, loaded from the resources as start-up loads it.
Item {
    id: root
    width: 1280
    height: 800

    Loader {
        id: window
        source: "qrc:/main.qml"
    }

    TestCase {
        name: "Window"
        when: window.status !== Loader.Loading

        function test_loaded() {
            verify(window.item !== null)
            verify(findChild(window.item, "intInputDialog") !== null)
        }
    }
}
