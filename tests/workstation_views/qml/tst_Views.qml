import QtQuick
import QtTest
import Ostrel 1.0

// The workstation's views against the real application object: placement, layouts, module
// deletion and the workspace round trip. Never presses "ManualCreate".
TestCase {
    id: tc
    name: "WorkstationViews"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(function () { return tm.view === main.tabManagerView }, 30000)
    }

    function cleanupTestCase() {
        main.tabManagerView.workspace_clear()
        main.destroy()
    }

    function cleanup() {
        if (tm.state.moving)
            tm.endMove(0, null)
        main.tabManagerView.workspace_clear()
        compare(tm.tabList.length, 0)
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
        if (item.contentItem && item.contentItem !== item) {
            const f = findChild(item.contentItem, name)
            if (f)
                return f
        }
        return null
    }

    function camera() {
        let cam = null
        const list = im.deviceList
        for (let i = 0; i < list.length; ++i)
            if (list[i].device_ip === testFiles.cameraAddress)
                cam = list[i]
        if (!cam)
            cam = im.device_createIr(testFiles.cameraAddress, false)
        verify(cam !== null)
        return cam
    }

    // The camera popup's "Connect" starts a placement; with no tab one named "1" appears, and
    // "Place" in its frame creates the live module with its view and canvas.
    function test_connectAndPlace() {
        const cam = camera()
        compare(tm.tabList.length, 0)
        main.popupDevice_show()
        tryVerify(function () { return main.devicePopup.opened }, 30000)
        let row = null
        tryVerify(function () {
            const lv = findChild(main.devicePopup.contentItem, "deviceListView")
            if (!lv)
                return false
            for (let i = 0; i < lv.count; ++i) {
                const r = lv.itemAtIndex(i)
                if (r && r.modelData === cam)
                    row = r
            }
            return row !== null
        }, 5000)
        const connect = findChild(row, "btnConnect")
        verify(connect.enabled)
        mouseClick(connect)
        verify(tm.state.moving)
        compare(tm.state.moduleTypeForEndMove, 1)
        compare(tm.tabList.length, 1)
        compare(tm.tabList[0].viewName, "1")
        const frame = tm.tabList[0].frameList[0]
        const frameView = frame.view
        verify(frameView !== null)
        const place = findChild(frameView, "btnPlace")
        tryVerify(function () { return place.visible && place.width > 0 }, 30000)
        mouseClick(place)
        verify(!tm.state.moving)
        compare(frame.moduleList.length, 1)
        const module = frame.moduleList[0]
        compare(module.moduleType, 1)
        compare(module.input, cam)
        verify(module.view !== null)
        compare(module.view.parent, frameView.body)
        verify(module.view.visible)
        compare(module.tempCanvas, module.view.tempCanvas)
        compare(frame.moduleSelected, 0)
        tryVerify(function () { return cam.device_isConnected }, 15000)
        // The module view fills the frame's body less 2 on each side.
        compare(module.view.width, frameView.body.width - 4)
        compare(module.view.height, frameView.body.height - 4)
    }

    // "Place" with no tab: any placement creates tab "1" first.
    function test_placeWithoutTabCreatesTab() {
        compare(tm.tabList.length, 0)
        tm.beginMoveDevice(camera())
        verify(tm.state.moving)
        compare(tm.tabList.length, 1)
        compare(tm.tabList[0].viewName, "1")
        verify(tm.tabList[0].view !== null)
        tm.endMove(0, null)
        compare(tm.tabList[0].frameList[0].moduleList.length, 0)
    }

    // Frame rectangles of all eight layouts, worked out by hand for the body of a 1400 x 800
    // window with the store shown: 1400 x (800 - 40 - 20 - 100 - 41) = 1400 x 599;
    // w2 = (1400 - 4) / 2 = 698, h2 = (599 - 4) / 2 = 297.5.
    function test_layouts_data() {
        const W = 1400, H = 599, a = 698, b = 297.5, a4 = 702, b4 = 301.5
        return [
            { tag: "r1c1", type: 0, r: [[0, 0, W, H], null, null, null] },
            { tag: "r2c1", type: 1, r: [[0, 0, W, b], [0, b4, W, b], null, null] },
            { tag: "r1c2", type: 2, r: [[0, 0, a, H], [a4, 0, a, H], null, null] },
            { tag: "r2c2", type: 3, r: [[0, 0, a, b], [a4, 0, a, b], [0, b4, a, b], [a4, b4, a, b]] },
            { tag: "r2c1-top", type: 4, r: [[0, 0, a, b], [a4, 0, a, b], [0, b4, W, b], null] },
            { tag: "r2c1-bottom", type: 5, r: [[0, 0, W, b], [0, b4, a, b], [a4, b4, a, b], null] },
            { tag: "r1c2-right", type: 6, r: [[0, 0, a, H], [a4, 0, a, b], [a4, b4, a, b], null] },
            { tag: "r1c2-left", type: 7, r: [[0, 0, a, b], [a4, 0, a, H], [0, b4, a, b], null] },
        ]
    }

    function test_layouts(data) {
        const tab = main.tabManagerView.tab_create()
        const view = tab.view
        compare(view.width, 1400)
        compare(view.height, 599)
        tab.layoutType = data.type
        const frames = [view.frame0, view.frame1, view.frame2, view.frame3]
        for (let i = 0; i < 4; ++i) {
            const r = data.r[i]
            if (r === null) {
                verify(!frames[i].visible, "frame " + i + " hidden")
                continue
            }
            verify(frames[i].visible, "frame " + i + " shown")
            compare([frames[i].x, frames[i].y, frames[i].width, frames[i].height], r, "frame " + i)
        }
    }

    // Deleting a live module deletes its view and leaves the camera without a module.
    function test_deleteLiveModuleDeletesView() {
        const tmv = main.tabManagerView
        const tab = tmv.tab_create()
        const frame = tab.frameList[0]
        const cam = camera()
        const module = tmv.module_create(1, cam, frame)
        verify(module !== null)
        const body = frame.view.body
        compare(body.children.length, 1)
        const view = module.view
        const canvas = view.tempCanvas
        verify(canvas !== null)
        tmv.module_delete(module)
        compare(frame.moduleList.length, 0)
        compare(frame.moduleSelected, -1)
        compare(body.children.length, 0)
        tryVerify(function () { return cam.module === null }, 30000)
        // The destroyed view's item reads back as gone once the deferred deletion ran.
        tryVerify(function () { return body.children.length === 0 && !view.parent }, 30000)
    }

    // Save, clear, load and save again: the two files are byte for byte the same.
    function test_workspaceRoundTrip() {
        const tmv = main.tabManagerView
        const t1 = tmv.tab_create()
        t1.layoutType = 3
        verify(tmv.module_create(1, camera(), t1.frameList[2]) !== null)
        const t2 = tmv.tab_create()
        t2.layoutType = 6
        const first = testFiles.dir + "/first.workspace"
        const second = testFiles.dir + "/second.workspace"
        compare(tmv.workspace_save(first), 0)
        tmv.workspace_clear()
        compare(tm.tabList.length, 0)
        compare(tmv.workspace_load(first), 0)
        compare(tm.tabList.length, 2)
        compare(tm.tabList[0].layoutType, 3)
        compare(tm.tabList[0].frameList[2].moduleList.length, 1)
        verify(tm.tabList[0].frameList[2].moduleList[0].view !== null)
        compare(tmv.workspace_save(second), 0)
        const a = testFiles.readAll(first)
        verify(a.length > 0)
        compare(testFiles.readAll(second), a)
    }

    // A loaded tab that is not shown has no head controls nor drop overlay in its frames yet; shown,
    // it builds them, and the module box shows the module selected before.
    function test_hiddenTabBuildsControlsWhenShown() {
        const tmv = main.tabManagerView
        const t1 = tmv.tab_create()
        t1.layoutType = 3
        verify(tmv.module_create(1, camera(), t1.frameList[2]) !== null)
        tmv.tab_create()
        const path = testFiles.dir + "/shown.workspace"
        compare(tmv.workspace_save(path), 0)
        tmv.workspace_clear()
        compare(tmv.workspace_load(path), 0)
        compare(tm.tabSelected, 1)
        const frame = tm.tabList[0].frameList[2]
        const module = frame.moduleList[0]
        compare(module.view.parent, frame.view.body)
        compare(findChild(frame.view, "cmbModule"), null)
        compare(findChild(frame.view, "btnPlace"), null)
        verify(findChild(tm.tabList[1].frameList[0].view, "cmbModule") !== null)
        tm.tab_select(0)
        verify(module.view.visible)
        const box = findChild(frame.view, "cmbModule")
        verify(box !== null)
        compare(box.currentIndex, 0)
        compare(box.displayText, module.viewName)
        verify(findChild(frame.view, "btnPlace") !== null)
    }

    // A workspace that cannot be read leaves the workspace empty.
    function test_workspaceLoadFailureLeavesEmpty() {
        const tmv = main.tabManagerView
        tmv.tab_create()
        verify(tmv.workspace_load(testFiles.dir + "/missing.workspace") < 0)
        compare(tm.tabList.length, 0)
    }
}
