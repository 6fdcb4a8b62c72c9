import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// The camera's basic record: the name, ratios and image options a user may change, then the
// identities and the data size, shown only.
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
        cameraName.init(xmodel.cameraName)
        dataRatio.init(xmodel.dataRatio)
        sendRatio.init(xmodel.sendRatio)
        dataTransform.init(xmodel.dataTransform)
        desmearLevel.init(xmodel.desmearLevel)
        filterMedian.init(xmodel.filterMedian)
        cameraId.init(xmodel.cameraId)
        cameraType.init(xmodel.cameraType)
        fpaId.init(xmodel.fpaId)
        hardwareId.init(xmodel.hardwareId)
        softwareId.init(xmodel.softwareId)
        dataWHF.init(xmodel.dataWHF)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.cameraName = cameraName.xvalue
        xmodel.dataRatio = dataRatio.xvalue
        xmodel.sendRatio = sendRatio.xvalue
        xmodel.dataTransform = dataTransform.xvalue
        xmodel.desmearLevel = desmearLevel.xvalue
        xmodel.filterMedian = filterMedian.xvalue
    }


    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("ReadWrite") }
    XInputString {
        id: cameraName
        xrule_notNull: true
        objectName: "cameraName"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DeviceName")
    }
    XInputEnum {
        id: dataRatio
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DataRatio")
        xoptions: Checks.withValue(root.gbl_commonManager.ratioList, xvalue)
    }
    XInputEnum {
        id: sendRatio
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("SendRatio")
        xoptions: Checks.withValue(root.gbl_commonManager.ratioList, xvalue)
    }
    XInputEnum {
        id: dataTransform
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DataTransform")
        xoptions: Checks.withValue(root.gbl_commonManager.transformList, xvalue)
    }
    XInputEnum {
        id: desmearLevel
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DesmearLevel")
        xoptions: Checks.withValue(root.gbl_commonManager.desmearLevelList, xvalue)
    }
    XInputBool {
        id: filterMedian
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("FilterMedian")
    }
    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("ReadOnly") }
    XInputString {
        id: cameraId
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DeviceId"); xreadonly: true
    }
    XInputString {
        id: cameraType
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DeviceType"); xreadonly: true
    }
    XInputString {
        id: fpaId
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("FPAId"); xreadonly: true
    }
    XInputString {
        id: hardwareId
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("HardwareId"); xreadonly: true
    }
    XInputString {
        id: softwareId
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("SoftwareId"); xreadonly: true
    }
    XInputString {
        id: dataWHF
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DataWHF"); xreadonly: true
    }
}
