import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// A new chart for an image module: along a line or area, over time, or as a mesh.
ModuleConfigBase {
    id: root
    objectName: "AddChart"
    property int cfg_moduleType: 0

    CTypeNameDescIcon { id: entrySpace; type: 0; name: QT_TRID_NOOP("Chart_Space"); icon: "qrc:/Icons/chart-line.svg" }
    CTypeNameDescIcon { id: entryTime; type: 1; name: QT_TRID_NOOP("Chart_Time"); icon: "qrc:/Icons/chart-line.svg" }
    CTypeNameDescIcon { id: entryMesh; type: 2; name: QT_TRID_NOOP("Chart_Mesh"); icon: "qrc:/Icons/chart-line.svg" }

    // Space for every image; time needs a sequence (live or stream); the mesh a picture.
    function entryEnabled(index) {
        if (index === 1)
            return cfg_moduleType === 1 || cfg_moduleType === 3
        if (index === 2)
            return cfg_moduleType === 2
        return true
    }

    function xopen(module, btn, x, y) {
        xopen_pre(module, btn, x, y)
        cfg_moduleType = module.moduleType
        open()
    }

    function choose(index) {
        const module = cfg_module
        const btn = cfg_btn
        if (!module || !entryEnabled(index))
            return
        xclose()
        if (index === 0)
            CApp.tabManager.view.subview_openModuleConfig("AddChartSpace", module, btn)
        else if (index === 1)
            CApp.tabManager.view.subview_openModuleConfig("AddChartTime", module, btn)
        else
            CApp.tabManager.beginMoveChartMesh(module)
    }

    contentItem: Column {
        spacing: 4
        XText { text: qsTrId("Chart"); font.pointSize: XTheme.font_size_medium }
        AddMenuList {
            objectName: "menu"
            model: [entrySpace, entryTime, entryMesh]
            xenabled: (index) => root.entryEnabled(index)
            onXchosen: (index) => root.choose(index)
        }
    }
}
