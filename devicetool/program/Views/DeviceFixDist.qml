import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"
import "Basic/Checks.js" as Checks

// The distance calibration table of the logged-in camera (block 7) or of a ".fixdist" file.
XPopup {
    id: root
    objectName: "deviceFixDist"
    width: parent ? parent.width : 1200
    height: parent ? parent.height : 800
    xinterWidth: 600
    xinterHeight: 700
    xtitle: qsTrId("DeviceFixDist")
    focus: true
    readonly property var gbl_fixdistEditor: CApp.deviceManager.fixdistEditor
    readonly property var xmodel: gbl_fixdistEditor.file
    property int cfg_distCount: 0
    property int cfg_bbCount: 0

    function model2view() {
        inDistCount.init(xmodel.distCount)
        inBbCount.init(xmodel.bbCount)
        inDist0.init(xmodel.dist0)
        inDist1.init(xmodel.dist1)
        inDist2.init(xmodel.dist2)
        inDist3.init(xmodel.dist3)
        inDist4.init(xmodel.dist4)
        cfg_distCount = xmodel.distCount
        cfg_bbCount = xmodel.bbCount
    }

    function view2model() {
        xmodel.distCount = inDistCount.xvalue
        xmodel.bbCount = inBbCount.xvalue
        xmodel.dist0 = inDist0.xvalue
        xmodel.dist1 = inDist1.xvalue
        xmodel.dist2 = inDist2.xvalue
        xmodel.dist3 = inDist3.xvalue
        xmodel.dist4 = inDist4.xvalue
    }

    // Whether the shown values may go out: nothing marked, the edit in progress ended.
    function writable() {
        if (Checks.writable([form], [distTable], editEnd))
            return true
        App.notifyError(2, qsTrId("InvalidInput"))
        return false
    }

    function report(r) {
        App.notifyErrorSimple(r >= 0 ? 0 : 3)
    }

    function fn_open_fixdist(fn) {
        const r = gbl_fixdistEditor.load(fn)
        if (r >= 0)
            model2view()
        report(r)
    }

    function fn_save_fixdist(fn) {
        if (!writable())
            return
        view2model()
        report(gbl_fixdistEditor.save(fn))
    }

    onOpened: model2view()
    onClicked: close()
    // However it closes (button or Escape), the camera is logged out.
    onClosed: gbl_fixdistEditor.free()

    Column {
        id: form
        parent: root.xcontentLoader
        x: 5
        spacing: 6
        // Takes the keyboard from a cell or field being edited, which ends (commits) its edit.
        Item { id: editEnd; width: 0; height: 0 }
        Row {
            XInputFloatSlider {
                id: inDistCount
                objectName: "inDistCount"
                width: 290; height: 40
                xname: qsTrId("FixDist_distCount")
                xpanelNameWidth: 140; xpanelValueWidth: 145
                xmin: 0; xmax: 5
                onXvalueChanged: root.cfg_distCount = xvalue
            }
            XInputFloatSlider {
                id: inBbCount
                objectName: "inBbCount"
                width: 290; height: 40
                xname: qsTrId("FixDist_bbCount")
                xpanelNameWidth: 140; xpanelValueWidth: 145
                xmin: 0; xmax: 10
                onXvalueChanged: root.cfg_bbCount = xvalue
            }
        }
        // The distances are whole metres: shown and written as typed, never rounded.
        Row {
            XInputInt { id: inDist0; objectName: "inDist0"; width: 290; height: 40; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2147483647; xname: qsTrId("FixDist_dist0"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
            XInputInt { id: inDist1; objectName: "inDist1"; width: 290; height: 40; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2147483647; xname: qsTrId("FixDist_dist1"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
        }
        Row {
            XInputInt { id: inDist2; objectName: "inDist2"; width: 290; height: 40; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2147483647; xname: qsTrId("FixDist_dist2"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
            XInputInt { id: inDist3; objectName: "inDist3"; width: 290; height: 40; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2147483647; xname: qsTrId("FixDist_dist3"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
        }
        XInputInt { id: inDist4; objectName: "inDist4"; width: 290; height: 40; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2147483647; xname: qsTrId("FixDist_dist4"); xpanelNameWidth: 140; xpanelValueWidth: 145 }
        // Every temperature column stays editable whatever the distance count says.
        CaliTable {
            id: distTable
            objectName: "distTable"
            width: 590; height: 420
            xrowHeight: 38
            model: root.xmodel.itemArray
            xcount: root.cfg_bbCount
            xcolumnWidthArray: [50, 0.2, 0.2, 0.2, 0.2, 0.2, 0.2]
            xcolumnNameArray: ["", qsTrId("Blackbody") + " ℃", qsTrId("Temp") + "0 ℃", qsTrId("Temp") + "1 ℃",
                qsTrId("Temp") + "2 ℃", qsTrId("Temp") + "3 ℃", qsTrId("Temp") + "4 ℃"]
            xprops: ["blackbody", "temp0", "temp1", "temp2", "temp3", "temp4"]
        }
        CaliButtons {
            onXget: {
                const r = root.gbl_fixdistEditor.downloadMem(0)
                if (r >= 0)
                    root.model2view()
                root.report(r)
            }
            onXset: {
                if (!root.writable())
                    return
                root.view2model()
                root.report(root.gbl_fixdistEditor.uploadMem(0))
            }
            onXload: App.openFileDialog(9, root)
            onXsave: App.openFileDialog(10, root)
        }
    }
}
