import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// The denoising filter's type and parameters.
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
        type.init(xmodel.type)
        gf_radius.init(xmodel.gf_radius)
        gf_regular.init(xmodel.gf_regular)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.type = type.xvalue
        xmodel.gf_radius = gf_radius.xvalue
        xmodel.gf_regular = gf_regular.xvalue
    }

    XInputEnum {
        id: type
        objectName: "type"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DenoiseInfo_type")
        xoptions: Checks.withValue(root.gbl_commonManager.denoiseTypeList, xvalue)
    }
    XInputInt {
        id: gf_radius
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "gf_radius"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DenoiseInfo_gf_radius")
    }
    XInputInt {
        id: gf_regular
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "gf_regular"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DenoiseInfo_gf_regular")
    }

}
