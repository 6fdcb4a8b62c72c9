import QtQuick
import Kiv 1.0

// Exports the module's current picture as a radiometric picture.
ExportDialogBase {
    id: root
    objectName: "configExportIrJpg"
    xtitle: "ExportIrJpg"
    xkind: 1
    xext: "jpg"
    xfileFunc: 5

    onXfill: inputs.fill()

    ExportPictureInputs { id: inputs; objectName: "pictureInputs" }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: ["Export", "Cancel"]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
