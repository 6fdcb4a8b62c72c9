pragma ComponentBehavior: Bound
import QtQuick
import Kiv 1.0
import Ostrel 1.0
import "Checks.js" as Checks

// The QJ detector registers of a calibration entry: 25 one-byte registers in four groups told
// apart by their label colour, the item count, and the seven items (FPA temperature, fos, tint).
Column {
    id: root
    spacing: 4
    property var xmodel: null
    property real xnameWidth: 200
    property real xvalueWidth: 100
    property var gbl_commonManager: CApp.commonManager

    readonly property var _registers: [
        ["tint", "#000000"], ["int_cap", "#000000"], ["fos", "#000000"],
        ["dll_trim", "#ffffff"], ["ibias", "#ffffff"], ["ad_gain", "#ffffff"], ["svrd", "#ffffff"],
        ["nucr", "#ffffff"], ["spwr", "#ffffff"], ["agc_lg_l", "#ffffff"], ["srd", "#ffffff"],
        ["x1_trim_v2", "#ffffff"], ["x1_xrdm", "#ffffff"], ["x1_c3", "#ffffff"],
        ["x2_adg", "#000000"], ["x2_srg", "#000000"], ["x2_svrs", "#000000"], ["x2_lg_en", "#000000"],
        ["x2_srsm0", "#000000"], ["x2_srsm1", "#000000"], ["x2_srsm2", "#000000"],
        ["x3_tos", "#ffffff"], ["x3_srdm", "#ffffff"], ["x3_sagcr", "#ffffff"], ["x3_poc", "#ffffff"]
    ]

    function model2view() {
        if (!xmodel)
            return
        for (let i = 0; i < _registers.length; ++i)
            registers.itemAt(i).init(xmodel[_registers[i][0]])
        item_count.init(xmodel.item_count)
    }

    function view2model() {
        if (!xmodel)
            return
        for (let i = 0; i < _registers.length; ++i)
            xmodel[_registers[i][0]] = registers.itemAt(i).xvalue
        xmodel.item_count = item_count.xvalue
    }

    // How many item values must not be written: typed text that is no number of its field, and
    // item values (of every row, shown or not) beyond their fields or not finite.
    function xinvalid() {
        const list = xmodel ? xmodel.item_array : null
        return Checks.invalidInputs(items).length + Checks.badValues(list, ["fpa"], -327.68, 327.67)
            + Checks.badValues(list, ["fos", "tint"], 0, 255)
    }

    Repeater {
        id: registers
        model: root._registers
        delegate: XInputInt {
            required property var modelData
            objectName: modelData[0]
            height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
            xname: modelData[0]
            xnameColor: modelData[1]
            xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 255
        }
    }
    XInputFloatSlider {
        id: item_count
        objectName: "item_count"
        height: 32; xpanelNameWidth: root.xnameWidth; xpanelValueWidth: root.xvalueWidth
        xname: "item_count"
        xnameColor: "#000000"
        xmin: 0
        xmax: 7
    }
    XListView {
        id: items
        objectName: "qjItems"
        width: root.xnameWidth + 4 + root.xvalueWidth
        height: 350
        model: root.xmodel ? root.xmodel.item_array : null
        xcolumnWidthArray: [50, 0.15, 0.1, 0.1]
        xcolumnNameArray: ["", "fpa", "fos", "tint"]
        delegate: XListRow {
            id: row
            required property var modelData
            xview: items
            xrow: Row {
                XListCellText { xtext: row.index }
                // The cells follow the items: a read or a reload shows the values the items hold.
                CaliCell { xtarget: row.modelData; xprop: "fpa"; xformat: 2; xmin: -327.68; xmax: 327.67; xboxWidth: 80 }
                CaliCell { xtarget: row.modelData; xprop: "fos"; xintegral: true; xmin: 0; xmax: 255; xboxWidth: 50 }
                CaliCell { xtarget: row.modelData; xprop: "tint"; xintegral: true; xmin: 0; xmax: 255; xboxWidth: 50 }
            }
        }
    }
}
