import QtQuick
import Kiv 1.0
import Ostrel 1.0

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

    // A picture series never writes the named file: it writes "0001.jpg" onward into a folder
    // named after it (the name without its extension), one picture per frame of the range.
    function xtargetExists() {
        if (!gbl_config.splitAsJpg)
            return CApp.commonManager.fileExists(fn)
        const slash = fn.lastIndexOf("/")
        const dot = fn.lastIndexOf(".")
        const folder = dot > slash + 1 ? fn.substring(0, dot) : fn
        const step = Math.max(1, gbl_config.streamInterval)
        const count = Math.max(1, Math.floor((gbl_config.streamEnd - gbl_config.streamBegin) / step) + 1)
        for (let k = 1; k <= count; ++k) {
            if (CApp.commonManager.fileExists(folder + "/" + String(k).padStart(4, "0") + ".jpg"))
                return true
        }
        return false
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
