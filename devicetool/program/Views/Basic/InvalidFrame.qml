import QtQuick

// The red frame of an invalid value, as the labelled inputs draw theirs, over its parent.
Rectangle {
    anchors.fill: parent
    color: "transparent"
    border.width: 1
    border.color: "#ff0000"
    visible: false
}
