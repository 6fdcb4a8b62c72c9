import QtQuick
import QtQuick.Controls

// Light-weight text button: left clicks only.
Rectangle {
    id: root
    property alias text: label.text
    readonly property bool hovered: area.containsMouse
    readonly property alias pressed: area.pressed
    property var xtag
    property int textPos: 0
    property real xborderWidth: 1
    property real xborderRadius: 2
    property FGBGBO _xfgbgbo: XTheme.fgbgbo_text
    property color _xcolor
    property color _xbgcolor
    property color _xbocolor: XTheme.color_transparent
    property int _xstate

    signal clicked()

    implicitWidth: 100
    implicitHeight: 30
    color: _xbgcolor
    border.width: xborderWidth
    border.color: _xbocolor
    radius: xborderRadius

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
    on_XfgbgboChanged: _xsetState()
    Component.onCompleted: _xsetState()

    // A text wider than the button (a translation, say) ends in an ellipsis; the whole text is
    // the tool tip.
    Text {
        id: label
        anchors.verticalCenter: parent.verticalCenter
        width: Math.min(implicitWidth, Math.max(0, root.width - 10))
        elide: Text.ElideRight
        x: root.textPos === 1 ? 5 : (root.width - width) / 2
        color: root._xcolor
    }
    ToolTip.visible: label.truncated && area.containsMouse
    ToolTip.text: label.text
    ToolTip.delay: 500

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
}
