import QtQuick
import QtTest
import Ostrel 1.0

// The module popups: where they open, their tie to one module and button, and the range popups
// against a live camera's module.
TestCase {
    id: tc
    name: "ModuleConfig"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    property var live: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager

    Component { id: standIn; Item { property int cfg_leftWidth: 50; property int cfg_rightWidth: 80 } }
    Component { id: button; QtObject { property bool xselected: false } }

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(() => tm.view === main.tabManagerView, 30000)
    }

    function cleanupTestCase() {
        main.quitConfirmed = true
        main.tabManagerView.workspace_clear()
        main.destroy()
    }

    function view(name) { return main.tabManagerView.subview_get("qrc:/Views/Basic/" + name + ".qml") }
    function findChild(item, name) {
        if (!item)
            return null
        if (item.objectName === name)
            return item
        for (let i = 0; i < item.children.length; ++i) {
            const f = findChild(item.children[i], name)
            if (f)
                return f
        }
        return null
    }

    // Popup 300 x 200 in the tab area of a 1400 x 800 window with the store shown:
    // 1400 x (800 - 40 - 20 - 100) = 1400 x 640. Module views are stand-ins at their places in
    // that area (a 2 x 2 tab's cells under the 41-high tab bar: 694 x 293.5 at (2, 43) and at
    // (704, 344.5); a view filling the tab: 1396 x 595 at (2, 43)).
    function test_xgetPosition_data() {
        return [
            { tag: "2x2 top-left: below", r: [2, 43, 694, 293.5], inside: 1, p: [199, 336.5] },
            { tag: "2x2 bottom-right: above", r: [704, 344.5, 694, 293.5], inside: 1, p: [901, 144.5] },
            { tag: "tall middle: left", r: [700, 20, 400, 600], inside: 1, p: [400, 220] },
            { tag: "filling: top-left", r: [2, 43, 1396, 595], inside: 1, p: [52, 43] },
            { tag: "filling: top-right", r: [2, 43, 1396, 595], inside: 2, p: [1018, 43] },
            { tag: "filling: bottom-right", r: [2, 43, 1396, 595], inside: 3, p: [1018, 438] },
            { tag: "filling: bottom-left", r: [2, 43, 1396, 595], inside: 4, p: [52, 438] },
            { tag: "filling: centred", r: [2, 43, 1396, 595], inside: 0, p: [550, 220] },
        ]
    }
    function test_xgetPosition(data) {
        const tmv = main.tabManagerView
        compare(tmv.width, 1400)
        compare(tmv.height, 640)
        const popup = Qt.createComponent("qrc:/Views/Basic/ModuleConfigBase.qml")
            .createObject(tmv, { width: 300, height: 200 })
        const v = standIn.createObject(tmv, { x: data.r[0], y: data.r[1], width: data.r[2], height: data.r[3] })
        const p = popup.xgetPosition({ view: v }, null, data.inside)
        compare([p.x, p.y], data.p)
        v.destroy()
        popup.destroy()
    }

    // One module at a time; the button looks selected exactly while the popup is open, however
    // it closes.
    function test_tieToOneModule() {
        const tmv = main.tabManagerView
        const popup = Qt.createComponent("qrc:/Views/Basic/ModuleConfigBase.qml")
            .createObject(tmv, { width: 300, height: 200 })
        const a = { name: "a" }, b = { name: "b" }
        const btnA = button.createObject(tc), btnB = button.createObject(tc)
        popup.xopen_pre(a, btnA, 10, 10)
        popup.open()
        tryCompare(popup, "opened", true)
        verify(btnA.xselected)
        popup.xopen_pre(b, btnB, 20, 20)
        popup.open()
        tryCompare(popup, "opened", true)
        verify(!btnA.xselected)
        verify(btnB.xselected)
        compare(popup.cfg_module, b)
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
        verify(!btnB.xselected)
        compare(popup.cfg_module, null)
        popup.destroy()
    }

    function liveModule() {
        if (live)
            return live
        const tab = main.tabManagerView.tab_create()
        let cam = null
        for (let i = 0; i < im.deviceList.length; ++i)
            if (im.deviceList[i].device_ip === testFiles.cameraAddress)
                cam = im.deviceList[i]
        if (!cam)
            cam = im.device_createIr(testFiles.cameraAddress, false)
        tryVerify(() => cam.module === null, 10000)
        const module = main.tabManagerView.module_create(1, cam, tab.frameList[0])
        verify(module !== null)
        tryVerify(() => cam.device_isConnected && module.tempCanvas.itemList.length === 2
            && module.tempCanvas.paletteData.gblMax > module.tempCanvas.paletteData.gblMin, 15000)
        live = module
        return module
    }

    // The manual range: an empty stored range proposes the image's whole range; an inverted one
    // is marked and writes nothing; a good one is written and the palette bar names it. The
    // colour-temperature popup refuses an inverted stretch the same way.
    function test_rangePopups() {
        const module = liveModule()
        const cfg = module.imageConfig
        const pd = module.tempCanvas.paletteData
        cfg.man_enable = false
        cfg.man_temp0 = 20
        cfg.man_temp1 = 20
        module.applyImageConfig()
        verify(!pd.manEnable)
        const bar = findChild(module.view, "paletteMax").parent
        const btnMT = findChild(bar, "btnMT")
        mouseClick(btnMT)
        const mt = view("ModuleConfigImageMT")
        tryCompare(mt, "opened", true)
        verify(btnMT.xselected)
        // Live frames may move the image's range by noise between the two reads.
        fuzzyCompare(mt.inTemp0.xvalue, pd.gblMin, 0.3)
        fuzzyCompare(mt.inTemp1.xvalue, pd.gblMax, 0.3)
        verify(mt.inTemp1.xvalue - mt.inTemp0.xvalue > 1)
        verify(mt.inTemp0.xrule_isInputValid)

        mt.inEnable.xvalue = true
        mt.inTemp0.xvalue = 40
        mt.inTemp1.xvalue = 30
        verify(!mt.inTemp0.xrule_isInputValid)
        verify(!mt.inTemp1.xrule_isInputValid)
        mouseClick(findChild(mt.contentItem, "btnApply"))
        compare([cfg.man_enable, cfg.man_temp0, cfg.man_temp1], [false, 20, 20])
        verify(!pd.manEnable)
        mt.inTemp1.xvalue = 40
        verify(!mt.inTemp1.xrule_isInputValid)
        mt.inTemp0.xvalue = 30
        verify(mt.inTemp0.xrule_isInputValid && mt.inTemp1.xrule_isInputValid)
        // Letters typed over a good end and Apply clicked at once: they stay, marked, though the
        // values held make a good range, and nothing is written.
        const t0Field = mt.inTemp0.xpanelValueLoader.children[0]
        mouseClick(t0Field)
        t0Field.selectAll()
        keyClick("a")
        keyClick("b")
        mouseClick(findChild(mt.contentItem, "btnApply"))
        compare(t0Field.text, "ab")
        verify(!mt.inTemp0.xrule_isInputValid)
        verify(mt.xrangeValid)
        compare([cfg.man_enable, cfg.man_temp0, cfg.man_temp1], [false, 20, 20])
        // The value shown again from outside replaces them.
        mt.inTemp0.init(30)
        verify(mt.inTemp0.xrule_isInputValid)
        mouseClick(findChild(mt.contentItem, "btnApply"))
        compare([cfg.man_enable, cfg.man_temp0, cfg.man_temp1], [true, 30, 40])
        compare(findChild(bar, "paletteMax").text, "40.0")
        compare(findChild(bar, "paletteMin").text, "30.0")
        // Clicking the button again closes the popup.
        mouseClick(btnMT)
        tryCompare(mt, "visible", false)
        verify(!btnMT.xselected)

        // The bar follows the range the colours use however it was set, also straight through
        // the image settings.
        cfg.man_temp1 = 35
        module.applyImageConfig()
        compare(findChild(bar, "paletteMax").text, "35.0")
        cfg.man_enable = false
        module.applyImageConfig()
        compare(findChild(bar, "paletteMax").text, pd.gblMax.toFixed(1))

        const ct = view("ModuleConfigImageCT")
        main.tabManagerView.subview_openModuleConfig("ModuleConfigImageCT", module, findChild(bar, "btnCT"))
        tryCompare(ct, "opened", true)
        const before = [cfg.ct_type, cfg.ct_temp0, cfg.ct_temp1]
        ct.inType.xvalue = CApp.commonManager.colorTempList[1].value
        ct.inTemp0.xvalue = 50
        ct.inTemp1.xvalue = 50
        verify(!ct.inTemp0.xrule_isInputValid && !ct.inTemp1.xrule_isInputValid)
        verify(!ct.xapply())
        compare([cfg.ct_type, cfg.ct_temp0, cfg.ct_temp1], before)
        ct.inTemp1.xvalue = 60
        verify(ct.xapply())
        compare([cfg.ct_type, cfg.ct_temp0, cfg.ct_temp1], [CApp.commonManager.colorTempList[1].value, 50, 60])
        ct.xclose()
    }

    // The palette popup of a module filling its tab opens inside its top-left corner, next to
    // the left bar: tab area 1400 x 640, body from y 41, frame head 30, module margin 2, left bar
    // 50. A palette applies at once to the picture and the bar, and the popup stays open.
    function test_palettePopup() {
        const module = liveModule()
        const btn = findChild(module.view, "btnPalette")
        const pd = module.tempCanvas.paletteData
        mouseClick(btn)
        const pal = view("ModuleConfigPalette")
        tryCompare(pal, "opened", true)
        verify(btn.xselected)
        compare([pal.x, pal.y], [52, 73])
        const jet = 6
        compare(pal.gbl_paletteList[jet].name, "Jet")
        const cell = findChild(pal.contentItem, "paletteCell" + jet)
        verify(cell !== null)
        mouseClick(cell)
        compare(module.imageConfig.paletteType, jet)
        compare(pd.paletteType, jet)
        compare(findChild(pal.contentItem, "txtPaletteName").text, "Jet")
        // The button shows the chosen palette (a URL keeps its host in lower case).
        compare(String(btn.iconSource), "image://temppalette/Jet")
        verify(pal.opened && btn.xselected)
        // The same button again closes it, and the next click opens it at once, however soon
        // it comes; after Escape too.
        mouseClick(btn)
        tryCompare(pal, "visible", false)
        verify(!btn.xselected)
        compare(pal.cfg_module, null)
        tryCompare(pal, "_selfClosedBtn", null)
        mouseClick(btn)
        tryCompare(pal, "opened", true)
        compare(findChild(pal.contentItem, "txtPaletteName").text, "Jet")
        keyClick(Qt.Key_Escape)
        tryCompare(pal, "visible", false)
        verify(!btn.xselected)
        tryCompare(pal, "_selfClosedBtn", null)
        mouseClick(btn)
        tryCompare(pal, "opened", true)
        pal.xclose()
        verify(!btn.xselected)
        module.imageConfig.paletteType = 5
        module.applyImageConfig()
        compare(pd.paletteType, 5)
    }

    // Each way through the add popups leaves what the placement needs. Steps: [popup, in its
    // second level, row or button]; the camera's record holds the whole-image item (row 0) and
    // a rectangle (row 1).
    function test_addPlacement_data() {
        const st = CApp.commonManager.statsTypeList, stt = CApp.commonManager.statsTypeListTime
        return [
            { tag: "table of the input", btn: "btnTable", steps: [["AddTable", false, "menuEntry0"]], type: 6, input: true },
            { tag: "table of an item", btn: "btnTable", steps: [["AddTable", false, "menuEntry1"], ["AddTable", true, "itemRow1"]],
              type: 7, mea: 1 },
            { tag: "space chart, whole image along Y", btn: "btnChart",
              steps: [["AddChart", false, "menuEntry0"], ["AddChartSpace", false, "itemRow0"], ["AddChartSpace", true, "statsY2"]],
              type: 5, mea: 0, stats: st[2].type, dim: 1 },
            { tag: "space chart, area along X", btn: "btnChart",
              steps: [["AddChart", false, "menuEntry0"], ["AddChartSpace", false, "itemRow1"], ["AddChartSpace", true, "statsX0"]],
              type: 5, mea: 1, stats: st[0].type, dim: 0 },
            { tag: "time chart", btn: "btnChart",
              steps: [["AddChart", false, "menuEntry1"], ["AddChartTime", false, "itemRow1"], ["AddChartTime", true, "stats1"]],
              type: 4, mea: 1, stats: stt[1].type, dim: 2 },
            // No mesh of a live image: the row is disabled and nothing starts.
            { tag: "mesh refused for a camera", btn: "btnChart", steps: [["AddChart", false, "menuEntry2"]], type: 0 },
        ]
    }
    function test_addPlacement(data) {
        const module = liveModule()
        const btn = findChild(module.view, data.btn)
        mouseClick(btn)
        for (const s of data.steps) {
            const popup = s[1] ? (view(s[0]).subMeaInfo || view(s[0]).subStatistics) : view(s[0])
            tryCompare(popup, "opened", true)
            const target = findChild(popup.contentItem, s[2])
            verify(target !== null, s[2])
            tryVerify(() => target.width > 0 && target.visible)
            mouseClick(target)
        }
        const state = tm.state
        compare(state.moving, data.type !== 0)
        compare(state.moduleTypeForEndMove, data.type)
        if (data.input)
            compare(state.input, module.input)
        if (data.mea !== undefined)
            compare(state.mea, module.tempCanvas.itemList[data.mea])
        if (data.stats !== undefined) {
            compare(state.meaStatsType, data.stats)
            compare(state.meaDimType, data.dim)
        }
        if (data.type !== 0) {
            // Everything closed and the button no longer selected.
            for (const s of data.steps)
                tryCompare(view(s[0]), "visible", false)
            verify(!btn.xselected)
            tm.endMove(0, null)
        } else {
            verify(view("AddChart").opened)
            view("AddChart").xclose()
            verify(!btn.xselected)
        }
    }
}
