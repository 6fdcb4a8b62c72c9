import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The tool column left of an image module's canvas: zoom and information line, palette, image
// settings, charts, tables and, for files, the export button.
XGrid {
    id: root
    property var module: null
    property var canvas: null
    // 0 none, 1 the picture export dialog, 2 the export choice of a recording.
    property int xexport: 0
    readonly property var imageConfig: module ? module.imageConfig : null
    readonly property var gbl_paletteList: CApp.tempCanvasManager.paletteImageProvider
        ? CApp.tempCanvasManager.paletteImageProvider.paletteList : []

    // The height the view has for the column: in a small frame (a 2 x 2 layout) the rows shrink
    // so that every button, Export included, stays inside the view.
    property real xroom: 400

    width: 50
    height: Math.max(0, Math.min(400, xroom))
    rows: 8; columns: 1; unitMargin: 4

    function tabManagerView() { return CApp.tabManager.view }

    function toggleModuleConfig(name, button) {
        if (button.xselected)
            tabManagerView().subview_closeModuleConfig(name)
        else
            tabManagerView().subview_openModuleConfig(name, module, button)
    }

    XText {
        text: (root.canvas ? root.canvas.activeScalePercent : 100) + "%"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: root.module && root.module.showInfo ? "#18AAE2" : "#E5EAF3"
        MouseArea { anchors.fill: parent; onClicked: root.module.showInfo = !root.module.showInfo }
    }
    XButtonImage {
        id: btnPalette
        objectName: "btnPalette"
        iconSource: root.imageConfig && root.imageConfig.paletteType >= 0 && root.imageConfig.paletteType < root.gbl_paletteList.length
            ? root.gbl_paletteList[root.imageConfig.paletteType].icon : ""
        xtip: qsTrId("IRImage_Palette")
        onClicked: root.toggleModuleConfig("ModuleConfigPalette", btnPalette)
    }
    XButtonSvg {
        id: btnImage
        objectName: "btnImage"
        iconSource: "qrc:/Icons/tune.svg"; xtip: qsTrId("IRImage")
        onClicked: root.toggleModuleConfig("ModuleConfigImage", btnImage)
    }
    XButtonSvg {
        id: btnChart
        objectName: "btnChart"
        iconSource: "qrc:/Icons/chart-line.svg"; xtip: qsTrId("Chart")
        onClicked: root.toggleModuleConfig("AddChart", btnChart)
    }
    XButtonSvg {
        id: btnTable
        objectName: "btnTable"
        iconSource: "qrc:/Icons/table.svg"; xtip: qsTrId("Table")
        onClicked: root.toggleModuleConfig("AddTable", btnTable)
    }
    XButtonSvg {
        id: btnExport
        objectName: "btnExport"
        visible: root.xexport !== 0
        iconSource: "qrc:/Icons/export.svg"
        xtip: qsTrId(root.xexport === 1 ? QT_TRID_NOOP("ExportIrJpg") : QT_TRID_NOOP("Export"))
        onClicked: {
            if (root.xexport === 1)
                root.tabManagerView().subview_openConfig("ConfigExportIrJpg", root.module, null)
            else
                root.tabManagerView().subview_openConfig("ConfigExportIr", root.module, btnExport)
        }
    }
}
