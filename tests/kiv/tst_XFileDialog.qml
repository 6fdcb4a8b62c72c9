import QtQuick
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
}
