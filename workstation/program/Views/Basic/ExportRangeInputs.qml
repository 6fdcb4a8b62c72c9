import QtQuick
import Kiv 1.0
import Ostrel 1.0

// Begin, end and interval of a stream export, counted as the user counts frames: from 1, end
// included. Begin and end lie in 1 .. frame count, the interval is at least 1, begin <= end.
Column {
    id: root
    readonly property var gbl_config: CApp.imageExporter.config
    property int xframeCount: 0
    readonly property bool xvalid: inputBegin.xrule_isInputValid && inputEnd.xrule_isInputValid
        && inputInterval.xrule_isInputValid && gbl_config.streamBegin >= 1
        && gbl_config.streamEnd <= xframeCount && gbl_config.streamBegin <= gbl_config.streamEnd
        && gbl_config.streamInterval >= 1
    property alias inputBegin: inputBegin
    property alias inputEnd: inputEnd
    property alias inputInterval: inputInterval

    spacing: 10

    function fill(frameCount) {
        xframeCount = frameCount
        inputBegin.xrule_rangeMax = frameCount
        inputEnd.xrule_rangeMax = frameCount
        show(inputBegin, gbl_config.streamBegin)
        show(inputEnd, gbl_config.streamEnd)
        show(inputInterval, gbl_config.streamInterval)
    }

    // The box shows the value; its mark follows the value even when the text did not change.
    function show(input, v) {
        input.init(v)
        input.xrule_isInputValid = v >= input.xrule_rangeMin && (input.xrule_rangeType !== 3 || v <= input.xrule_rangeMax)
    }

    XInputInt {
        id: inputBegin
        objectName: "inputStreamBegin"
        xpanelNameWidth: 200; xpanelValueWidth: 300
        xname: qsTrId("ExportIr_StreamBegin")
        xrule_rangeType: 3; xrule_rangeMin: 1
        onXvalueChanged: root.gbl_config.streamBegin = xvalue
    }
    XInputInt {
        id: inputEnd
        objectName: "inputStreamEnd"
        xpanelNameWidth: 200; xpanelValueWidth: 300
        xname: qsTrId("ExportIr_StreamEnd")
        xrule_rangeType: 3; xrule_rangeMin: 1
        onXvalueChanged: root.gbl_config.streamEnd = xvalue
    }
    XInputInt {
        id: inputInterval
        objectName: "inputStreamInterval"
        xpanelNameWidth: 200; xpanelValueWidth: 300
        xname: qsTrId("ExportIr_StreamInterval")
        xrule_rangeType: 1; xrule_rangeMin: 1
        onXvalueChanged: root.gbl_config.streamInterval = xvalue
    }
}
