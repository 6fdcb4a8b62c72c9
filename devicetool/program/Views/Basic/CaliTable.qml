import QtQuick
import Kiv 1.0
import "Checks.js" as Checks

// A calibration table: the row number, then one editable number per name in `xprops` (at most
// six). Rows at or above `xcount` are disabled but keep their values.
XListView {
    id: table
    property var xprops: []
    property int xcount: 0
    property int xformat: 1
    // Every value of the table, shown or not, is a temperature of this range.
    property real xmin: -273.1
    property real xmax: 3000

    // How many cells hold what must not be written: typed text that is no number of the range,
    // and values of any row (also of rows not shown) that are not finite or beyond the range.
    function xinvalid() {
        return Checks.invalidInputs(table).length + Checks.badValues(model, xprops, xmin, xmax)
    }

    delegate: XListRow {
        id: row
        required property var modelData
        xview: table
        xrow: Row {
            XListCellText { xtext: String(row.index + 1) }
            CaliCell { objectName: "r" + row.index + "c0"; visible: table.xprops.length > 0; xprop: table.xprops[0] ?? ""; xtarget: row.modelData; xformat: table.xformat; xmin: table.xmin; xmax: table.xmax; enabled: row.index < table.xcount }
            CaliCell { objectName: "r" + row.index + "c1"; visible: table.xprops.length > 1; xprop: table.xprops[1] ?? ""; xtarget: row.modelData; xformat: table.xformat; xmin: table.xmin; xmax: table.xmax; enabled: row.index < table.xcount }
            CaliCell { objectName: "r" + row.index + "c2"; visible: table.xprops.length > 2; xprop: table.xprops[2] ?? ""; xtarget: row.modelData; xformat: table.xformat; xmin: table.xmin; xmax: table.xmax; enabled: row.index < table.xcount }
            CaliCell { objectName: "r" + row.index + "c3"; visible: table.xprops.length > 3; xprop: table.xprops[3] ?? ""; xtarget: row.modelData; xformat: table.xformat; xmin: table.xmin; xmax: table.xmax; enabled: row.index < table.xcount }
            CaliCell { objectName: "r" + row.index + "c4"; visible: table.xprops.length > 4; xprop: table.xprops[4] ?? ""; xtarget: row.modelData; xformat: table.xformat; xmin: table.xmin; xmax: table.xmax; enabled: row.index < table.xcount }
            CaliCell { objectName: "r" + row.index + "c5"; visible: table.xprops.length > 5; xprop: table.xprops[5] ?? ""; xtarget: row.modelData; xformat: table.xformat; xmin: table.xmin; xmax: table.xmax; enabled: row.index < table.xcount }
        }
    }
}
