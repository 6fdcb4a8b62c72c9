import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtTest
import Kiv 1.0

TestCase {
    id: testCase
    name: "XFileDialog"
    width: 640
    height: 480
    visible: true
    when: windowShown

    Component {
        id: dialogComponent
        XFileDialog { title: "Open" }
    }

    function test_beforeAnySelection() {
        const dialog = createTemporaryObject(dialogComponent, testCase)
        compare(dialog.xselectedFile, "")
        compare(dialog.xcurrentFile, "")
        compare(dialog.modality, Qt.ApplicationModal)
    }

    function test_selectedFileReadsBackAsPath_data() {
        return [
            { tag: "percent", name: "50%.txt" },
            { tag: "percent25", name: "a%25b.txt" },
            { tag: "hash and question", name: "x#y?.txt" },
            { tag: "space", name: "a b.txt" },
            { tag: "plain", name: "plain.txt" }
        ]
    }

    function test_selectedFileReadsBackAsPath(data) {
        const dialog = createTemporaryObject(dialogComponent, testCase)
        const path = kivTestDir + "/" + data.name
        dialog.currentFolder = XTheme.fn_os2url(kivTestDir)
        dialog.selectedFile = XTheme.fn_os2url(path)
        dialog.open()
        tryCompare(dialog, "visible", true)
        compare(dialog.xselectedFile, path)
        compare(dialog.xcurrentFile, path)
        // The URL the dialog holds carries the escapes; the path has the characters themselves.
        if (data.name.indexOf("%") >= 0)
            verify(dialog.selectedFile.toString().indexOf("%25") >= 0, dialog.selectedFile.toString())
        dialog.accept()
        tryCompare(dialog, "visible", false)
        compare(dialog.xselectedFile, path)
    }

    function test_pathsFollowTheUrls() {
        const dialog = createTemporaryObject(dialogComponent, testCase)
        dialog.selectedFile = "file://" + kivTestDir + "/a%20b.txt"
        compare(dialog.xselectedFile, kivTestDir + "/a b.txt")
    }

    Component {
        id: saveComponent
        XFileDialog { fileMode: FileDialog.SaveFile; nameFilters: ["csv files (*.csv)"]; defaultSuffix: "csv" }
    }
    SignalSpy { id: acceptedSpy; signalName: "accepted" }

    function findNamed(item, name) {
        if (!item)
            return null
        if (item.objectName === name && item.visible)
            return item
        for (let i = 0; i < item.children.length; ++i) {
            const found = findNamed(item.children[i], name)
            if (found)
                return found
        }
        return null
    }
    function findButton(item, text) {
        if (!item)
            return null
        if (item.text === text && item.clicked !== undefined && item.visible)
            return item
        for (let i = 0; i < item.children.length; ++i) {
            const found = findButton(item.children[i], text)
            if (found)
                return found
        }
        return null
    }

    // Saving takes the name as typed, without Return: the accept button says Save, is enabled
    // once a name is typed, and an absolute path typed as the name is the file chosen.
    function test_saveTakesTypedName_data() {
        return [
            { tag: "name", typed: "plain", expected: kivTestDir + "/plain.csv" },
            { tag: "absolute path", typed: kivTestDir + "/sub/abs", expected: kivTestDir + "/sub/abs.csv" }
        ]
    }
    function test_saveTakesTypedName(data) {
        const dialog = createTemporaryObject(saveComponent, testCase)
        dialog.currentFolder = XTheme.fn_os2url(kivTestDir)
        acceptedSpy.target = dialog
        acceptedSpy.clear()
        let chosen = ""
        dialog.accepted.connect(() => { chosen = dialog.xselectedFile })
        dialog.open()
        tryCompare(dialog, "visible", true)
        const field = findNamed(testCase.Overlay.overlay, "fileNameTextField")
        verify(field !== null)
        const save = findButton(testCase.Overlay.overlay, "Save")
        verify(save !== null, "the accept button says Save")
        verify(!save.enabled, "nothing typed yet")
        field.forceActiveFocus()
        for (const ch of data.typed)
            keyClick(ch)
        verify(save.enabled, "a typed name enables Save without Return")
        mouseClick(save)
        tryCompare(dialog, "visible", false)
        compare(acceptedSpy.count, 1)
        compare(chosen, data.expected)
    }
}
