import QtQuick
import QtQuick.Controls
import Kiv 1.0

// Renames a module; OK writes only a changed name, and the frame's module box shows it.
DialogBase {
    id: root
    xtitle: QT_TRID_NOOP("ConfigModuleName")

    onXfill: nameBox.text = xtag.viewName

    // 0 OK, 1 Cancel.
    function xanswer(index) {
        const module = xtag
        if (index === 0 && module && nameBox.text !== module.viewName) {
            module.viewName = nameBox.text
            if (module.frame && module.frame.view)
                module.frame.view.module_select()
        }
        xclose()
    }

    XTextBox { id: nameBox; objectName: "nameBox"; width: 400; height: 40 }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: [QT_TRID_NOOP("OK"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
