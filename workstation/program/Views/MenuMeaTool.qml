pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The drawing tool of every temperature canvas: Select, one button per tool group, and a grid of
// all offered tools that puts the picked one on its group's button.
Row {
    id: root
    readonly property var gbl_tempCanvasManager: CApp.tempCanvasManager
    readonly property var gbl_meaToolList: CApp.commonManager.meaToolList
    readonly property var tndiDummy: dummy
    // Row by row; each column is one tool group, -1 an empty cell.
    readonly property var cfg_toolGrid: [1, -1, 6, 9, 2, 5, 7, 10, 3, -1, -1, 11]
    property int selectedTool: 0
    property string toolGrid_name: ""
    property string toolGrid_desc: ""
    // The tool each group button shows, by column.
    property var groupTools: [1, 5, 6, 9]
    readonly property alias popupGrid: popupToolGrid

    width: 240
    height: 40

    CTypeNameDescIcon { id: dummy; type: -1; name: ""; desc: "" }

    function entry(t) { return t >= 0 && t < gbl_meaToolList.length ? gbl_meaToolList[t] : tndiDummy }

    function setTool(t) {
        selectedTool = t
        gbl_tempCanvasManager.tool = t
    }

    function toolGrid_replaceTool(t) {
        const cell = cfg_toolGrid.indexOf(t)
        if (t >= 0 && cell >= 0) {
            const g = groupTools.slice()
            g[cell % 4] = t
            groupTools = g
            setTool(t)
        }
        popupToolGrid.close()
    }

    function toolGrid_hoverTool(t) {
        const e = t >= 0 ? entry(t) : null
        toolGrid_name = e ? e.name : ""
        toolGrid_desc = e ? e.desc : ""
    }

    Connections {
        target: root.gbl_tempCanvasManager
        function onToolChanged() { root.selectedTool = root.gbl_tempCanvasManager.tool }
    }

    component ToolButton: XButtonSvg {
        property int tool: 0
        width: 40
        // The bar's bottom line stays visible under the buttons.
        height: root.height - 1
        iconSource: root.entry(tool).icon
        xtip: root.entry(tool).name
        xselected: tool === root.selectedTool
        onClicked: root.setTool(tool)
    }

    ToolButton { objectName: "btnSelect"; tool: 0 }
    Repeater {
        model: 4
        ToolButton {
            required property int index
            objectName: "btn" + index
            tool: root.groupTools[index]
        }
    }
    Item {
        width: 1
        height: root.height
        XSeperator { width: 1; height: 8 }
        XSeperator { y: parent.height - 8; width: 1; height: 8 }
    }
    XButtonSvg {
        objectName: "btnMore"
        width: 40
        height: root.height - 1
        iconSource: "qrc:/Icons/dots-vertical.svg"
        xtip: qsTrId("More")
        xselected: root.selectedTool > 12
        onClicked: popupToolGrid.open()
    }

    Popup {
        id: popupToolGrid
        objectName: "popupToolGrid"
        x: 40
        y: root.height
        width: 221
        height: 300
        padding: 0
        onOpened: root.toolGrid_hoverTool(-1)
        background: Rectangle { color: "#000000"; border.width: 1; border.color: "#3a3a3a" }
        contentItem: Item {
            Grid {
                id: grid
                columns: 4
                width: 160
                height: 120
                Repeater {
                    model: root.cfg_toolGrid
                    XButtonSvg {
                        required property int modelData
                        required property int index
                        objectName: "gridCell" + index
                        width: 40
                        height: 40
                        iconSource: modelData >= 0 ? root.entry(modelData).icon : ""
                        xselected: modelData >= 0 && modelData === root.selectedTool
                        onClicked: root.toolGrid_replaceTool(modelData)
                        onHoveredChanged: if (hovered) root.toolGrid_hoverTool(modelData)
                    }
                }
            }
            XSeperator { x: 160; width: 1; height: 120 }
            XButtonSvg {
                id: btnHide
                objectName: "btnHide"
                x: 161
                width: 60
                height: 60
                // Follows its own clicks only: a tool picked later clears the canvases' hide-all
                // while this still shows what the user last asked for.
                property bool hideShown: false
                iconSource: hideShown ? "qrc:/Icons/eye-off-outline.svg" : "qrc:/Icons/eye-outline.svg"
                xselected: hideShown
                onClicked: {
                    const v = !root.gbl_tempCanvasManager.hideAll
                    root.gbl_tempCanvasManager.hideAll = v
                    hideShown = v
                }
                onHoveredChanged: if (hovered) root.toolGrid_hoverTool(13)
            }
            XSeperator { y: 120; width: 221; height: 1 }
            XText {
                objectName: "txtToolName"
                x: 8
                y: 129
                text: root.toolGrid_name
                font.pointSize: XTheme.font_size_medium
            }
            XText {
                objectName: "txtToolDesc"
                x: 8
                y: 159
                width: 205
                wrapMode: Text.WordWrap
                text: root.toolGrid_desc
            }
        }
    }
}
