pragma Singleton
import QtQuick
import QtQuick.Dialogs
import Kiv 1.0
import Ostrel 1.0

// The views' shared helpers: the cache of opened popup views and the notifications.
QtObject {
    id: root
    property var main: null
    readonly property var gbl_commonManager: CApp.commonManager
    // One row {url, view} per view ever opened; views are made once and then only shown.
    property var viewList: []

    function _url(urlShort) {
        return "qrc:/Views/" + urlShort + ".qml"
    }

    function getView(urlShort) {
        const url = _url(urlShort)
        for (const row of viewList)
            if (row.url === url)
                return row.view
        return null
    }

    function openView(urlShort) {
        let view = getView(urlShort)
        if (view === null) {
            const component = Qt.createComponent(_url(urlShort))
            if (component.status !== Component.Ready) {
                console.log("cannot load " + _url(urlShort) + ": " + component.errorString())
                return null
            }
            view = component.createObject(main.contentItem)
            if (view === null)
                return null
            viewList.push({ url: _url(urlShort), view: view })
        }
        if (urlShort === "Basic/AppConfig")
            view.xopen((main.width - view.width) / 2, (main.height - view.height) / 2)
        else
            view.open()
        return view
    }

    function closeView(urlShort) {
        const view = getView(urlShort)
        if (view !== null)
            view.close()
    }

    // The shared file dialog: the mode picks the dialog's filters and the function of `xtag` that
    // receives the chosen local path.
    readonly property var _fileModes: ({
        0: { save: false, filters: ["bin (*.bin)", "bad (*.bad)"], fn: "fn_open_all" },
        3: { save: false, filters: ["bad (*.bad)", "bad2 (*.bad2)"], fn: "fn_open_bad" },
        4: { save: true, filters: ["bad (*.bad)", "bad2 (*.bad2)"], fn: "fn_save_bad" },
        5: { save: false, filters: ["cali (*.cali)"], fn: "fn_open_cali" },
        7: { save: false, filters: ["weiju (*.weiju)"], fn: "fn_open_weiju" },
        8: { save: true, filters: ["weiju (*.weiju)"], fn: "fn_save_weiju" },
        9: { save: false, filters: ["fixdist (*.fixdist)"], fn: "fn_open_fixdist" },
        10: { save: true, filters: ["fixdist (*.fixdist)"], fn: "fn_save_fixdist" }
    })
    property XFileDialog fileDialog: XFileDialog {
        property int xfunc: 0
        property var xtag: null
        onAccepted: {
            const mode = root._fileModes[xfunc]
            if (mode && xtag)
                xtag[mode.fn](xselectedFile)
        }
    }
    function openFileDialog(xfunc, xtag) {
        const mode = _fileModes[xfunc]
        if (!mode) {
            console.log("invalid xfunc " + xfunc)
            return
        }
        fileDialog.xfunc = xfunc
        fileDialog.xtag = xtag
        fileDialog.fileMode = mode.save ? FileDialog.SaveFile : FileDialog.OpenFile
        fileDialog.title = mode.save ? qsTrId("SaveFile") : qsTrId("OpenFile")
        fileDialog.nameFilters = mode.filters
        if (mode.save)
            fileDialog.selectedFile = ""
        fileDialog.parentWindow = main
        fileDialog.open()
    }

    // The shared folder dialog; mode 0 hands the chosen folder to xtag.setfn().
    property XFolderDialog folderDialog: XFolderDialog {
        property int xfunc: 0
        property var xtag: null
        // The folder chosen is the one selected in the list; with none selected (an empty
        // folder shown), the one shown. The shown folder alone could never be a leaf.
        onAccepted: if (xtag) xtag.setfn(xselectedFolder !== "" ? xselectedFolder : xcurrentFolder)
    }
    function openFolderDialog(xfunc, xtag) {
        if (xfunc !== 0) {
            console.log("invalid xfunc " + xfunc)
            return
        }
        folderDialog.xfunc = xfunc
        folderDialog.xtag = xtag
        folderDialog.title = qsTrId("SelectFolder")
        folderDialog.currentFolder = XTheme.fn_os2url(xtag.getfn())
        folderDialog.parentWindow = main
        folderDialog.open()
    }

    function notifyError(type, msg) {
        if (main)
            main.notifyError(type, msg)
    }

    function notifyErrorSimple(type) {
        if (type === 0)
            notifyError(0, qsTrId("Success"))
        else
            notifyError(3, qsTrId("Fail"))
    }

    function notifyErrorNode(node, code) {
        node.edit_info = XUtil.resultText(code)
    }
}
