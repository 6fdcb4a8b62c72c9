pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls

// Text and icon button in one of the theme's thirteen styles (xbuttonType).
Button {
    id: root
    property string xtip: ""
    property var xtag
    property int xbuttonType: 0
    property real xborderWidth: 1
    property real xborderRadius: 2
    property bool xselected: false
    property FGBGBO _xfgbgbo: XTheme._button_array[xbuttonType] || null
    property color _xcolor
    property color _xbgcolor
    property color _xbocolor: XTheme.color_transparent
    property int _xstate
    property int iconWidth: 30
    property int iconHeight: 30
    property string iconSource: ""

    implicitWidth: 80
    implicitHeight: 40
    // Styles add their own horizontal padding on top of `padding`; the icon takes the whole control.
    padding: 0
    horizontalPadding: 0
    verticalPadding: 0
    hoverEnabled: true
    icon.width: iconWidth
    icon.height: iconHeight
    icon.source: iconSource
    icon.color: _xcolor
    palette.buttonText: _xcolor

    // State order: disabled over pressed over hovered over normal. A style without border colours
    // leaves the border as it was.
    function _xsetState() {
        _xstate = !enabled ? 3 : pressed ? 2 : hovered ? 1 : 0
        const style = _xfgbgbo
        if (!style)
            return
        _xcolor = style.fg[_xstate]
        _xbgcolor = style.bg[_xstate]
        if (style.bo && style.bo.length > 0)
            _xbocolor = style.bo[_xstate]
    }

    onHoveredChanged: _xsetState()
    onPressedChanged: _xsetState()
    onEnabledChanged: _xsetState()
    // A style assigned later (directly or through xbuttonType) shows at once.
    on_XfgbgboChanged: _xsetState()
    Component.onCompleted: _xsetState()

    background: Rectangle {
        implicitWidth: root.width
        implicitHeight: root.height
        color: root._xbgcolor
        border.width: root.xborderWidth
        border.color: root._xbocolor
        radius: root.xborderRadius

        Rectangle {
            objectName: "xselectionBar"
            width: parent.width
            height: 4
            anchors.bottom: parent.bottom
            color: "#18AAE2"
            visible: root.xselected
        }
    }

    // The tooltip is made when first needed: a popup per control would make every control
    // costly to create, and most never show one.
    readonly property bool _xtipVisible: xtip !== "" && hovered
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
            contentItem: Text {
                text: root.xtip
                color: XTheme.text_color
            }
            background: Rectangle {
                color: "#000000"
                border.width: 1
                border.color: "#a0a0a0"
            }
        }
    }
}
