import QtQuick
import Kiv 1.0

// Exports a range of a recording as an MP4 video, optionally with the measurement items and the
// colour bar drawn in.
ExportDialogBase {
    id: root
    objectName: "configExportIrMp4"
    xtitle: QT_TRID_NOOP("ExportIrMp4")
    xkind: 3
    xext: "mp4"
    xfileFunc: 7
    xinputsValid: range.xvalid

    onXfill: {
        look.fill()
        range.fill(module.frameCount)
    }

    ExportPictureInputs { id: look; objectName: "pictureInputs"; xwithTemp: false }
    ExportRangeInputs { id: range; objectName: "rangeInputs" }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: [QT_TRID_NOOP("Export"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
