import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Basic"
import "Basic/Checks.js" as Checks

// The configuration page: the discovered cameras with a tick column, and actions on the current
// row or on every ticked row. Each action logs in, makes one call, logs out, and writes its result
// into the camera's message column.
Item {
    id: root
    property var gbl_deviceManager: CApp.deviceManager
    property var gbl_deviceConfiger: gbl_deviceManager.deviceConfiger
    property var gbl_configManager: CApp.configManager
    property var gbl_nodeList: gbl_deviceManager.nodeList
    property int m_selectedDevice: deviceTable.xcurrentRow
    property string m_filename: ""
    property string m_deviceTimeString: ""

    function fn_open_all(fn) {
        m_filename = fn
        fileBox.text = fn
    }

    function currentNode() {
        return m_selectedDevice >= 0 && m_selectedDevice < gbl_nodeList.length ? gbl_nodeList[m_selectedDevice] : null
    }

    // The single-row step on the current row; "NoDevice" without one.
    function onCurrent(step) {
        const node = currentNode()
        if (node === null) {
            App.notifyError(1, qsTrId("NoDevice"))
            return
        }
        step(node)
    }

    // The single-row step on every ticked row, in list order; "NoDevice" when none is ticked.
    function onTicked(step) {
        if (deviceTable.xselectRows === 0) {
            App.notifyError(1, qsTrId("NoDevice"))
            return
        }
        const nodes = []
        for (let i = 0; i < gbl_nodeList.length; ++i)
            if (gbl_nodeList[i].edit_select)
                nodes.push(gbl_nodeList[i])
        for (const node of nodes)
            step(node)
    }

    function checkFile(fn, suffix) {
        if (fn === "") {
            App.notifyError(1, qsTrId("NoFile"))
            return false
        }
        if (!fn.endsWith(suffix)) {
            App.notifyError(1, qsTrId("InvalidFile"))
            return false
        }
        return true
    }

    // Login, one call, logout; the login's or the call's code goes to the row.
    function withLogin(node, call) {
        let r = gbl_deviceConfiger.startWork(node)
        if (r >= 0) {
            r = call()
            gbl_deviceConfiger.stopWork()
        }
        App.notifyErrorNode(node, r)
        return r
    }

    function uploadFileSingle(node, type) {
        const r = withLogin(node, () => gbl_deviceConfiger.uploadFile(type, m_filename))
        // A firmware file is refused by its name alone: the row and the notice say which names count.
        if (r === -8 && type === CDeviceConfiger.DeviceFileType_bin) {
            const rule = gbl_deviceConfiger.firmwareNameRule(node.softwareId)
            node.edit_info = node.edit_info + ": " + rule
            App.notifyError(3, rule)
        }
    }

    function downloadFileSingleCurrent(type) {
        onCurrent(node => {
            const target = gbl_deviceConfiger.downloadTarget(gbl_configManager.config.saveDir, node.deviceId,
                                                             node.deviceIp, type)
            withLogin(node, () => gbl_deviceConfiger.downloadFile(type, target))
        })
    }

    function configIpSingle(node, model) {
        App.notifyErrorNode(node, gbl_deviceConfiger.configIp(model, node.deviceId))
    }

    function getTimeSingleCurrent() {
        m_deviceTimeString = ""
        onCurrent(node => {
            if (gbl_deviceConfiger.startWork(node) < 0)
                return
            m_deviceTimeString = gbl_deviceConfiger.control_getTime()
            gbl_deviceConfiger.stopWork()
        })
    }

    function setTimeSingle(node) {
        withLogin(node, () => gbl_deviceConfiger.control_setTime(0))
    }

    function restoreFactorySingleCurrent() {
        onCurrent(node => withLogin(node, () => gbl_deviceConfiger.control_restoreFactory()))
    }

    function restartDeviceSingleCurrent() {
        onCurrent(node => withLogin(node, () => gbl_deviceConfiger.control_restartDevice()))
    }

    function confirmOnCurrent(title, callback) {
        onCurrent(node => App.main.confirmOp(qsTrId(title) + "---" + node.deviceId, "", callback))
    }

    Connections {
        target: root.gbl_deviceManager
        function onNodeListChanged() {
            deviceTable.xcurrentRow = root.gbl_nodeList.length > 0 ? 0 : -1
            deviceTable.xselectUpdate()
        }
    }

    Column {
        anchors.fill: parent
        anchors.margins: 4
        spacing: 4

        XListView {
            id: deviceTable
            objectName: "configDeviceTable"
            width: parent.width
            height: root.height / 2
            xselectEnable: true
            model: root.gbl_nodeList
            xcolumnWidthArray: [80, 180, 150, 250, 250, 0.1]
            xcolumnNameArray: ["", qsTrId("DeviceId"), qsTrId("DeviceIp"), qsTrId("SoftwareId"), qsTrId("FPAId"), qsTrId("Message")]
            delegate: XListRow {
                id: row
                required property var modelData
                xview: deviceTable
                xrow: Row {
                    XListCellSelect {}
                    XListCellText { xtext: row.modelData.deviceId }
                    XListCellText { xtext: row.modelData.deviceIp }
                    XListCellText { xtext: row.modelData.softwareId }
                    XListCellText { xtext: row.modelData.fpaId }
                    XListCellText { objectName: "message" + row.index; xtext: row.modelData.edit_info }
                }
            }
            Component.onCompleted: xcurrentRow = root.gbl_nodeList.length > 0 ? 0 : -1
        }

        XTab {
            id: pageTabs
            objectName: "configTabs"
            width: 300
            height: 50
            xnames: [qsTrId("Firmware"), qsTrId("Network")]
            xitemWidth: 150
        }

        // Firmware page.
        Column {
            visible: pageTabs.xcurrentIndex === 0
            width: parent.width
            spacing: 4
            XTextBox {
                id: fileBox
                objectName: "fileBox"
                width: parent.width
                height: 32
                rightPadding: 32
                // The name shown is the name used: an action clicked while the box is still being
                // edited takes what it shows.
                onTextChanged: root.m_filename = text
                XButtonSvg {
                    anchors.right: parent.right
                    anchors.rightMargin: 4
                    anchors.verticalCenter: parent.verticalCenter
                    width: 24
                    height: 24
                    iconSource: "qrc:/Icons/file-upload.svg"
                    onClicked: App.openFileDialog(0, root)
                }
            }
            Row {
                spacing: 4
                XButtonText {
                    objectName: "btnUploadBin"
                    width: 200; height: 32
                    text: qsTrId("Upload") + " .bin"
                    onClicked: if (root.checkFile(root.m_filename, ".bin"))
                                   root.onCurrent(node => root.uploadFileSingle(node, CDeviceConfiger.DeviceFileType_bin))
                }
                XButtonText {
                    objectName: "btnUploadMultiBin"
                    width: 200; height: 32
                    text: qsTrId("UploadMulti") + " .bin"
                    onClicked: if (root.checkFile(root.m_filename, ".bin"))
                                   root.onTicked(node => root.uploadFileSingle(node, CDeviceConfiger.DeviceFileType_bin))
                }
                XButtonText {
                    objectName: "btnDownloadLog"
                    width: 200; height: 32
                    text: qsTrId("Download") + " .log"
                    onClicked: root.downloadFileSingleCurrent(CDeviceConfiger.DeviceFileType_log)
                }
                XButtonText {
                    objectName: "btnRestoreFactory"
                    width: 200; height: 32
                    text: qsTrId("RestoreFactory")
                    onClicked: root.confirmOnCurrent(QT_TRID_NOOP("RestoreFactory"),
                                                     root.restoreFactorySingleCurrent)
                }
                XButtonText {
                    objectName: "btnRestartDevice"
                    width: 200; height: 32
                    text: qsTrId("RestartDevice")
                    onClicked: root.confirmOnCurrent(QT_TRID_NOOP("RestartDevice"),
                                                     root.restartDeviceSingleCurrent)
                }
            }
            Row {
                spacing: 4
                XButtonText {
                    objectName: "btnDownloadBad"
                    width: 200; height: 32
                    text: qsTrId("Download") + " .bad"
                    onClicked: root.downloadFileSingleCurrent(CDeviceConfiger.DeviceFileType_bad)
                }
                XButtonText {
                    objectName: "btnUploadBad"
                    width: 200; height: 32
                    text: qsTrId("Upload") + " .bad"
                    onClicked: if (root.checkFile(root.m_filename, ".bad"))
                                   root.onCurrent(node => root.uploadFileSingle(node, CDeviceConfiger.DeviceFileType_bad))
                }
                XButtonText {
                    objectName: "btnDeviceCom"
                    width: 200; height: 32
                    text: qsTrId("DeviceCom")
                    onClicked: App.openView("DeviceCom")
                }
                XButtonText {
                    objectName: "btnTemp2Energy"
                    width: 200; height: 32
                    text: qsTrId("Temp2Energy")
                    onClicked: App.openView("Basic/Temp2Energy")
                }
            }
        }

        // Network page.
        Row {
            visible: pageTabs.xcurrentIndex === 1
            spacing: 10
            Column {
                width: 400
                spacing: 4
                CameraNetworkInfoSimple {
                    id: simpleNetwork
                    objectName: "networkSimple"
                    xnameWidth: 150
                    xvalueWidth: 250
                }
                XButtonText {
                    objectName: "btnConfigIp"
                    width: 100; height: 32
                    text: qsTrId("Set")
                    enabled: root.gbl_deviceConfiger.configIpEnable
                    onClicked: {
                        if (Checks.invalidInputs(simpleNetwork).length > 0) {
                            App.notifyError(2, qsTrId("InvalidInput"))
                            return
                        }
                        simpleNetwork.view2model()
                        root.onCurrent(node => root.configIpSingle(node, simpleNetwork.xmodel))
                    }
                }
            }
            Column {
                width: 300
                spacing: 10
                XTextBox {
                    objectName: "timeBox"
                    width: 200; height: 32
                    readOnly: true
                    text: root.m_deviceTimeString
                }
                XButtonText {
                    objectName: "btnGetTime"
                    width: 200; height: 32
                    text: qsTrId("GetTime")
                    onClicked: root.getTimeSingleCurrent()
                }
                XButtonText {
                    objectName: "btnSetTime"
                    width: 200; height: 32
                    text: qsTrId("SetTime")
                    onClicked: root.onCurrent(root.setTimeSingle)
                }
                XButtonText {
                    objectName: "btnSetTimeMulti"
                    width: 200; height: 32
                    text: qsTrId("SetTimeMulti")
                    onClicked: root.onTicked(root.setTimeSingle)
                }
            }
        }
    }
}
