import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The look of an exported picture or video: radiometric data kept (pictures only), measurement
// items drawn, colour bar.
Column {
    id: root
    readonly property var gbl_config: CApp.imageExporter.config
    property bool xwithTemp: true
    property alias inputWithTemp: inputWithTemp
    property alias inputWithRoi: inputWithRoi
    property alias inputColorbar: inputColorbar

    spacing: 10

    function fill() {
        inputWithTemp.init(gbl_config.withTemp)
        inputWithRoi.init(gbl_config.withRoi)
        inputColorbar.init(gbl_config.colorbar)
    }

    XInputBool {
        id: inputWithTemp
        objectName: "inputWithTemp"
        visible: root.xwithTemp
        xpanelNameWidth: 200; xpanelValueWidth: 300
        xname: qsTrId("ExportIr_WithTemp")
        onXvalueChanged: root.gbl_config.withTemp = xvalue
    }
    XInputBool {
        id: inputWithRoi
        objectName: "inputWithRoi"
        xpanelNameWidth: 200; xpanelValueWidth: 300
        xname: qsTrId("ExportIr_WithRoi")
        onXvalueChanged: root.gbl_config.withRoi = xvalue
    }
    XInputEnum {
        id: inputColorbar
        objectName: "inputColorbar"
        xpanelNameWidth: 200; xpanelValueWidth: 300
        xname: qsTrId("ExportIr_Colorbar")
        xoptions: CApp.commonManager.overlayTypeList
        onXvalueChanged: root.gbl_config.colorbar = xvalue
    }
}
