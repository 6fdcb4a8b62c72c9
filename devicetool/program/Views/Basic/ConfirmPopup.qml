import QtQuick
import Kiv 1.0

// The question asked before a command that cannot be taken back (restart, factory settings):
// OK runs the action it was asked for, once; Cancel, the close button and Escape only close it.
XPopup {
    id: confirm
    property var _callback: null
    xinterWidth: 400
    xinterHeight: 100
    // Keys go to the question at once: Escape answers it without a click first.
    focus: true

    function ask(title, cb) {
        xtitle = title
        _callback = cb
        open()
    }

    onClicked: close()
    // However it closes (button, title bar, Escape), no callback is left behind.
    onClosed: _callback = null

    Row {
        parent: confirm.xcontentLoader
        anchors.centerIn: parent
        spacing: 10
        XButtonText {
            objectName: "btnConfirmOk"
            width: 100
            height: 32
            text: qsTrId("OK")
            onClicked: {
                const cb = confirm._callback
                confirm.close()
                if (cb)
                    cb()
            }
        }
        XButtonText {
            objectName: "btnConfirmCancel"
            width: 100
            height: 32
            text: qsTrId("Cancel")
            onClicked: confirm.close()
        }
    }
}
