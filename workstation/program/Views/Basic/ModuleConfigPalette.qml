pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The palette of an image module: a click on a palette applies it at once and the popup stays
// open, so palettes can be compared on the live picture one after another.
ModuleConfigBase {
    id: root
    objectName: "ModuleConfigPalette"
    readonly property var gbl_paletteList: CApp.tempCanvasManager.paletteImageProvider
        ? CApp.tempCanvasManager.paletteImageProvider.paletteList : []
    readonly property int xpaletteType: cfg_module ? cfg_module.imageConfig.paletteType : -1
    readonly property string xpaletteName: xpaletteType >= 0 && xpaletteType < gbl_paletteList.length
        ? gbl_paletteList[xpaletteType].name : ""

    // Hover is taken only once the popup stands at its place: the first hover check of a popup
    // being shown sees it at the window's corner and would mark a cell the pointer is not on.
    property bool _hoverReady: false
    onOpened: _hoverReady = true

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        grid.positionViewAtIndex(Math.max(xpaletteType, 0), GridView.Contain)
        _hoverReady = false
        open()
    }

    function xchoose(type) {
        const module = cfg_module
        if (!module)
            return
        module.imageConfig.paletteType = type
        module.applyImageConfig()
    }

    contentItem: Column {
        spacing: 4
        XText { height: 30; text: qsTrId("IRImage_Palette"); font.pointSize: XTheme.font_size_medium }
        XSeperator { width: 450; height: 2 }
        XText { objectName: "txtPaletteName"; height: 30; text: root.xpaletteName }
        XSeperator { width: 450; height: 1 }
        GridView {
            id: grid
            objectName: "gridPalette"
            width: 450
            height: 240
            cellWidth: 150
            cellHeight: 80
            clip: true
            model: root.gbl_paletteList
            ScrollBar.vertical: ScrollBar {}
            delegate: Rectangle {
                id: cell
                required property var modelData
                required property int index
                objectName: "paletteCell" + index
                width: 140
                height: 70
                color: "transparent"
                border.width: cellArea.containsMouse ? 2 : 0
                border.color: "#18aae2"
                XText {
                    width: 115
                    height: cell.height
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    text: cell.modelData.name
                }
                Image {
                    x: 115; y: 5
                    width: 20; height: 60
                    smooth: false
                    source: cell.modelData.icon
                }
                MouseArea {
                    id: cellArea
                    anchors.fill: parent
                    hoverEnabled: root._hoverReady
                    onClicked: root.xchoose(cell.modelData.type)
                }
            }
        }
    }
}
