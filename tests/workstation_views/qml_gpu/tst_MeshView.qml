import QtQuick
import QtTest
import Ostrel 1.0
import "qrc:/Views"

// The mesh view on a real window: it must draw through OpenGL, and its surface shows the
// picture's colours, far more than the few of an empty plot.
TestCase {
    id: tc
    name: "MeshView"
    when: windowShown

    property var main: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager

    Component { id: apiProbe; Item { readonly property int api: GraphicsInfo.api } }

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(() => tm.view === main.tabManagerView, 5000)
    }

    function cleanupTestCase() {
        main.quitConfirmed = true
        main.tabManagerView.workspace_clear()
        main.destroy()
    }

    // Distinct colours and the share of coloured (not grey) pixels of the item's area, in a grab
    // of its whole window; every second pixel of every second row.
    function surfaceColours(item) {
        const image = grabImage(main.contentItem)
        const p = item.mapToItem(main.contentItem, 0, 0)
        const seen = new Set()
        let coloured = 0, all = 0
        for (let y = Math.ceil(p.y); y < Math.min(p.y + item.height, image.height); y += 2) {
            for (let x = Math.ceil(p.x); x < Math.min(p.x + item.width, image.width); x += 2) {
                const c = image.pixel(x, y)
                seen.add(String(c))
                const r = Math.round(c.r * 255), g = Math.round(c.g * 255), b = Math.round(c.b * 255)
                coloured += (Math.max(r, g, b) - Math.min(r, g, b) > 12) ? 1 : 0
                ++all
            }
        }
        return { distinct: seen.size, share: coloured / Math.max(all, 1) }
    }

    function test_surfaceOfThePicture() {
        const tmv = main.tabManagerView
        const tab = tmv.tab_create()
        const input = im.file_createJpg(testFiles.dir + "/pic_conf.jpg")
        verify(input !== null)
        // The picture's module and view colour the frame the mesh is built from.
        const picture = tmv.module_create(2, input, tab.frameList[0])
        verify(picture !== null)
        tryVerify(() => picture.tempCanvas && picture.tempCanvas.paletteData.gblMax > picture.tempCanvas.paletteData.gblMin, 15000)
        const mesh = tmv.module_create2(10, picture, tab.frameList[0])
        verify(mesh !== null)
        compare(picture.subModuleChartMesh, mesh)
        const v = mesh.view
        tryVerify(() => v.visible && v.width > 300 && v.height > 300, 5000)
        compare(v.surface.axisX.title, "Column")
        compare(v.surface.axisY.labelFormat, "%3.1f")
        compare(v.surface.seriesList.length, 1)

        // Grabs of a window not yet on screen render offscreen, where the surface cannot draw.
        tryVerify(() => main.visible && main.active !== undefined, 5000)
        waitForRendering(v, 60000)
        const probe = createTemporaryObject(apiProbe, v)
        tryCompare(probe, "api", GraphicsInfo.OpenGL, 30000, "the window does not draw through OpenGL")
        // A software rasteriser on a loaded machine may take long for the first frames.
        // The axes and their labels are grey on black: the picture's colours come from the surface,
        // which covers a good part of the plot.
        let found = null
        tryVerify(() => { found = surfaceColours(v.surface); return found.distinct > 200 && found.share > 0.1 },
                  120000, "surface colours " + JSON.stringify(found))
        tmv.workspace_clear()
    }
}
