import QtQuick
import QtQuick.Controls

// Dialog frame: a transparent layer holding a movable box with a title bar, a close button and
// a content area for the view's own items. Only Escape closes it; the close button only signals.
Popup {
    id: root
    property int xinterWidth: 400
    property int xinterHeight: 300
    property alias xtitle: titleText.text
    readonly property Item xcontentLoader: content
    readonly property Item _xbox: box

    signal clicked(int ok)

    width: 800
    height: 600
    leftPadding: 0
    topPadding: 0
    closePolicy: Popup.CloseOnEscape
    // Escape reaches a popup only while the focus is inside it, so it takes the focus on opening.
    focus: true
    background: Item {}

    function _xcentreX() {
        box.x = (width - xinterWidth) / 2
    }
    function _xcentreY() {
        box.y = (height - xinterHeight) / 2
    }
    // A resize recentres the box and drops a drag.
    onWidthChanged: _xcentreX()
    onHeightChanged: _xcentreY()
    Component.onCompleted: {
        _xcentreX()
        _xcentreY()
    }

    Rectangle {
        id: box
        objectName: "xinterBox"
        width: root.xinterWidth
        height: root.xinterHeight
        color: XTheme.background_color_base
        border.width: 1
        border.color: XTheme.border_color

        Rectangle {
            id: titleBar
            objectName: "xtitleBar"
            x: 2
            y: 2
            width: box.width - 4
            height: 40
            color: XTheme.popup_color_head

            MouseArea {
                property real _xpressX: 0
                property real _xpressY: 0
                anchors.fill: parent
                onPressed: function (mouse) {
                    _xpressX = mouse.x
                    _xpressY = mouse.y
                }
                // The bar moves with the box, so the press point stays the reference.
                onPositionChanged: function (mouse) {
                    if (!pressed)
                        return
                    const maxX = root.width - root.xinterWidth
                    const maxY = root.height - root.xinterHeight
                    const nx = box.x + mouse.x - _xpressX
                    const ny = box.y + mouse.y - _xpressY
                    box.x = nx > maxX ? maxX : (nx < 0 ? 0 : nx)
                    box.y = ny > maxY ? maxY : (ny < 0 ? 0 : ny)
                }
            }
            XText {
                id: titleText
                x: 12
                anchors.verticalCenter: parent.verticalCenter
                font.bold: true
            }
            XButton {
                objectName: "xcloseButton"
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                width: 28
                height: 28
                xbuttonType: 4
                iconSource: Qt.resolvedUrl("Icons/close.svg")
                iconWidth: 28
                iconHeight: 28
                display: AbstractButton.IconOnly
                onClicked: root.clicked(0)
            }
        }

        Item {
            id: content
            objectName: "xcontent"
            x: 2
            y: 44
            width: box.width - 4
            height: box.height - 46
        }
    }
}
