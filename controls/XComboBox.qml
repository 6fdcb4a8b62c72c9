pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Shapes

// Combo box over a list of objects with a `name` (or a plain array of values).
// It is enabled only while its model has entries.
ComboBox {
    id: root
    property bool xshowIndicator: true
    property bool xshowCount: false
    property string xtip: ""
    readonly property int _xcount: {
        const m = root.model
        return m !== null && m !== undefined && typeof m.length === "number" ? m.length : 0
    }

    // The text shown while the current value is not in the list (current index -1): a view
    // puts the value it was given here, so the box never looks empty over a real value.
    property string xvalueText: ""

    // The text of one entry: the `textRole` member of an object, the entry itself otherwise.
    function _xentryText(entry) {
        if (entry === null || entry === undefined)
            return ""
        if (typeof entry === "object" && root.textRole !== "")
            return entry[root.textRole] === undefined ? "" : String(entry[root.textRole])
        return String(entry)
    }

    textRole: "name"
    enabled: _xcount > 0
    displayText: {
        const m = root.model
        if (m === null || m === undefined || typeof m.length !== "number")
            return currentIndex < 0 ? xvalueText : currentText
        return currentIndex >= 0 && currentIndex < m.length ? _xentryText(m[currentIndex]) : xvalueText
    }
    hoverEnabled: true

    background: Rectangle {
        implicitWidth: 120
        implicitHeight: 30
        color: root.hovered ? "#373737" : "#272727"
    }

    contentItem: Text {
        leftPadding: 10
        text: root.displayText
        font: root.font
        color: "#ffffff"
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    indicator: Row {
        x: root.width - width - 4
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4
        visible: root.xshowIndicator

        Shape {
            width: 30
            height: 20
            ShapePath {
                fillColor: "#ffffff"
                strokeColor: "transparent"
                startX: 8
                startY: 5
                PathLine { x: 22; y: 5 }
                PathLine { x: 15; y: 12 }
                PathLine { x: 8; y: 5 }
            }
        }
        Rectangle {
            objectName: "xcountBadge"
            width: 30
            height: 20
            radius: 5
            visible: root.xshowCount
            color: root.hovered ? "transparent" : "#cccccc"
            border.width: 1
            border.color: root.hovered ? "#cccccc" : "transparent"
            Text {
                anchors.centerIn: parent
                text: root._xcount
                color: root.hovered ? "#ffffff" : "#000000"
            }
        }
    }

    delegate: ItemDelegate {
        id: entry
        required property var modelData
        required property int index
        width: root.width
        height: root.height
        padding: 0
        leftPadding: 10
        highlighted: root.highlightedIndex === index
        background: Rectangle {
            color: entry.highlighted ? "#48484f" : "#2f2f37"
            Rectangle {
                width: 4
                height: parent.height
                color: "#18AAE2"
                visible: entry.highlighted
            }
        }
        contentItem: Text {
            text: root._xentryText(entry.modelData)
            font: root.font
            color: "#ffffff"
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }

    popup: Popup {
        y: root.height
        width: root.width
        padding: 0
        implicitHeight: contentItem.implicitHeight
        background: Rectangle {
            color: "#2f2f37"
        }
        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            // The delegate model's type is not in the type information Qt 6.4 ships.
            model: root.popup.visible ? root.delegateModel : null // qmllint disable type
            currentIndex: root.highlightedIndex
            ScrollIndicator.vertical: ScrollIndicator {}
        }
    }

    // The tooltip is made when first needed: a popup per control would make every control
    // costly to create, and most never show one.
    readonly property bool _xtipVisible: xtip !== "" && hovered && !popup.visible
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
