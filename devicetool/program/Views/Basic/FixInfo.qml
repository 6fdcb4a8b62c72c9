import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The radiometric correction record, and two calculators that work out a window's transmittance
// and what a reading shows at another emissivity; their values live in the panel only.
Column {
    id: root
    spacing: 2
    property var xmodel: null
    property real xnameWidth: 150
    property real xvalueWidth: 200
    property var gbl_commonManager: CApp.commonManager
    property var gbl_deviceConfiger: CApp.deviceManager.deviceConfiger
    property real m_transResult: 0
    property real m_emiResult: 200

    function model2view() {
        if (!xmodel)
            return
        enableAtmFix.init(xmodel.enableAtmFix)
        atmosphericTemperature.init(xmodel.atmosphericTemperature)
        relativeHumidity.init(xmodel.relativeHumidity)
        visibility.init(xmodel.visibility)
        rainfallIntensity.init(xmodel.rainfallIntensity)
        snowfallIntensity.init(xmodel.snowfallIntensity)
        targetDistance.init(xmodel.targetDistance)
        globalEmissivity.init(xmodel.globalEmissivity)
        infraredWindowTrans.init(xmodel.infraredWindowTrans)
        infraredWindowTempOffset.init(xmodel.infraredWindowTempOffset)
        tempOffset.init(xmodel.tempOffset)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.enableAtmFix = enableAtmFix.xvalue
        xmodel.atmosphericTemperature = atmosphericTemperature.xvalue
        xmodel.relativeHumidity = relativeHumidity.xvalue
        xmodel.visibility = visibility.xvalue
        xmodel.rainfallIntensity = rainfallIntensity.xvalue
        xmodel.snowfallIntensity = snowfallIntensity.xvalue
        xmodel.targetDistance = targetDistance.xvalue
        xmodel.globalEmissivity = globalEmissivity.xvalue
        xmodel.infraredWindowTrans = infraredWindowTrans.xvalue
        xmodel.infraredWindowTempOffset = infraredWindowTempOffset.xvalue
        xmodel.tempOffset = tempOffset.xvalue
    }

    // A calculator works only on inputs none of which is marked; the result keeps its last value.
    function _valid(inputs) {
        return inputs.every(i => i.xrule_isInputValid)
    }

    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("AtmFix") }
    XInputBool {
        id: enableAtmFix
        objectName: "enableAtmFix"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Enable")
    }
    XInputFloat {
        id: atmosphericTemperature
        xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000
        objectName: "atmosphericTemperature"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("AtmosphericTemperature") + "(°C)"
    }
    XInputFloat {
        id: relativeHumidity
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 100
        objectName: "relativeHumidity"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("RelativeHumidity") + "(%)"
    }
    XInputFloat {
        id: visibility
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 1000
        objectName: "visibility"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Visibility") + "(km)"
    }
    XInputFloat {
        id: rainfallIntensity
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 1000
        objectName: "rainfallIntensity"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("RainfallIntensity") + "(mm/h)"
    }
    XInputFloat {
        id: snowfallIntensity
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 1000
        objectName: "snowfallIntensity"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("SnowfallIntensity") + "(mm/h)"
    }
    XInputFloat {
        id: targetDistance
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 100000
        objectName: "targetDistance"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TargetDistance") + "(m)"
    }
    XHead { width: root.xnameWidth + root.xvalueWidth; height: 30; xtext: qsTrId("GlobalFix") }
    XInputFloat {
        id: globalEmissivity
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 1
        objectName: "globalEmissivity"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("GlobalEmissivity")
        xformat: 3
    }
    XInputFloat {
        id: infraredWindowTrans
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 1
        objectName: "infraredWindowTrans"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("InfraredWindowTrans")
        xformat: 3
    }
    XInputFloat {
        id: infraredWindowTempOffset
        xrule_rangeType: 3; xrule_rangeMin: -1000; xrule_rangeMax: 1000
        objectName: "infraredWindowTempOffset"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("InfraredWindowTempOffset") + "(°C)"
        xformat: 1
    }
    XInputFloat {
        id: tempOffset
        xrule_rangeType: 3; xrule_rangeMin: -1000; xrule_rangeMax: 1000
        objectName: "tempOffset"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TempOffset") + "(°C)"
        xformat: 1
    }

    // Window transmittance from two blackbody readings through the window.
    Row {
        spacing: 4
        height: 80
        XText {
            width: root.xnameWidth + root.xvalueWidth - 148
            height: 80
            wrapMode: Text.Wrap
            color: XTheme.color_danger
            text: qsTrId("CalcTrans_note")
        }
        XButtonText {
            objectName: "btnCalcTrans"
            width: 60; height: 30
            text: qsTrId("Calc")
            onClicked: {
                if (!root._valid([calcTrans_envTemp, calcTrans_bbTemp1, calcTrans_bbTemp2]))
                    return
                if (calcTrans_bbTemp1.xvalue < calcTrans_bbTemp2.xvalue)
                    return
                root.m_transResult = root.gbl_deviceConfiger.calcTrans(calcTrans_envTemp.xvalue,
                                                                       calcTrans_bbTemp2.xvalue, calcTrans_bbTemp1.xvalue)
            }
        }
        XTextBox { objectName: "calcTransResult"; width: 80; height: 30; readOnly: true; text: root.m_transResult.toFixed(3) }
    }
    XInputFloat {
        id: calcTrans_envTemp
        xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000
        // The calculators' inputs stay in the panel: they never block a write.
        property bool xlocal: true
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("CalcTrans_envTemp") + "(°C)"; xvalue: 25
    }
    XInputFloat {
        id: calcTrans_bbTemp1
        xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000
        // The calculators' inputs stay in the panel: they never block a write.
        property bool xlocal: true
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("CalcTrans_bbTemp1") + "(°C)"; xvalue: 200
    }
    XInputFloat {
        id: calcTrans_bbTemp2
        xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000
        // The calculators' inputs stay in the panel: they never block a write.
        property bool xlocal: true
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("CalcTrans_bbTemp2") + "(°C)"; xvalue: 184
    }
    // What a reading at one emissivity shows at another.
    Row {
        spacing: 4
        height: 80
        XText {
            width: root.xnameWidth + root.xvalueWidth - 148
            height: 80
            wrapMode: Text.Wrap
            color: XTheme.color_danger
            text: qsTrId("CalcEmi_note")
        }
        XButtonText {
            objectName: "btnCalcEmi"
            width: 60; height: 30
            text: qsTrId("Calc")
            onClicked: {
                if (root._valid([calcEmi_envTemp, calcEmi_bbTemp1, calcEmi_emi1, calcEmi_emi2]))
                    root.m_emiResult = root.gbl_deviceConfiger.calcEmiTemp(calcEmi_envTemp.xvalue, calcEmi_bbTemp1.xvalue,
                                                                           calcEmi_emi1.xvalue, calcEmi_emi2.xvalue)
            }
        }
        XTextBox { objectName: "calcEmiResult"; width: 80; height: 30; readOnly: true; text: root.m_emiResult.toFixed(1) }
    }
    XInputFloat {
        id: calcEmi_envTemp
        xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000
        // The calculators' inputs stay in the panel: they never block a write.
        property bool xlocal: true
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("CalcEmi_envTemp") + "(°C)"; xvalue: 25
    }
    XInputFloat {
        id: calcEmi_bbTemp1
        xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000
        // The calculators' inputs stay in the panel: they never block a write.
        property bool xlocal: true
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("CalcEmi_bbTemp1") + "(°C)"; xvalue: 200
    }
    XInputFloat {
        id: calcEmi_emi1
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 1
        // The calculators' inputs stay in the panel: they never block a write.
        property bool xlocal: true
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("CalcEmi_emi1"); xformat: 3; xvalue: 0.97
    }
    XInputFloat {
        id: calcEmi_emi2
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 1
        // The calculators' inputs stay in the panel: they never block a write.
        property bool xlocal: true
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("CalcEmi_emi2"); xformat: 3; xvalue: 0.97
    }

}
