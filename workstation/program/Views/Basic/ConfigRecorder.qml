import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."

// A live camera's recorder settings, written as they are edited. While open the recorder is in
// its configuring state and ignores triggers; closing hands the settings back to it.
DialogBase {
    id: root
    readonly property var gbl_commonManager: CApp.commonManager
    property var recorder: null
    property var config: null
    // The record keeps each file-name text in 256 bytes, the last one a terminating zero.
    function xtextFits(text) { return App.utf8Size(text) < 256 }
    xtitle: QT_TRID_NOOP("RecorderConfig")

    onXfill: {
        recorder = xtag ? xtag.recorder : null
        config = recorder ? recorder.config : null
        if (!config)
            return
        inStartTrigger.init(config.startTrigger)
        inStopTrigger.init(config.stopTrigger)
        inAddToRecent.init(config.addToRecent)
        inPreBufferEnable.init(config.preBufferEnable)
        inPreBuffer.init(config.preBuffer)
        inPostBufferEnable.init(config.postBufferEnable)
        inPostBuffer.init(config.postBuffer)
        inAutoDelayStopBuffer.init(config.autoDelayStopBuffer)
        inFnPrefixEnable.init(config.fnPrefixEnable)
        inFnPrefix.init(config.fnPrefix)
        inFnCountEnable.init(config.fnCountEnable)
        inFnCount.init(config.fnCount)
        inFnCountLen.init(config.fnCountLen)
        inFnCameraIdentity.init(config.fnCameraIdentity)
        inFnDateTime.init(config.fnDateTime)
        inFnSuffixEnable.init(config.fnSuffixEnable)
        inFnSuffix.init(config.fnSuffix)
        recorder.startConfig()
    }
    onXclosing: {
        if (recorder)
            recorder.stopConfig()
        recorder = null
        config = null
    }

    // Every edit reaches the recorder's settings at once.
    function xset(field, value) {
        if (config)
            config[field] = value
    }

    Row {
        spacing: 4
        Column {
            spacing: 4
            XInputEnum {
                id: inStartTrigger
                objectName: "inStartTrigger"
                xname: qsTrId("RecorderConfig_startTrigger")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xoptions: root.gbl_commonManager.startTriggerList
                onXvalueChanged: root.xset("startTrigger", xvalue)
            }
            XInputEnum {
                id: inStopTrigger
                objectName: "inStopTrigger"
                xname: qsTrId("RecorderConfig_stopTrigger")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xoptions: root.gbl_commonManager.stopTriggerList
                onXvalueChanged: root.xset("stopTrigger", xvalue)
            }
            XInputBool {
                id: inAddToRecent
                objectName: "inAddToRecent"
                xname: qsTrId("RecorderConfig_addToRecent")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                onXvalueChanged: root.xset("addToRecent", xvalue)
            }
            Item { width: 354; height: 32 }
            XInputBool {
                id: inPreBufferEnable
                objectName: "inPreBufferEnable"
                xname: qsTrId("RecorderConfig_preBufferEnable")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                onXvalueChanged: root.xset("preBufferEnable", xvalue)
            }
            XInputFloat {
                id: inPreBuffer
                objectName: "inPreBuffer"
                xname: qsTrId("RecorderConfig_preBuffer")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xformat: 0
                onXvalueChanged: root.xset("preBuffer", Math.round(xvalue))
            }
            XInputBool {
                id: inPostBufferEnable
                objectName: "inPostBufferEnable"
                xname: qsTrId("RecorderConfig_postBufferEnable")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                onXvalueChanged: root.xset("postBufferEnable", xvalue)
            }
            XInputFloat {
                id: inPostBuffer
                objectName: "inPostBuffer"
                xname: qsTrId("RecorderConfig_postBuffer")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xformat: 0
                onXvalueChanged: root.xset("postBuffer", Math.round(xvalue))
            }
            XInputFloat {
                id: inAutoDelayStopBuffer
                objectName: "inAutoDelayStopBuffer"
                xname: qsTrId("RecorderConfig_autoDelayStopBuffer")
                xnameFontSize: 12
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xformat: 0
                onXvalueChanged: root.xset("autoDelayStopBuffer", Math.round(xvalue))
            }
        }
        XSeperator { width: 1; height: rightColumn.height }
        Column {
            id: rightColumn
            spacing: 4
            XInputBool {
                id: inFnPrefixEnable
                objectName: "inFnPrefixEnable"
                xname: qsTrId("RecorderConfig_fnPrefixEnable")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                onXvalueChanged: root.xset("fnPrefixEnable", xvalue)
            }
            XInputString {
                id: inFnPrefix
                objectName: "inFnPrefix"
                xname: qsTrId("RecorderConfig_fnPrefix")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xrule_isInputValid: root.xtextFits(xvalue)
                onXvalueChanged: if (root.xtextFits(xvalue)) root.xset("fnPrefix", xvalue)
            }
            XInputBool {
                id: inFnCountEnable
                objectName: "inFnCountEnable"
                xname: qsTrId("RecorderConfig_fnCountEnable")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                onXvalueChanged: root.xset("fnCountEnable", xvalue)
            }
            XInputFloat {
                id: inFnCount
                objectName: "inFnCount"
                xname: qsTrId("RecorderConfig_fnCount")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xformat: 0
                onXvalueChanged: root.xset("fnCount", Math.round(xvalue))
            }
            XInputFloat {
                id: inFnCountLen
                objectName: "inFnCountLen"
                xname: qsTrId("RecorderConfig_fnCountLen")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xformat: 0
                onXvalueChanged: root.xset("fnCountLen", Math.round(xvalue))
            }
            XInputBool {
                id: inFnCameraIdentity
                objectName: "inFnCameraIdentity"
                xname: qsTrId("RecorderConfig_fnCameraIdentity")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                onXvalueChanged: root.xset("fnCameraIdentity", xvalue)
            }
            XInputBool {
                id: inFnDateTime
                objectName: "inFnDateTime"
                xname: qsTrId("RecorderConfig_fnDateTime")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                onXvalueChanged: root.xset("fnDateTime", xvalue)
            }
            XInputBool {
                id: inFnSuffixEnable
                objectName: "inFnSuffixEnable"
                xname: qsTrId("RecorderConfig_fnSuffixEnable")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                onXvalueChanged: root.xset("fnSuffixEnable", xvalue)
            }
            XInputString {
                id: inFnSuffix
                objectName: "inFnSuffix"
                xname: qsTrId("RecorderConfig_fnSuffix")
                xpanelNameWidth: 150; xpanelValueWidth: 200
                xrule_isInputValid: root.xtextFits(xvalue)
                onXvalueChanged: if (root.xtextFits(xvalue)) root.xset("fnSuffix", xvalue)
            }
        }
    }
}
