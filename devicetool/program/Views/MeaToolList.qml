import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The measurement tool bar over the live canvas: Select, one button per tool group (each showing
// the group's last chosen tool), and "More" with the whole tool grid and the hide switch.
Item {
    id: root
    width: 240
    height: 40
    readonly property var gbl_meaToolList: CApp.commonManager.meaToolList
    readonly property var gbl_tempCanvasManager: CApp.tempCanvasManager
    readonly property var cfg_placeholder: ({ type: -1, name: "", desc: "", icon: "" })
    property int selectedTool: 0
    property string toolGrid_name: ""
    property string toolGrid_desc: ""
    // The entry each group button shows, by group: points, lines, round shapes, boxes.
    property var m_groupEntries: [entry(1), entry(5), entry(6), entry(9)]
    readonly property var cfg_gridTypes: [1, 5, 6, 9, 2, -1, 7, 10, 3, -1, -1, 11]

    function entry(type) {
        return type >= 0 && type < gbl_meaToolList.length ? gbl_meaToolList[type] : cfg_placeholder
    }
    function groupOf(type) {
        return type <= 3 ? 0 : type <= 5 ? 1 : type <= 8 ? 2 : 3
    }
    function chooseTool(type) {
        selectedTool = type
        gbl_tempCanvasManager.tool = type
    }

    Connections {
        target: root.gbl_tempCanvasManager
        function onToolChanged() {
            root.selectedTool = root.gbl_tempCanvasManager.tool
        }
    }

    Row {
        height: 40
        XButtonSvg {
            objectName: "toolSelect"
            width: 40
            height: 40
            iconWidth: 24
            iconHeight: 24
            iconSource: root.entry(0).icon
            xtip: qsTrId(root.entry(0).name)
            xselected: root.selectedTool === 0
            onClicked: root.chooseTool(0)
        }
        Repeater {
            model: 4
            XButtonSvg {
                required property int index
                readonly property var xentry: root.m_groupEntries[index]
                objectName: "toolGroup" + index
                width: 40
                height: 40
                iconWidth: 24
                iconHeight: 24
                iconSource: xentry.icon
                xtip: qsTrId(xentry.name)
                xselected: xentry.type === root.selectedTool
                onClicked: root.chooseTool(xentry.type)
            }
        }
        Rectangle {
            width: 1
            height: 30
            y: 5
            color: XTheme.border_color
        }
        XButtonSvg {
            id: btnMore
            objectName: "toolMore"
            width: 40
            height: 40
            iconWidth: 24
            iconHeight: 24
            iconSource: "qrc:/Icons/dots-vertical.svg"
            xtip: qsTrId("More")
            xselected: root.selectedTool > 12
            onClicked: morePopup.open()
        }
    }

    Popup {
        id: morePopup
        x: 40
        y: root.height
        width: 221
        height: 300
        padding: 0
        background: Rectangle {
            color: "#000000"
            border.color: "#3a3a3a"
            border.width: 1
        }
        Grid {
            width: 160
            height: 120
            rows: 3
            columns: 4
            Repeater {
                model: root.cfg_gridTypes
                XButtonSvg {
                    required property int modelData
                    readonly property var xentry: root.entry(modelData)
                    width: 40
                    height: 40
                    iconWidth: 24
                    iconHeight: 24
                    iconSource: xentry.icon
                    xselected: modelData >= 0 && modelData === root.selectedTool
                    onHoveredChanged: if (hovered) {
                        root.toolGrid_name = xentry.name === "" ? "" : qsTrId(xentry.name)
                        root.toolGrid_desc = xentry.desc === "" ? "" : qsTrId(xentry.desc)
                    }
                    onClicked: {
                        if (modelData >= 0) {
                            const groups = root.m_groupEntries.slice()
                            groups[root.groupOf(modelData)] = xentry
                            root.m_groupEntries = groups
                            root.chooseTool(modelData)
                        }
                        morePopup.close()
                    }
                }
            }
        }
        Rectangle { x: 160; width: 1; height: 120; color: "#3a3a3a" }
        XButtonSvg {
            objectName: "toolHide"
            x: 161
            y: 0
            width: 60
            height: 60
            iconWidth: 30
            iconHeight: 30
            xselected: root.gbl_tempCanvasManager.hideAll
            iconSource: xselected ? "qrc:/Icons/eye-off-outline.svg" : "qrc:/Icons/eye-outline.svg"
            xtip: qsTrId(root.entry(13).name)
            onClicked: root.gbl_tempCanvasManager.hideAll = !root.gbl_tempCanvasManager.hideAll
        }
        Rectangle { y: 120; width: 221; height: 1; color: "#3a3a3a" }
        XText {
            x: 8
            y: 129
            font.pixelSize: XTheme.font_size_medium
            text: root.toolGrid_name
        }
        XText {
            x: 8
            y: 159
            width: 205
            wrapMode: Text.WordWrap
            text: root.toolGrid_desc
        }
    }
}
