import QtQuick 2.12
import QtQuick.Controls 2.5

// The window's flows and dialogs, made after its first frame (see main.qml): the window reaches
// each through a property of its name.
Item {
    property alias saveFlow: saveFlow
    property alias importFlow: importFlow
    property alias exportFlow: exportFlow
    property alias vendorDialogs: vendorDialogs
    property alias compareFlow: compareFlow
    property alias unlockDialog: unlockDialog
    property alias intInputDialog: intInputDialog
    property alias doubleInputDialog: doubleInputDialog
    property alias temperatureDialog: temperatureDialog
    property alias speedDialog: speedDialog
    property alias widthDialog: widthDialog
    property alias aboutDialog: aboutDialog
    property alias bulkPreview: bulkPreview
    property alias paramTable: paramTable
    property alias adviceView: adviceView
    property alias flowLimitDialog: flowLimitDialog
    property alias deriveDialog: deriveDialog

    SaveFlow { id: saveFlow }
    ImportFlow { id: importFlow }
    ExportFlow { id: exportFlow }
    VendorDialogs { id: vendorDialogs }
    CompareFlow { id: compareFlow }

    // The password of the current material, asked where the user tries to change it.
    UnlockDlg { id: unlockDialog; objectName: "unlockDialog" }

    IntInputDlg { id: intInputDialog; objectName: "intInputDialog" }
    DoubleInputDlg { id: doubleInputDialog; objectName: "doubleInputDialog" }
    TemperatureDlg { id: temperatureDialog; objectName: "temperatureDialog" }
    SpeedDlg { id: speedDialog; objectName: "speedDialog" }
    WidthDlg { id: widthDialog; objectName: "widthDialog" }
    AboutDlg { id: aboutDialog; objectName: "aboutDialog" }

    // A value dialog's change over the materials chosen in the drawer, previewed.
    BulkPreviewDlg { id: bulkPreview }

    // One value over the current printer's print sets, from a page's value or the ☰ menu.
    ParamTable { id: paramTable; objectName: "paramTable" }

    // The check of the current material's values, and its flow limit.
    AdviceDlg { id: adviceView }
    FlowLimitDlg { id: flowLimitDialog }

    // The current print sets made for another nozzle or layer thickness, after a preview.
    DeriveDlg { id: deriveDialog; objectName: "deriveDialog" }
}
