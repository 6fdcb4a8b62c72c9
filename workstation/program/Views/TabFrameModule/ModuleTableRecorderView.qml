pragma ComponentBehavior: Bound
import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The recordings table of one live camera: the current and the previous recording and the save
// folder's space. A table whose camera is gone shows itself disabled.
Rectangle {
    id: root
    property var module: null
    // Read once: the table is bound to its camera before its view exists.
    property var recorder: null
    property var file: null
    property var filePrev: null
    readonly property var gbl_recorderManager: CApp.recorderManager
    readonly property var cfg_fields: [[QT_TRID_NOOP("Recorder_fnShort"), "fnShort"], [QT_TRID_NOOP("Recorder_beginTime"), "beginTime"],
        [QT_TRID_NOOP("Recorder_endTime"), "endTime"], [QT_TRID_NOOP("Recorder_duration"), "duration"], [QT_TRID_NOOP("Recorder_frameCount"), "frameCount"],
        [QT_TRID_NOOP("Recorder_streamSize"), "streamSize"]]

    anchors.fill: parent
    anchors.margins: 2
    color: "#111111"
    enabled: recorder !== null

    Component.onCompleted: {
        console.log("create module " + module.viewName)
        const ir = module.ir
        recorder = ir ? ir.recorder : null
        file = recorder ? recorder.file : null
        filePrev = recorder ? recorder.filePrev : null
    }

    function fieldOf(f, name) { return f ? String(f[name]) : "" }

    Column {
        width: parent.width
        spacing: 4
        XGrid {
            width: parent.width
            height: 40
            rows: 1; columns: 6; unitMargin: 5
            XText {
                objectName: "configDesc"
                text: root.recorder ? root.recorder.config.configDesc : ""
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
            Item {}
            // A label wider than its cell ends in an ellipsis rather than running over the value.
            Row {
                spacing: 6
                Rectangle { width: 8; height: 8; color: "#00cc00"; anchors.verticalCenter: parent.verticalCenter }
                XText { text: qsTrId("Storage_Free"); width: parent.width - 14; elide: Text.ElideRight; anchors.verticalCenter: parent.verticalCenter }
            }
            XText {
                text: root.gbl_recorderManager.storageFree.toFixed(2) + " GB"
                verticalAlignment: Text.AlignVCenter
            }
            Row {
                spacing: 6
                Rectangle { width: 8; height: 8; color: "#800000"; anchors.verticalCenter: parent.verticalCenter }
                XText { text: qsTrId("Storage_Total"); width: parent.width - 14; elide: Text.ElideRight; anchors.verticalCenter: parent.verticalCenter }
            }
            XText {
                text: root.gbl_recorderManager.storageTotal.toFixed(2) + " GB"
                verticalAlignment: Text.AlignVCenter
            }
        }
        XSeperator { width: parent.width; height: 2 }
        // A head row, then per field its label, the current and the previous recording's value;
        // cells 30 high with 4-pixel margins.
        Grid {
            x: 4
            columns: 3
            spacing: 8
            Repeater {
                model: (root.cfg_fields.length + 1) * 3
                XText {
                    required property int index
                    readonly property int row: Math.floor(index / 3)
                    readonly property int col: index % 3
                    objectName: "cell" + row + "_" + col
                    width: (root.width - 8) / 3 - 8
                    height: 22
                    verticalAlignment: Text.AlignVCenter
                    font.bold: row === 0
                    elide: row === 1 && col === 1 ? Text.ElideRight : Text.ElideNone
                    text: row === 0 ? ["", qsTrId("Current"), qsTrId("Previous")][col]
                        : col === 0 ? qsTrId(root.cfg_fields[row - 1][0])
                        : root.fieldOf(col === 1 ? root.file : root.filePrev, root.cfg_fields[row - 1][1])
                }
            }
        }
    }
}
