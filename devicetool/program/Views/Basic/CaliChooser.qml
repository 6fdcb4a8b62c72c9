import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."

// The calibration chooser below the main window's "DeviceCali" button: each entry logs its editor
// in to the selected camera and opens the editor's view when that worked.
Popup {
    id: root
    objectName: "caliChooser"
    padding: 4
    background: Rectangle {
        color: "#000000"
        border.width: 1
        border.color: "#3a3a3a"
    }
    readonly property var gbl_deviceManager: CApp.deviceManager

    // Runs `init` of the editor on the selected node; opens `view` on success. Returns the result
    // (or -1 without a selection; -200 when the view cannot be loaded, its login released then,
    // since only the view's closing would release it).
    function openEditor(editor, view) {
        const node = App.main ? App.main.selectedNode() : null
        if (node === null || !editor)
            return -1
        const r = editor.init(node.deviceIp)
        if (r >= 0 && App.openView(view) === null) {
            editor.free()
            return -200
        }
        return r
    }

    Column {
        spacing: 4
        XButtonText {
            objectName: "btnDeviceWeiJu"
            width: 100; height: 32
            text: qsTrId("DeviceWeiJu")
            onClicked: if (root.openEditor(root.gbl_deviceManager.weijuEditor, "DeviceWeiJu") >= 0) root.close()
        }
        XButtonText {
            objectName: "btnDeviceFixDist"
            width: 100; height: 32
            text: qsTrId("DeviceFixDist")
            onClicked: if (root.openEditor(root.gbl_deviceManager.fixdistEditor, "DeviceFixDist") >= 0) root.close()
        }
        XButtonText {
            objectName: "btnDeviceXCali"
            width: 100; height: 32
            text: qsTrId("DeviceXCali")
            // The XCali editor closes the chooser whatever its login gave.
            visible: root.gbl_deviceManager.xcaliEditor !== undefined
            onClicked: {
                root.openEditor(root.gbl_deviceManager.xcaliEditor, "DeviceXCali")
                root.close()
            }
        }
    }
}
