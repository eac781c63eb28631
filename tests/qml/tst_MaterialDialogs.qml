import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.2

// The material dialogs, opened from the pages as a user opens them, against the fixture library:
// "PLA" 1001 with three print sets for printer 10102, and "PETG"/"Tallow" 1002 locked with "secret".
MainWindowTest {
    name: "MaterialDialogs"

    property int copyID: 0

    function initTestCase() {
        materials.importMaterials(fixtureLibrary, false)
        showWindow()
    }
    // Every test edits its own copy of "PLA": unlocked, no printer chosen.
    function init() {
        materials.addCopyMaterial(1001)
        copyID = materials.curMatID
    }
    function cleanup() {
        closeAll(["messageDialog", "namInputDialog", "passwordDialog", "setIDDialog", "copyDialog"])
        materials.removeMaterial(copyID)
    }

    // The start page's ✍, password and ID dialogs send what was typed; a refusal says why and changes
    // nothing. The dialog is the one of the first field; "pw" gives the copy the password "secret".
    // "returns": Return in each field moves on to the next one shown, and in the last accepts.
    function test_basicDialogs_data() {
        function notAnID(t) {
            return "Warning: \"" + t + "\" is not a material ID.\nPlease input a whole number."
        }
        return [
            { tag: "OK renames, ✍ reached with the keyboard", keys: true, fields: { nameField: "PLA Pro", manuField: "Acme" }, material: "PLA Pro ( Acme )" },
            { tag: "Cancel keeps the name", fields: { nameField: "PLA Pro" }, cancel: true },
            { tag: "a password typed twice locks from the next selection", relocked: 1,
              fields: { passwordField: "secret", repeatField: "secret" },
              message: "Password set: PLA_Copy1 now has a password. It stays open until you choose another "
                       + "material; from then on it asks for the password before any change." },
            { tag: "Return from field to field: the repeat field's accepts", returns: true, relocked: 1,
              fields: { nameField: "PLA Pro", manuField: "Acme", passwordField: "secret", repeatField: "secret" },
              material: "PLA Pro ( Acme )", message: "Password set: PLA Pro now has a password. It stays open until "
                  + "you choose another material; from then on it asks for the password before any change." },
            { tag: "Return in the password field with nothing to repeat accepts", returns: true, relocked: 0,
              fields: { nameField: "PLA Pro", manuField: "Acme", passwordField: "" }, material: "PLA Pro ( Acme )" },
            { tag: "passwords that differ change nothing", relocked: 0,
              fields: { passwordField: "secret", repeatField: "secrte" },
              message: "Warning: The two passwords differ. Nothing was changed." },
            { tag: "locked: a wrong password", matID: 1002, message: "Warning: Password error!", locked: 1,
              fields: { nameField: "Changed", passwordField: "Secret" } },
            { tag: "locked: the right password unlocks", matID: 1002, fields: { passwordField: "secret" } },
            { tag: "password changed", pw: true, relocked: 1, message: "Password: The password was changed.",
              fields: { oldPasswordField: "secret", newPasswordField: "new", newRepeatField: "new" } },
            { tag: "password removed", pw: true, relocked: 0, message: "Password: The password was removed.",
              fields: { oldPasswordField: "secret", newPasswordField: "" } },
            { tag: "password changed by keys: Tab to the button, Return from field to field", pw: true, returns: true,
              relocked: 1, message: "Password: The password was changed.",
              fields: { oldPasswordField: "secret", newPasswordField: "new", newRepeatField: "new" } },
            { tag: "password kept: new ones differ", pw: true, relocked: 1,
              fields: { oldPasswordField: "secret", newPasswordField: "new", newRepeatField: "wen" },
              message: "Warning: The two new passwords differ. Nothing was changed." },
            { tag: "ID typed as shown", fields: { idField: "4711" }, id: 4711 },
            { tag: "ID control reached with the keyboard", keys: true, fields: { idField: "700" }, id: 700 },
            { tag: "negative ID: the library's reason", fields: { idField: "-702" },
              message: "Warning: The ID -702 is negative: material IDs are whole numbers from 0 up." },
            { tag: "no ID", fields: { idField: "" }, message: notAnID("") },
            { tag: "ID with an exponent", fields: { idField: "-1e3" }, message: notAnID("-1e3") },
            { tag: "ID beyond 32 bits", fields: { idField: "-4294967996" }, message: notAnID("-4294967996") }
        ]
    }
    function test_basicDialogs(data) {
        materials.selectMaterial(data.matID || copyID)
        if (data.pw)
            materials.setMatNameAndManu(materials.curMatName, materials.curManu, Qt.md5("secret"))
        var before = materials.curMaterial
        var byID = "idField" in data.fields
        if (data.keys)
            focusOn(byID ? "idButton" : "nameSymbol", Qt.Key_Space)
        else
            press(byID ? "idButton" : "nameSymbol")
        var dialog = opened(byID ? "setIDDialog" : "namInputDialog")
        // Every opening starts from the library, with no password.
        if (!byID)
            compare([shown("nameField"), shown("passwordField")], [materials.curMatName, "Password"])
        if (data.pw && data.returns) {
            focusOn("changePasswordButton", Qt.Key_Return)
        }
        if (data.pw)
            dialog = data.returns ? opened("passwordDialog") : openFrom("changePasswordButton", "passwordDialog")
        // What is typed replaces the fields' texts; a password is never shown as typed. The field with
        // the keyboard is outlined.
        Object.keys(data.fields).forEach(function (name, i) {
            var field = data.returns && i > 0 ? child(name) : press(name)
            verify(hasKeys(field), name + ": no keyboard")
            outlined(field)
            keySequence(StandardKey.SelectAll)
            key(Qt.Key_Backspace)
            type(data.fields[name])
            compare(field.echoMode === TextInput.Password, /ssword|epeat/.test(name))
            if (data.returns)
                key(Qt.Key_Return)
        })
        data.returns ? closed(dialog) : answer(dialog, data.cancel ? Dialog.Cancel : Dialog.Ok)
        compare(message(), data.message || "")
        compare([materials.curMaterial, materials.curMatID, materials.bMatLocked],
                [data.material || before, data.id || data.matID || copyID, data.locked || 0])
        copyID = data.id || copyID
        materials.selectMaterial(copyID)
        if (data.relocked !== undefined)
            compare(materials.bMatLocked, data.relocked)
    }

    // ➕ on the parameter page says what it copies, offers what to copy it to, then says what it did.
    // The offer comes from the printer's catalogue; what a copy could not make is named with why.
    function test_copySetsDialog_data() {
        return [{ tag: "both sets of nozzle 0.4 to 0.3", nozzle: 0.4, sets: 2, added: 2, all: 5,
                  message: "Add 2 print sets" },
                { tag: "nozzle 0.6 to 0.3, whose layers stop at 0.25", nozzle: 0.6, sets: 1, added: 0, all: 3,
                  message: "Add 0 print sets\n1 print sets could not be made:\n"
                           + "layer 0.30 mm: not offered for nozzle 0.30 mm of Orvik Solo" }]
    }
    function test_copySetsDialog(data) {
        showParams(copyID, 10102, data.nozzle, -1, -1)
        var dialog = openFrom("copySetsButton", "copyDialog")
        compare(shown("copyFromLabel"), "Copy from: Orvik Solo > Dia: " + data.nozzle.toFixed(2) + " \nTotal sets: " + data.sets)
        pick(child("setCombo"), 1)
        compare(shown("setCombo"), "Dia: 0.30mm")
        answer(dialog, Dialog.Ok)
        compare(message(), "Copy print set: " + data.message)
        compare(materials.undoText, data.added ? "Undo copy 2 print sets to 0.30 mm" : "Undo add PLA_Copy1") // no step
        materials.selectPrinter(10102)
        compare(materials.curSetNumber, data.all)
    }
}
