import QtQuick 2.12
import QtQuick.Controls 2.5

// Import: files previewed one after another as the user chooses, then one report; and the merge
// of a user library that changed on disk, which saves once the user confirms.
Item {
    id: importFlow

    function chooseFile() { importDialog.open() }

    // Files to import go one preview after another; one report tells what all of them did.
    property var importQueue: []
    property var importTotals: null
    function importFiles(files) {
        importQueue = importQueue.concat(files)
        if (importTotals === null) {
            importTotals = { imported: 0, added: 0, replaced: 0, kept: 0, renumbered: 0, skipped: 0, refusedSets: 0,
                             notes: [], renamedNames: [], renumberedNames: [] }
            importNext()
        }
    }
    function importNext() {
        if (importQueue.length === 0) {
            // A preview cancelled imports nothing and says nothing.
            if (importTotals.imported > 0 || importTotals.notes.length > 0)
                reportImports(importTotals)
            importTotals = null
            return
        }
        var file = importQueue.shift()
        var items = materials.previewImport(file)
        var read = materials.lastImportReport()
        var path = pathOf(file)
        importTotals.skipped += read.skipped
        importTotals.refusedSets += read.refusedSets
        if (read.missing)
            importTotals.notes.push(qsTr("%1 does not exist.").arg(path))
        else if (read.readError !== "")
            importTotals.notes.push(qsTr("%1 could not be read completely (%2); what was read is offered.").arg(path).arg(read.readError))
        else if (items.length === 0)
            importTotals.notes.push(qsTr("%1 holds no material.").arg(path))
        if (items.length === 0) {
            importNext()
            return
        }
        importPreview.purpose = "import"
        importPreview.show(fileNameOf(file), items)
    }
    function reportImports(totals) {
        var text = qsTr("%1 materials added, %2 replaced existing ones, %3 kept as they were, %4 renumbered, %5 lines skipped as not materials.")
            .arg(totals.added).arg(totals.replaced).arg(totals.kept).arg(totals.renumbered).arg(totals.skipped)
        if (totals.refusedSets > 0)
            text += " " + qsTr("%1 print sets refused.").arg(totals.refusedSets)
        var lines = totals.notes.concat([text])
        if (totals.renamedNames.length > 0)
            lines.push(qsTr("Renamed: %1").arg(totals.renamedNames.join("; ")))
        if (totals.renumberedNames.length > 0)
            lines.push(qsTr("New IDs: %1").arg(totals.renumberedNames.join("; ")))
        messageDialog.title = qsTr("Import")
        messageDialog.prompt = lines.join("\n")
        messageDialog.open()
    }

    // The user library changed on disk: its materials are merged as the user chooses in the
    // preview, and saved once the user confirms there.
    function mergeChangedLibrary() {
        var items = materials.previewImport(materials.userLibraryPath())
        importPreview.purpose = "merge"
        importPreview.show(fileNameOf(materials.userLibraryPath()), items)
    }

    ImportPreviewDlg {
        id: importPreview
        onFinished: {
            if (purpose === "merge") {
                if (imported)
                    saveFlow.writeLibrary()
                return
            }
            if (imported) {
                var r = materials.lastImportReport()
                importTotals.imported += 1
                importTotals.added += r.added
                importTotals.replaced += r.replaced
                importTotals.kept += r.kept
                importTotals.renumbered += r.renumbered
                importTotals.renamedNames = importTotals.renamedNames.concat(r.renamedNames)
                importTotals.renumberedNames = importTotals.renumberedNames.concat(r.renumberedNames)
            }
            importNext()
        }
    }

    FileChooser {
        id: importDialog
        objectName: "importDialog"
        title: qsTr("Please choose material file")
        selectExisting: true
        selectMultiple: true
        onAccepted: {
            importDialog.fileUrls.forEach(function (url) { console.log("You chose: " + url) })
            importFiles(importDialog.fileUrls)
        }
        onRejected: console.log("Canceled")
    }
}
