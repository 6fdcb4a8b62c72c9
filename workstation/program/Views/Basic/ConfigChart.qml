import QtQuick
import QtQuick.Controls
import Kiv 1.0

// A chart's axes back to automatic, one axis at a time.
DialogBase {
    id: root
    objectName: "ConfigChart"

    function auto(xmode, ymode) {
        const module = xtag
        xclose()
        if (module && module.view)
            module.view.configChart(xmode, ymode)
    }

    Column {
        spacing: 4
        XButtonText { objectName: "btnAutoX"; width: 80; height: 30; textPos: 1; text: qsTrId("AutoX"); onClicked: root.auto(2, -1) }
        XButtonText { objectName: "btnAutoY"; width: 80; height: 30; textPos: 1; text: qsTrId("AutoY"); onClicked: root.auto(-1, 2) }
    }
}
