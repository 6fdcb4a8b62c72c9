import QtQuick
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XFolderDialog"
    width: 640
    height: 480
    visible: true
    when: windowShown

    Component {
        id: dialogComponent
        XFolderDialog { title: "Folder" }
    }

    function test_currentFolderAsPath() {
        const dialog = createTemporaryObject(dialogComponent, testCase)
        compare(dialog.modality, Qt.ApplicationModal)
        const folder = kivTestDir + "/sub 50%25 #1"
        dialog.currentFolder = XTheme.fn_os2url(folder)
        compare(dialog.xcurrentFolder, folder)
        dialog.open()
        tryCompare(dialog, "visible", true)
        compare(dialog.xcurrentFolder, folder)
        dialog.accept()
        tryCompare(dialog, "visible", false)
        compare(dialog.xcurrentFolder, folder)
    }

    function test_selectedFolderAsPath() {
        const dialog = createTemporaryObject(dialogComponent, testCase)
        compare(dialog.xselectedFolder, "")
        dialog.currentFolder = XTheme.fn_os2url(kivTestDir)
        dialog.open()
        tryCompare(dialog, "visible", true)
        dialog.selectedFolder = XTheme.fn_os2url(kivTestDir + "/sub 50%25 #1")
        dialog.accept()
        tryCompare(dialog, "visible", false)
        compare(dialog.xselectedFolder, kivTestDir + "/sub 50%25 #1")
    }
}
