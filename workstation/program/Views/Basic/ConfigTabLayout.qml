import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// Chooses a tab's frame layout among the eight; OK relayouts only for another layout.
DialogBase {
    id: root
    readonly property var gbl_tabLayoutList: CApp.commonManager.tabLayoutList
    property int edit_layoutType: 0
    xtitle: QT_TRID_NOOP("ConfigTabLayout")

    onXfill: edit_layoutType = xtag.layoutType

    // 0 OK, 1 Cancel.
    function xanswer(index) {
        const tab = xtag
        if (index === 0 && tab && edit_layoutType !== tab.layoutType) {
            tab.layoutType = edit_layoutType
            if (tab.view)
                tab.view.layout()
        }
        xclose()
    }

    Grid {
        rows: 2
        columns: 4
        spacing: 10
        Repeater {
            model: root.gbl_tabLayoutList
            XButton {
                required property var modelData
                objectName: "layout" + modelData.type
                width: 160; height: 120
                iconWidth: 120; iconHeight: 90
                iconSource: modelData.icon
                display: AbstractButton.IconOnly
                xtip: modelData.desc
                xselected: modelData.type === root.edit_layoutType
                onClicked: root.edit_layoutType = modelData.type
            }
        }
    }
    DialogButtonBar {
        objectName: "buttonBar"
        xtexts: [QT_TRID_NOOP("OK"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
