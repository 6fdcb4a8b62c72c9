pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls

// Colour field with a palette of 40 presets and, from there, the theme's shared colour dialog.
Item {
    id: root
    property color xcolor: "#000000"
    readonly property var cfg_colors: [
        "#000000", "#993300", "#333300", "#003300", "#003366", "#000080", "#333399", "#333333",
        "#800000", "#FF6600", "#808000", "#008000", "#008080", "#0000FF", "#666699", "#808080",
        "#FF0000", "#FF9900", "#99CC00", "#339966", "#33CCCC", "#3366FF", "#800080", "#999999",
        "#FF00FF", "#FFCC00", "#FFFF00", "#00FF00", "#00FFFF", "#00CCFF", "#993366", "#C0C0C0",
        "#FF99CC", "#FFCC99", "#FFFF99", "#FFCCFF", "#CCFFFF", "#99CCFF", "#CC99FF", "#FFFFFF"
    ]

    implicitWidth: 180
    implicitHeight: 20

    Rectangle {
        objectName: "xcolorSwatch"
        y: 2
        width: root.width - 32
        height: root.height - 4
        color: root.xcolor
        border.width: 1
        border.color: "#ffffff"
        MouseArea {
            anchors.fill: parent
            onClicked: palettePopup.open()
        }
    }

    XButtonSvg {
        objectName: "xcolorMenu"
        anchors.right: parent.right
        width: 30
        height: root.height
        iconSource: Qt.resolvedUrl("Icons/menu-down.svg")
        onClicked: palettePopup.open()
    }

    // One preset of the palette; the check mark sits on the preset equal to xcolor.
    Component {
        id: presetDelegate
        Rectangle {
            id: preset
            required property color modelData
            readonly property bool xchecked: Qt.colorEqual(modelData, root.xcolor)
            width: 30
            height: 30
            color: modelData
            border.width: presetArea.containsMouse ? 1 : 0
            border.color: XTheme.border_color

            XImage {
                anchors.centerIn: parent
                width: 20
                height: 20
                visible: preset.xchecked
                source: Qt.resolvedUrl("Icons/check.svg")
                // Keep the mark visible on light and dark presets alike.
                color: preset.modelData.hslLightness > 0.6 ? "#000000" : "#ffffff"
            }
            MouseArea {
                id: presetArea
                anchors.fill: parent
                hoverEnabled: true
                onClicked: {
                    root.xcolor = preset.modelData
                    palettePopup.close()
                }
            }
        }
    }

    Popup {
        id: palettePopup
        objectName: "xpalettePopup"
        y: root.height
        padding: 4
        background: Rectangle {
            color: "#000000"
            border.width: 1
            border.color: "#3a3a3a"
        }

        contentItem: Column {
            spacing: 10

            Grid {
                width: 240
                height: 150
                rows: 5
                columns: 8
                Repeater {
                    objectName: "xcolorPresets"
                    model: root.cfg_colors
                    delegate: presetDelegate
                }
            }

            Row {
                spacing: 10
                Rectangle {
                    width: 30
                    height: 30
                    color: root.xcolor
                    border.width: 1
                    border.color: "#ffffff"
                }
                XButtonText {
                    objectName: "xmoreColors"
                    height: 24
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTrId("MoreColors")
                    onClicked: XTheme.openColorDialog(root)
                }
            }
        }
    }
}
