import QtQuick
import QtTest
import Ostrel 1.0
import "qrc:/Views"

// The save prompts against what reaches the disk: each camera's settings file and the workspace
// file, for every answer of the module, tab, workspace and quit prompts; the name and layout
// dialogs; the notice. Two simulated cameras give two inputs with unsaved edits.
TestCase {
    id: tc
    name: "WorkstationPrompts"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager

    function init() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(function () { return tm.view === main.tabManagerView }, 30000)
    }

    function cleanup() {
        if (tm.state.moving)
            tm.endMove(0, null)
        // Whatever a case left confirmed is not written on the way out.
        const views = ["CommonSaveModule", "CommonSaveTab", "CommonSaveWorkspace"]
        for (let i = 0; i < views.length; ++i) {
            const v = view(views[i])
            if (v.xtied)
                v.xclose()
        }
        for (let t = 0; t < tm.tabList.length; ++t)
            for (let f = 0; f < 4; ++f) {
                const list = tm.tabList[t].frameList[f].moduleList
                for (let m = 0; m < list.length; ++m)
                    list[m].input_saveConfirmed = false
            }
        main.quitConfirmed = true
        main.tabManagerView.workspace_clear()
        compare(tm.tabList.length, 0)
        main.destroy()
        main = null
    }

    function view(name) { return main.tabManagerView.subview_get("qrc:/Views/Basic/" + name + ".qml") }

    function camera(address) {
        const list = im.deviceList
        for (let i = 0; i < list.length; ++i)
            if (list[i].device_ip === address)
                return list[i]
        const cam = im.device_createIr(address, false)
        verify(cam !== null)
        return cam
    }

    // A live module of the camera at `address` whose picture settings differ from its file.
    function editedModule(address, frame) {
        const cam = camera(address)
        tryVerify(function () { return cam.module === null }, 10000)
        const module = main.tabManagerView.module_create(1, cam, frame)
        verify(module !== null)
        return edit(module)
    }

    function edit(module) {
        tryVerify(function () { return module.input.device_isConnected }, 15000)
        const cfg = module.imageConfig
        cfg.paletteType = cfg.paletteType === 3 ? 4 : 3
        tryVerify(function () { return module.input_saveRequired }, 30000)
        return module
    }

    // The simulators' camera identities name the settings files.
    function confPath(module) {
        const id = module.input.device_ip === testFiles.cameraAddress ? "CAMSIM-0001" : "CAMSIM-0002"
        return testFiles.configDir + "/Device-" + id + ".conf"
    }

    // Two edited inputs in two frames of one tab, with their settings files' hashes.
    function twoEdited() {
        const tab = main.tabManagerView.tab_create()
        const a = editedModule(testFiles.cameraAddress, tab.frameList[0])
        const b = editedModule(testFiles.cameraAddress2, tab.frameList[1])
        return { tab: tab, a: a, b: b, pa: confPath(a), pb: confPath(b),
                 ha: testFiles.hash(confPath(a)), hb: testFiles.hash(confPath(b)) }
    }

    function findChild(item, name) {
        if (!item)
            return null
        if (item.objectName === name)
            return item
        const kids = item.children
        for (let i = 0; i < kids.length; ++i) {
            const f = findChild(kids[i], name)
            if (f)
                return f
        }
        if (item.contentItem && item.contentItem !== item)
            return findChild(item.contentItem, name)
        return null
    }

    function buttonBar(prompt) { return findChild(prompt.contentItem, "buttonBar") }

    // The module prompt: Save writes the camera's file, SaveNone and Cancel do not; Cancel keeps
    // the module.
    function test_modulePrompt_data() {
        return [
            { tag: "Save", answer: 0, written: true, deleted: true },
            { tag: "SaveNone", answer: 1, written: false, deleted: true },
            { tag: "Cancel", answer: 2, written: false, deleted: false },
        ]
    }
    function test_modulePrompt(data) {
        const tab = main.tabManagerView.tab_create()
        const module = editedModule(testFiles.cameraAddress, tab.frameList[0])
        const path = confPath(module)
        const before = testFiles.hash(path)
        // The frame's close button asks, since the input has unsaved edits.
        const frameView = tab.frameList[0].view
        const prompt = view("CommonSaveModule")
        const close = findChild(frameView, "btnModuleDelete")
        mouseClick(close)
        verify(prompt.xtied)
        compare(prompt.xtag, module)
        tryVerify(function () { return prompt.opened }, 30000)
        mouseClick(buttonBar(prompt).button(data.answer))
        verify(!prompt.xtied)
        compare(tab.frameList[0].moduleList.length, data.deleted ? 0 : 1)
        if (!data.deleted)
            compare(module.input_saveConfirmed, false)
        compare(testFiles.hash(path) !== before, data.written)
    }

    // The tab prompt lists both inputs, switched on; the answer decides what is written.
    function test_tabPrompt_data() {
        return [
            { tag: "SaveAll", answer: 0, a: true, b: true, deleted: true },
            { tag: "SaveSelected", answer: 1, a: true, b: false, deleted: true },
            { tag: "SaveNone", answer: 2, a: false, b: false, deleted: true },
            { tag: "Cancel", answer: 3, a: false, b: false, deleted: false },
        ]
    }
    function test_tabPrompt(data) {
        const s = twoEdited()
        const prompt = view("CommonSaveTab")
        main.tabManagerView.subview_openCommon("CommonSaveTab", s.tab)
        verify(prompt.xtied)
        tryVerify(function () { return prompt.opened }, 30000)
        const list = findChild(prompt.contentItem, "saveInputList")
        compare(list.xmodules.length, 2)
        verify(s.a.input_saveConfirmed && s.b.input_saveConfirmed)
        // The second input's switch turned off: SaveSelected leaves it unsaved.
        const row = findChild(list, "saveRow1")
        compare(row.modelData, s.b)
        mouseClick(findChild(row, "saveSwitch"))
        compare(s.b.input_saveConfirmed, false)
        prompt.xanswer(data.answer)
        verify(!prompt.xtied)
        compare(tm.tabList.length, data.deleted ? 0 : 1)
        if (!data.deleted) {
            // Cancel confirms nothing.
            compare(s.a.input_saveConfirmed, false)
            compare(s.b.input_saveConfirmed, false)
        }
        compare(testFiles.hash(s.pa) !== s.ha, data.a, "first camera's file written")
        compare(testFiles.hash(s.pb) !== s.hb, data.b, "second camera's file written")
    }

    // A tab without unsaved input edits goes at once.
    function test_tabWithoutEditsClosesUnasked() {
        const tab = main.tabManagerView.tab_create()
        main.tabManagerView.subview_openCommon("CommonSaveTab", tab)
        verify(!view("CommonSaveTab").xtied)
        compare(tm.tabList.length, 0)
    }

    // The workspace prompt (new workspace) and the quit prompt: the workspace file is stored for
    // any answer but Cancel, the inputs' files as answered; Cancel keeps everything as it was.
    function test_workspacePrompt_data() {
        const rows = []
        const answers = [["SaveAll", true, true], ["SaveSelected", true, false], ["SaveNone", false, false],
                         ["Cancel", false, false]]
        for (const tag of [0, 2])
            for (let i = 0; i < 4; ++i)
                rows.push({ tag: (tag === 0 ? "new " : "quit ") + answers[i][0], mode: tag, answer: i,
                            a: answers[i][1], b: answers[i][2], cancel: i === 3 })
        return rows
    }
    function test_workspacePrompt(data) {
        // A workspace with a name (only loading gives one), then two edited inputs in it.
        const tmv = main.tabManagerView
        tmv.tab_create()
        const ws = testFiles.dir + "/prompt.workspace"
        compare(tmv.workspace_save(ws), 0)
        compare(tmv.workspace_load(ws), 0)
        compare(tm.workspaceName, ws)
        verify(testFiles.remove(ws))
        const frames = tm.tabList[0].frameList
        const s = { a: editedModule(testFiles.cameraAddress, frames[0]), b: editedModule(testFiles.cameraAddress2, frames[1]) }
        s.pa = confPath(s.a)
        s.pb = confPath(s.b)
        s.ha = testFiles.hash(s.pa)
        s.hb = testFiles.hash(s.pb)
        const prompt = view("CommonSaveWorkspace")
        if (data.mode === 2) {
            main.close()
            verify(main.visible, "the first close request is refused")
        } else {
            main.tabManagerView.subview_openCommon("CommonSaveWorkspace", 0)
        }
        verify(prompt.xtied)
        compare(prompt.xtag, data.mode)
        verify(prompt.xsaveWorkspace)
        compare(findChild(prompt.contentItem, "saveInputList").xmodules.length, 2)
        s.b.input_saveConfirmed = false
        prompt.xanswer(data.answer)
        verify(!prompt.xtied)
        compare(prompt.xtag, -1)
        compare(testFiles.exists(ws), !data.cancel, "workspace file stored")
        if (data.cancel) {
            compare(tm.tabList.length, 1)
            verify(main.visible)
            compare(s.a.input_saveConfirmed, false)
            compare(s.b.input_saveConfirmed, false)
        } else {
            compare(tm.tabList.length, 0)
            compare(main.visible, data.mode !== 2, "the window closed")
        }
        compare(testFiles.hash(s.pa) !== s.ha, data.a, "first camera's file written")
        compare(testFiles.hash(s.pb) !== s.hb, data.b, "second camera's file written")
    }

    // A workspace file that cannot be written (its folder is gone) keeps the workspace, the
    // question and the inputs' files, for a new workspace, opening another and quitting, and the
    // notice says it failed; once the folder is back the same answer goes through.
    function test_workspacePromptKeepsAFailedWorkspace_data() {
        return [{ tag: "new", mode: 0 }, { tag: "open", mode: 1 }, { tag: "quit", mode: 2 }]
    }
    function test_workspacePromptKeepsAFailedWorkspace(data) {
        const tmv = main.tabManagerView
        tmv.tab_create()
        const folder = testFiles.dir + "/gone-" + data.mode
        verify(testFiles.mkpath(folder))
        const ws = folder + "/kept.workspace"
        compare(tmv.workspace_save(ws), 0)
        compare(tmv.workspace_load(ws), 0)
        verify(testFiles.removeDir(folder))
        const frames = tm.tabList[0].frameList
        const a = editedModule(testFiles.cameraAddress, frames[0])
        const pa = confPath(a)
        const ha = testFiles.hash(pa)
        const prompt = view("CommonSaveWorkspace")
        const notice = view("CommonNotify")
        App.fileDialog.xfunc = -1
        if (data.mode === 2)
            main.close()
        else
            tmv.subview_openCommon("CommonSaveWorkspace", data.mode)
        verify(prompt.xtied)
        prompt.xanswer(0)
        verify(prompt.xtied, "the question stays")
        compare(prompt.xtag, data.mode)
        compare(tm.tabList.length, 1)
        compare(tm.tabList[0].frameList[0].moduleList.length, 1)
        verify(main.visible)
        compare(App.fileDialog.xfunc, -1, "no other workspace asked for")
        tryCompare(notice, "visible", true)
        compare(findChild(notice.contentItem, "noticeText").text,
                qsTrId("SaveWorkspace") + " " + ws + " - " + qsTrId("Fail"))
        verify(!testFiles.exists(ws))
        compare(testFiles.hash(pa), ha)

        verify(testFiles.mkpath(folder))
        prompt.xanswer(0)
        verify(!prompt.xtied)
        verify(testFiles.exists(ws))
        tryCompare(findChild(notice.contentItem, "noticeText"), "text",
                   qsTrId("SaveWorkspace") + " " + ws + " - " + qsTrId("Success"))
        if (data.mode === 1) {
            compare(App.fileDialog.xfunc, 1)
            App.fileDialog.rejected()
        } else {
            compare(tm.tabList.length, 0)
            compare(main.visible, data.mode !== 2)
            verify(testFiles.hash(pa) !== ha)
        }
    }

    // Without unsaved edits the window closes at once, and a new workspace starts at once
    // without storing the old file.
    function test_noEditsNoPrompt() {
        main.tabManagerView.tab_create()
        const ws = testFiles.dir + "/unasked.workspace"
        compare(main.tabManagerView.workspace_save(ws), 0)
        verify(testFiles.remove(ws))
        main.tabManagerView.subview_openCommon("CommonSaveWorkspace", 0)
        verify(!view("CommonSaveWorkspace").xtied)
        compare(tm.tabList.length, 0)
        verify(!testFiles.exists(ws))
        main.tabManagerView.tab_create()
        main.close()
        verify(!main.visible)
        compare(tm.tabList.length, 0)
    }

    // "OpenWorkspace": the file dialog comes before anything is cleared; giving it up keeps the
    // tabs and takes the confirmations back, choosing a file replaces the workspace and saves as
    // answered.
    function test_openWorkspaceCancelledKeepsTabs() {
        const s = twoEdited()
        const other = testFiles.dir + "/other.workspace"
        const prompt = view("CommonSaveWorkspace")
        main.tabManagerView.subview_openCommon("CommonSaveWorkspace", 1)
        verify(prompt.xtied)
        prompt.xanswer(0)
        compare(App.fileDialog.xfunc, 1)
        compare(App.fileDialog.xtag, prompt)
        compare(tm.tabList.length, 1)
        compare(s.tab.frameList[0].moduleList.length, 1)
        App.fileDialog.rejected()
        compare(tm.tabList.length, 1)
        compare(s.a.input_saveConfirmed, false)
        compare(s.b.input_saveConfirmed, false)
        compare(testFiles.hash(s.pa), s.ha)

        // Again, choosing a file this time: the answer holds.
        main.tabManagerView.subview_openCommon("CommonSaveWorkspace", 1)
        prompt.xanswer(0)
        compare(App.fileDialog.xfunc, 1)
        const keep = testFiles.dir + "/keep.workspace"
        main.tabManagerView.tab_create()
        compare(main.tabManagerView.workspace_save(keep), 0)
        App.fileAccepted(1, prompt, keep)
        verify(testFiles.hash(s.pa) !== s.ha)
        verify(testFiles.hash(s.pb) !== s.hb)
    }

    // Names and layout: OK without a change writes nothing; a change is written once.
    function test_nameAndLayoutDialogs() {
        const tmv = main.tabManagerView
        const tab = tmv.tab_create()
        const module = tmv.module_create(1, camera(testFiles.cameraAddress), tab.frameList[0])
        verify(module !== null)
        const tabName = view("ConfigTabName")
        const moduleName = view("ConfigModuleName")
        const layout = view("ConfigTabLayout")
        const spyTab = Qt.createQmlObject("import QtTest; SignalSpy { signalName: 'viewNameChanged' }", tc)
        spyTab.target = tab
        const spyModule = Qt.createQmlObject("import QtTest; SignalSpy { signalName: 'viewNameChanged' }", tc)
        spyModule.target = module
        const spyLayout = Qt.createQmlObject("import QtTest; SignalSpy { signalName: 'layoutTypeChanged' }", tc)
        spyLayout.target = tab

        tmv.subview_openConfig("ConfigTabName", tab, null)
        verify(tabName.xtied)
        compare(tabName.x, (tmv.body.width - tabName.width) / 2)
        tabName.xanswer(0)
        verify(!tabName.xtied)
        compare(spyTab.count, 0)
        tmv.subview_openConfig("ConfigTabName", tab, null)
        findChild(tabName.contentItem, "nameBox").text = "hall"
        tabName.xanswer(1)
        compare(tab.viewName, "1")
        tmv.subview_openConfig("ConfigTabName", tab, null)
        findChild(tabName.contentItem, "nameBox").text = "hall"
        tabName.xanswer(0)
        compare(tab.viewName, "hall")
        compare(spyTab.count, 1)

        tmv.subview_openConfig("ConfigModuleName", module, null)
        moduleName.xanswer(0)
        compare(spyModule.count, 0)
        tmv.subview_openConfig("ConfigModuleName", module, null)
        findChild(moduleName.contentItem, "nameBox").text = "door"
        moduleName.xanswer(0)
        compare(module.viewName, "door")
        compare(spyModule.count, 1)
        // The frame's module box shows the new name.
        compare(findChild(tab.frameList[0].view, "cmbModule").displayText, "door")

        const before = tab.layoutType
        tmv.subview_openConfig("ConfigTabLayout", tab, null)
        const button = function (type) { return findChild(layout.contentItem, "layout" + type) }
        for (let t = 0; t < 8; ++t)
            compare(button(t).xselected, t === before, "layout " + t + " shown selected")
        layout.xanswer(0)
        compare(spyLayout.count, 0)
        tmv.subview_openConfig("ConfigTabLayout", tab, null)
        mouseClick(button(2))
        verify(button(2).xselected)
        verify(!button(before).xselected)
        compare(tab.layoutType, before)
        layout.xanswer(0)
        compare(tab.layoutType, 2)
        compare(spyLayout.count, 1)
        compare(tab.view.frame1.x, (tab.view.width - 4) / 2 + 4)
    }

    // "Yes" runs the asking dialog's export, "No" leaves it to the dialog.
    function test_overwrite() {
        const asking = Qt.createQmlObject("import QtQuick; QtObject { property int runs: 0; function exportImage() { ++runs } }", tc)
        const prompt = view("CommonOverwrite")
        main.tabManagerView.subview_openCommon("CommonOverwrite", asking)
        verify(prompt.xtied)
        compare(prompt.y, main.tabManagerView.body.mapToItem(main.tabManagerView, 0, 100).y)
        prompt.xanswer(1)
        verify(!prompt.xtied)
        compare(asking.runs, 0)
        main.tabManagerView.subview_openCommon("CommonOverwrite", asking)
        mouseClick(buttonBar(prompt).button(0))
        verify(!prompt.xtied)
        compare(asking.runs, 1)
    }

    // A second notice replaces the first; the notice closes by itself.
    function test_notice() {
        const tmv = main.tabManagerView
        const notice = view("CommonNotify")
        tmv.subview_openCommon("CommonNotify", "first")
        tryVerify(function () { return notice.opened }, 30000)
        const text = findChild(notice.contentItem, "noticeText")
        compare(text.text, "first")
        compare(notice.x, tmv.body.width - 300 - 50)
        tmv.subview_openCommon("CommonNotify", "second")
        compare(text.text, "second")
        verify(notice.xtied)
        tryVerify(function () { return !notice.visible }, 30000)
        verify(!notice.xtied)
    }
}
