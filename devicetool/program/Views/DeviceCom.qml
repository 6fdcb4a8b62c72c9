import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"

// The bad-point list editor: a local file of pixel positions, no camera.
XPopup {
    id: root
    objectName: "deviceCom"
    width: parent ? parent.width : 1200
    height: parent ? parent.height : 800
    xinterWidth: 636
    xinterHeight: 450
    xtitle: qsTrId("DeviceCom")
    focus: true
    readonly property var gbl_comEditor: CApp.deviceManager.comEditor
    // The one point handed to the editor, which keeps a copy of it.
    property CComPoint m_point: CComPoint {}

    function fn_open_bad(fn) {
        if (gbl_comEditor.load(fn) === 0) {
            inDeviceId.init(gbl_comEditor.deviceId)
            inWidth.init(gbl_comEditor.deviceWidth)
            inHeight.init(gbl_comEditor.deviceHeight)
        }
    }

    function fn_save_bad(fn) {
        gbl_comEditor.deviceId = inDeviceId.xvalue
        gbl_comEditor.deviceWidth = inWidth.xvalue
        gbl_comEditor.deviceHeight = inHeight.xvalue
        gbl_comEditor.save(fn)
    }

    Component.onCompleted: gbl_comEditor.point_clear()
    onClicked: close()

    Row {
        parent: root.xcontentLoader
        x: 4
        spacing: 4
        XListView {
            id: pointTable
            objectName: "pointTable"
            width: 300
            height: 450 - 50
            model: root.gbl_comEditor.pointList
            xcolumnWidthArray: [0.5, 0.5]
            xcolumnNameArray: [qsTrId("X"), qsTrId("Y")]
            delegate: XListRow {
                id: row
                required property var modelData
                xview: pointTable
                xrow: Row {
                    XListCellText { xtext: String(row.modelData.x) }
                    XListCellText { xtext: String(row.modelData.y) }
                }
            }
            Connections {
                target: root.gbl_comEditor
                function onPointListChanged() {
                    pointTable.xcurrentRow = root.gbl_comEditor.pointList.length > 0 ? 0 : -1
                }
            }
        }
        XGrid {
            width: 332
            height: 450 - 50
            rows: 8
            columns: 1
            rowHeightArray: [50, 50, 50, 50, 50, 50, 0.1, 50]
            unitMargin: 4
            XInputString { id: inDeviceId; objectName: "inDeviceId"; xname: qsTrId("DeviceId"); xpanelNameWidth: 120; xpanelValueWidth: 200 }
            XInputInt { id: inWidth; objectName: "inWidth"; xname: qsTrId("DataWidth"); xpanelNameWidth: 120; xpanelValueWidth: 200 }
            XInputInt { id: inHeight; objectName: "inHeight"; xname: qsTrId("DataHeight"); xpanelNameWidth: 120; xpanelValueWidth: 200 }
            XInputInt { id: inX; objectName: "inX"; xname: qsTrId("X"); xpanelNameWidth: 120; xpanelValueWidth: 200 }
            XInputInt { id: inY; objectName: "inY"; xname: qsTrId("Y"); xpanelNameWidth: 120; xpanelValueWidth: 200 }
            Row {
                spacing: 4
                XButtonText {
                    objectName: "btnAdd"
                    width: 160; height: 40
                    text: qsTrId("Add")
                    onClicked: {
                        root.m_point.x = inX.xvalue
                        root.m_point.y = inY.xvalue
                        root.gbl_comEditor.point_create(root.m_point)
                    }
                }
                XButtonText {
                    objectName: "btnDelete"
                    width: 160; height: 40
                    text: qsTrId("Delete")
                    onClicked: {
                        const list = root.gbl_comEditor.pointList
                        const cur = pointTable.xcurrentRow
                        if (cur >= 0 && cur < list.length)
                            root.gbl_comEditor.point_delete(list[cur])
                    }
                }
            }
            Item {}
            Row {
                spacing: 4
                XButtonText {
                    objectName: "btnLoadBad"
                    width: 160; height: 40
                    text: qsTrId("Load") + " .bad"
                    onClicked: App.openFileDialog(3, root)
                }
                XButtonText {
                    objectName: "btnSaveBad"
                    width: 160; height: 40
                    text: qsTrId("Save") + " .bad"
                    onClicked: App.openFileDialog(4, root)
                }
            }
        }
    }
}
