import QtQuick
import QtDataVisualization
import Kiv 1.0
import Ostrel 1.0

// The mesh chart: a picture's temperatures as a 3-D surface, drawn by the module's series on
// this view's surface item.
Rectangle {
    id: root
    property var module: null
    readonly property int cfg_leftWidth: 0
    readonly property int cfg_rightWidth: 0
    property alias surface: surface

    anchors.fill: parent
    anchors.margins: 2
    color: XTheme.fill_color_3

    Component.onCompleted: {
        console.log("create module " + module.viewName)
        module.graphs_init(surface)
    }

    Surface3D {
        id: surface
        objectName: "surface"
        anchors.fill: parent
        shadowQuality: AbstractGraph3D.ShadowQualityNone
        theme: Theme3D {
            type: Theme3D.ThemeEbony
            backgroundEnabled: false
            gridEnabled: true
        }
        axisX: ValueAxis3D { title: qsTrId("Column"); titleVisible: true; labelFormat: "%d" }
        axisY: ValueAxis3D { title: qsTrId("Temp"); titleVisible: true; labelFormat: "%3.1f" }
        axisZ: ValueAxis3D { title: qsTrId("Row"); titleVisible: true; labelFormat: "%d" }
    }
}
