pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls

// A labelled row of a settings form: caption panel, value panel that the typed inputs put their
// editor into, and a red frame over the value panel while the input is invalid.
Item {
    id: root
    property bool xrule_isInputValid: true
    property color xpanelNameColor: XTheme.fill_color_5
    property real xpanelNameWidth: 100
    property int xpanelNameSpacing: 4
    property int xnameMargin: 12
    property alias xname: nameText.text
    property alias xnameFontSize: nameText.font.pixelSize
    property alias xnameColor: nameText.color
    property string xtip: ""
    property real xpanelValueWidth: 100
    property color xpanelValueColor: XTheme.input_colors4[0]
    readonly property Item xpanelValueLoader: valuePanel
    property int xvalueMargin: 12
    property bool xreadonly: false

    width: xpanelNameWidth + xpanelNameSpacing + xpanelValueWidth
    implicitHeight: 32

    Rectangle {
        id: namePanel
        width: root.xpanelNameWidth
        height: root.height
        color: root.xpanelNameColor

        // A caption longer than its panel (a translation, say) ends in an ellipsis and shows whole
        // in the tool tip, instead of running under the value.
        XText {
            id: nameText
            x: root.xnameMargin
            width: Math.max(0, namePanel.width - root.xnameMargin - 4)
            elide: Text.ElideRight
            anchors.verticalCenter: parent.verticalCenter
        }
        HoverHandler {
            id: nameHover
            enabled: root._xtipText !== ""
        }
    }

    Item {
        id: valuePanel
        objectName: "xpanelValue"
        x: root.xpanelNameWidth + root.xpanelNameSpacing
        width: root.xpanelValueWidth
        height: root.height
    }

    Rectangle {
        objectName: "xvalidityFrame"
        x: valuePanel.x
        width: valuePanel.width
        height: root.height
        color: "transparent"
        border.width: 1
        border.color: "#ff0000"
        visible: !root.xrule_isInputValid
    }

    // The tooltip is made when first needed: a popup per row would make every form costly to
    // create, and most rows never show one.
    readonly property string _xtipText: nameText.truncated ? (xtip !== "" ? nameText.text + "\n" + xtip : nameText.text) : xtip
    readonly property bool _xtipVisible: _xtipText !== "" && (nameHover.hovered || (xtip !== "" && !xrule_isInputValid))
    property ToolTip _xtooltip: null
    on_XtipVisibleChanged: {
        if (_xtipVisible && !_xtooltip)
            _xtooltip = tipComponent.createObject(namePanel)
    }

    Component {
        id: tipComponent
        ToolTip {
            text: root._xtipText
            visible: root._xtipVisible
            // It follows the hover and the input's validity alone: a press elsewhere must not
            // hide the range of an input that is still invalid.
            closePolicy: Popup.NoAutoClose
            contentItem: XText {
                text: root._xtipText
            }
            background: Rectangle {
                color: "#000000"
                border.width: 1
                border.color: "#a0a0a0"
            }
        }
    }
}
