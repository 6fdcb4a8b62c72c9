pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls

// Labelled drop-down list. Object mode (`xtextRole` not empty): options with `name` and `value`,
// `xvalue` is the chosen option's value. Plain mode: a plain list, `xvalue` is the index.
// The box always shows the option of `xvalue`, also after an outside write or new options;
// only a click on an entry writes `xvalue`.
XInputBase {
    id: root
    property int xvalue: -1
    property var xoptions: []
    property string xtextRole: "name"

    function init(v) {
        if (v === xvalue)
            return
        xvalue = v
        model2view()
    }

    function _xcount() {
        const o = xoptions
        return o !== null && o !== undefined && typeof o.length === "number" ? o.length : 0
    }

    function _xindexOf(v) {
        if (xtextRole === "")
            return v >= 0 && v < _xcount() ? v : -1
        for (let i = 0; i < _xcount(); ++i) {
            const o = xoptions[i]
            if (o && o.value === v)
                return i
        }
        return -1
    }

    function model2view() {
        box.currentIndex = _xindexOf(xvalue)
    }

    onXvalueChanged: model2view()
    onXoptionsChanged: model2view()
    onXtextRoleChanged: model2view()

    ComboBox {
        id: box
        objectName: "xcomboBox"
        parent: root.xpanelValueLoader
        anchors.fill: parent
        model: root.xoptions
        textRole: root.xtextRole
        enabled: !root.xreadonly
        hoverEnabled: true
        // Follows `xvalue` and the options themselves, never a stale current index.
        readonly property string xcurrentText: {
            const i = root._xindexOf(root.xvalue)
            if (i < 0)
                return ""
            const o = root.xoptions[i]
            return root.xtextRole === "" ? String(o) : (o ? String(o.name) : "")
        }
        // The box moves its own index when its model changes: it is kept on the option of
        // `xvalue`, except for the user's choice in the open list, which `activated` writes.
        onCurrentIndexChanged: {
            if (popup.visible)
                return
            const want = root._xindexOf(root.xvalue)
            if (currentIndex !== want)
                currentIndex = want
        }
        onActivated: function (index) {
            const o = root.xoptions[index]
            root.xvalue = root.xtextRole === "" ? index : o.value
        }

        background: Rectangle {
            color: XTheme.input_colors4[!box.enabled ? 3 : box.hovered ? 1 : 0]
        }
        contentItem: XText {
            leftPadding: root.xvalueMargin
            rightPadding: 30
            text: box.xcurrentText
            color: box.enabled ? XTheme.text_color : XTheme.text_color_disabled
            elide: Text.ElideRight
        }
        indicator: XImage {
            x: box.width - width - 8
            anchors.verticalCenter: parent.verticalCenter
            width: 20
            height: 20
            source: Qt.resolvedUrl("Icons/menu-down.svg")
            color: XTheme.text_color
            rotation: box.popup.visible ? -180 : 0
        }
        delegate: ItemDelegate {
            id: entry
            required property var modelData
            required property int index
            width: box.width
            height: root.height
            padding: 0
            leftPadding: 6
            highlighted: box.highlightedIndex === index
            background: Rectangle {
                color: XTheme.dropdown_colors4[box.currentIndex === entry.index ? 2 : entry.highlighted ? 1 : 0]
            }
            contentItem: XText {
                text: root.xtextRole === "" ? String(entry.modelData)
                                           : (entry.modelData ? String(entry.modelData[root.xtextRole]) : "")
                elide: Text.ElideRight
            }
        }
        popup: Popup {
            y: box.height
            width: box.width
            padding: 1
            implicitHeight: root._xcount() * root.height + 4
            background: Rectangle {
                color: root.xpanelValueColor
                border.width: 1
                border.color: Qt.darker(root.xpanelValueColor, 0.9)
            }
            contentItem: ListView {
                clip: true
                // The delegate model's type is not in the type information Qt 6.4 ships.
                model: box.popup.visible ? box.delegateModel : null // qmllint disable type
                currentIndex: box.highlightedIndex
                ScrollIndicator.vertical: ScrollIndicator {}
            }
        }
    }

    Component.onCompleted: model2view()
}
