import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// Asked before a module whose input has unsaved edits is deleted: write them back or not.
DialogBase {
    id: root
    readonly property var gbl_tabManager: CApp.tabManager
    width: 600
    padding: 2
    xmustAnswer: true
    xtitle: QT_TRID_NOOP("SaveSettings")

    // 0 Save, 1 SaveNone, 2 Cancel.
    function xanswer(index) {
        const module = xtag
        xclose()
        if (index === 2 || !module)
            return
        module.input_saveConfirmed = index === 0
        gbl_tabManager.view.module_delete(module)
    }

    XText {
        width: 580
        height: 40
        x: 10
        text: qsTrId("SaveInputPrompt")
        color: "#ffffff"
        wrapMode: Text.WordWrap
    }
    DialogButtonBar {
        objectName: "buttonBar"
        xgrid: true
        xtexts: [QT_TRID_NOOP("Save"), QT_TRID_NOOP("SaveNone"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
