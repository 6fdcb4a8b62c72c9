import QtQuick
import QtTest
import Ostrel 1.0
import Kiv 1.0
import "qrc:/Views"

// The picture and stream views with the player bar, and the export dialogs against what reaches
// the disk: a recording of 100 frames of 640 x 512 and a picture of its frame 0.
TestCase {
    id: tc
    name: "WorkstationFileViews"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    property string fixture: ""
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager
    readonly property var cfg: CApp.imageExporter.config
    // A cut stream file: bitmap head 64, cover 4 P, 1152 reserved and file head, frames of
    // 2 P + 128, the closing 7308-byte settings block.
    readonly property int pixels: 640 * 512

    function cutSize(frames) { return 64 + 4 * pixels + 1152 + frames * (2 * pixels + 128) + 7308 }

    SignalSpy { id: finished; target: CApp.imageExporter; signalName: "saveFinished" }

    function initTestCase() {
        fixture = testFiles.dir + "/fileviews"
        compare(testFiles.writeViewFixture(fixture), 0)
        // Closed, like a recording, by its settings block.
        compare(testFiles.size(fixture + "/run.stream"), cutSize(100))
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(function () { return tm.view === main.tabManagerView }, 5000)
    }

    function cleanupTestCase() {
        main.quitConfirmed = true
        main.tabManagerView.workspace_clear()
        main.destroy()
    }

    function cleanup() {
        const names = ["ConfigExportIr", "ConfigExportIrJpg", "ConfigExportIrStream", "ConfigExportIrMp4", "CommonOverwrite"]
        for (let i = 0; i < names.length; ++i)
            view(names[i]).xclose()
        main.tabManagerView.workspace_clear()
        finished.clear()
        cfg.splitAsJpg = false
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
        if (item.contentItem && item.contentItem !== item)
            return findChild(item.contentItem, name)
        return null
    }

    // A module of the fixture's file in a new tab, showing a frame; a stream stands still.
    function fileModule(type) {
        const tmv = main.tabManagerView
        const tab = tmv.tab_create()
        const input = type === 3 ? im.file_createStream(fixture + "/run.stream") : im.file_createJpg(fixture + "/run.jpg")
        verify(input !== null)
        const module = tmv.module_create(type, input, tab.frameList[0])
        verify(module !== null)
        if (type === 3) {
            tryCompare(module, "frameCount", 100, 10000)
            tryVerify(function () { return module.frameCurrent > 0 }, 10000)
            module.playMode = 0
        }
        return module
    }

    // The name is proposed beside the source: only the file name's extension is replaced.
    function test_proposedNames_data() {
        return [
            { tag: "run.stream", source: "/d/run.stream", ext: "mp4", name: "/d/run-export.mp4" },
            { tag: "v1.2/run", source: "/d/v1.2/run", ext: "mp4", name: "/d/v1.2/run-export.mp4" },
            { tag: "no extension", source: "/d/run", ext: "jpg", name: "/d/run-export.jpg" },
            { tag: "dot file", source: "/d/.run", ext: "stream", name: "/d/.run-export.stream" },
        ]
    }
    function test_proposedNames(data) {
        compare(view("ConfigExportIrMp4").proposedName(data.source, data.ext), data.name)
    }

    // The whole recording, as opening the dialog proposes it, exports all 100 frames; ranges the
    // exporter would widen or that hold no frame keep Export disabled and write nothing.
    function test_ranges_data() {
        return [
            { tag: "begin 0", begin: 0, end: 100, interval: 1 },
            { tag: "end 101", begin: 1, end: 101, interval: 1 },
            { tag: "interval 0", begin: 1, end: 100, interval: 0 },
            { tag: "begin after end", begin: 60, end: 50, interval: 1 },
        ]
    }
    function test_ranges(data) {
        const module = fileModule(3)
        // The choice beside the stream's export button opens the cut dialog for the same module.
        const button = findChild(module.view, "btnExport")
        verify(button !== null && button.visible)
        mouseClick(button)
        const choice = view("ConfigExportIr")
        tryCompare(choice, "visible", true)
        mouseClick(findChild(choice.contentItem, "btnExportIrStream"))
        const dlg = view("ConfigExportIrStream")
        tryCompare(dlg, "visible", true)
        compare(choice.visible, false)
        compare(dlg.xtag, module)
        compare(cfg.fn, fixture + "/run-export.stream")
        compare([cfg.streamBegin, cfg.streamEnd, cfg.streamInterval], [1, 100, 1])
        const rangeTip = findChild(dlg.contentItem, "rangeInputs")
        verify(rangeTip.inputBegin.xtip.endsWith("[1, 100]"), rangeTip.inputBegin.xtip)
        verify(rangeTip.inputEnd.xtip.endsWith("[1, 100]"), rangeTip.inputEnd.xtip)
        const exportButton = findChild(dlg.contentItem, "btnExport")
        verify(exportButton.enabled)

        const range = findChild(dlg.contentItem, "rangeInputs")
        range.inputBegin.init(data.begin)
        range.inputEnd.init(data.end)
        range.inputInterval.init(data.interval)
        compare(exportButton.enabled, false)
        const bad = fixture + "/bad.stream"
        cfg.fn = bad
        dlg.xanswer(0)
        compare(dlg.visible, true)
        compare(view("CommonOverwrite").visible, false)
        wait(0)
        compare(finished.count, 0)
        verify(!testFiles.exists(bad))

        // Opening again proposes the whole recording, which keeps its last frame.
        dlg.xclose()
        main.tabManagerView.subview_openConfig("ConfigExportIrStream", module, null)
        compare([cfg.streamBegin, cfg.streamEnd, cfg.streamInterval], [1, 100, 1])
        verify(exportButton.enabled)
        const whole = fixture + "/whole-" + data.begin + "-" + data.end + "-" + data.interval + ".stream"
        testFiles.remove(whole)
        cfg.fn = whole
        dlg.xanswer(0)
        compare(dlg.visible, false)
        finished.wait(60000)
        compare(finished.signalArguments[0][1], 0)
        compare(testFiles.size(whole), cutSize(100))
    }

    // In a 2 x 2 layout of an 800-high window the tool column shrinks: Export lies inside the
    // view (above the player bar of a recording) and a click on it opens the export.
    function test_exportReachableInASmallFrame_data() {
        return [{ tag: "stream", type: 3, dialog: "ConfigExportIr" }, { tag: "picture", type: 2, dialog: "ConfigExportIrJpg" }]
    }
    function test_exportReachableInASmallFrame(data) {
        main.height = 800
        const module = fileModule(data.type)
        const tab = module.frame.tab
        tab.layoutType = 3
        tab.view.layout()
        const v = module.view
        tryVerify(() => v.height > 0 && v.height < 400, 5000, "a quarter of the window: " + v.height)
        const button = findChild(v, "btnExport")
        const bottom = button.mapToItem(v, 0, button.height).y
        const room = data.type === 3 ? v.height - v.cfg_controlHeight : v.height
        verify(bottom <= room + 0.5, "Export ends at " + bottom + " of " + room)
        verify(button.height >= 12, "Export is " + button.height + " high in a view of " + v.height)
        mouseClick(button)
        tryCompare(view(data.dialog), "visible", true)
    }

    // Build measures the whole recording; meanwhile the chart shows that it is building and
    // Build cannot be pressed again.
    function test_timeChartBuildShowsBuilding() {
        const module = fileModule(3)
        const tmv = main.tabManagerView
        const tab = module.frame.tab
        tab.layoutType = 2
        tab.view.layout()
        const chart = tmv.module_create(4, null, tab.frameList[1])
        verify(chart !== null)
        chart.series_create(module.tempCanvas.itemList[0], 1, 2)
        const v = chart.view
        const mark = findChild(v, "buildingMark")
        const build = findChild(v, "btnBuild")
        verify(!mark.visible)
        tryVerify(() => build.width > 0 && build.visible)
        mouseClick(build)
        verify(chart.building)
        verify(mark.visible)
        verify(!build.enabled)
        tryCompare(chart, "building", false, 60000)
        verify(!mark.visible)
        verify(build.enabled)
    }

    // A picture series writes "0001.jpg" onward into a folder named after the target, never the
    // named file: the overwrite question looks at those pictures, and "No" keeps them.
    function test_seriesOverPicturesAsksFirst() {
        const module = fileModule(3)
        const tmv = main.tabManagerView
        const folder = fixture + "/series"
        testFiles.removeDir(folder)
        verify(testFiles.mkpath(folder))
        // Outside the range of three pictures, and the named file itself: nothing to ask.
        verify(testFiles.copy(fixture + "/run.jpg", folder + "/0004.jpg"))
        verify(testFiles.copy(fixture + "/run.jpg", fixture + "/series.stream"))
        cfg.splitAsJpg = true
        tmv.subview_openConfig("ConfigExportIrStream", module, null)
        const dlg = view("ConfigExportIrStream")
        tryCompare(dlg, "visible", true)
        compare(findChild(dlg.contentItem, "inputSplitAsJpg").xvalue, true)
        const range = findChild(dlg.contentItem, "rangeInputs")
        range.inputEnd.init(3)
        cfg.fn = fixture + "/series.stream"
        const prompt = view("CommonOverwrite")
        dlg.xanswer(0)
        compare(prompt.visible, false)
        finished.wait(60000)
        compare(finished.signalArguments[0][1], 0)
        const first = testFiles.hash(folder + "/0001.jpg")
        verify(first !== "")
        verify(testFiles.exists(folder + "/0003.jpg"))

        // Now the series is there (its second picture another one): asked first, "No" leaves it.
        verify(testFiles.remove(folder + "/0002.jpg"))
        verify(testFiles.copy(fixture + "/run.jpg", folder + "/0002.jpg"))
        const old = testFiles.hash(folder + "/0002.jpg")
        tmv.subview_openConfig("ConfigExportIrStream", module, null)
        range.inputEnd.init(3)
        cfg.fn = fixture + "/series.stream"
        dlg.xanswer(0)
        tryCompare(prompt, "visible", true)
        prompt.xanswer(1)
        compare(dlg.visible, true)
        wait(0)
        compare(finished.count, 1)
        compare(testFiles.hash(folder + "/0002.jpg"), old)
        dlg.xanswer(0)
        tryCompare(prompt, "visible", true)
        prompt.xanswer(0)
        finished.wait(60000)
        compare(finished.signalArguments[1][1], 0)
        verify(testFiles.hash(folder + "/0002.jpg") !== old)
        compare(testFiles.hash(folder + "/0001.jpg"), first)
    }

    // "No" keeps the file and the dialog, "Yes" exports; the notice tells success from failure;
    // the picture's own file is no target, however spelt.
    function test_overwriteAndNotice() {
        const module = fileModule(2)
        const tmv = main.tabManagerView
        mouseClick(findChild(module.view, "btnExport"))
        const dlg = view("ConfigExportIrJpg")
        tryCompare(dlg, "visible", true)
        const target = fixture + "/run-export.jpg"
        compare(cfg.fn, target)
        verify(testFiles.copy(fixture + "/run.jpg", target))
        const before = testFiles.stamp(target)
        const prompt = view("CommonOverwrite")
        dlg.xanswer(0)
        tryCompare(prompt, "visible", true)
        compare(prompt.xtag, dlg)
        prompt.xanswer(1)
        compare(prompt.visible, false)
        compare(dlg.visible, true)
        compare(testFiles.stamp(target), before)
        compare(finished.count, 0)

        dlg.xanswer(0)
        tryCompare(prompt, "visible", true)
        prompt.xanswer(0)
        compare(dlg.visible, false)
        finished.wait(60000)
        verify(finished.signalArguments[0][1] >= 0)
        verify(testFiles.stamp(target) !== before)
        const notice = view("CommonNotify")
        tryCompare(notice, "visible", true)
        const text = findChild(notice.contentItem, "noticeText")
        compare(text.text, "Export " + target + " - Success")

        // A folder that does not exist: the job fails and the notice says so.
        tmv.subview_openConfig("ConfigExportIrJpg", module, null)
        const missing = fixture + "/missing/x.jpg"
        dlg.setfn(missing)
        dlg.xanswer(0)
        finished.wait(60000)
        verify(finished.signalArguments[1][1] < 0)
        // The notice keeps the code and its meaning (no translation is installed here: the id).
        tryCompare(text, "text", "Export " + missing + " - Fail " + finished.signalArguments[1][1] + ": "
                   + XUtil.statusMeaning(finished.signalArguments[1][1]))
        verify(XUtil.statusMeaning(finished.signalArguments[1][1]) !== "")

        // The picture itself, spelt another way: Export stays disabled and nothing is asked.
        const source = fixture + "/run.jpg"
        const hash = testFiles.hash(source)
        tmv.subview_openConfig("ConfigExportIrJpg", module, null)
        dlg.setfn(fixture + "/./run.jpg")
        verify(dlg.xtargetIsSource)
        compare(findChild(dlg.contentItem, "btnExport").enabled, false)
        dlg.xanswer(0)
        compare(prompt.visible, false)
        compare(dlg.visible, true)
        compare(finished.count, 2)
        compare(testFiles.hash(source), hash)
    }

    // The frame box seeks only to a frame of the recording; the slider follows the player
    // without seeking.
    function test_frameBoxAndSlider() {
        const module = fileModule(3)
        const v = module.view
        const box = v.frameBox
        box.text = "50"
        box.accepted()
        tryCompare(module, "frameCurrent", 49, 5000)
        compare(box.text, "50")
        compare(v.frameSlider.value, 50)
        for (const typed of ["0", "101", "x"]) {
            box.text = typed
            box.accepted()
            compare(box.text, "50", typed)
            wait(50)
            compare(module.frameCurrent, 49, typed)
        }

        // Playing: the slider follows every frame, never moves by itself, and the player only
        // goes forward.
        const moved = createTemporaryObject(spyComponent, tc, { target: v.frameSlider, signalName: "moved" })
        const seen = []
        const follow = function () { seen.push(module.frameCurrent) }
        module.frameCurrentChanged.connect(follow)
        module.playMode = 1
        tryVerify(function () { return seen.length >= 10 }, 10000)
        module.playMode = 0
        module.frameCurrentChanged.disconnect(follow)
        compare(moved.count, 0)
        for (let i = 1; i < seen.length; ++i)
            verify(seen[i] > seen[i - 1], "frames " + seen.join(","))
        compare(v.frameSlider.value, module.frameCurrent + 1)
    }

    Component { id: spyComponent; SignalSpy {} }
}
