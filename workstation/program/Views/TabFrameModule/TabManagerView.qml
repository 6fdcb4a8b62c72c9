import QtQuick
import QtQuick.Controls
import QtQuick.Shapes
import Kiv 1.0
import Ostrel 1.0
import ".."

// The tab area and the view-side half of the workspace: the only place where module views are
// created, attached, moved and destroyed, in step with the tab manager's own calls.
Item {
    id: root
    property var gbl_tabManager: CApp.tabManager
    property var gbl_inputManager: CApp.inputManager
    property var gbl_tabList: gbl_tabManager.tabList
    property var gbl_tabManagerState: gbl_tabManager.state
    property var gbl_imageExporter: CApp.imageExporter
    property ListModel subviewList: ListModel {}
    // 0: the tab view; 1..10: the module views by module type, loaded on first use.
    property var subcomArray: [null, null, null, null, null, null, null, null, null, null, null]
    readonly property var subcomFiles: ["TabView.qml", "ModuleInputIrView.qml", "ModuleInputJpgView.qml",
        "ModuleInputStreamView.qml", "ModuleChartTimeView.qml", "ModuleChartSpaceView.qml",
        "ModuleTableInputView.qml", "ModuleTableMeaView.qml", "ModuleTableRecorderView.qml",
        "ModulePtzView.qml", "ModuleChartMeshView.qml"]
    property alias body: body
    // Views kept for the program's life, by url; also failed creations (null view).
    property var _subviews: ({})

    focus: true
    Keys.onEscapePressed: {
        if (gbl_tabManagerState.moving)
            gbl_tabManager.endMove(0, null)
    }

    function component(type) {
        if (type < 0 || type >= subcomArray.length)
            return null
        if (subcomArray[type] === null) {
            const c = Qt.createComponent(Qt.resolvedUrl(subcomFiles[type]))
            subcomArray[type] = c.status === Component.Ready ? c : false
            if (c.status !== Component.Ready)
                console.log("no view for module type " + type + ": " + c.errorString())
        }
        return subcomArray[type] || null
    }

    // --- Dialogs and popups ----------------------------------------------------------------------
    function subview_get(url) {
        if (url in _subviews)
            return _subviews[url]
        let view = null
        const c = Qt.createComponent(url)
        if (c.status === Component.Ready)
            view = c.createObject(root)
        else
            console.log("subview_get failed " + url)
        _subviews[url] = view
        subviewList.append({ url: url, view: view })
        return view
    }

    function subview_openCommon(urlShort, tag) {
        const view = subview_get("qrc:/Views/Basic/" + urlShort + ".qml")
        if (!view)
            return
        let x, y
        if (["CommonOverwrite", "CommonSaveModule", "CommonSaveTab", "CommonSaveWorkspace"].indexOf(urlShort) >= 0) {
            x = (body.width - view.width) / 2
            y = 100
        } else if (urlShort === "CommonNotify") {
            x = body.width - view.width - 50
            y = body.height - view.height - 50
        } else {
            x = (body.width - view.width) / 2
            y = (body.height - view.height) / 2
        }
        const p = body.mapToItem(root, x, y)
        view.xopen(tag, p.x, p.y)
    }

    function subview_openConfig(urlShort, tag, btn) {
        const view = subview_get("qrc:/Views/Basic/" + urlShort + ".qml")
        if (!view)
            return
        let p
        if ((urlShort === "ConfigExportChart" || urlShort === "ConfigChart") && btn)
            p = btn.mapToItem(root, -view.width, 0)
        else if (urlShort === "ConfigExportIr" && btn)
            p = btn.mapToItem(root, btn.width, 0)
        else
            p = body.mapToItem(root, (body.width - view.width) / 2, 100)
        view.xopen(tag, p.x, p.y)
    }

    function subview_closeConfig(urlShort) {
        const view = subview_get("qrc:/Views/Basic/" + urlShort + ".qml")
        if (view)
            view.xclose()
    }

    function subview_openModuleConfig(urlShort, module, btn) {
        const view = subview_get("qrc:/Views/Basic/" + urlShort + ".qml")
        if (!view || !module || !module.view || (view.xconsumeReopen && view.xconsumeReopen(btn)))
            return
        let p
        if (["AddChart", "AddChartSpace", "AddChartTime", "AddTable"].indexOf(urlShort) >= 0) {
            p = module.view.mapToItem(root, 50, 0)
        } else {
            const inside = (urlShort === "ModuleConfigPalette" || urlShort === "ModuleConfigImage") ? 1
                : (urlShort === "ModuleConfigImageCT" || urlShort === "ModuleConfigImageMT") ? 2 : 0
            p = view.xgetPosition(module, btn, inside)
        }
        view.xopen(module, btn, p.x, p.y)
    }

    function subview_closeModuleConfig(urlShort) {
        const view = subview_get("qrc:/Views/Basic/" + urlShort + ".qml")
        if (view)
            view.xclose()
    }

    function subview_openAppConfig(urlShort) {
        const view = subview_get("qrc:/Views/Basic/" + urlShort + ".qml")
        if (view)
            view.xopen((root.width - view.width) / 2, (root.height - view.height) / 2)
    }

    function subview_closeAppConfig(urlShort) {
        const view = subview_get("qrc:/Views/Basic/" + urlShort + ".qml")
        if (view)
            view.xclose()
    }

    // --- Tabs ------------------------------------------------------------------------------------
    // Made hidden: only the selected tab is shown (tabs_showSelected follows every creation), and a
    // hidden view costs the scene graph nothing on the next frame.
    function tabView_create(tab) {
        const view = component(0).createObject(body, { tab: tab, visible: false })
        tab.view = view
        return view
    }

    function tab_create() {
        const tab = gbl_tabManager.tab_create()
        if (tab)
            tabView_create(tab)
        tabs_showSelected()
        return tab
    }

    function tab_delete(tab) {
        let index = -1
        for (let i = 0; i < gbl_tabList.length; ++i)
            if (gbl_tabList[i] === tab)
                index = i
        if (index < 0)
            return
        const view = tab.view
        if (view) {
            view.module_deleteAll()
            tab.view = null
            view.parent = null
            view.destroy()
        }
        gbl_tabManager.tab_delete(index)
    }

    function tab_select(index) {
        if (index === gbl_tabManager.tabSelected)
            return false
        gbl_tabManager.tab_select(index)
        return true
    }

    function tabs_showSelected() {
        const sel = gbl_tabManager.tabSelected
        console.log("tab_select_post " + sel)
        for (let i = 0; i < gbl_tabList.length; ++i)
            if (gbl_tabList[i].view)
                gbl_tabList[i].view.visible = (i === sel)
    }

    // --- Modules ---------------------------------------------------------------------------------
    function moduleView_create(module, frame) {
        const c = component(module.moduleType)
        if (!c)
            return null
        const view = c.createObject(frame.view, { module: module })
        module.view = view
        frame.view.module_attach(module)
        return view
    }

    function module_create(type, input, frame) {
        if (!component(type) || !frame || !frame.view)
            return null
        const module = gbl_tabManager.module_create(type, input, frame)
        if (!module)
            return null
        moduleView_create(module, frame)
        frame.view.module_select()
        return module
    }

    function module_create2(type, obj, frame) {
        if (!component(type) || !frame || !frame.view)
            return null
        const module = gbl_tabManager.module_create(type, null, frame)
        if (!module)
            return null
        if (type === 6)
            module.input_create(obj)
        else if (type === 7)
            module.mea_create(obj)
        else if (type === 8 || type === 9)
            module.ir_create(obj)
        moduleView_create(module, frame)
        if (type === 10)
            module.graphs_update(obj)
        frame.view.module_select()
        return module
    }

    function module_delete(module) {
        if (!module)
            return
        if (module.moduleType === 1) {
            if (module.subModuleRecorder)
                module_delete(module.subModuleRecorder)
            if (module.subModulePtz)
                module_delete(module.subModulePtz)
        } else if (module.moduleType === 2 && module.subModuleChartMesh) {
            module_delete(module.subModuleChartMesh)
        }
        const frame = module.frame
        const frameView = frame ? frame.view : null
        if (frameView)
            frameView.module_detach(module)
        const view = module.view
        if (view) {
            module.view = null
            view.destroy()
        }
        gbl_tabManager.module_delete(module)
        if (frameView)
            frameView.module_select()
    }

    function module_move(module, frameNew) {
        const frameOld = module.frame
        if (!frameOld || !frameNew)
            return
        frameOld.view.begin_change()
        frameNew.view.begin_change()
        frameOld.view.module_detach(module)
        frameNew.view.module_attach(module)
        gbl_tabManager.module_move(module, frameNew)
        frameOld.view.module_select()
        frameNew.view.module_select()
    }

    function module_select(module) {
        if (!module || !module.frame)
            return
        const frame = module.frame
        for (let i = 0; i < gbl_tabList.length; ++i) {
            if (gbl_tabList[i] === frame.tab) {
                console.log("tab " + i)
                gbl_tabManager.tab_select(i)
            }
        }
        const list = frame.moduleList
        for (let k = 0; k < list.length; ++k) {
            if (list[k] === module) {
                console.log("module " + k)
                frame.moduleSelected = k
            }
        }
        frame.view.module_select()
    }

    // --- Workspace -------------------------------------------------------------------------------
    function workspace_clear() {
        while (gbl_tabList.length > 0) {
            const before = gbl_tabList.length
            tab_delete(gbl_tabList[0])
            if (gbl_tabList.length >= before)
                break
        }
    }

    function workspace_new() {
        workspace_clear()
        gbl_tabManager.workspace_new()
    }

    function workspace_load(fn) {
        workspace_clear()
        const ret = gbl_tabManager.workspace_load(fn)
        console.log("workspace_load, ret " + ret)
        if (ret < 0)
            return ret
        gbl_tabManager.workspace_loadBeforeView()
        for (let t = 0; t < gbl_tabList.length; ++t) {
            const tab = gbl_tabList[t]
            tabView_create(tab)
            const frames = tab.frameList
            for (let f = 0; f < frames.length; ++f) {
                const frame = frames[f]
                const modules = frame.moduleList
                for (let m = 0; m < modules.length; ++m)
                    moduleView_create(modules[m], frame)
                if (modules.length > 0)
                    frame.view.module_select()
            }
        }
        gbl_tabManager.workspace_loadAfterView()
        tabs_showSelected()
        return ret
    }

    // `answered`: stored after the save prompt was answered (see CTabManager).
    function workspace_save(fn, answered) {
        const ret = answered ? gbl_tabManager.workspace_saveAnswered(fn) : gbl_tabManager.workspace_save(fn)
        console.log("workspace_save, ret " + ret)
        // An empty workspace has nothing to store; everything else is told like an export.
        if (ret !== -7)
            subview_openCommon("CommonNotify", qsTrId("SaveWorkspace") + " " + fn + " - " + qsTrId(ret >= 0 ? "Success" : "Fail"))
        return ret
    }

    // The notice tells a written file from a failed export by the result code.
    function onSaveFinished(fn, code) {
        subview_openCommon("CommonNotify", qsTrId("Export") + " " + fn + " - " + XUtil.resultText(code))
    }

    function onMovingChanged() {
        if (gbl_tabManagerState.moving && gbl_tabList.length === 0)
            tab_create()
    }

    Connections {
        target: root.gbl_tabManager
        function onTabSelectedChanged() { root.tabs_showSelected() }
    }

    Component.onCompleted: {
        component(0)
        gbl_tabManager.view = root
        gbl_tabManagerState.movingChanged.connect(root.onMovingChanged)
        if (gbl_imageExporter && gbl_imageExporter.saveFinished)
            gbl_imageExporter.saveFinished.connect(root.onSaveFinished)
    }

    // Tab strip.
    ListView {
        id: tabStrip
        objectName: "tabStrip"
        y: 5
        width: root.width - 40
        height: 30
        orientation: ListView.Horizontal
        clip: true
        model: root.gbl_tabList
        delegate: Item {
            id: tabItem
            required property var modelData
            required property int index
            readonly property bool selected: index === root.gbl_tabManager.tabSelected
            width: 250
            height: 30
            Shape {
                anchors.fill: parent
                ShapePath {
                    strokeColor: "transparent"
                    fillColor: tabItem.selected ? "#555859" : "#272727"
                    startX: 20; startY: 0
                    PathLine { x: 250; y: 0 }
                    PathLine { x: 250; y: 30 }
                    PathLine { x: 0; y: 30 }
                    PathLine { x: 0; y: 20 }
                    PathLine { x: 20; y: 0 }
                }
            }
            MouseArea { anchors.fill: parent; onClicked: root.tab_select(tabItem.index) }
            XText { x: 20; y: 4; width: 150; text: tabItem.modelData.viewName; color: "#ffffff"; elide: Text.ElideRight }
            Row {
                x: 172; y: 4
                enabled: !root.gbl_tabManagerState.moving
                XButtonSvg {
                    width: 22; height: 22; iconWidth: 20; iconHeight: 20
                    iconSource: "qrc:/Icons/pencil.svg"; _xfgbgbo: XTheme.fgbgbo_update
                    onClicked: if (!root.tab_select(tabItem.index)) root.subview_openConfig("ConfigTabName", tabItem.modelData, null)
                }
                XButtonSvg {
                    width: 22; height: 22; iconWidth: 20; iconHeight: 20
                    iconSource: "qrc:/Icons/view-grid.svg"; _xfgbgbo: XTheme.fgbgbo_update
                    onClicked: if (!root.tab_select(tabItem.index)) root.subview_openConfig("ConfigTabLayout", tabItem.modelData, null)
                }
                XButtonSvg {
                    width: 22; height: 22; iconWidth: 20; iconHeight: 20
                    iconSource: "qrc:/Icons/close-thick.svg"; _xfgbgbo: XTheme.fgbgbo_delete
                    onClicked: if (!root.tab_select(tabItem.index)) root.subview_openCommon("CommonSaveTab", tabItem.modelData)
                }
            }
        }
    }
    XButtonSvg {
        objectName: "btnTabCreate"
        x: root.width - 35; y: 5
        width: 30; height: 30
        iconSource: "qrc:/Icons/plus-box.svg"; _xfgbgbo: XTheme.fgbgbo_create
        onClicked: root.tab_create()
    }
    Rectangle { y: 35; width: root.width; height: 5; color: "#555859" }

    Item {
        id: body
        objectName: "tabBody"
        y: 41
        width: root.width
        height: Math.max(root.height - 41, 0)
    }
}
