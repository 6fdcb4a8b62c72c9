pragma ComponentBehavior: Bound
import QtQuick
import Kiv 1.0
import Ostrel 1.0

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

    // Only a typed number reaches the item.
    function _commit(item, prop, text) {
        const v = Number(text)
        if (text.trim() !== "" && isFinite(v))
            item[prop] = v
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
                Item {
                    property var xview
                    height: 40
                    XTextBox {
                        width: 80; height: 32; y: 4
                        text: row.modelData.fpa.toFixed(2)
                        onEditingFinished: { root._commit(row.modelData, "fpa", text); text = row.modelData.fpa.toFixed(2) }
                    }
                }
                Item {
                    property var xview
                    height: 40
                    XTextBox {
                        width: 50; height: 32; y: 4
                        text: row.modelData.fos
                        onEditingFinished: { root._commit(row.modelData, "fos", text); text = row.modelData.fos }
                    }
                }
                Item {
                    property var xview
                    height: 40
                    XTextBox {
                        width: 50; height: 32; y: 4
                        text: row.modelData.tint
                        onEditingFinished: { root._commit(row.modelData, "tint", text); text = row.modelData.tint }
                    }
                }
            }
        }
    }
}
