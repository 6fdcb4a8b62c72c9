import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic/Checks.js" as Checks

// The V7R2K detector utility: the register set as text and the voltage offset to send.
XPopup {
    id: root
    objectName: "deviceUtilV7R2K"
    width: parent ? parent.width : 800
    height: parent ? parent.height : 600
    xinterWidth: 600
    xinterHeight: 320
    xtitle: "V7R2K"
    focus: true
    readonly property var gbl_util: CApp.deviceManager.utilV7R2K

    onOpened: {
        xtitle = "V7R2K: " + gbl_util.deviceId
        inVolOffset.init(gbl_util.volOffset)
    }
    onClicked: close()
    // However it closes (button or Escape), the camera is logged out.
    onClosed: gbl_util.free()

    Column {
        parent: root.xcontentLoader
        x: 4
        spacing: 4
        // Takes the keyboard from the field being edited, which ends (commits) its edit.
        Item { id: editEnd; width: 0; height: 0 }
        XText {
            objectName: "fpaInfo"
            width: 600 - 8
            height: 220
            text: root.gbl_util.fpaInfo
            font.family: "monospace"
        }
        Item {
            width: 600 - 8
            height: 32
            XInputFloat {
                id: inVolOffset
                objectName: "inVolOffset"
                xname: qsTrId("VolOffset")
                xpanelNameWidth: 120
                xpanelValueWidth: 200
                xformat: 3
            }
            XButtonText {
                objectName: "btnVolOffsetSet"
                x: 400
                width: 80
                height: 32
                text: "Set"
                onClicked: {
                    if (!Checks.writable([inVolOffset], [], editEnd)) {
                        App.notifyError(2, qsTrId("InvalidInput"))
                        return
                    }
                    root.gbl_util.volOffset = inVolOffset.xvalue
                    root.gbl_util.applyVolOffset()
                }
            }
        }
    }
}
