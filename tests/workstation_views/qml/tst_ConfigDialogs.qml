import QtQuick
import QtTest
import Ostrel 1.0
import "qrc:/Views"

// The measurement and recorder dialogs on a live camera whose view record holds the whole-image
// item and a rectangle with a reflected temperature of 25 degrees.
TestCase {
    id: tc
    name: "WorkstationConfigDialogs"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    property var module: null
    readonly property var tm: CApp.tabManager
    readonly property var im: CApp.inputManager

    function init() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(function () { return tm.view === main.tabManagerView }, 30000)
        const tab = main.tabManagerView.tab_create()
        let cam = null
        for (let i = 0; i < im.deviceList.length; ++i)
            if (im.deviceList[i].device_ip === testFiles.cameraAddress2)
                cam = im.deviceList[i]
        if (!cam)
            cam = im.device_createIr(testFiles.cameraAddress2, false)
        tryVerify(function () { return cam.module === null }, 10000)
        // The record as the program writes it: opened once and stored, so that an unchanged
        // camera has nothing to save.
        for (let pass = 0; pass < 2; ++pass) {
            if (module) {
                module.input_saveConfirmed = true
                main.tabManagerView.module_delete(module)
                tryVerify(function () { return cam.module === null }, 10000)
            }
            module = main.tabManagerView.module_create(1, cam, tab.frameList[0])
            verify(module !== null)
            tryVerify(function () { return cam.device_isConnected && module.tempCanvas.itemList.length === 2 }, 15000)
        }
    }

    function cleanup() {
        for (const name of ["ConfigMea", "ConfigRecorder"])
            view(name).xclose()
        module.input_saveConfirmed = false
        main.quitConfirmed = true
        main.tabManagerView.workspace_clear()
        main.destroy()
        main = null
        module = null
    }

    function view(name) { return main.tabManagerView.subview_get("qrc:/Views/Basic/" + name + ".qml") }

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

    function spy(target, signalName) {
        const s = Qt.createQmlObject("import QtTest; SignalSpy {}", tc)
        s.target = target
        s.signalName = signalName
        return s
    }

    // The whole-image item: name and correction are not its own; OK writes only colour,
    // label position, tracking and 3x3.
    function test_globalItemWritesOnlyWhatIsEnabled() {
        const item = module.tempCanvas.itemGlobal
        compare(item.meaType, 0)
        const dialog = view("ConfigMea")
        main.tabManagerView.subview_openConfig("ConfigMea", item, null)
        verify(dialog.xtied)
        const name = findChild(dialog.contentItem, "inMeaName")
        const fixEnable = findChild(dialog.contentItem, "inFixEnable")
        const fixEmi = findChild(dialog.contentItem, "inFixEmi")
        verify(!name.enabled && !fixEnable.enabled && !fixEmi.enabled)
        compare(fixEmi.xvalue, 0)
        compare(fixEnable.xvalue, false)
        verify(fixEmi.xrule_isInputValid, "a disabled input is not marked")
        const names = spy(item, "meaNameChanged")
        const fix = [item.fixEnable, item.fixEmi, item.fixReflectTemp]
        findChild(dialog.contentItem, "inMeaColor").xvalue = "#ff0000"
        findChild(dialog.contentItem, "inUse3x3").init(!item.use3x3)
        const use3x3 = !item.use3x3
        // Edits stay in the dialog until OK.
        verify(item.meaColor !== Qt.color("#ff0000"))
        dialog.xanswer(0)
        verify(!dialog.xtied)
        compare(item.meaColor, Qt.color("#ff0000"))
        compare(item.use3x3, use3x3)
        compare(names.count, 0)
        compare([item.fixEnable, item.fixEmi, item.fixReflectTemp], fix)
    }

    // An unchanged OK on the rectangle keeps its reflected temperature and leaves the camera's
    // settings unchanged; refused values are marked and keep the dialog open.
    function test_rectangleItem() {
        const item = module.tempCanvas.itemList[1]
        compare(item.meaType, 9)
        compare(item.fixReflectTemp, 25)
        verify(!module.input_saveRequired)
        const dialog = view("ConfigMea")
        const fix = [item.fixEnable, item.fixEmi, item.fixReflectTemp]
        main.tabManagerView.subview_openConfig("ConfigMea", item, null)
        dialog.xanswer(0)
        verify(!dialog.xtied)
        compare([item.fixEnable, item.fixEmi, item.fixReflectTemp], fix)
        compare(item.fixReflectTemp, 25)
        verify(!module.input_saveRequired, "an unchanged OK makes nothing to save")

        main.tabManagerView.subview_openConfig("ConfigMea", item, null)
        const name = findChild(dialog.contentItem, "inMeaName")
        const emi = findChild(dialog.contentItem, "inFixEmi")
        verify(emi.enabled)
        emi.xvalue = 1.5
        verify(!emi.xrule_isInputValid)
        dialog.xanswer(0)
        verify(dialog.xtied, "OK keeps the dialog open")
        emi.xvalue = 0.5
        verify(emi.xrule_isInputValid)
        // 32 two-byte characters fill all 64 bytes of the name field: refused; 63 bytes fit.
        name.xvalue = "\u00e9".repeat(32)
        verify(!name.xrule_isInputValid)
        dialog.xanswer(0)
        verify(dialog.xtied)
        name.xvalue = "\u00e9".repeat(31) + "a"
        verify(name.xrule_isInputValid)
        findChild(dialog.contentItem, "inFixEnable").init(true)
        dialog.xanswer(0)
        verify(!dialog.xtied)
        compare(item.meaName, "\u00e9".repeat(31) + "a")
        compare(item.fixEnable, true)
        compare(item.fixEmi, 0.5)
        compare(item.fixReflectTemp, 25)
        verify(module.input_saveRequired)
    }

    // The recorder holds still while its settings are edited; a prefix longer than the record
    // keeps is marked and not taken; nothing opens while recording.
    function test_recorderDialog() {
        const recorder = module.recorder
        const config = recorder.config
        compare(recorder.state, 0)
        const button = findChild(module.view, "btnRecorderConfig")
        verify(button !== null)
        const dialog = view("ConfigRecorder")
        mouseClick(button)
        verify(dialog.xtied)
        compare(recorder.state, 1)
        // Triggers are ignored while configuring.
        recorder.sendTrigger(257)
        compare(recorder.state, 1)
        const prefix = findChild(dialog.contentItem, "inFnPrefix")
        const before = config.fnPrefix
        prefix.xvalue = "p".repeat(256)
        verify(!prefix.xrule_isInputValid)
        compare(config.fnPrefix, before)
        prefix.xvalue = "p".repeat(255)
        verify(prefix.xrule_isInputValid)
        compare(config.fnPrefix, "p".repeat(255))
        prefix.xvalue = "wt"
        compare(config.fnPrefix, "wt")
        findChild(dialog.contentItem, "inPreBuffer").xvalue = 2
        compare(config.preBuffer, 2)
        dialog.xclose()
        compare(recorder.state, 0)

        recorder.sendTrigger(257)
        tryVerify(function () { return recorder.state === 2 }, 30000)
        mouseClick(button)
        verify(!dialog.xtied)
        recorder.sendTrigger(1025)
        tryVerify(function () { return recorder.state === 0 }, 10000)
    }
}
