import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// The serial port: its use, address and line settings.
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
        usage.init(xmodel.usage)
        portAddr.init(xmodel.portAddr)
        baudRate.init(xmodel.baudRate)
        dataBits.init(xmodel.dataBits)
        stopBits.init(xmodel.stopBits)
        parity.init(xmodel.parity)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.usage = usage.xvalue
        xmodel.portAddr = portAddr.xvalue
        xmodel.baudRate = baudRate.xvalue
        xmodel.dataBits = dataBits.xvalue
        xmodel.stopBits = stopBits.xvalue
        xmodel.parity = parity.xvalue
    }

    XInputEnum {
        id: usage
        objectName: "usage"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("sp_usage")
        xoptions: Checks.withValue(root.gbl_commonManager.sp_usageList, xvalue)
    }
    XInputInt {
        id: portAddr
        objectName: "portAddr"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("sp_portAddr")
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
    }
    XInputEnum {
        id: baudRate
        objectName: "baudRate"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("sp_baudRate")
        xoptions: Checks.withValue(root.gbl_commonManager.sp_baudRateList, xvalue)
    }
    XInputEnum {
        id: dataBits
        objectName: "dataBits"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("sp_dataBits")
        xoptions: Checks.withValue(root.gbl_commonManager.sp_dataBitsList, xvalue)
    }
    XInputEnum {
        id: stopBits
        objectName: "stopBits"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("sp_stopBits")
        xoptions: Checks.withValue(root.gbl_commonManager.sp_stopBitsList, xvalue)
    }
    XInputEnum {
        id: parity
        objectName: "parity"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("sp_parity")
        xoptions: Checks.withValue(root.gbl_commonManager.sp_parityList, xvalue)
    }

}
