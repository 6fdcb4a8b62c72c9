import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The live values beside the tool bar: keys over values, one column each.
XGrid {
    id: root
    property var xmodel: null
    rows: 2
    columns: 6
    unitMargin: 0
    readonly property color cfg_keyColor: "cyan"

    function fmt(v) {
        return xmodel ? Number(v).toFixed(1) : ""
    }

    XText { text: qsTrId("FPS"); color: root.cfg_keyColor; horizontalAlignment: Text.AlignHCenter }
    XText { text: qsTrId("Shell"); color: root.cfg_keyColor; horizontalAlignment: Text.AlignHCenter }
    XText { text: qsTrId("GPI"); color: root.cfg_keyColor; horizontalAlignment: Text.AlignHCenter }
    XText { text: qsTrId("Max"); color: root.cfg_keyColor; horizontalAlignment: Text.AlignHCenter }
    XText { text: qsTrId("Avg"); color: root.cfg_keyColor; horizontalAlignment: Text.AlignHCenter }
    XText { text: qsTrId("Min"); color: root.cfg_keyColor; horizontalAlignment: Text.AlignHCenter }
    XText { objectName: "stateFps"; text: root.xmodel ? root.fmt(root.xmodel.fps) : ""; horizontalAlignment: Text.AlignHCenter }
    XText { text: root.xmodel ? root.fmt(root.xmodel.shellTemp) : ""; horizontalAlignment: Text.AlignHCenter }
    XText { text: root.xmodel ? String(root.xmodel.gpioInput) : ""; horizontalAlignment: Text.AlignHCenter }
    XText { text: root.xmodel ? root.fmt(root.xmodel.maxTemp) : ""; horizontalAlignment: Text.AlignHCenter }
    XText { text: root.xmodel ? root.fmt(root.xmodel.avgTemp) : ""; horizontalAlignment: Text.AlignHCenter }
    XText { text: root.xmodel ? root.fmt(root.xmodel.minTemp) : ""; horizontalAlignment: Text.AlignHCenter }
}
