pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0

// The menu of an add popup: one row per entry; a disabled row draws its icon and text grey.
ListView {
    id: root
    // Whether the entry of that index can be chosen; all by default.
    property var xenabled: (index) => true
    signal xchosen(int index)

    implicitWidth: 170
    implicitHeight: contentHeight
    interactive: false
    delegate: Rectangle {
        id: row
        required property var modelData
        required property int index
        readonly property bool rowEnabled: root.xenabled(index)
        objectName: "menuEntry" + index
        width: root.width
        height: 40
        color: rowEnabled && rowArea.containsMouse ? "#505050" : "#000000"
        XImage {
            x: 5
            anchors.verticalCenter: parent.verticalCenter
            width: 30
            height: 30
            enabled: false
            opacity: row.rowEnabled ? 1 : 0.3
            source: row.modelData.icon
        }
        // A name wider than the menu ends in an ellipsis and shows whole as the tool tip.
        XText {
            id: rowText
            x: 40
            width: row.width - 45
            elide: Text.ElideRight
            anchors.verticalCenter: parent.verticalCenter
            text: qsTrId(row.modelData.name)
            color: row.rowEnabled ? "#ffffff" : "#505050"
            font.pointSize: XTheme.font_size
        }
        MouseArea {
            id: rowArea
            anchors.fill: parent
            hoverEnabled: true
            enabled: row.rowEnabled
            onClicked: root.xchosen(row.index)
            ToolTip.visible: rowText.truncated && containsMouse
            ToolTip.text: rowText.text
        }
    }
}
