pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// A new space chart: a polyline's profile, or a statistic of the whole image or an area along X
// or Y.
ModuleConfigBase {
    id: root
    objectName: "AddChartSpace"
    readonly property alias itemList: itemList
    readonly property alias subStatistics: popupStats

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        itemList.xchosenItem = null
        itemList.model = module.tempCanvas ? module.tempCanvas.itemList : []
        open()
    }

    function place(item, statsType, dimType) {
        xclose()
        CApp.tabManager.beginMoveMea(item, statsType, dimType)
    }

    function choose(row, item) {
        itemList.xchosenItem = item
        const t = item.meaType
        if (t === 5)
            place(item, 0, 0)
        else if (t === 0 || (t >= 6 && t <= 11))
            popupStats.xopenBeside(row)
        else
            popupStats.close()
    }

    contentItem: Column {
        spacing: 4
        XText { text: qsTrId("Chart_Space"); font.pointSize: XTheme.font_size_medium }
        AddItemList {
            id: itemList
            onXchosen: (row, item) => root.choose(row, item)
        }
    }

    AddSubPopup {
        id: popupStats
        objectName: "Statistics"
        xowner: root
        contentItem: Column {
            Repeater {
                model: CApp.commonManager.statsTypeList
                Row {
                    id: statsRow
                    required property var modelData
                    required property int index
                    height: 30
                    XText {
                        width: 132
                        anchors.verticalCenter: parent.verticalCenter
                        text: statsRow.modelData.name
                    }
                    XButtonText {
                        objectName: "statsX" + statsRow.index
                        width: 30; height: 30
                        text: "X"
                        onClicked: root.place(root.itemList.xchosenItem, statsRow.modelData.type, 0)
                    }
                    XButtonText {
                        objectName: "statsY" + statsRow.index
                        width: 30; height: 30
                        text: "Y"
                        onClicked: root.place(root.itemList.xchosenItem, statsRow.modelData.type, 1)
                    }
                }
            }
        }
    }
}
