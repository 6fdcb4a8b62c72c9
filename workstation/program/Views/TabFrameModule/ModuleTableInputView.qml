pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The input table: each input's descriptive data under its name. Removing a row leaves the input
// itself open.
Item {
    id: root
    property var module: null
    readonly property var cfg_fields: [
        [QT_TRID_NOOP("InputBase_inputTypeName"), "inputTypeName"], [QT_TRID_NOOP("InputBase_capturedDate"), "capturedDate"], [QT_TRID_NOOP("InputBase_capturedTime"), "capturedTime"],
        [QT_TRID_NOOP("InputBase_dataSize"), "dataSize"], [QT_TRID_NOOP("InputBase_cameraModel"), "cameraModel"], [QT_TRID_NOOP("InputBase_cameraSerial"), "cameraSerial"],
        [QT_TRID_NOOP("InputBase_lensName"), "lensName"], [QT_TRID_NOOP("InputBase_tempRange"), "tempRange"], [QT_TRID_NOOP("InputBase_shellTemp"), "shellTemp"]]
    property alias list: list

    anchors.fill: parent
    anchors.margins: 2

    Component.onCompleted: {
        console.log("create module " + module.viewName)
        list.model = Qt.binding(function () { return root.module ? root.module.inputList : [] })
    }

    Rectangle {
        id: background
        anchors.fill: parent
        color: XTheme.background_color
        ListView {
            id: list
            objectName: "inputList"
            anchors.fill: parent
            clip: true
            ScrollBar.vertical: ScrollBar {}
            delegate: Item {
                id: entry
                required property var modelData
                required property int index
                width: list.width
                height: 120
                Rectangle {
                    width: parent.width
                    height: 30
                    color: "#3b3b43"
                    XText {
                        x: 8
                        anchors.verticalCenter: parent.verticalCenter
                        width: parent.width - 46
                        text: entry.modelData.inputNameShort
                        font.bold: true
                        elide: Text.ElideRight
                    }
                    XButtonSvg {
                        objectName: "btnInputDelete" + entry.index
                        anchors.right: parent.right
                        width: 30; height: 30; iconWidth: 24; iconHeight: 24
                        iconSource: "qrc:/Icons/close.svg"
                        _xfgbgbo: XTheme.fgbgbo_delete
                        onClicked: root.module.input_delete(entry.modelData)
                    }
                }
                Row {
                    y: 30
                    Repeater {
                        model: 6
                        Rectangle {
                            required property int index
                            width: entry.width / 6
                            height: 90
                            color: index % 2 === 0 ? "#2f2f37" : "#48484f"
                        }
                    }
                }
                // A 3 x 6 grid of label and value pairs with 2-pixel margins around each cell.
                Grid {
                    x: 2; y: 32
                    columns: 6
                    spacing: 4
                    Repeater {
                        model: root.cfg_fields.length * 2
                        XText {
                            required property int index
                            readonly property var field: root.cfg_fields[Math.floor(index / 2)]
                            width: entry.width / 6 - 4
                            height: 26
                            verticalAlignment: Text.AlignVCenter
                            elide: Text.ElideRight
                            // The values are fixed once an input is open: read once.
                            Component.onCompleted: text = index % 2 === 0 ? qsTrId(field[0]) : String(entry.modelData[field[1]])
                        }
                    }
                }
            }
        }
    }

    XButtonSvg {
        objectName: "btnCopyImage"
        x: root.width - 50; y: root.height - 50
        width: 40; height: 40
        iconSource: "qrc:/Icons/image.svg"; xtip: qsTrId("CopyToClipboardAsImage")
        onClicked: CApp.grab(background, "")
    }
}
