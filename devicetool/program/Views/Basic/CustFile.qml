import QtQuick
import Kiv 1.0
import Ostrel 1.0
import ".."
import "Checks.js" as Checks

// One custom correction table (memory block `xmemType`): its time (shown only), note, point count
// and points, read and written with Get and Set.
Column {
    id: root
    property string xtitle: ""
    property int xmemType: 3
    property var xmodel: null
    property int cfg_itemCount: 0
    readonly property var gbl_custEditor: CApp.deviceManager.custEditor
    spacing: 6

    function model2view() {
        inNote.init(xmodel.note)
        inTimestamp.init(xmodel.timestamp)
        inItemCount.init(xmodel.itemCount)
        cfg_itemCount = xmodel.itemCount
    }

    function view2model() {
        xmodel.note = inNote.xvalue
        xmodel.itemCount = inItemCount.xvalue
    }

    // Takes the keyboard from a cell or field being edited, which ends (commits) its edit.
    Item { id: editEnd; width: 0; height: 0 }
    XHead { width: 350; height: 30; xtext: root.xtitle }
    XInputString { id: inTimestamp; objectName: "inTimestamp"; width: 350; height: 40; xname: qsTrId("Cust_timestamp"); xpanelNameWidth: 150; xpanelValueWidth: 200 }
    XInputString { id: inNote; objectName: "inNote"; width: 350; height: 74; xname: qsTrId("Cust_note"); xpanelNameWidth: 150; xpanelValueWidth: 200 }
    XInputFloatSlider {
        id: inItemCount
        objectName: "inItemCount"
        width: 350; height: 40
        xname: qsTrId("Cust_itemCount")
        xpanelNameWidth: 150; xpanelValueWidth: 200
        xmin: 0; xmax: 16
        onXvalueChanged: root.cfg_itemCount = xvalue
    }
    CaliTable {
        id: custTable
        objectName: "custTable"
        width: 350; height: 300
        model: root.xmodel ? root.xmodel.itemList : null
        xcount: root.cfg_itemCount
        xcolumnWidthArray: [0.2, 0.4, 0.4]
        xcolumnNameArray: ["", qsTrId("Blackbody") + " ℃", qsTrId("Temp") + " ℃"]
        xprops: ["blackbody", "temp"]
    }
    XGrid {
        width: 350; height: 40
        rows: 1; columns: 2
        XButtonText {
            objectName: "btnGet"
            text: qsTrId("Get")
            onClicked: {
                const r = root.gbl_custEditor.downloadMem(root.xmemType)
                if (r >= 0)
                    root.model2view()
                App.notifyErrorSimple(r >= 0 ? 0 : 3)
            }
        }
        XButtonText {
            objectName: "btnSet"
            text: qsTrId("Set")
            onClicked: {
                if (!Checks.writable([root], [custTable], editEnd)) {
                    App.notifyError(2, qsTrId("InvalidInput"))
                    return
                }
                root.view2model()
                App.notifyErrorSimple(root.gbl_custEditor.uploadMem(root.xmemType) >= 0 ? 0 : 3)
            }
        }
    }
}
