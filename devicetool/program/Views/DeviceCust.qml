import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"

// The custom correction tables of the logged-in camera: block 3, and block 4 for cameras with a
// second temperature range ("Switch" shows the other).
XPopup {
    id: root
    objectName: "deviceCust"
    width: parent ? parent.width : 1200
    height: parent ? parent.height : 800
    xinterWidth: 370
    xinterHeight: 600
    xtitle: qsTrId("DeviceCust")
    focus: true
    readonly property var gbl_custEditor: CApp.deviceManager.custEditor
    property int cfg_tempRange: 0
    property bool cfg_tempRangeSingle: true

    onOpened: {
        cfg_tempRange = 0
        cfg_tempRangeSingle = gbl_custEditor.tempRangeSingle
        cust1.model2view()
        cust2.model2view()
    }
    onClicked: close()
    // However it closes (button or Escape), the camera is logged out.
    onClosed: gbl_custEditor.free()

    Item {
        parent: root.xcontentLoader
        anchors.fill: parent
        anchors.margins: 5
        CustFile {
            id: cust1
            objectName: "cust1"
            visible: root.cfg_tempRange === 0
            xtitle: qsTrId("Cust_config1")
            xmemType: 3
            xmodel: root.gbl_custEditor.cust
        }
        CustFile {
            id: cust2
            objectName: "cust2"
            visible: root.cfg_tempRange === 1
            xtitle: qsTrId("Cust_config2")
            xmemType: 4
            xmodel: root.gbl_custEditor.cust2
        }
        XButtonText {
            objectName: "btnSwitch"
            anchors.right: parent.right
            width: 100; height: 32
            visible: !root.cfg_tempRangeSingle
            text: qsTrId("Switch")
            onClicked: root.cfg_tempRange = root.cfg_tempRange === 0 ? 1 : 0
        }
    }
}
