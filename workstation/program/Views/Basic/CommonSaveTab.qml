import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// Asked before a tab is closed: which of its inputs with unsaved edits write them back. A tab
// without such inputs is closed without asking. Leaving the prompt without an answer (Cancel,
// or another use taking it over) confirms nothing.
DialogBase {
    id: root
    readonly property var gbl_tabManager: CApp.tabManager
    property bool _answered: false
    width: 600
    xmustAnswer: true
    xtitle: QT_TRID_NOOP("SaveSettings")

    function tabManagerView() { return gbl_tabManager.view }

    onXfill: {
        _answered = false
        if (inputs.xbegin(xtag) === 0) {
            const tab = xtag
            _answered = true
            xclose()
            tabManagerView().tab_delete(tab)
        }
    }
    onXclosing: {
        if (!_answered)
            inputs.xrestore()
        inputs.xend()
    }

    // 0 SaveAll, 1 SaveSelected, 2 SaveNone, 3 Cancel.
    function xanswer(index) {
        const tab = xtag
        if (index === 3) {
            xclose()
            return
        }
        if (index === 0)
            inputs.xsetAll(true)
        else if (index === 2)
            inputs.xsetAll(false)
        _answered = true
        xclose()
        tabManagerView().tab_delete(tab)
    }

    XText {
        height: 30
        text: qsTrId("Input")
        color: "#ffffff"
        font.bold: true
        font.pointSize: XTheme.font_size_medium
    }
    SaveInputList { id: inputs; objectName: "saveInputList" }
    DialogButtonBar {
        objectName: "buttonBar"
        xgrid: true
        xtexts: [QT_TRID_NOOP("SaveAll"), QT_TRID_NOOP("SaveSelected"), QT_TRID_NOOP("SaveNone"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
