import QtQuick
import QtQuick.Controls
import Kiv 1.0

// Renames a tab; OK writes only a changed name.
DialogBase {
    id: root
    padding: 2
    xtitle: QT_TRID_NOOP("ConfigTabName")

    onXfill: nameBox.text = xtag.viewName

    // 0 OK, 1 Cancel.
    function xanswer(index) {
        const tab = xtag
        if (index === 0 && tab && nameBox.text !== tab.viewName)
            tab.viewName = nameBox.text
        xclose()
    }

    XTextBox { id: nameBox; objectName: "nameBox"; width: 400; height: 40 }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: [QT_TRID_NOOP("OK"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
