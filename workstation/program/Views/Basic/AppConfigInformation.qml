import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The program's name and version.
Popup {
    id: root
    objectName: "appConfigInformation"
    // As wide as its rows (name 150, gap 4, value 250) and the padding.
    width: 412
    padding: 4
    // Escape reaches the popup only while it holds the focus.
    focus: true
    background: Rectangle { color: "#000000"; border.width: 1; border.color: "#3a3a3a" }

    function xopen(x, y) {
        if (visible)
            xclose()
        root.x = x
        root.y = y
        open()
    }

    function xclose() {
        close()
    }

    Component.onCompleted: {
        inputAppName.init(CApp.appName)
        inputAppVersion.init(CApp.appVersion)
    }

    contentItem: Column {
        spacing: 10

        Rectangle {
            width: parent.width
            height: 40
            color: "#222222"
            XText { x: 12; anchors.verticalCenter: parent.verticalCenter; text: qsTrId("AppInfo"); font.bold: true }
        }
        XInputString {
            id: inputAppName
            objectName: "inputAppName"
            xpanelNameWidth: 150
            xpanelValueWidth: 250
            xname: qsTrId("AppName")
            xreadonly: true
        }
        XInputString {
            id: inputAppVersion
            objectName: "inputAppVersion"
            xpanelNameWidth: 150
            xpanelValueWidth: 250
            xname: qsTrId("AppVersion")
            xreadonly: true
        }
    }
}
