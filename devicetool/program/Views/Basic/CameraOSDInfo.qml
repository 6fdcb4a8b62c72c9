import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The on-screen display: where the location name and the time are drawn, and their colour.
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
        loc_enable.init(xmodel.loc_enable)
        loc_x.init(xmodel.loc_x)
        loc_y.init(xmodel.loc_y)
        loc_name.init(xmodel.loc_name)
        time_enable.init(xmodel.time_enable)
        time_x.init(xmodel.time_x)
        time_y.init(xmodel.time_y)
        color.init(xmodel.color)
    }

    function view2model() {
        if (!xmodel)
            return
        xmodel.loc_enable = loc_enable.xvalue
        xmodel.loc_x = loc_x.xvalue
        xmodel.loc_y = loc_y.xvalue
        xmodel.loc_name = loc_name.xvalue
        xmodel.time_enable = time_enable.xvalue
        xmodel.time_x = time_x.xvalue
        xmodel.time_y = time_y.xvalue
        xmodel.color = color.xvalue
    }

    XInputBool {
        id: loc_enable
        objectName: "loc_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("LocationEnable")
    }
    XInputInt {
        id: loc_x
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "loc_x"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("LocationX")
    }
    XInputInt {
        id: loc_y
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "loc_y"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("LocationY")
    }
    XInputString {
        id: loc_name
        objectName: "loc_name"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("LocationName")
    }
    XInputBool {
        id: time_enable
        objectName: "time_enable"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TimeEnable")
    }
    XInputInt {
        id: time_x
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "time_x"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TimeX")
    }
    XInputInt {
        id: time_y
        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 65535
        objectName: "time_y"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("TimeY")
    }
    XInputColor {
        id: color
        objectName: "color"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: qsTrId("Color")
    }

}
