import QtQuick
import QtQuick.Controls
import Kiv 1.0

// Asked before an export replaces an existing file; tied to the export dialog that asks.
DialogBase {
    id: root
    width: 400
    xmustAnswer: true
    xtitle: QT_TRID_NOOP("Overwrite")
    Overlay.modal: Rectangle { color: "transparent" }

    // 0 Yes, 1 No: the export dialog stays open with its settings.
    function xanswer(index) {
        const dialog = xtag
        xclose()
        if (index === 0 && dialog)
            dialog.exportImage()
    }

    XText {
        width: parent.width
        height: 60
        text: qsTrId("OverwriteOutputFile")
        color: "#ffffff"
        wrapMode: Text.WordWrap
    }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: [QT_TRID_NOOP("Yes"), QT_TRID_NOOP("No")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
