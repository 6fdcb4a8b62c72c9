pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls

// Picture button with a selected state; the picture is shown as it is (not tinted).
Rectangle {
    id: root
    property alias iconSource: picture.source
    property alias iconWidth: picture.width
    property alias iconHeight: picture.height
    readonly property bool hovered: area.containsMouse
    readonly property alias pressed: area.pressed
    property bool xselected: false
    property string xtip: ""
    property var xtag
    property FGBGBO _xfgbgbo: XTheme.fgbgbo_icon

    signal clicked()

    implicitWidth: 40
    implicitHeight: 40
    // Index 2 is the selected state here, not the pressed one.
    color: _xfgbgbo ? _xfgbgbo.bg[!enabled ? 3 : xselected ? 2 : hovered ? 1 : 0] : "transparent"

    Image {
        id: picture
        anchors.centerIn: parent
        width: 20
        height: 32
    }

    Rectangle {
        objectName: "xselectionBar"
        width: parent.width
        height: 4
        anchors.bottom: parent.bottom
        color: "#18AAE2"
        visible: root.xselected
    }

    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        // MouseArea accepts the left button only by default. The button takes the focus first:
        // a field still being edited then finishes its edit, so the action reads the value shown.
        onClicked: {
            root.forceActiveFocus()
            root.clicked()
        }
    }

    // The tooltip is made when first needed: a popup per control would make every control
    // costly to create, and most never show one.
    readonly property bool _xtipVisible: xtip !== "" && hovered && !xselected
    property ToolTip _xtooltip: null
    on_XtipVisibleChanged: {
        if (_xtipVisible && !_xtooltip)
            _xtooltip = tipComponent.createObject(root)
    }

    Component {
        id: tipComponent
        ToolTip {
            text: root.xtip
            visible: root._xtipVisible
            contentItem: XText {
                text: root.xtip
            }
            background: Rectangle {
                color: "#000000"
                border.width: 1
                border.color: "#a0a0a0"
            }
        }
    }
}
