import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// The camera's services: their versions (shown only), switches and account.
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
        onvif_version.init(xmodel.onvif_version)
        gb28181_version.init(xmodel.gb28181_version)
        modbus_version.init(xmodel.modbus_version)
        onvif_enable.init(xmodel.onvif_enable)
        gb28181_enable.init(xmodel.gb28181_enable)
        modbus_enable.init(xmodel.modbus_enable)
        kqdatavm_enable.init(xmodel.kqdatavm_enable)
        h5_enable.init(xmodel.h5_enable)
        username.init(xmodel.username)
        password.init(xmodel.password)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.onvif_enable = onvif_enable.xvalue
        xmodel.gb28181_enable = gb28181_enable.xvalue
        xmodel.modbus_enable = modbus_enable.xvalue
        xmodel.kqdatavm_enable = kqdatavm_enable.xvalue
        xmodel.h5_enable = h5_enable.xvalue
        xmodel.username = username.xvalue
        xmodel.password = password.xvalue
    }

    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("ReadOnly") }
    XInputInt {
        id: onvif_version
        objectName: "onvif_version"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("onvif_version")
        xreadonly: true
    }
    XInputInt {
        id: gb28181_version
        objectName: "gb28181_version"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("gb28181_version")
        xreadonly: true
    }
    XInputInt {
        id: modbus_version
        objectName: "modbus_version"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("modbus_version")
        xreadonly: true
    }
    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("ReadWrite") }
    XInputBool {
        id: onvif_enable
        objectName: "onvif_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("onvif_enable")
    }
    XInputBool {
        id: gb28181_enable
        objectName: "gb28181_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("gb28181_enable")
    }
    XInputEnum {
        id: modbus_enable
        objectName: "modbus_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("modbus_enable")
        xoptions: Checks.withValue(root.gbl_commonManager.modbus_modeList, xvalue)
    }
    XInputEnum {
        id: kqdatavm_enable
        objectName: "kqdatavm_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("kqdatavm_enable")
        xoptions: Checks.withValue(root.gbl_commonManager.kqdatavm_modeList, xvalue)
    }
    XInputBool {
        id: h5_enable
        objectName: "h5_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("h5_enable")
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

}
