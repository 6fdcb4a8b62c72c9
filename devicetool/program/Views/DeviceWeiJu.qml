import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"
import "Basic/Checks.js" as Checks

// The lens calibration table of the logged-in camera (block 5) or of a ".weiju" file.
XPopup {
    id: root
    objectName: "deviceWeiJu"
    width: parent ? parent.width : 1200
    height: parent ? parent.height : 800
    xinterWidth: 600
    xinterHeight: 800
    xtitle: qsTrId("DeviceWeiJu")
    focus: true
    readonly property var gbl_weijuEditor: CApp.deviceManager.weijuEditor
    readonly property var xmodel: gbl_weijuEditor.file
    property int cfg_len1_env_count: 0
    property int cfg_len1_bb_count: 0
    property int cfg_len2_bb_count: 0

    function model2view() {
        inEnvCount.init(xmodel.len1_env_count)
        inMode.init(xmodel.cali_mode)
        inShell0.init(xmodel.len1_shell0)
        inShell1.init(xmodel.len1_shell1)
        inShell2.init(xmodel.len1_shell2)
        inShell3.init(xmodel.len1_shell3)
        inLen1Count.init(xmodel.len1_bb_count)
        inLen2Count.init(xmodel.len2_bb_count)
        cfg_len1_env_count = xmodel.len1_env_count
        cfg_len1_bb_count = xmodel.len1_bb_count
        cfg_len2_bb_count = xmodel.len2_bb_count
    }

    function view2model() {
        xmodel.cali_mode = inMode.xvalue
        xmodel.len1_env_count = inEnvCount.xvalue
        xmodel.len1_shell0 = inShell0.xvalue
        xmodel.len1_shell1 = inShell1.xvalue
        xmodel.len1_shell2 = inShell2.xvalue
        xmodel.len1_shell3 = inShell3.xvalue
        xmodel.len1_bb_count = inLen1Count.xvalue
        xmodel.len2_bb_count = inLen2Count.xvalue
    }

    // Whether the shown values may go out: nothing marked, the edit in progress ended.
    function writable() {
        if (Checks.writable([form], [len1Table, len2Table], editEnd))
            return true
        App.notifyError(2, qsTrId("InvalidInput"))
        return false
    }

    function report(r) {
        App.notifyErrorSimple(r >= 0 ? 0 : 3)
    }

    function fn_open_weiju(fn) {
        const r = gbl_weijuEditor.load(fn)
        if (r >= 0)
            model2view()
        report(r)
    }

    function fn_save_weiju(fn) {
        if (!writable())
            return
        view2model()
        report(gbl_weijuEditor.save(fn))
    }

    onOpened: model2view()
    onClicked: close()
    // However it closes (button or Escape), the camera is logged out.
    onClosed: gbl_weijuEditor.free()

    Column {
        id: form
        parent: root.xcontentLoader
        x: 5
        spacing: 5
        // Takes the keyboard from a cell or field being edited, which ends (commits) its edit.
        Item { id: editEnd; width: 0; height: 0 }
        Row {
            XInputFloatSlider {
                id: inEnvCount
                objectName: "inEnvCount"
                width: 290; height: 40
                xname: qsTrId("WeiJu_len1_env_count")
                xpanelNameWidth: 140; xpanelValueWidth: 145
                xmin: 0; xmax: 4
                onXvalueChanged: root.cfg_len1_env_count = xvalue
            }
            XInputEnum {
                id: inMode
                objectName: "inMode"
                width: 290; height: 40
                xname: qsTrId("WeiJu_cali_mode")
                xpanelNameWidth: 140; xpanelValueWidth: 145
                xoptions: root.gbl_weijuEditor.caliModeList
            }
        }
        Row {
            XInputFloat { id: inShell0; objectName: "inShell0"; xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000; width: 290; height: 40; xname: qsTrId("WeiJu_len1_shell0"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
            XInputFloat { id: inShell1; objectName: "inShell1"; xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000; width: 290; height: 40; xname: qsTrId("WeiJu_len1_shell1"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
        }
        Row {
            XInputFloat { id: inShell2; objectName: "inShell2"; xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000; width: 290; height: 40; xname: qsTrId("WeiJu_len1_shell2"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
            XInputFloat { id: inShell3; objectName: "inShell3"; xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000; width: 290; height: 40; xname: qsTrId("WeiJu_len1_shell3"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
        }
        // The block of the chosen mode; mode 1 keeps its place empty. The tables scroll, so that
        // the block and the buttons fit the box below its title bar.
        Item {
            width: 590
            height: 570
            Column {
                visible: inMode.xvalue === 2
                spacing: 5
                XInputFloatSlider {
                    id: inLen1Count
                    objectName: "inLen1Count"
                    width: 290; height: 40
                    xname: qsTrId("WeiJu_len1_bb_count")
                    xpanelNameWidth: 140; xpanelValueWidth: 145
                    xmin: 0; xmax: 16
                    onXvalueChanged: root.cfg_len1_bb_count = xvalue
                }
                CaliTable {
                    id: len1Table
                    objectName: "len1Table"
                    width: 590; height: 525
                    model: root.xmodel.len1_bb_array
                    xcount: root.cfg_len1_bb_count
                    xcolumnWidthArray: [50, 0.2, 0.2, 0.2, 0.2, 0.2]
                    xcolumnNameArray: ["", qsTrId("Blackbody") + " ℃", qsTrId("Temp") + "0 ℃", qsTrId("Temp") + "1 ℃",
                        qsTrId("Temp") + "2 ℃", qsTrId("Temp") + "3 ℃"]
                    xprops: ["blackbody", "temp0", "temp1", "temp2", "temp3"]
                }
            }
            Column {
                visible: inMode.xvalue === 3
                spacing: 5
                XInputFloatSlider {
                    id: inLen2Count
                    objectName: "inLen2Count"
                    width: 290; height: 40
                    xname: qsTrId("WeiJu_len2_bb_count")
                    xpanelNameWidth: 140; xpanelValueWidth: 145
                    xmin: 0; xmax: 16
                    onXvalueChanged: root.cfg_len2_bb_count = xvalue
                }
                CaliTable {
                    id: len2Table
                    objectName: "len2Table"
                    width: 590; height: 525
                    model: root.xmodel.len2_bb_array
                    xcount: root.cfg_len2_bb_count
                    xcolumnWidthArray: [0.2, 0.4, 0.4]
                    xcolumnNameArray: ["", qsTrId("Blackbody") + " ℃", qsTrId("Temp") + " ℃"]
                    xprops: ["blackbody", "temp0"]
                }
            }
        }
        CaliButtons {
            onXget: {
                const r = root.gbl_weijuEditor.downloadMem(0)
                if (r >= 0)
                    root.model2view()
                root.report(r)
            }
            onXset: {
                if (!root.writable())
                    return
                root.view2model()
                root.report(root.gbl_weijuEditor.uploadMem(0))
            }
            onXload: App.openFileDialog(7, root)
            onXsave: App.openFileDialog(8, root)
        }
    }
}
