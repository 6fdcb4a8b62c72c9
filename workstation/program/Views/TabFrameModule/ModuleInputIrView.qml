import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "../Basic"

// The live camera module: its temperature image with the palette bar, the tool column and the
// camera and recorder controls.
Rectangle {
    id: root
    property var module: null
    readonly property var imageConfig: module ? module.imageConfig : null
    readonly property var input: module ? module.input : null
    readonly property var recorder: module ? module.recorder : null
    readonly property var gbl_gearLevelList: CApp.commonManager.gearLevelList
    readonly property int cfg_leftWidth: 50
    readonly property int cfg_rightWidth: paletteBar.width
    readonly property int cfg_controlHeight: 40
    readonly property int cfg_midWidth: width - cfg_leftWidth - cfg_rightWidth
    property alias tempCanvas: canvas

    anchors.fill: parent
    anchors.margins: 2
    color: "#111111"

    function tabManagerView() { return CApp.tabManager.view }

    // The entry of the gear list whose value is the camera's level; -1 when none matches.
    function gearIndexOf(level) {
        const list = gbl_gearLevelList
        for (let i = 0; i < list.length; ++i)
            if (list[i].value === level)
                return i
        return -1
    }

    Component.onCompleted: {
        console.log("create module " + module.viewName + ", inputName " + (input ? input.inputName : ""))
        module.tempCanvas = canvas
        module.loadData()
    }

    ImageConfigApply { module: root.module }

    ModuleToolColumn {
        id: leftGrid
        width: root.cfg_leftWidth
        module: root.module
        canvas: canvas
    }

    TempCanvas {
        id: canvas
        objectName: "tempCanvas"
        x: root.cfg_leftWidth
        width: root.cfg_midWidth
        height: root.height - root.cfg_controlHeight
    }

    Rectangle {
        objectName: "reconnecting"
        anchors.centerIn: canvas
        width: canvas.width / 2
        height: canvas.height / 4
        color: "#80505050"
        visible: root.module ? root.module.isReconnecting : false
        XText {
            anchors.centerIn: parent
            text: qsTrId("Reconnecting")
            color: "#ff0000"
            font.pointSize: 24
            font.bold: true
        }
    }

    TempPalette {
        id: paletteBar
        anchors.right: parent.right
        height: root.height
        tempCanvas: canvas
    }

    // Camera and recorder controls.
    Rectangle {
        id: controlBar
        x: root.cfg_leftWidth
        y: root.height - root.cfg_controlHeight
        width: root.cfg_midWidth
        height: root.cfg_controlHeight
        color: "#272727"
        XGrid {
            width: 350; height: 40
            rows: 1; columns: 7; unitMargin: 4
            XButtonSvg {
                objectName: "btnPause"
                readonly property bool paused: root.module ? root.module.isPaused : false
                iconSource: paused ? "qrc:/Icons/play.svg" : "qrc:/Icons/pause.svg"
                xtip: paused ? qsTrId("Play") : qsTrId("Pause")
                onClicked: root.module.pause(!paused)
            }
            XButtonSvg {
                objectName: "btnRecord"
                readonly property int recState: root.recorder ? root.recorder.state : 0
                iconSource: recState === 2 ? "qrc:/Icons/stop.svg" : "qrc:/Icons/record.svg"
                xtip: recState === 2 ? qsTrId("RecordEnd") : qsTrId("RecordBegin")
                icon.color: recState === 2 ? "#ff0000" : "#cccccc"
                onClicked: {
                    if (!root.recorder)
                        return
                    if (recState === 2)
                        root.recorder.sendTrigger(1025)
                    else if (recState === 0)
                        root.recorder.sendTrigger(257)
                }
            }
            XButtonSvg {
                iconSource: "qrc:/Icons/image.svg"; xtip: qsTrId("Snap")
                onClicked: if (root.recorder) root.recorder.snap()
            }
            XButtonSvg {
                text: "FFC"; xtip: qsTrId("FFC"); display: AbstractButton.TextOnly
                onClicked: if (root.input) root.input.executeFFC()
            }
            XButtonSvg {
                objectName: "btnRecorderConfig"
                iconSource: "qrc:/Icons/cog.svg"; xtip: qsTrId("RecorderConfig")
                icon.color: root.recorder && root.recorder.isActive ? "#cccccc" : "#ff0000"
                onClicked: if (root.recorder && root.recorder.state === 0) root.tabManagerView().subview_openConfig("ConfigRecorder", root.module, null)
            }
            XButtonSvg {
                text: "REC"; xtip: qsTrId("Recorder"); display: AbstractButton.TextOnly
                onClicked: {
                    if (!root.module.subModuleRecorder)
                        CApp.tabManager.beginMoveTableRecorder(root.module)
                    else
                        root.tabManagerView().module_select(root.module.subModuleRecorder)
                }
            }
            XButtonSvg {
                text: "PTZ"; xtip: qsTrId("PTZ"); display: AbstractButton.TextOnly
                onClicked: {
                    if (!root.module.subModulePtz)
                        CApp.tabManager.beginMovePtz(root.module)
                    else
                        root.tabManagerView().module_select(root.module.subModulePtz)
                }
            }
        }
        // The camera's zoom level: shown as the camera reports it, written only on a user's pick.
        XComboBox {
            id: cmbGear
            objectName: "cmbGear"
            x: parent.width - 85; y: 5
            width: 80; height: 30
            model: root.gbl_gearLevelList
            textRole: "name"
            xshowIndicator: false
            xtip: qsTrId("GearLevel")
            enabled: root.input ? root.input.gearEnable : false
            currentIndex: root.input ? root.gearIndexOf(root.input.gearLevel) : -1
            onActivated: function (index) {
                if (root.input && index >= 0 && index < root.gbl_gearLevelList.length)
                    root.input.gearLevel = root.gbl_gearLevelList[index].value
            }
        }
    }
}
