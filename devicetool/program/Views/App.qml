pragma Singleton
import QtQuick
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

    // The shared folder dialog; mode 0 hands the chosen folder to xtag.setfn().
    property XFolderDialog folderDialog: XFolderDialog {
        property int xfunc: 0
        property var xtag: null
        onAccepted: if (xtag) xtag.setfn(xcurrentFolder)
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
        node.edit_info = code < 0 ? qsTrId("Fail") + " " + code : qsTrId("Success")
    }
}
