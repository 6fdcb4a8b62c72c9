pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."

// The measurement items of one image, to pick the one a new chart or table follows.
ListView {
    id: root
    property var xchosenItem: null
    // The row item and the measurement item of a click.
    signal xchosen(var row, var item)

    width: 200
    height: 176
    spacing: 4
    clip: true
    ScrollBar.vertical: ScrollBar {}
    delegate: Rectangle {
        id: row
        required property var modelData
        required property int index
        objectName: "itemRow" + index
        width: 200
        height: 40
        color: rowArea.containsMouse ? "#48484f" : "#3b3b43"
        Rectangle { width: 4; height: 40; color: "#18aae2"; visible: root.xchosenItem === row.modelData }
        Rectangle {
            x: 6; y: 4; width: 54; height: 32
            color: "#000000"
            border.width: 1
            border.color: "#ffffff"
            Rectangle { x: 2; y: 2; width: 16; height: 28; color: row.modelData.meaColor }
            XImage { x: 20; y: 2; width: 32; height: 28; source: App.meaType2meaIcon(row.modelData.meaType) }
        }
        XText {
            x: 66
            anchors.verticalCenter: parent.verticalCenter
            text: row.modelData.meaName
            font.pointSize: 12
        }
        MouseArea {
            id: rowArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: root.xchosen(row, row.modelData)
        }
    }
}
