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

    function distinctColours(image) {
        const seen = new Set()
        for (let y = 0; y < image.height; y += 3)
            for (let x = 0; x < image.width; x += 3)
                seen.add(String(image.pixel(x, y)))
        return seen.size
    }

    function test_surfaceOfThePicture() {
        const tmv = main.tabManagerView
        const tab = tmv.tab_create()
        const input = im.file_createJpg(testFiles.dir + "/pic_conf.jpg")
        verify(input !== null)
        // The picture's own module holds the frame the mesh is built from.
        const picture = tm.module_create(2, input, tab.frameList[0])
        verify(picture !== null)
        compare(picture.loadData(), 0)
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
        let colours = 0
        tryVerify(() => (colours = distinctColours(grabImage(v))) > 200, 120000, "distinct colours " + colours)
        tmv.workspace_clear()
    }
}
