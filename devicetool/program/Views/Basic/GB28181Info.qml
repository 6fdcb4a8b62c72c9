import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// The GB/T 28181 client: SIP server, device ids and ports, registration and keep-alive.
Column {
    id: root
    spacing: 2
    property var xmodel: null
    property real xnameWidth: 150
    property real xvalueWidth: 200
    property var gbl_commonManager: CApp.commonManager

    function model2view() {
        if (!xmodel)
            return
        headEnable.init(xmodel.headEnable)
        serverId.init(xmodel.serverId)
        serverIp.init(xmodel.serverIp)
        serverPort.init(xmodel.serverPort)
        deviceId.init(xmodel.deviceId)
        devicePort.init(xmodel.devicePort)
        devicePortRtp.init(xmodel.devicePortRtp)
        streamId.init(xmodel.streamId)
        username.init(xmodel.username)
        password.init(xmodel.password)
        keepAliveInterval.init(xmodel.keepAliveInterval)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.headEnable = headEnable.xvalue
        xmodel.serverId = serverId.xvalue
        xmodel.serverIp = serverIp.xvalue
        xmodel.serverPort = serverPort.xvalue
        xmodel.deviceId = deviceId.xvalue
        xmodel.devicePort = devicePort.xvalue
        xmodel.devicePortRtp = devicePortRtp.xvalue
        xmodel.streamId = streamId.xvalue
        xmodel.username = username.xvalue
        xmodel.password = password.xvalue
        xmodel.keepAliveInterval = keepAliveInterval.xvalue
    }

    XInputBool {
        id: headEnable
        objectName: "headEnable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Enable")
    }
    XInputString {
        id: serverId
        objectName: "serverId"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("ServerId")
    }
    XInputString {
        id: serverIp
        onXvalueChanged: xrule_isInputValid = Checks.isIpv4(xvalue)
        objectName: "serverIp"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("ServerIp")
    }
    XInputInt {
        id: serverPort
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "serverPort"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("ServerPort")
    }
    XInputString {
        id: deviceId
        objectName: "deviceId"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DeviceId")
    }
    XInputInt {
        id: devicePort
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "devicePort"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DevicePort")
    }
    XInputInt {
        id: devicePortRtp
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "devicePortRtp"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DevicePortRtp")
    }
    XInputString {
        id: streamId
        objectName: "streamId"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("StreamId")
    }
    XInputString {
        id: username
        objectName: "username"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Username")
    }
    XInputString {
        id: password
        objectName: "password"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Password")
    }
    XInputInt {
        id: keepAliveInterval
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2147483647
        objectName: "keepAliveInterval"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("KeepAliveInterval")
    }

}
