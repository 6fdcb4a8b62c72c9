import QtQuick
import QtQuick.Controls
import QtTest
import Ostrel 1.0

// The file store on a folder of our own pictures and a stream, one picture under an upper-case
// suffix.
TestCase {
    id: tc
    name: "Store"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    property var store: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager
    readonly property string dir: testFiles.dir + "/store"

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(() => tm.view === main.tabManagerView, 30000)
        store = main.store
        testFiles.removeDir(dir)
        verify(testFiles.mkpath(dir))
        for (let i = 0; i < 12; ++i)
            verify(testFiles.copy(testFiles.dir + "/pic_plain.jpg", dir + "/p" + (i < 10 ? "0" : "") + i + ".jpg"))
        verify(testFiles.copy(testFiles.dir + "/pic_conf.jpg", dir + "/Upper.JPG"))
        verify(testFiles.copy(testFiles.dir + "/stream3.stream", dir + "/s.stream"))
        im.link_refresh(dir)
        store.cfg_dir = dir
    }

    function cleanupTestCase() {
        if (tm.state.moving)
            tm.endMove(0, null)
        im.link_deleteAll()
        main.destroy()
    }

    function cleanup() {
        if (tm.state.moving)
            tm.endMove(0, null)
        store.detailPopup.close()
        store.cfg_mode = 0
    }

    function findNamed(item, name) {
        if (!item)
            return null
        if (item.objectName === name)
            return item
        for (let i = 0; i < item.children.length; ++i) {
            const f = findNamed(item.children[i], name)
            if (f)
                return f
        }
        return null
    }

    function tile(list, name) {
        const links = list.model
        for (let i = 0; i < links.length; ++i) {
            if (links[i].fileNameShort === name) {
                list.positionViewAtIndex(i, ListView.Contain)
                let t = null
                tryVerify(() => (t = list.itemAtIndex(i)) !== null)
                return t
            }
        }
        fail("no tile " + name)
    }

    function test_openFromTile_data() {
        return [
            { tag: "upper-case picture", name: "Upper.JPG", type: 2 },
            { tag: "stream", name: "s.stream", type: 3 },
        ]
    }
    function test_openFromTile(data) {
        compare(im.linkDirList.length, 14)
        const t = tile(store.dirList, data.name)
        // The picture loads at the tile's size.
        const img = findNamed(t, "tileImage")
        compare(img.sourceSize, Qt.size(96, 72))
        mouseClick(t)
        tryCompare(store.detailPopup, "opened", true)
        compare(store.cfg_link, t.modelData)
        verify(!tm.state.moving)
        compare(findNamed(store.detailPopup.contentItem, "detailName").text, data.name)
        verify(findNamed(t, "band").visible)
        mouseClick(t)
        verify(tm.state.moving)
        compare(tm.state.moduleTypeForEndMove, data.type)
        compare(tm.state.fileName, dir + "/" + data.name)
        tryCompare(store.detailPopup, "visible", false)
        compare(store.cfg_link, null)
    }

    // Each step moves a tenth of the range; the last step before an end stops on it.
    function test_wheelReachesBothEnds() {
        const list = store.dirList
        const bar = list.ScrollBar.horizontal
        verify(bar.size < 1)
        for (let i = 0; i < 12; ++i)
            mouseWheel(list, 100, 50, 0, 120)
        fuzzyCompare(bar.position, 1 - bar.size, 1e-9)
        fuzzyCompare(list.contentX + list.width, list.originX + list.contentWidth, 0.5)
        for (let i = 0; i < 12; ++i)
            mouseWheel(list, 100, 50, 0, -120)
        compare(bar.position, 0)
        compare(list.contentX, list.originX)
    }

    function test_recentClear() {
        im.link_deleteAll()
        mouseClick(findNamed(store, "btnModeRecent"))
        compare(store.cfg_mode, 1)
        verify(!store.btnClear.enabled)
        const input = im.file_createJpg(dir + "/p00.jpg")
        verify(input !== null)
        im.file_delete(input)
        compare(im.linkRecentList.length, 1)
        verify(store.btnClear.enabled)
        const t = tile(store.recentList, "p00.jpg")
        const remove = findNamed(t, "btnRemove")
        verify(remove.visible)
        mouseClick(remove)
        compare(im.linkRecentList.length, 0)
        verify(!store.btnClear.enabled)
    }
}
