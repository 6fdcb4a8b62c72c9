import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// The destriping filter's type and parameters.
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
        s0_radius.init(xmodel.s0_radius)
        s0_regular.init(xmodel.s0_regular)
        s1_radius.init(xmodel.s1_radius)
        s1_regular.init(xmodel.s1_regular)
        sub_y.init(xmodel.sub_y)
        sub_t.init(xmodel.sub_t)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.type = type.xvalue
        xmodel.s0_radius = s0_radius.xvalue
        xmodel.s0_regular = s0_regular.xvalue
        xmodel.s1_radius = s1_radius.xvalue
        xmodel.s1_regular = s1_regular.xvalue
        xmodel.sub_y = sub_y.xvalue
        xmodel.sub_t = sub_t.xvalue
    }

    XInputEnum {
        id: type
        objectName: "type"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DestripInfo_type")
        xoptions: Checks.withValue(root.gbl_commonManager.destripTypeList, xvalue)
    }
    XInputInt {
        id: s0_radius
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "s0_radius"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DestripInfo_s0_radius")
    }
    XInputInt {
        id: s0_regular
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "s0_regular"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DestripInfo_s0_regular")
    }
    XInputInt {
        id: s1_radius
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "s1_radius"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DestripInfo_s1_radius")
    }
    XInputInt {
        id: s1_regular
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "s1_regular"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DestripInfo_s1_regular")
    }
    XInputInt {
        id: sub_y
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
        objectName: "sub_y"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DestripInfo_sub_y")
    }
    XInputInt {
        id: sub_t
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
        objectName: "sub_t"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("DestripInfo_sub_t")
    }

}
