import QtQuick.Dialogs

// The toolkit's file dialog, answering also with local paths.
//
// Where the toolkit draws the dialog itself, its save mode takes the typed name only when the
// name field finishes its edit, keeps the accept button disabled until then and puts every name
// after the folder shown. Here the dialog takes each typed name at once, so the accept button
// acts on what is typed, and an absolute path typed as the name is the file chosen.
FileDialog {
    id: root
    readonly property string xselectedFile: _xresolve(XTheme.fn_url2os(selectedFile), _xtypedName)
    readonly property string xcurrentFile: XTheme.fn_url2os(currentFile)
    // The type information shipped with Qt 6.4 lacks Qt's window-modality enumeration.
    modality: Qt.ApplicationModal // qmllint disable type property
    acceptLabel: fileMode === FileDialog.SaveFile ? qsTrId("Save") : ""

    // The text of the drawn dialog's name field while saving; empty otherwise.
    property string _xtypedName: ""
    property var _xnameField: null
    property var _xconnectedField: null

    function _xfind(item, name) {
        if (!item)
            return null
        if (item.objectName === name && item.visible)
            return item
        const kids = item.children
        for (let i = 0; i < kids.length; ++i) {
            const found = _xfind(kids[i], name)
            if (found)
                return found
        }
        return null
    }

    function _xresolve(path, typed) {
        if (fileMode === FileDialog.SaveFile && typed.startsWith("/")) {
            const slash = typed.lastIndexOf("/")
            const name = typed.substring(slash + 1)
            if (name === "")
                return ""
            if (defaultSuffix !== "" && name.indexOf(".") < 0)
                return typed + "." + defaultSuffix
            return typed
        }
        // A name without a folder belongs in the folder the dialog shows.
        if (path !== "" && !path.startsWith("/")) {
            const folder = XTheme.fn_url2os(currentFolder)
            if (folder !== "")
                return folder + (folder.endsWith("/") ? "" : "/") + path
        }
        return path
    }

    // The typed name outlives the closing: the dialog closes before it reports the acceptance.
    onVisibleChanged: {
        if (!visible)
            return
        _xtypedName = ""
        _xnameField = null
        if (fileMode !== FileDialog.SaveFile || !parentWindow || !parentWindow.contentItem)
            return
        let top = parentWindow.contentItem
        while (top.parent)
            top = top.parent
        _xnameField = _xfind(top, "fileNameTextField")
        if (!_xnameField)
            return
        _xtypedName = _xnameField.text
        if (_xnameField !== _xconnectedField) {
            _xnameField.textChanged.connect(root._xnameChanged)
            _xconnectedField = _xnameField
        }
    }

    // Finishing the field's edit is what makes the drawn dialog take a plain name and enable its
    // accept button; every change does it, so no Return is needed. The dialog would cut a path
    // to its last part at once, so a typed path only enables the button; when the edit then
    // finishes, the dialog shows just the last part of it, which does not replace the path.
    function _xnameChanged() {
        const field = _xnameField
        if (!field)
            return
        const text = field.text
        const typed = _xtypedName
        if (!(typed.indexOf("/") >= 0 && text !== "" && typed.endsWith("/" + text)))
            _xtypedName = text
        if (text === "" || _xtypedName !== text)
            return
        if (text.indexOf("/") < 0) {
            field.editingFinished()
        } else {
            const accept = _xacceptButton()
            if (accept)
                accept.enabled = true
        }
    }

    function _xacceptButton() {
        let box = _xnameField ? _xnameField.parent : null
        for (; box; box = box.parent) {
            for (let i = 0; i < box.children.length; ++i) {
                const child = box.children[i]
                if (typeof child.standardButton === "function")
                    return child.standardButton(0x00002000) // the Open button the dialog relabels
            }
        }
        return null
    }
}
