import QtQuick
import QtTest
import Ostrel 1.0
import Kiv 1.0
import "qrc:/Views"

// Cases where the workstation's views must not hang, lose a file or overwrite the camera.
TestCase {
    id: tc
    name: "WorkstationViewFaults"
    when: windowShown

    property var main: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
    }

    function cleanupTestCase() {
        main.tabManagerView.workspace_clear()
        main.destroy()
    }

    // Inputs without a module (their module could not be made) are closed directly instead of
    // being waited for: the loop ends and the list is empty.
    function test_closeAllFilesWithModulelessInputs() {
        const a = im.file_createJpg(testFiles.dir + "/pic_conf.jpg")
        const b = im.file_createStream(testFiles.dir + "/stream3.stream")
        verify(a !== null)
        verify(b !== null)
        compare(a.module, null)
        compare(im.fileList.length, 2)
        main.closeAllFiles()
        compare(im.fileList.length, 0)
        // Nothing left to close: a second press does nothing.
        main.closeAllFiles()
        compare(im.fileList.length, 0)
    }

    // Save dialogs carry the purpose's suffix, so the dialog's own overwrite question covers the
    // final name; the append stays for names that come without it.
    function test_saveDialogSuffixes_data() {
        return [
            { tag: "workspace", xfunc: 2, suffix: "workspace" },
            { tag: "png", xfunc: 3, suffix: "png" },
            { tag: "csv", xfunc: 4, suffix: "csv" },
            { tag: "mp4", xfunc: 7, suffix: "mp4" },
            { tag: "open", xfunc: 0, suffix: "" },
        ]
    }
    function test_saveDialogSuffixes(data) {
        App.openFileDialog(data.xfunc, 0)
        compare(App.fileDialog.xfunc, data.xfunc)
        compare(App.fileDialog.defaultSuffix, data.suffix)
        App.fileDialog.close()
    }

    // An export's file dialog starts in the proposed file's folder with its name filled in.
    function test_exportDialogStartsWithProposedName() {
        const proposed = testFiles.dir + "/pic_conf-export.jpg"
        const tag = Qt.createQmlObject("import QtQuick; QtObject { property string fn: \"" + proposed
                                       + "\"; function getfn() { return fn } function setfn(f) { fn = f } }", tc)
        App.openFileDialog(5, tag)
        tryCompare(App.fileDialog, "visible", true)
        compare(App.fileDialog.xselectedFile, proposed)
        compare(String(App.fileDialog.currentFolder), String(XTheme.fn_os2url(testFiles.dir)))
        App.fileDialog.accept()
        compare(tag.fn, proposed)
        tag.destroy()
    }

    function test_invalidXfuncOpensNothing() {
        App.openFileDialog(1, 0)
        App.fileDialog.close()
        App.openFileDialog(9, 0)
        compare(App.fileDialog.xfunc, 1)
    }

    function test_saveWorkspaceAppendsSuffixOnce() {
        const tmv = main.tabManagerView
        tmv.tab_create()
        App.fileAccepted(2, 0, testFiles.dir + "/plain")
        verify(testFiles.exists(testFiles.dir + "/plain.workspace"))
        verify(!testFiles.exists(testFiles.dir + "/plain"))
        App.fileAccepted(2, 0, testFiles.dir + "/named.workspace")
        verify(testFiles.exists(testFiles.dir + "/named.workspace"))
        verify(!testFiles.exists(testFiles.dir + "/named.workspace.workspace"))
        tmv.workspace_clear()
    }

    // The gear box shows the camera's level and writes only a user's pick, never its own start:
    // on a camera with a zoom lens, whose level (1) the simulator keeps.
    function test_gearComboFollowsCamera() {
        const tmv = main.tabManagerView
        const tab = tmv.tab_create()
        const cam = im.device_createIr(testFiles.gearCameraAddress, false)
        const module = tmv.module_create(1, cam, tab.frameList[0])
        verify(module !== null)
        const view = module.view
        compare(view.gearIndexOf(0), 0)
        compare(view.gearIndexOf(2), 2)
        compare(view.gearIndexOf(7), -1)
        let cmb = null
        const find = function (item) {
            if (item.objectName === "cmbGear")
                cmb = item
            for (let i = 0; i < item.children.length; ++i)
                find(item.children[i])
        }
        find(view)
        verify(cmb !== null)
        tryVerify(() => cam.device_isConnected && cam.gearEnable, 15000)
        compare(cam.gearLevel, 1)
        compare(cmb.currentIndex, view.gearIndexOf(1))
        verify(cmb.enabled)
        const sets = testFiles.gearSetCount()
        // Moved by the program, not by a user: nothing is written.
        cmb.currentIndex = 2
        compare(cam.gearLevel, 1)
        compare(testFiles.gearSetCount(), sets)
        compare(testFiles.gearCameraLevel(), 1)
        // A user's pick reaches the camera once.
        cmb.activated(view.gearIndexOf(2))
        compare(cam.gearLevel, 2)
        tryVerify(() => testFiles.gearSetCount() === sets + 1, 5000)
        compare(testFiles.gearCameraLevel(), 2)
        compare(cmb.currentIndex, view.gearIndexOf(2))
        tmv.workspace_clear()
    }
}
