import QtQuick
import Kiv 1.0

// Exports a range of a recording as a new recording, or as one picture per frame.
ExportDialogBase {
    id: root
    objectName: "configExportIrStream"
    xtitle: QT_TRID_NOOP("ExportIrStream")
    xkind: 2
    xext: "stream"
    xfileFunc: 6
    xinputsValid: range.xvalid

    onXfill: {
        range.fill(module.frameCount)
        inputSplit.init(gbl_config.splitAsJpg)
    }

    ExportRangeInputs { id: range; objectName: "rangeInputs" }
    XInputBool {
        id: inputSplit
        objectName: "inputSplitAsJpg"
        xpanelNameWidth: 200; xpanelValueWidth: 300
        xname: qsTrId("ExportIr_SplitAsJpg")
        onXvalueChanged: root.gbl_config.splitAsJpg = xvalue
    }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: [QT_TRID_NOOP("Export"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
