import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// One edit from the drawer to the saved user library, in the real window over the shipped
// vendor library, started the way the program starts; then a locked material.
Item {
    width: 1280
    height: 800

    Loader {
        id: window
        source: "qrc:/main.qml"
    }

    TestCase {
        name: "EndToEnd"
        when: window.status !== Loader.Loading

        readonly property int pla: 1308557733 // "PLA" of the vendor library

        function lookUp(name) {
            return findChild(window.item.contentItem.parent, name) || findChild(window.item, name)
        }
        function child(name) {
            tryVerify(function() { return lookUp(name) !== null }, 3000, "no " + name)
            return lookUp(name)
        }
        // Controls are driven through the signals a click or a press emits.
        function chooseFromMenu(button, menu, item) {
            child(button).clicked()
            tryCompare(child(menu), "opened", true)
            child(item).triggered()
            child(menu).close()
            tryCompare(child(menu), "visible", false)
        }
        function savedMaterial(id) {
            var saved = JSON.parse(testFiles.decodeFile(materials.userLibraryPath()))
            for (var i = 0; i < saved.length; ++i) {
                if (saved[i].b1 === id)
                    return saved[i]
            }
            return null
        }

        function initTestCase() {
            compare(window.status, Loader.Ready)
            window.item.show()
            materials.checkVendorMaterials()
            materials.importVendorMaterials()
            materials.importUserMaterials()
            verify(materials.curMaterial.length > 0)
        }

        function test_1_editReachesTheUserLibrary() {
            child("drawer").open()
            tryCompare(child("drawer"), "position", 1)
            child("materialField_" + pla).pressed(null)
            compare(materials.curMatID, pla)
            chooseFromMenu("printerButton", "printerMenu", "printerItem_10102")
            compare(child("stackView").depth, 2)
            chooseFromMenu("nozzleButton", "nozzleMenu", "nozzleItem_0")
            verify(materials.curNozzle.indexOf("Dia: ") === 0)
            const nozzle = Number(materials.curNozzle.substring(5))

            child("paramField_15").pressed(null) // "Contour Speed"
            const dialog = child("speedDialog")
            tryCompare(dialog, "opened", true)
            const spin = findChild(dialog.contentItem, "spinBox")
            const newSpeed = spin.value + 1
            spin.increase()
            spin.valueModified()
            dialog.standardButton(Dialog.Ok).clicked()
            tryCompare(dialog, "visible", false)

            child("optionsButton").clicked()
            child("saveItem").triggered()
            const saved = savedMaterial(pla)
            verify(saved !== null, "PLA is in the user library")
            var edited = 0
            for (var i = 0; i < saved.group.length; ++i) {
                const set = saved.group[i]
                if (set.p1 === 10102 && Math.abs(set.p2 - nozzle) < 0.01) {
                    compare(set.p12[0], newSpeed)
                    ++edited
                }
            }
            verify(edited > 0, "the current print sets were saved")
        }

        function test_2_lockedMaterialRefusesEditsAndWrongPasswords() {
            materials.selectMaterial(pla)
            const nameDialog = child("namInputDialog")
            nameDialog.open()
            findChild(nameDialog.contentItem, "passwordField").text = "secret"
            findChild(nameDialog.contentItem, "repeatField").text = "secret"
            nameDialog.accept()
            child("messageDialog").close() // "Password set"
            tryCompare(child("messageDialog"), "visible", false)
            materials.selectMaterial(pla) // selecting it again locks it
            compare(materials.bMatLocked, 1)
            compare(child("editButton_0").text, "⚔")
            child("basicField_0").pressed(null)
            wait(100)
            compare(child("temperatureDialog").opened, false)

            nameDialog.open()
            findChild(nameDialog.contentItem, "nameField").text = "Renamed"
            findChild(nameDialog.contentItem, "passwordField").text = "wrong"
            nameDialog.accept()
            const message = child("messageDialog")
            tryCompare(message, "opened", true)
            compare(message.title, "Warning")
            compare(message.prompt, "Password error!")
            compare(materials.curMatName, "PLA")
            message.close()
            tryCompare(message, "visible", false)
        }

        function test_3_aFailedSaveIsNeverSilent() {
            verify(testFiles.blockWithFolder(materials.userLibraryPath()))
            child("optionsButton").clicked()
            child("saveItem").triggered()
            tryCompare(child("diskChangedDialog"), "opened", true) // a folder where the library was
            child("overwriteButton").clicked()
            const message = child("messageDialog")
            tryCompare(message, "opened", true)
            compare(message.title, "Warning")
            verify(message.prompt.indexOf("could not be saved") >= 0, message.prompt)
            verify(message.prompt.indexOf(materials.userLibraryPath()) >= 0, message.prompt)
            message.close()
        }
    }
}
