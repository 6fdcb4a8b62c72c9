import QtQuick
import Kiv 1.0

// The bottom row of the camera table editors: Get, Set, a gap, Load and Save.
XGrid {
    id: root
    signal xget()
    signal xset()
    signal xload()
    signal xsave()
    width: 590
    height: 40
    rows: 1
    columns: 5
    XButtonText { objectName: "btnGet"; text: qsTrId("Get"); onClicked: root.xget() }
    XButtonText { objectName: "btnSet"; text: qsTrId("Set"); onClicked: root.xset() }
    Item {}
    XButtonText { objectName: "btnLoad"; text: qsTrId("Load"); onClicked: root.xload() }
    XButtonText { objectName: "btnSave"; text: qsTrId("Save"); onClicked: root.xsave() }
}
