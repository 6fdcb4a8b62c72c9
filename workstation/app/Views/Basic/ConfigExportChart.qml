import QtQuick
import QtQuick.Controls
import Kiv 1.0
import ".."

// A chart's picture or series, to a file (through the file dialog) or to the clipboard.
DialogBase {
    id: root
    objectName: "ConfigExportChart"

    // 0 picture file, 1 CSV file, 2 picture to the clipboard, 3 CSV to the clipboard.
    function xexport(kind) {
        const module = xtag
        xclose()
        if (!module)
            return
        switch (kind) {
        case 0: App.openFileDialog(3, module); break
        case 1: App.openFileDialog(4, module); break
        case 2: module.exportImage(""); break
        case 3: module.exportCsv(""); break
        }
    }

    Column {
        spacing: 4
        XButtonText { objectName: "btnExportPng"; width: 160; height: 30; text: qsTrId("ExportPng"); onClicked: root.xexport(0) }
        XButtonText { objectName: "btnExportCsv"; width: 160; height: 30; text: qsTrId("ExportCsv"); onClicked: root.xexport(1) }
        XSeperator { width: 160; height: 1 }
        XButtonText { objectName: "btnExportPngClipboard"; width: 160; height: 30; text: qsTrId("ExportPng") + " | " + qsTrId("Clipboard"); onClicked: root.xexport(2) }
        XButtonText { objectName: "btnExportCsvClipboard"; width: 160; height: 30; text: qsTrId("ExportCsv") + " | " + qsTrId("Clipboard"); onClicked: root.xexport(3) }
    }
}
