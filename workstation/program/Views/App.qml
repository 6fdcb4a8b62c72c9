pragma Singleton
import QtQuick
import QtQuick.Dialogs
import Kiv 1.0
import Ostrel 1.0

// Short-cuts to the application's managers for every view, and the program's one file dialog
// and one folder dialog.
QtObject {
    id: root
    property var main: null
    readonly property var gbl_commonManager: CApp.commonManager
    readonly property var gbl_tabManager: CApp.tabManager
    readonly property var gbl_inputManager: CApp.inputManager
    readonly property var gbl_tempCanvasManager: CApp.tempCanvasManager
    readonly property var gbl_meaToolList: gbl_commonManager ? gbl_commonManager.meaToolList : []

    // The length of `text` in UTF-8 bytes, the unit of the records' fixed text fields.
    function utf8Size(text) {
        let n = 0
        for (const ch of String(text)) {
            const c = ch.codePointAt(0)
            n += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4
        }
        return n
    }

    function meaType2meaIcon(t) {
        if (t >= 1 && t <= 11 && gbl_meaToolList && t < gbl_meaToolList.length)
            return gbl_meaToolList[t].icon
        return "qrc:/Icons/image-outline.svg"
    }

    // Save dialogs of Qt ask before overwriting only for the name the user typed; the suffix
    // makes that name the final one, so an existing file is never replaced unasked.
    readonly property var _suffixes: ["", "", "workspace", "png", "csv", "jpg", "stream", "mp4"]
    readonly property var _filters: ["data files (*.bmp *.jpg *.stream)", "workspace files (*.workspace)",
        "workspace files (*.workspace)", "png files (*.png)", "csv files (*.csv)", "data files (*.jpg)",
        "data files (*.stream)", "data files (*.mp4)"]
    readonly property var _titles: [QT_TRID_NOOP("OpenFile"), QT_TRID_NOOP("OpenWorkspace"), QT_TRID_NOOP("SaveWorkspace"), QT_TRID_NOOP("SavePng"), QT_TRID_NOOP("SaveCsv"),
        QT_TRID_NOOP("SaveJpg"), QT_TRID_NOOP("SaveStream"), QT_TRID_NOOP("SaveMp4")]

    function openFileDialog(xfunc, xtag) {
        if (!(xfunc >= 0 && xfunc <= 7) || Math.floor(xfunc) !== xfunc) {
            console.log("invalid xfunc " + xfunc)
            return
        }
        fileDialog.xfunc = xfunc
        fileDialog.xtag = xtag
        fileDialog.fileMode = xfunc <= 1 ? FileDialog.OpenFile : FileDialog.SaveFile
        fileDialog.nameFilters = [_filters[xfunc]]
        fileDialog.defaultSuffix = _suffixes[xfunc]
        fileDialog.title = qsTrId(_titles[xfunc])
        if (xfunc > 1) {
            // An export dialog proposes its file: the dialog starts in its folder with its name.
            const proposed = xtag && typeof xtag.getfn === "function" ? String(xtag.getfn()) : ""
            const slash = proposed.lastIndexOf("/")
            if (slash > 0) {
                fileDialog.currentFolder = XTheme.fn_os2url(proposed.substring(0, slash))
                fileDialog.selectedFile = XTheme.fn_os2url(proposed)
            } else {
                fileDialog.selectedFile = ""
            }
        }
        showIn(fileDialog)
    }

    // What an accepted file dialog does with the chosen local path.
    function fileAccepted(xfunc, xtag, fn) {
        const tm = gbl_tabManager
        switch (xfunc) {
        case 0:
            if (fn.endsWith(".jpg") || fn.endsWith(".bmp")) {
                if (gbl_inputManager.file_checkJpg(fn))
                    tm.beginMoveFile(2, fn)
                else
                    tm.view.subview_openCommon("CommonNotify", qsTrId("InvalidFile") + " " + fn)
            } else if (fn.endsWith(".stream")) {
                tm.beginMoveFile(3, fn)
            }
            break
        case 1:
            tm.view.workspace_load(fn)
            break
        case 2:
            if (!fn.endsWith(".workspace"))
                fn += ".workspace"
            tm.view.workspace_save(fn)
            break
        case 3:
            tm.view.onSaveFinished(fn, xtag.exportImage(fn))
            break
        case 4:
            tm.view.onSaveFinished(fn, xtag.exportCsv(fn))
            break
        default:
            xtag.setfn(fn)
            break
        }
    }

    // Where the platform has no dialogs of its own, the toolkit draws its dialog inside a window:
    // the main window, since this singleton has none.
    function showIn(dialog) {
        if (main)
            dialog.parentWindow = main
        dialog.open()
    }

    function openFolderDialog(xfunc, xtag) {
        if (xfunc !== 0 && xfunc !== 1) {
            console.log("invalid xfunc " + xfunc)
            return
        }
        folderDialog.xfunc = xfunc
        folderDialog.xtag = xtag
        folderDialog.title = qsTrId("SelectFolder")
        if (xfunc === 1)
            folderDialog.currentFolder = XTheme.fn_os2url(xtag.getfn())
        showIn(folderDialog)
    }

    function folderAccepted(xfunc, xtag, folder) {
        if (xfunc === 0) {
            gbl_inputManager.link_refresh(folder)
            xtag.cfg_dir = folder
        } else {
            xtag.setfn(folder)
        }
    }

    property XFileDialog fileDialog: XFileDialog {
        property int xfunc: 0
        property var xtag
        onAccepted: root.fileAccepted(xfunc, xtag, xselectedFile)
        // A workspace prompt that opened the dialog takes its confirmations back.
        onRejected: if (xfunc === 1 && xtag && xtag.xrejected) xtag.xrejected()
    }

    property XFolderDialog folderDialog: XFolderDialog {
        property int xfunc: 0
        property var xtag
        // The folder chosen is the one selected in the list; with none selected (an empty
        // folder shown), the one shown. The shown folder alone could never be a leaf.
        onAccepted: root.folderAccepted(xfunc, xtag, xselectedFolder !== "" ? xselectedFolder : xcurrentFolder)
    }
}
