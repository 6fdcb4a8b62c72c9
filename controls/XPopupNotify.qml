import QtQuick
import QtQuick.Controls
import Kiv

// Notice of an operation's outcome that closes itself after `xduration` seconds. One per window:
// a second notice replaces the first and restarts the countdown.
Popup {
    id: root
    // Level: 0 success, 1 info, 2 warning, 3 danger.
    property int xnofityType: 0
    property string xnotifyInfo: ""
    property int xduration: 3
    property int _xcountdown: 0
    readonly property var _xtimer: timer
    readonly property var _xcolors: [XTheme.color_success, XTheme.color_info, XTheme.color_warning, XTheme.color_danger]
    readonly property var _xicons: ["Icons/notify-success.svg", "Icons/notify-info.svg",
        "Icons/notify-warning.svg", "Icons/notify-danger.svg"]
    readonly property int _xlevel: xnofityType >= 0 && xnofityType <= 3 ? xnofityType : 0

    closePolicy: Popup.CloseOnEscape
    // Escape reaches a popup only while the focus is inside it, so it takes the focus on opening.
    focus: true
    leftPadding: 0

    function xopen(type, info) {
        xnofityType = type
        xnotifyInfo = info
        _xcountdown = xduration
        // A running timer keeps its phase.
        if (!timer.running)
            timer.start()
        open()
    }

    // A failure keeps its code and says what it means.
    function xopenErrorCode(code, act) {
        xopen(code >= 0 ? 0 : 3, act + XUtil.resultText(code))
    }

    // The type information Qt 6.4 ships lacks QtQml's Timer; the engine has it all the same.
    // qmllint disable
    Timer {
        id: timer
        interval: 1000
        repeat: true
        onTriggered: {
            root._xcountdown -= 1
            if (root._xcountdown <= 0) {
                timer.stop()
                root.close()
            }
        }
    }
    // qmllint enable

    background: Rectangle {
        color: XTheme.fill_color_1
        border.width: 1
        border.color: XTheme.border_color
    }

    contentItem: Row {
        spacing: 10
        XImage {
            objectName: "xnotifyIcon"
            anchors.verticalCenter: parent.verticalCenter
            width: 30
            height: 30
            source: Qt.resolvedUrl(root._xicons[root._xlevel])
            color: root._xcolors[root._xlevel]
        }
        XText {
            objectName: "xnotifyText"
            anchors.verticalCenter: parent.verticalCenter
            width: 360
            wrapMode: Text.WordWrap
            text: root.xnotifyInfo
            color: root._xcolors[root._xlevel]
        }
    }
}
