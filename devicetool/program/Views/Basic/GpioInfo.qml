import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// What each GPIO input and output is used for.
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
        input0.init(xmodel.input0)
        input1.init(xmodel.input1)
        output0.init(xmodel.output0)
        output1.init(xmodel.output1)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.input0 = input0.xvalue
        xmodel.input1 = input1.xvalue
        xmodel.output0 = output0.xvalue
        xmodel.output1 = output1.xvalue
    }

    XInputEnum {
        id: input0
        objectName: "input0"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Input") + 1
        xoptions: Checks.withValue(root.gbl_commonManager.gpio_inputTypeList, xvalue)
    }
    XInputEnum {
        id: input1
        objectName: "input1"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Input") + 2
        xoptions: Checks.withValue(root.gbl_commonManager.gpio_inputTypeList, xvalue)
    }
    XInputEnum {
        id: output0
        objectName: "output0"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Output") + 1
        xoptions: Checks.withValue(root.gbl_commonManager.gpio_outputTypeList, xvalue)
    }
    XInputEnum {
        id: output1
        objectName: "output1"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Output") + 2
        xoptions: Checks.withValue(root.gbl_commonManager.gpio_outputTypeList, xvalue)
    }

}
