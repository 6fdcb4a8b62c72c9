import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"
import "Basic/Checks.js" as Checks

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

    // Whether the inputs may be used: none marked, the edit in progress ended.
    function writable() {
        if (Checks.writable([form], [], editEnd))
            return true
        App.notifyError(2, qsTrId("InvalidInput"))
        return false
    }

    // Adds the typed point when it lies on the detector (0 <= x < width, 0 <= y < height, where a
    // size is given: 0 leaves it open); a point off it marks the coordinate and is not added.
    function addPoint() {
        if (!writable())
            return
        const inside = (input, size) => input.xvalue >= 0 && (size <= 0 || input.xvalue < size)
        const okX = inside(inX, inWidth.xvalue), okY = inside(inY, inHeight.xvalue)
        inX.xrule_isInputValid = okX
        inY.xrule_isInputValid = okY
        if (!okX || !okY) {
            App.notifyError(2, qsTrId("InvalidInput"))
            return
        }
        root.m_point.x = inX.xvalue
        root.m_point.y = inY.xvalue
        const r = root.gbl_comEditor.point_create(root.m_point)
        if (r < 0)
            App.notifyError(3, qsTrId("Fail") + " " + r)
    }

    function fn_save_bad(fn) {
        if (!writable())
            return
        gbl_comEditor.deviceId = inDeviceId.xvalue
        gbl_comEditor.deviceWidth = inWidth.xvalue
        gbl_comEditor.deviceHeight = inHeight.xvalue
        gbl_comEditor.save(fn)
    }

    Component.onCompleted: gbl_comEditor.point_clear()
    onClicked: close()

    Row {
        id: form
        parent: root.xcontentLoader
        x: 4
        spacing: 4
        // Takes the keyboard from a field being edited, which ends (commits) its edit.
        Item { id: editEnd; width: 0; height: 0 }
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
            // A point is two 16-bit coordinates; Add also keeps it within the detector's size.
            XInputInt { id: inWidth; objectName: "inWidth"; xname: qsTrId("DataWidth"); xpanelNameWidth: 120; xpanelValueWidth: 200; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65536 }
            XInputInt { id: inHeight; objectName: "inHeight"; xname: qsTrId("DataHeight"); xpanelNameWidth: 120; xpanelValueWidth: 200; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65536 }
            XInputInt { id: inX; objectName: "inX"; xname: qsTrId("X"); xpanelNameWidth: 120; xpanelValueWidth: 200; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535 }
            XInputInt { id: inY; objectName: "inY"; xname: qsTrId("Y"); xpanelNameWidth: 120; xpanelValueWidth: 200; xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535 }
            Row {
                spacing: 4
                XButtonText {
                    objectName: "btnAdd"
                    width: 160; height: 40
                    text: qsTrId("Add")
                    onClicked: root.addPoint()
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
