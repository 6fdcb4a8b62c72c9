import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The colour bar at the right of an image module: the range shown and the palette's colours,
// hottest on top, with the range and colour-temperature buttons under it.
Rectangle {
    id: root
    property var tempCanvas: null
    readonly property var paletteData: tempCanvas ? tempCanvas.paletteData : null
    readonly property var paletteList: CApp.tempCanvasManager.paletteImageProvider
        ? CApp.tempCanvasManager.paletteImageProvider.paletteList : []
    width: 80
    color: "#111111"

    function tabManagerView() { return CApp.tabManager.view }
    function toggle(name, button) {
        const module = tempCanvas ? tempCanvas.tfm_module : null
        if (!module)
            return
        if (button.xselected)
            tabManagerView().subview_closeModuleConfig(name)
        else
            tabManagerView().subview_openModuleConfig(name, module, button)
    }

    XTextBox {
        objectName: "paletteMax"
        width: 80; height: 30
        readOnly: true
        font.bold: true
        horizontalAlignment: TextInput.AlignHCenter
        text: root.paletteData ? root.paletteData.paletteMax.toFixed(1) : ""
    }
    Image {
        objectName: "paletteImage"
        x: root.width - 18 - width
        y: 30
        width: 16
        height: Math.max(root.height - 70 - 30, 0)
        smooth: false
        source: root.paletteData && root.paletteData.paletteType >= 0 && root.paletteData.paletteType < root.paletteList.length
            ? root.paletteList[root.paletteData.paletteType].icon : ""
    }
    XTextBox {
        objectName: "paletteMin"
        y: root.height - 70
        width: 80; height: 30
        readOnly: true
        font.bold: true
        horizontalAlignment: TextInput.AlignHCenter
        text: root.paletteData ? root.paletteData.paletteMin.toFixed(1) : ""
    }
    XGrid {
        y: root.height - 40
        width: 80; height: 40
        rows: 1; columns: 2; unitMargin: 2
        XButtonSvg {
            id: btnMT
            objectName: "btnMT"
            iconSource: "qrc:/Icons/ir-mt.svg"; xtip: qsTrId("IRImage_MT")
            onClicked: root.toggle("ModuleConfigImageMT", btnMT)
        }
        XButtonSvg {
            id: btnCT
            objectName: "btnCT"
            iconSource: "qrc:/Icons/ir-ct.svg"; xtip: qsTrId("IRImage_CT")
            onClicked: root.toggle("ModuleConfigImageCT", btnCT)
        }
    }
}
