import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The export choice of a recording, opened beside its export button: a picture of the frame
// shown, a cut of the recording or a video; each opens its dialog for the same module.
DialogBase {
    id: root
    objectName: "configExportIr"

    function choose(name) {
        const module = xtag
        xclose()
        if (module)
            CApp.tabManager.view.subview_openConfig(name, module, null)
    }

    Column {
        spacing: 4
        Repeater {
            model: [QT_TRID_NOOP("ExportIrJpg"), QT_TRID_NOOP("ExportIrStream"), QT_TRID_NOOP("ExportIrMp4")]
            XButtonText {
                required property string modelData
                objectName: "btn" + modelData
                width: 150; height: 30
                text: qsTrId(modelData)
                onClicked: root.choose("Config" + modelData)
            }
        }
    }
}
