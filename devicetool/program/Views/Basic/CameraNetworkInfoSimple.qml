import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// The short network panel of the configuration page: its own record object, preset to a static
// address, for re-addressing a camera by broadcast.
Column {
    id: root
    spacing: 2
    property var xmodel: ownModel
    property real xnameWidth: 150
    property real xvalueWidth: 200
    property var gbl_commonManager: CApp.commonManager

    function model2view() {
        if (!xmodel)
            return
        useStaticIp.init(xmodel.useStaticIp)
        staticIp.init(xmodel.staticIp)
        subnetMask.init(xmodel.subnetMask)
        gateway.init(xmodel.gateway)
        dns.init(xmodel.dns)
        dns2.init(xmodel.dns2)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.useStaticIp = useStaticIp.xvalue
        xmodel.staticIp = staticIp.xvalue
        xmodel.subnetMask = subnetMask.xvalue
        xmodel.gateway = gateway.xvalue
        xmodel.dns = dns.xvalue
        xmodel.dns2 = dns2.xvalue
    }

    XInputBool {
        id: useStaticIp
        objectName: "useStaticIp"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("UseStaticIp")
    }
    XInputString {
        id: staticIp
        onXvalueChanged: xrule_isInputValid = Checks.isIpv4(xvalue)
        objectName: "staticIp"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("StaticIp")
    }
    XInputString {
        id: subnetMask
        onXvalueChanged: xrule_isInputValid = Checks.isIpv4(xvalue)
        objectName: "subnetMask"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("SubnetMask")
    }
    XInputString {
        id: gateway
        onXvalueChanged: xrule_isInputValid = Checks.isIpv4(xvalue)
        objectName: "gateway"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Gateway")
    }
    XInputString {
        id: dns
        onXvalueChanged: xrule_isInputValid = Checks.isIpv4(xvalue)
        objectName: "dns"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Dns")
    }
    XInputString {
        id: dns2
        onXvalueChanged: xrule_isInputValid = Checks.isIpv4(xvalue)
        objectName: "dns2"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Dns2")
    }

    CCameraNetworkInfo {
        id: ownModel
    }
    Component.onCompleted: {
        ownModel.useStaticIp = false
        ownModel.mtu = 0
        model2view()
    }
}
