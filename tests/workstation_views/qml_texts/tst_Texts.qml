import QtQuick
import QtTest
import Ostrel 1.0

// With a translation installed, no text the user can see or point at is a bare translation id:
// the main window with a live camera, its pop-ups and every dialog are walked item by item.
TestCase {
    id: tc
    name: "WorkstationTexts"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    property var module: null
    property var tab: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager
    readonly property var textProperties: ["text", "title", "xtip", "xname", "xtext", "displayText",
        "placeholderText", "xtitle", "xerror"]

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null, { width: 1400, height: 900 })
        verify(main !== null)
        tryVerify(function () { return tm.view === main.tabManagerView }, 30000)
        tab = main.tabManagerView.tab_create()
        const cam = im.device_createIr(testFiles.cameraAddress, false)
        verify(cam !== null)
        module = main.tabManagerView.module_create(1, cam, tab.frameList[0])
        verify(module !== null)
        tryVerify(function () { return cam.device_isConnected && module.tempCanvas.itemList.length === 2 }, 15000)
    }

    function cleanupTestCase() {
        module.input_saveConfirmed = true
        main.quitConfirmed = true
        main.tabManagerView.workspace_clear()
        main.destroy()
    }

    // An id, not a word: it holds "_" or a small letter right before a capital ("SaveInputPrompt").
    // The palettes' own names ("IronBow") come with the palette table and are shown as they stand.
    function looksLikeId(s) {
        if (!(/^[A-Za-z][A-Za-z0-9_]*$/.test(s) && (s.indexOf("_") >= 0 || /[a-z][A-Z]/.test(s))))
            return false
        const provider = CApp.tempCanvasManager.paletteImageProvider
        const palettes = provider ? provider.paletteList : []
        for (let i = 0; i < palettes.length; ++i)
            if (palettes[i].name === s)
                return false
        return true
    }

    function shown(item) {
        for (let p = item; p; p = p.parent)
            if (p.visible === false || p.opacity === 0)
                return false
        return true
    }

    // Every visible item below `root` whose texts include an id: "where: property=value".
    function idTexts(root) {
        const found = []
        const seen = new Set()
        let count = 0
        function visit(item, path) {
            if (!item || seen.has(item))
                return
            seen.add(item)
            if (item.visible === false)
                return
            ++count
            for (const p of textProperties) {
                const v = item[p]
                if (typeof v === "string" && looksLikeId(v) && shown(item))
                    found.push(path + "/" + (item.objectName || String(item).split("(")[0]) + ": " + p + "=" + v)
            }
            const kids = item.children || []
            for (let i = 0; i < kids.length; ++i)
                visit(kids[i], path + "/" + (item.objectName || ""))
            if (item.contentItem && item.contentItem !== item)
                visit(item.contentItem, path + "/" + (item.objectName || ""))
            if (item.popup && item.popup.contentItem && item.popup.visible)
                visit(item.popup.contentItem, path + "/popup")
        }
        visit(root, "")
        return { found: found, count: count }
    }

    // The window's root item holds its content and the overlay that the pop-ups and dialogs open in.
    function expectWords(what) {
        wait(0)
        const r = idTexts(main.contentItem.parent)
        verify(r.count > 20, what + ": too few items walked")
        compare(r.found.length, 0, what + " shows ids: " + r.found.join("; "))
        return r.count
    }

    function findChild(item, name) {
        if (!item)
            return null
        if (item.objectName === name)
            return item
        // Pop-ups are among an item's data, not its children.
        const kids = item.data || item.children || []
        for (let i = 0; i < kids.length; ++i) {
            const f = findChild(kids[i], name)
            if (f)
                return f
        }
        if (item.contentItem && item.contentItem !== item)
            return findChild(item.contentItem, name)
        return null
    }

    function view(name) { return main.tabManagerView.subview_get("qrc:/Views/Basic/" + name + ".qml") }

    // With OSTREL_VIEWS_SHOTS set, a picture of the window for a person to look at.
    function shoot(name) {
        const dir = testFiles.shotsDir()
        if (dir !== "")
            grabImage(main.contentItem).save(dir + "/" + name + ".png")
    }

    // Opens a dialog, walks the window and closes the dialog again before judging, so that one
    // dialog's ids do not count against the next.
    function opened(name, open) {
        const v = view(name)
        verify(v !== null, name)
        open()
        tryVerify(function () { return v.visible }, 5000, name + " opens")
        wait(0)
        const r = idTexts(main.contentItem.parent)
        shoot(name)
        v.xclose()
        tryVerify(function () { return !v.visible }, 5000, name + " closes")
        verify(r.count > 20, name + ": too few items walked")
        compare(r.found.length, 0, name + " shows ids: " + r.found.join("; "))
    }

    function test_mainWindowAndPopups() {
        expectWords("main window")
        shoot("Main")
        for (const [show, popup] of [["popupDevice_show", main.devicePopup], ["popupFile_show", main.filePopup]]) {
            main[show]()
            tryVerify(function () { return popup.opened }, 5000, show)
            expectWords(show)
            popup.close()
            tryVerify(function () { return !popup.visible }, 5000, show)
        }
        for (const name of ["popupConfig", "popupToolGrid"]) {
            const popup = findChild(main.contentItem, name)
            verify(popup !== null, name)
            popup.open()
            tryVerify(function () { return popup.opened }, 5000, name)
            expectWords(name)
            popup.close()
        }
    }

    function test_dialogs() {
        const tv = main.tabManagerView
        const item = module.tempCanvas.itemList[1]
        opened("ConfigMea", function () { tv.subview_openConfig("ConfigMea", item, null) })
        opened("ConfigRecorder", function () { tv.subview_openConfig("ConfigRecorder", module, null) })
        opened("ConfigModuleName", function () { tv.subview_openConfig("ConfigModuleName", module, null) })
        opened("ConfigTabName", function () { tv.subview_openConfig("ConfigTabName", tab, null) })
        opened("ConfigTabLayout", function () { tv.subview_openConfig("ConfigTabLayout", tab, null) })
        opened("ConfigExportIrJpg", function () { tv.subview_openConfig("ConfigExportIrJpg", module, null) })
        opened("ConfigExportIrStream", function () { tv.subview_openConfig("ConfigExportIrStream", module, null) })
        opened("ConfigExportIrMp4", function () { tv.subview_openConfig("ConfigExportIrMp4", module, null) })
        for (const name of ["ModuleConfigPalette", "ModuleConfigImage", "ModuleConfigImageMT",
                            "ModuleConfigImageCT", "AddChart", "AddTable"])
            opened(name, function () { tv.subview_openModuleConfig(name, module, null) })
        opened("AppConfigSettings", function () { tv.subview_openAppConfig("AppConfigSettings") })
        opened("AppConfigInformation", function () { tv.subview_openAppConfig("AppConfigInformation") })
        // The save prompts ask only while the input has unsaved edits: give it one.
        const cfg = module.imageConfig
        cfg.paletteType = cfg.paletteType === 3 ? 4 : 3
        tryVerify(function () { return module.input_saveRequired }, 30000, "an unsaved edit")
        opened("CommonSaveModule", function () { tv.subview_openCommon("CommonSaveModule", module) })
        opened("CommonSaveTab", function () { tv.subview_openCommon("CommonSaveTab", tab) })
        opened("CommonSaveWorkspace", function () { tv.subview_openCommon("CommonSaveWorkspace", 0) })
        opened("CommonNotify", function () { tv.onSaveFinished("/tmp/x.png", -8) })
    }

    // A failed export's notice keeps the code and says what it means, in the installed language.
    function test_noticeSaysWhatFailed() {
        const notice = view("CommonNotify")
        main.tabManagerView.onSaveFinished("/tmp/x.png", -8)
        tryVerify(function () { return notice.visible }, 5000)
        const text = findChild(notice.contentItem, "noticeText").text
        notice.xclose()
        const meaning = qsTrId("Status_BadArgument")
        verify(meaning !== "Status_BadArgument", "the status texts are translated")
        compare(text, qsTrId("Export") + " /tmp/x.png - " + qsTrId("Fail") + " -8: " + meaning)
        main.tabManagerView.onSaveFinished("/tmp/x.png", 0)
        tryVerify(function () { return notice.visible }, 5000)
        compare(findChild(notice.contentItem, "noticeText").text, qsTrId("Export") + " /tmp/x.png - " + qsTrId("Success"))
        notice.xclose()
    }

    // The chart, table, recorder and pan-tilt modules beside the live picture, and the chart's
    // dialogs (its series list with the statistics boxes among them).
    function test_modulesAndChartDialogs() {
        const tv = main.tabManagerView
        tab.layoutType = 3
        tab.view.layout()
        const items = module.tempCanvas.itemList
        const chart = tv.module_create(4, null, tab.frameList[1])
        verify(chart !== null)
        chart.series_create(items[1], 1, 2)
        const inputs = tv.module_create2(6, module, tab.frameList[2])
        const recorder = tv.module_create2(8, module, tab.frameList[3])
        verify(inputs !== null && recorder !== null)
        expectWords("chart, input table and recorder table")
        shoot("Modules")
        tv.module_delete(inputs)
        const ptz = tv.module_create2(9, module, tab.frameList[2])
        verify(ptz !== null)
        expectWords("pan-tilt module")
        shoot("Ptz")
        const v = chart.view
        for (const [button, name] of [["btnAxis", "ConfigChart"], ["btnConfig", "ModuleConfigChartTime"],
                                      ["btnExport", "ConfigExportChart"]]) {
            mouseClick(findChild(v, button))
            tryVerify(function () { return view(name).opened }, 5000, name)
            expectWords(name)
            shoot(name)
            view(name).xclose()
            tryVerify(function () { return !view(name).visible }, 5000, name)
        }
        tv.module_delete(ptz)
        tv.module_delete(recorder)
        tv.module_delete(chart)
        tab.layoutType = 0
        tab.view.layout()
    }
}
