import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."

// What the picture, stream-cut and video export dialogs share: the one global export settings
// object, the proposed file name, the file row and the way Export is guarded. Each dialog adds
// its inputs and the button bar (`xanswer`) below the file row.
DialogBase {
    id: root
    // 1 picture, 2 stream cut, 3 video: the module's export kind.
    property int xkind: 1
    property string xext: "jpg"
    // The file dialog's function for this kind (App.openFileDialog).
    property int xfileFunc: 5
    // Whether the dialog's own inputs hold values the export can take.
    property bool xinputsValid: true
    readonly property var module: xtag
    readonly property var gbl_config: CApp.imageExporter.config
    readonly property string fn: gbl_config.fn
    readonly property bool xtargetIsSource: module !== null && module !== undefined && fn !== "" && module.isSourceFile(fn)
    readonly property bool xexportAllowed: xinputsValid && fn !== "" && !xtargetIsSource

    width: 512
    xmustAnswer: true
    Overlay.modal: Rectangle { color: "transparent" }

    // The name beside the source: its file name's extension (if any) replaced by "-export.<ext>".
    // A dot in a folder's name is not an extension.
    function proposedName(source, ext) {
        const s = String(source)
        const slash = Math.max(s.lastIndexOf("/"), s.lastIndexOf("\\"))
        const dot = s.lastIndexOf(".")
        const stem = dot > slash + 1 ? s.substring(0, dot) : s
        return stem + "-export." + ext
    }

    function getfn() { return gbl_config.fn }
    function setfn(path) { gbl_config.fn = path }

    onXfill: {
        if (xkind !== 1)
            module.initExportConfig()
        gbl_config.fn = proposedName(module.input ? module.input.inputNameAbs : "", xext)
    }

    // Checked again when pressed: the chosen file may have appeared since the name was set.
    function xallowedNow() {
        return xinputsValid && fn !== "" && !(module && module.isSourceFile(fn))
    }

    // Whether the export would replace a file that exists; a dialog whose export writes other
    // files than the one named asks about those.
    function xtargetExists() {
        return CApp.commonManager.fileExists(fn)
    }

    // "Export": a number being typed is committed first; an existing file is replaced only after
    // the overwrite prompt.
    function xexport() {
        xcommit()
        if (!xallowedNow())
            return
        if (xtargetExists())
            CApp.tabManager.view.subview_openCommon("CommonOverwrite", root)
        else
            exportImage()
    }

    // Queues the job and closes. A job the module refuses is reported like a finished one.
    function exportImage() {
        const m = module
        const path = fn
        if (!m || !xallowedNow())
            return
        const r = m.exportImage(path, xkind, 0)
        xclose()
        if (r < 0)
            CApp.tabManager.view.onSaveFinished(path, r)
    }

    // 0 Export, 1 Cancel.
    function xanswer(index) {
        if (index === 0)
            xexport()
        else
            xclose()
    }

    function _find(item, name) {
        if (!item)
            return null
        if (item.objectName === name)
            return item
        for (let i = 0; i < item.children.length; ++i) {
            const f = _find(item.children[i], name)
            if (f)
                return f
        }
        return null
    }
    // Export stays disabled while the inputs or the target would be refused.
    Component.onCompleted: {
        const button = _find(contentItem, "btnExport")
        if (button)
            button.enabled = Qt.binding(function () { return root.xexportAllowed })
    }

    XSeperator { width: 500; height: 2 }
    Item {
        width: 500
        height: 32
        XTextBox {
            objectName: "fileBox"
            width: 450
            height: 32
            readOnly: true
            text: root.fn
            // The export's own source is no target: it would lose its radiometric data.
            Rectangle {
                anchors.fill: parent
                color: "transparent"
                border.width: 1
                border.color: "#ff0000"
                visible: root.xtargetIsSource
            }
        }
        XButtonSvg {
            objectName: "btnFile"
            x: 460
            width: 32; height: 32; iconWidth: 24; iconHeight: 24
            iconSource: "qrc:/Icons/folder-open-outline.svg"
            onClicked: App.openFileDialog(root.xfileFunc, root)
        }
    }
}
