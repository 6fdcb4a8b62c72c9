pragma ComponentBehavior: Bound
import QtQuick

// Strip of equal-width tabs; users follow xcurrentIndex. The first tab is current after completion.
Rectangle {
    id: root
    property var xnames
    property int xitemWidth: 100
    property alias xcurrentIndex: list.currentIndex

    implicitWidth: parent ? parent.width : 0
    implicitHeight: 40
    color: XTheme.background_color

    ListView {
        id: list
        anchors.fill: parent
        anchors.margins: 4
        orientation: ListView.Horizontal
        spacing: 4
        interactive: false
        highlightFollowsCurrentItem: false
        model: root.xnames

        delegate: Rectangle {
            id: tab
            required property int index
            required property var modelData
            readonly property bool current: list.currentIndex === index
            width: root.xitemWidth
            height: list.height
            radius: 4
            color: XTheme.tab_colors4[current ? 2 : area.containsMouse ? 1 : 0]

            XText {
                anchors.centerIn: parent
                text: tab.modelData
                font.pointSize: XTheme.font_size
                color: tab.current ? XTheme.color_primary : XTheme.text_color
            }

            MouseArea {
                id: area
                anchors.fill: parent
                hoverEnabled: true
                onClicked: root.xcurrentIndex = tab.index
            }
        }
    }

    Component.onCompleted: xcurrentIndex = 0
}
