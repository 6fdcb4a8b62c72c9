import QtQuick
import Kiv 1.0

// Exports the module's current picture as a radiometric picture.
ExportDialogBase {
    id: root
    objectName: "configExportIrJpg"
    xtitle: QT_TRID_NOOP("ExportIrJpg")
    xkind: 1
    xext: "jpg"
    xfileFunc: 5

    onXfill: inputs.fill()

    ExportPictureInputs { id: inputs; objectName: "pictureInputs" }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: [QT_TRID_NOOP("Export"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
