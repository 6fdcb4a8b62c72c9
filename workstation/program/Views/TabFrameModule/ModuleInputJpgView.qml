import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "../Basic"

// A radiometric picture: its temperature image with the palette bar and the tool column.
Rectangle {
    id: root
    property var module: null
    readonly property var imageConfig: module ? module.imageConfig : null
    readonly property var input: module ? module.input : null
    readonly property int cfg_leftWidth: 50
    readonly property int cfg_rightWidth: paletteBar.width
    readonly property int cfg_midWidth: width - cfg_leftWidth - cfg_rightWidth
    property alias tempCanvas: canvas

    anchors.fill: parent
    anchors.margins: 2
    color: "#111111"

    Component.onCompleted: {
        console.log("create module " + module.viewName + ", inputName " + (input ? input.inputName : ""))
        module.tempCanvas = canvas
        module.loadData()
    }

    ImageConfigApply { module: root.module }

    ModuleToolColumn {
        objectName: "toolColumn"
        width: root.cfg_leftWidth
        xroom: root.height
        module: root.module
        canvas: canvas
        xexport: 1
    }

    TempCanvas {
        id: canvas
        objectName: "tempCanvas"
        x: root.cfg_leftWidth
        width: root.cfg_midWidth
        height: root.height
    }

    TempPalette {
        id: paletteBar
        anchors.right: parent.right
        height: root.height
        tempCanvas: canvas
    }
}
