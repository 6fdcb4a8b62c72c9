import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// A new table for an image module: its input's data, or one measurement item's.
ModuleConfigBase {
    id: root
    objectName: "AddTable"
    readonly property alias subMeaInfo: popupMeaInfo
    readonly property alias itemList: itemList

    CTypeNameDescIcon { id: entryInput; type: 0; name: QT_TRID_NOOP("Table_Input"); icon: "qrc:/Icons/table.svg" }
    CTypeNameDescIcon { id: entryMea; type: 1; name: QT_TRID_NOOP("Table_Mea"); icon: "qrc:/Icons/table.svg" }

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        itemList.xchosenItem = null
        itemList.model = module.tempCanvas ? module.tempCanvas.itemList : []
        open()
    }

    function choose(index) {
        const module = cfg_module
        if (!module)
            return
        if (index === 0) {
            xclose()
            CApp.tabManager.beginMoveTableInput(module.input)
        } else {
            itemList.model = module.tempCanvas ? module.tempCanvas.itemList : []
            popupMeaInfo.xopenBeside(null)
        }
    }

    contentItem: Column {
        spacing: 4
        XText { text: qsTrId("Table"); font.pointSize: XTheme.font_size_medium }
        AddMenuList {
            objectName: "menu"
            model: [entryInput, entryMea]
            onXchosen: (index) => root.choose(index)
        }
    }

    AddSubPopup {
        id: popupMeaInfo
        objectName: "MeaInfo"
        xowner: root
        contentItem: Column {
            spacing: 4
            XText { text: qsTrId("MeaInfo"); font.pointSize: XTheme.font_size_medium }
            AddItemList {
                id: itemList
                onXchosen: (row, item) => {
                    itemList.xchosenItem = item
                    root.xclose()
                    CApp.tabManager.beginMoveTableMea(item)
                }
            }
        }
    }
}
