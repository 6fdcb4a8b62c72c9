pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// A new time chart: one measurement item and the statistic followed over time.
ModuleConfigBase {
    id: root
    objectName: "AddChartTime"
    readonly property alias itemList: itemList
    readonly property alias subStatistics: popupStats

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        itemList.xchosenItem = null
        itemList.model = module.tempCanvas ? module.tempCanvas.itemList : []
        open()
    }

    function place(statsType) {
        const item = itemList.xchosenItem
        xclose()
        if (item)
            CApp.tabManager.beginMoveMea(item, statsType, 2)
    }

    contentItem: Column {
        spacing: 4
        XText { text: qsTrId("Chart_Time"); font.pointSize: XTheme.font_size_medium }
        AddItemList {
            id: itemList
            onXchosen: (row, item) => {
                itemList.xchosenItem = item
                popupStats.xopenBeside(row)
            }
        }
    }

    AddSubPopup {
        id: popupStats
        objectName: "Statistics"
        xowner: root
        contentItem: Column {
            Repeater {
                model: CApp.commonManager.statsTypeListTime
                XButtonText {
                    required property var modelData
                    required property int index
                    objectName: "stats" + index
                    width: 200
                    height: 30
                    text: modelData.name
                    onClicked: root.place(modelData.type)
                }
            }
        }
    }
}
