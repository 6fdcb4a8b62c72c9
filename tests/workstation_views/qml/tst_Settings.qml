import QtQuick
import QtTest
import Ostrel 1.0

// The settings dialog against the real settings manager: what each button writes to
// "AppConfig.bin", told by the file's inode and time (a save replaces the file through a rename).
TestCase {
    id: tc
    name: "AppConfigSettings"
    when: windowShown
    width: 1400
    height: 800

    property var main: null
    property var dialog: null
    property var original: null
    readonly property var config: CApp.configManager.config
    readonly property string file: testFiles.configFile()

    Component { id: copyComponent; CAppConfig {} }

    function initTestCase() {
        const c = Qt.createComponent("qrc:/Views/Main.qml")
        compare(c.status, Component.Ready, c.errorString())
        main = c.createObject(null)
        verify(main !== null)
        tryVerify(() => CApp.tabManager.view === main.tabManagerView, 30000)
        original = copyComponent.createObject(tc)
        original.cls2cls(config)
    }

    function cleanupTestCase() {
        testFiles.removeDir(file + ".tmp")
        CApp.configManager.save(original)
        main.destroy()
    }

    function cleanup() {
        testFiles.removeDir(file + ".tmp")
        if (dialog && dialog.visible)
            dialog.xclose()
    }

    function openSettings() {
        main.tabManagerView.subview_openAppConfig("AppConfigSettings")
        dialog = main.tabManagerView.subview_get("qrc:/Views/Basic/AppConfigSettings.qml")
        tryCompare(dialog, "opened", true)
        return dialog
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
    function button(name) { return findNamed(dialog.contentItem, name) }

    function typeFps(text) {
        const field = dialog.inputDisplayFpsMax.xpanelValueLoader.children[0]
        mouseClick(field, 20, field.height / 2)
        field.selectAll()
        keyClick(Qt.Key_Delete)
        for (const ch of text)
            keyClick(ch)
    }

    // Ensures the file exists and differs from what the next step writes.
    function storeFps(fps) {
        const copy = copyComponent.createObject(tc)
        copy.cls2cls(config)
        copy.displayFpsMax = fps
        verify(CApp.configManager.save(copy) >= 0)
        copy.destroy()
        verify(testFiles.stamp(file) !== "")
    }

    function fpsInFile() {
        // Little-endian int32 at offset 2064.
        const hex = testFiles.readHex(file)
        compare(hex.length, 2068 * 2)
        const b = i => parseInt(hex.substr((2064 + i) * 2, 2), 16)
        return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24
    }

    function test_saveWithChangeWritesOnce() {
        storeFps(50)
        const before = testFiles.stamp(file)
        openSettings()
        typeFps("42")
        mouseClick(button("btnSave"))
        tryCompare(dialog, "visible", false)
        verify(testFiles.stamp(file) !== before)
        compare(fpsInFile(), 42)
        compare(config.displayFpsMax, 42)
    }

    function test_saveWithoutChangeWritesNothing() {
        storeFps(51)
        const before = testFiles.stamp(file)
        openSettings()
        mouseClick(button("btnSave"))
        tryCompare(dialog, "visible", false)
        compare(testFiles.stamp(file), before)
    }

    function test_cancelWritesNothing() {
        storeFps(52)
        const before = testFiles.stamp(file)
        openSettings()
        typeFps("33")
        dialog.setfn(testFiles.dir)
        dialog.inputLanguage.init(config.language === 1 ? 0 : 1)
        mouseClick(button("btnCancel"))
        tryCompare(dialog, "visible", false)
        compare(testFiles.stamp(file), before)
        compare(config.displayFpsMax, 52)
        // The next opening shows the stored settings again.
        openSettings()
        compare(dialog.inputDisplayFpsMax.xvalue, 52)
        compare(dialog.inputSaveDir.xvalue, config.saveDir)
    }

    function test_failedSaveKeepsTheDialog() {
        storeFps(53)
        const before = testFiles.stamp(file)
        verify(testFiles.mkpath(file + ".tmp"))  // the temporary cannot be created
        openSettings()
        typeFps("44")
        mouseClick(button("btnSave"))
        verify(dialog.visible)
        verify(dialog.xerror.indexOf("-200") >= 0, dialog.xerror)
        compare(testFiles.stamp(file), before)
        // Once the folder allows it, the same Save stores the settings and closes.
        verify(testFiles.removeDir(file + ".tmp"))
        mouseClick(button("btnSave"))
        tryCompare(dialog, "visible", false)
        compare(fpsInFile(), 44)
    }

    function test_saveDirThatDoesNotFitIsRefused() {
        storeFps(54)
        const before = testFiles.stamp(file)
        openSettings()
        dialog.setfn("/" + "d".repeat(1100))
        verify(!dialog.inputSaveDir.xrule_isInputValid)
        mouseClick(button("btnSave"))
        verify(dialog.visible)
        compare(dialog.xerror, "SaveDirTooLong")
        compare(testFiles.stamp(file), before)
        dialog.setfn(testFiles.dir)
        verify(dialog.inputSaveDir.xrule_isInputValid)
        mouseClick(button("btnSave"))
        tryCompare(dialog, "visible", false)
        compare(config.saveDir, testFiles.dir)
    }

    function test_appInfoShowsNameAndVersion() {
        main.tabManagerView.subview_openAppConfig("AppConfigInformation")
        const info = main.tabManagerView.subview_get("qrc:/Views/Basic/AppConfigInformation.qml")
        tryCompare(info, "opened", true)
        compare(findNamed(info.contentItem, "inputAppName").xvalue, CApp.appName)
        compare(findNamed(info.contentItem, "inputAppVersion").xvalue, CApp.appVersion)
        info.xclose()
    }
}
