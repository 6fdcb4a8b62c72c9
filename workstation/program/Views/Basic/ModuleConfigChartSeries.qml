pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The series list of a line chart: per series its visibility, item, statistic (and, for a space
// chart, its axis) and a delete button. Bound to the module's list, so it follows every change.
ModuleConfigBase {
    id: root
    property string cfg_title: ""
    property bool cfg_space: false
    readonly property var cfg_statsList: cfg_space ? CApp.commonManager.statsTypeList : CApp.commonManager.statsTypeListTime
    property alias seriesView: list

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        list.model = Qt.binding(function () { return root.cfg_module ? root.cfg_module.seriesList : [] })
        open()
    }

    onClosed: list.model = []

    contentItem: Column {
        spacing: 4
        XText { text: qsTrId(root.cfg_title); font.pointSize: XTheme.font_size_medium }
        XSeperator { width: 500; height: 2 }
        ListView {
            id: list
            objectName: "seriesList"
            width: 500
            height: 176
            spacing: 4
            clip: true
            ScrollBar.vertical: ScrollBar {}
            delegate: Rectangle {
                id: row
                required property var modelData
                required property int index
                readonly property bool combosShown: !root.cfg_space || modelData.meaType !== 5
                objectName: "seriesRow" + index
                width: 500
                height: 40
                color: "#111111"
                XButtonSvg {
                    objectName: "btnVisible"
                    width: 40; height: 40
                    iconSource: row.modelData.visible ? "qrc:/Icons/eye-outline.svg" : "qrc:/Icons/eye-off-outline.svg"
                    xtip: row.modelData.visible ? qsTrId("Visible_On") : qsTrId("Visible_Off")
                    onClicked: row.modelData.visible = !row.modelData.visible
                }
                Rectangle { x: 50; y: 2; width: 36; height: 36; color: row.modelData.meaColor }
                XText {
                    x: 92; y: 2; width: 178
                    text: row.modelData.tfm_inputNameShort
                    elide: Text.ElideRight
                }
                XText {
                    x: 92; y: 20; width: 178
                    text: row.modelData.meaName
                    elide: Text.ElideRight
                }
                XComboBox {
                    objectName: "cmbStats"
                    x: 280; width: 100; height: 40
                    visible: row.combosShown
                    model: root.cfg_statsList
                    textRole: "name"
                    currentIndex: row.modelData.statsType
                    onActivated: function (index) { row.modelData.statsType = index }
                }
                XComboBox {
                    objectName: "cmbDim"
                    x: 390; width: 50; height: 40
                    visible: root.cfg_space && row.combosShown
                    model: root.cfg_space ? CApp.commonManager.dimTypeListXY : []
                    textRole: "name"
                    currentIndex: row.modelData.dimType
                    onActivated: function (index) { row.modelData.dimType = index }
                }
                XButtonSvg {
                    objectName: "btnDelete"
                    x: 450; width: 40; height: 40
                    iconSource: "qrc:/Icons/close-thick.svg"; xtip: qsTrId("Delete")
                    onClicked: root.cfg_module.series_delete(row.modelData)
                }
            }
        }
    }
}
