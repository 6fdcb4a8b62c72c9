import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The camera's time servers and time zone.
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
        ntpServer.init(xmodel.ntpServer)
        ntpServer2.init(xmodel.ntpServer2)
        timeZone.init(xmodel.timeZone)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.ntpServer = ntpServer.xvalue
        xmodel.ntpServer2 = ntpServer2.xvalue
        xmodel.timeZone = timeZone.xvalue
    }

    XInputString {
        id: ntpServer
        objectName: "ntpServer"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("NtpServer")
    }
    XInputString {
        id: ntpServer2
        objectName: "ntpServer2"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("NtpServer2")
    }
    XInputString {
        id: timeZone
        objectName: "timeZone"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TimeZone")
    }

}
