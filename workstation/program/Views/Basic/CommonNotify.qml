import QtQuick
import QtQuick.Controls
import Kiv 1.0

// A notice in the corner that closes itself 3 s after it was (last) opened. A second notice
// replaces the first and starts the time again.
DialogBase {
    id: root
    width: 300
    height: 200
    padding: 0
    closePolicy: Popup.CloseOnEscape
    // A notice never holds the input: the window stays usable while it shows.
    modal: false
    background: Item {}

    onXfill: {
        console.log("notice " + xtag)
        message.text = xtag
        timer.restart()
    }
    onXclosing: timer.stop()

    Timer {
        id: timer
        interval: 3000
        onTriggered: root.xclose()
    }

    Rectangle {
        objectName: "notice"
        width: root.availableWidth
        height: root.availableHeight
        radius: 10
        color: "#18aae2"
        XText {
            id: message
            objectName: "noticeText"
            x: 20
            width: 260
            height: parent.height
            color: "#000000"
            font.pointSize: XTheme.font_size
            wrapMode: Text.WrapAnywhere
        }
        XButtonSvg {
            objectName: "btnCloseNotice"
            x: 8; y: 8
            width: 24; height: 24; iconWidth: 24; iconHeight: 24
            iconSource: "qrc:/Icons/close-box-outline.svg"
            onClicked: root.xclose()
        }
    }
}
