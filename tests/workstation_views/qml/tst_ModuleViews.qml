import QtQuick
import QtTest
import Ostrel 1.0
import "qrc:/Views"

// The chart, table and pan-tilt views wired to their modules, beside a live camera's module.
TestCase {
    id: tc
    name: "ModuleViews"
    when: windowShown

    property var main: null
    property var live: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(() => tm.view === main.tabManagerView, 5000)
        // A view that reads through a missing camera would report it here.
        failOnWarning(/TypeError|ReferenceError|Cannot read/)
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
        const kids = [].concat(item.contentItem && item.contentItem !== item ? [item.contentItem] : [],
                               item.children ? Array.from(item.children) : [])
        for (let i = 0; i < kids.length; ++i) {
            const f = findChild(kids[i], name)
            if (f)
                return f
        }
        return null
    }
    function click(item) {
        verify(item !== null)
        tryVerify(() => item.width > 0 && item.visible)
        mouseClick(item)
    }

    // The camera in frame 0 of a tab of two frames; the views under test go into frame 1.
    function liveModule() {
        if (live)
            return live
        const tmv = main.tabManagerView
        const tab = tmv.tab_create()
        tab.layoutType = 2
        tab.view.layout()
        const cam = im.device_createIr(testFiles.cameraAddress, false)
        verify(cam !== null)
        const module = tmv.module_create(1, cam, tab.frameList[0])
        verify(module !== null)
        tryVerify(() => cam.device_isConnected && module.tempCanvas.itemList.length === 2, 15000)
        live = module
        return module
    }
    function frame1() { return liveModule().frame.tab.frameList[1] }

    // Axis buttons change only their axis; the series popup's eye hides a series and its delete
    // removes one; the clipboard exports open neither a file dialog nor a notice.
    function test_timeChart() {
        const tmv = main.tabManagerView
        const items = liveModule().tempCanvas.itemList
        const chart = tmv.module_create(4, null, frame1())
        verify(chart !== null)
        chart.series_create(items[1], 1, 2)
        chart.series_create(items[0], 1, 2)
        const v = chart.view
        compare(chart.tempChart, v.tempChart)
        compare(v.tempChart.axisXUnit, "Frame")
        compare(v.tempChart.seriesList.length, 2)
        // Build on a live chart does nothing, and says so.
        click(findChild(v, "btnBuild"))
        verify(!chart.building)
        const notice = view("CommonNotify")
        tryCompare(notice, "visible", true)
        compare(findChild(notice.contentItem, "noticeText").text, qsTrId("BuildNeedsStream"))
        verify(!findChild(v, "buildingMark").visible)
        notice.xclose()

        const cfg = v.tempChartConfig
        cfg.xmode = 1
        cfg.ymode = 1
        v.configChart(-1, -1)
        compare([cfg.xmode, cfg.ymode], [1, 1])
        click(findChild(v, "btnAxis"))
        tryCompare(view("ConfigChart"), "opened", true)
        click(findChild(view("ConfigChart"), "btnAutoX"))
        compare([cfg.xmode, cfg.ymode], [2, 1])
        tryCompare(view("ConfigChart"), "visible", false)
        click(findChild(v, "btnAxis"))
        tryCompare(view("ConfigChart"), "opened", true)
        click(findChild(view("ConfigChart"), "btnAutoY"))
        compare([cfg.xmode, cfg.ymode], [2, 2])

        const btnConfig = findChild(v, "btnConfig")
        click(btnConfig)
        const popup = view("ModuleConfigChartTime")
        tryCompare(popup, "opened", true)
        verify(btnConfig.xselected)
        tryCompare(popup.seriesView, "count", 2)
        const series = chart.seriesList[0]
        verify(series.visible)
        const eye = findChild(popup.seriesView.itemAtIndex(0), "btnVisible")
        compare(eye.iconSource, "qrc:/Icons/eye-outline.svg")
        click(eye)
        verify(!series.visible)
        verify(!v.tempChart.seriesList[0].visible)
        compare(eye.iconSource, "qrc:/Icons/eye-off-outline.svg")
        click(findChild(popup.seriesView.itemAtIndex(1), "btnDelete"))
        compare(chart.seriesList.length, 1)
        compare(v.tempChart.seriesList.length, 1)
        tryCompare(popup.seriesView, "count", 1)
        click(btnConfig)
        tryCompare(popup, "visible", false)
        verify(!btnConfig.xselected)

        // Live frames fill the series before anything can be exported.
        tryVerify(() => chart.exportCsv(testFiles.dir + "/probe.csv") >= 0, 15000)
        testFiles.clearClipboard()
        const notify = view("CommonNotify")
        const exp = view("ConfigExportChart")
        click(findChild(v, "btnExport"))
        tryCompare(exp, "opened", true)
        compare(findChild(exp, "btnExportCsvClipboard").text, qsTrId("ExportCsv") + " | " + qsTrId("Clipboard"))
        click(findChild(exp, "btnExportCsvClipboard"))
        tryCompare(exp, "visible", false)
        verify(testFiles.clipboardText().startsWith("Index"), testFiles.clipboardText().substring(0, 40))
        click(findChild(v, "btnExport"))
        tryCompare(exp, "opened", true)
        click(findChild(exp, "btnExportPngClipboard"))
        tryCompare(exp, "visible", false)
        // The picture reaches the clipboard at the chart's size.
        tryVerify(() => testFiles.clipboardImageSize().width > 0, 10000, "a picture on the clipboard")
        const picture = testFiles.clipboardImageSize()
        const plot = findChild(v, "tempChart")
        verify(Math.abs(picture.width - plot.width) <= 1 && Math.abs(picture.height - plot.height) <= 1,
               picture.width + " x " + picture.height + " for a chart of " + plot.width + " x " + plot.height)
        verify(!App.fileDialog.visible)
        verify(!notify.opened)
        tmv.module_delete(chart)
    }

    // A space chart counts pixels; its popup hides both choices for a polyline only.
    function test_spaceChart() {
        const tmv = main.tabManagerView
        const items = liveModule().tempCanvas.itemList
        const chart = tmv.module_create(5, null, frame1())
        chart.series_create(items[1], 1, 0)
        compare(chart.view.tempChart.axisXUnit, "Pixel")
        compare(findChild(chart.view, "btnClear"), null)
        const btnConfig = findChild(chart.view, "btnConfig")
        click(btnConfig)
        const popup = view("ModuleConfigChartSpace")
        tryCompare(popup, "opened", true)
        tryCompare(popup.seriesView, "count", 1)
        const row = popup.seriesView.itemAtIndex(0)
        verify(findChild(row, "cmbStats").visible)
        verify(findChild(row, "cmbDim").visible)
        compare(findChild(row, "cmbDim").currentIndex, 0)
        popup.xclose()
        tryCompare(popup, "opened", false)

        // A polyline drawn on the camera's picture: its row shows neither choice, the rectangle's
        // row both.
        const canvas = live.tempCanvas
        const count = canvas.itemList.length
        CApp.tempCanvasManager.tool = 5
        mouseClick(canvas, 40, 40)
        mouseMove(canvas, 120, 60)
        mouseClick(canvas, 120, 60)
        mouseMove(canvas, 160, 120)
        mouseClick(canvas, 160, 120)
        mouseMove(canvas, 170, 130)
        mouseClick(canvas, 170, 130, Qt.RightButton)
        tryCompare(canvas.itemList, "length", count + 1)
        const line = canvas.itemList[count]
        compare(line.meaType, 5)
        chart.series_create(line, 1, 0)
        click(btnConfig)
        tryCompare(popup, "opened", true)
        tryCompare(popup.seriesView, "count", 2)
        const rect = popup.seriesView.itemAtIndex(0), poly = popup.seriesView.itemAtIndex(1)
        compare(poly.modelData, chart.seriesList[1])
        verify(findChild(rect, "cmbStats").visible)
        verify(findChild(rect, "cmbDim").visible)
        verify(!findChild(poly, "cmbStats").visible)
        verify(!findChild(poly, "cmbDim").visible)
        popup.xclose()
        tmv.module_delete(chart)
        canvas.item_delete(line)
        CApp.tempCanvasManager.tool = 0
    }

    // Removing an input's row leaves the input open; a measurement row chosen is the item
    // selected everywhere, which the menu bar's list shows.
    function test_tables() {
        const tmv = main.tabManagerView
        const cam = liveModule().input
        const items = live.tempCanvas.itemList
        const inputs = tmv.module_create2(6, cam, frame1())
        compare(inputs.inputList.length, 1)
        tryCompare(inputs.view.list, "count", 1)
        click(findChild(inputs.view.list.itemAtIndex(0), "btnInputDelete0"))
        compare(inputs.inputList.length, 0)
        tryCompare(inputs.view.list, "count", 0)
        verify(cam.device_isConnected)
        compare(cam.module, live)
        verify(Array.from(im.deviceList).some(d => d === cam))
        tmv.module_delete(inputs)

        const meas = tmv.module_create2(7, items[0], frame1())
        meas.mea_create(items[1])
        const list = meas.view.list
        tryCompare(list._xlist, "count", 2)
        CApp.tempCanvasManager.meaSelected = items[0]
        const row = list._xlist.itemAtIndex(1)
        tryVerify(() => row.width > 0)
        // The Max column of the second row.
        mouseClick(row, list.getColumnWidth(0) + list.getColumnWidth(1) + 20, 15)
        compare(list.xcurrentRow, 1)
        // One image: one band, over its first row.
        verify(findChild(list._xlist.itemAtIndex(0), "section").visible)
        verify(!findChild(row, "section").visible)
        compare(CApp.tempCanvasManager.meaSelected, items[1])
        const menuList = findChild(main.contentItem, "menuMeaList")
        compare(menuList.xcurrentItem, items[1])
        // Another row going and coming back (in front of the chosen one) keeps the choice on its
        // item, here and everywhere.
        const selections = Qt.createQmlObject("import QtTest; SignalSpy { signalName: 'meaSelectedChanged' }", tc)
        selections.target = CApp.tempCanvasManager
        meas.mea_delete(items[0])
        compare(meas.meaList.length, 1)
        tryCompare(list._xlist, "count", 1)
        compare(list.xcurrentRow, 0)
        meas.mea_create(items[0])
        tryCompare(list._xlist, "count", 2)
        compare(list.xcurrentRow, 1)
        compare(list.xelement(list.xcurrentRow), items[1])
        wait(0)
        compare(selections.count, 0)
        compare(CApp.tempCanvasManager.meaSelected, items[1])
        selections.destroy()
        const second = list._xlist.itemAtIndex(1)
        tryVerify(() => findChild(second, "btnMeaDelete") !== null)
        click(findChild(second, "btnMeaDelete"))
        compare(meas.meaList.length, 1)
        compare(list.xcurrentRow, -1)
        tmv.module_delete(meas)
    }

    // The menu bar's drop-down of every item fits an 800-high window and scrolls to its last
    // row; Delete takes the chosen item only, after which nothing is chosen (a second click
    // deletes nothing).
    function test_meaDropDown() {
        const module = liveModule()
        const canvas = module.tempCanvas
        main.height = 800
        compare(testFiles.addRectItems(canvas, 24), 24)
        const mgr = CApp.tempCanvasManager
        tryVerify(() => mgr.meaList.length >= 26)
        const menuList = findChild(main.contentItem, "menuMeaList")
        const combo = findChild(menuList, "cmbMeaList")
        combo.popup.open()
        tryCompare(combo.popup, "opened", true)
        const lv = combo.popup.contentItem
        compare(lv.objectName, "meaListView")
        tryCompare(lv, "count", mgr.meaList.length)
        const bottom = combo.popup.contentItem.mapToItem(null, 0, combo.popup.height).y
        verify(bottom <= main.height, "the list ends inside the window: " + bottom)
        lv.positionViewAtEnd()
        const last = lv.itemAtIndex(lv.count - 1)
        verify(last !== null)
        const lastBottom = last.mapToItem(null, 0, last.height).y
        verify(lastBottom <= bottom + 1, "the last row is reached: " + lastBottom + " of " + bottom)
        combo.popup.close()

        const n = mgr.meaList.length
        const chosen = mgr.meaList[n - 2]
        combo.activated(n - 2)
        compare(menuList.xcurrentItem, chosen)
        const del = findChild(menuList, "btnMeaDelete")
        verify(del.enabled)
        click(del)
        tryCompare(mgr.meaList, "length", n - 1)
        verify(mgr.meaList.indexOf(chosen) < 0)
        compare(menuList.xcurrentItem, menuList.dummyMea)
        verify(!del.enabled, "nothing chosen after the delete")
        mouseClick(del)
        compare(mgr.meaList.length, n - 1)

        const items = Array.from(canvas.itemList)
        for (let i = items.length - 1; i >= 2; --i)
            canvas.item_delete(items[i])
        tryCompare(canvas.itemList, "length", 2)
    }

    // A camera has one recordings table: a second one has no camera and shows itself disabled.
    function test_recorderTables() {
        const tmv = main.tabManagerView
        const first = tmv.module_create2(8, liveModule(), frame1())
        const second = tmv.module_create2(8, live, frame1())
        compare(first.ir, live)
        compare(second.ir, null)
        verify(first.view.enabled)
        verify(!second.view.enabled)
        compare(findChild(first.view, "cell0_1").text, qsTrId("Current"))
        // A recording through the live view's button: its row values reach the current column
        // while it runs and move to the previous column when it ends, each from its own field.
        const rec = live.recorder
        const cell = (row, col) => findChild(first.view, "cell" + row + "_" + col).text
        click(findChild(live.view, "btnRecord"))
        tryCompare(rec, "state", 2, 10000)
        tryVerify(() => parseInt(cell(5, 1)) > 0, 10000, "frame count of the current recording")
        const name = cell(1, 1)
        verify(name.endsWith(".stream"), name)
        verify(rec.file.fn.endsWith("/" + name), rec.file.fn)
        verify(testFiles.exists(rec.file.fn), rec.file.fn)
        const stamp = /^\d\d:\d\d:\d\d\.\d{3} \d{4}-\d\d-\d\d$/
        verify(stamp.test(cell(2, 1)), "begin time " + cell(2, 1))
        click(findChild(live.view, "btnRecord"))
        tryCompare(rec, "state", 0, 10000)
        // Ended: the current column keeps it, with its end and its final counts.
        tryVerify(() => stamp.test(cell(3, 1)), 10000, "end time " + cell(3, 1))
        const ordered = t => t.split(" ")[1] + " " + t.split(" ")[0]
        // It ran while frames came in: it ended later than it began (both to the millisecond).
        verify(ordered(cell(2, 1)) < ordered(cell(3, 1)), cell(2, 1) + " .. " + cell(3, 1))
        const frames = cell(5, 1)
        verify(/^\d+ PRE-\d+ POST-\d+$/.test(frames) && parseInt(frames) > 0, "frames " + frames)
        verify(/^\d+\.\d\d GB$/.test(cell(6, 1).trim()), "size " + cell(6, 1))
        compare(cell(1, 1), name)
        // The next recording moves it to the previous column, unchanged.
        const begun = cell(2, 1), ended = cell(3, 1), duration = cell(4, 1)
        click(findChild(live.view, "btnRecord"))
        tryCompare(rec, "state", 2, 10000)
        tryCompare(findChild(first.view, "cell1_2"), "text", name, 10000)
        compare(cell(2, 2), begun)
        compare(cell(3, 2), ended)
        compare(cell(4, 2), duration)
        compare(cell(5, 2), frames)
        verify(cell(1, 1) !== name, "a new file " + cell(1, 1))
        click(findChild(live.view, "btnRecord"))
        tryCompare(rec, "state", 0, 10000)
        compare(cell(1, 0), qsTrId("Recorder_fnShort"))
        compare(cell(5, 0), qsTrId("Recorder_frameCount"))
        tmv.module_delete(second)
        tmv.module_delete(first)
    }

    // A box whose text is not a number sends nothing; while a command runs (the camera answers
    // late) every control is disabled; a second pan-tilt module has no camera and is disabled.
    function test_panTilt() {
        const tmv = main.tabManagerView
        const ptz = tmv.module_create2(9, liveModule(), frame1())
        compare(ptz.ir, live)
        const v = ptz.view
        tryVerify(() => v.grid.enabled)
        // The columns place their groups when the window is next drawn.
        tryVerify(() => findChild(v, "btnFocusSet").mapToItem(v, 0, 0).y > 200)
        const panBox = findChild(v, "panBox"), tiltBox = findChild(v, "tiltBox")
        const before = testFiles.cameraControlCount()
        panBox.text = "12x"
        click(findChild(v, "btnSet"))
        findChild(v, "lightBox").text = ""
        click(findChild(v, "btnSetLight"))
        findChild(v, "focusBox").text = "-"
        click(findChild(v, "btnFocusSet"))
        compare(testFiles.cameraControlCount(), before)
        // Typed letters do not reach the box.
        panBox.text = "150"
        panBox.forceActiveFocus()
        panBox.cursorPosition = 3
        keyClick(Qt.Key_A)
        compare(panBox.text, "150")
        tiltBox.text = "-20"
        click(findChild(v, "btnSet"))
        tryVerify(() => testFiles.cameraControlCount() === before + 1)

        const controls = ["ptz1", "btnGet", "btnSet", "panBox", "speedSlider", "btnFocusAF", "presetList"]
        const seen = []
        const look = function () {
            seen.push([ptz.qtcFlags, v.grid.enabled].concat(controls.map(n => findChild(v, n).enabled)))
        }
        const onFlags = function () { if (ptz.qtcFlags !== 0) Qt.callLater(look) }
        ptz.qtcFlagsChanged.connect(onFlags)
        testFiles.setCameraReplyDelay(600)
        click(findChild(v, "btnGet"))
        testFiles.setCameraReplyDelay(0)
        ptz.qtcFlagsChanged.disconnect(onFlags)
        verify(seen.length > 0)
        for (const s of seen)
            verify(s.slice(1).every(e => e === false), JSON.stringify(s))
        compare(ptz.qtcFlags, 0)
        verify(v.grid.enabled)
        verify(findChild(v, "btnGet").enabled)

        const second = tmv.module_create2(9, live, frame1())
        compare(second.ir, null)
        verify(!second.view.grid.enabled)
        tmv.module_delete(second)
        tmv.module_delete(ptz)
    }
}
