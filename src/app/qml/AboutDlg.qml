import QtQuick 2.12
import QtQuick.Controls 2.5

// Version and user-interface language.
Dialog {
    title: qsTr("About")
    modal: true
    focus: true
    anchors.centerIn: Overlay.overlay
    standardButtons: Dialog.Ok
    contentWidth: fontP * 22

    // The combo's entry at opening: both Chinese indexes (10 "zh", 11 "zh_tw") show "中文",
    // every other index "English".
    property int shownEntry: 0

    function entryOfLanguage(index) {
        return index === 10 || index === 11 ? 1 : 0
    }

    onAboutToShow: {
        shownEntry = entryOfLanguage(materials.curLanguage)
        languageCombo.currentIndex = shownEntry
    }

    onAccepted: {
        console.log("current language index: " + languageCombo.currentIndex)
        // Only a change of the entry is written: confirming the dialog must not turn another
        // saved language (or "zh_tw") into 0 or 10 in the setting kept in the shared data folder.
        if (languageCombo.currentIndex !== shownEntry)
            materials.curLanguage = languageCombo.currentIndex === 1 ? 10 : 0
    }
    onClosed: console.log("about dialog exit")

    Column {
        width: parent.width
        spacing: 20

        TextField {
            objectName: "versionField"
            width: parent.width
            enabled: false
            text: qsTr("Version: %1").arg(Qt.application.version)
            placeholderText: "version"
        }
        ComboBox {
            id: languageCombo
            objectName: "languageCombo"
            width: parent.width
            model: ["English", "中文"]
        }
    }
}
