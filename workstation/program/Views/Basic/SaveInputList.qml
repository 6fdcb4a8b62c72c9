import QtQuick
import Kiv 1.0
import Ostrel 1.0

// The inputs with unsaved edits of a tab or of the whole workspace, one switch row each, bound
// to the module's input_saveConfirmed. The tab manager's save list has no change signal: it is
// copied once after each save_getModuleList.
Column {
    id: root
    readonly property var gbl_tabManager: CApp.tabManager
    property var xmodules: []
    // Every module's input_saveConfirmed as it was before the list was made, so that giving up
    // confirms nothing.
    property var _before: []

    width: parent ? parent.width : 600

    function modulesOf(tab) {
        const out = []
        const tabs = tab ? [tab] : gbl_tabManager.tabList
        for (let t = 0; t < tabs.length; ++t) {
            const frames = tabs[t].frameList
            for (let f = 0; f < frames.length; ++f) {
                const list = frames[f].moduleList
                for (let m = 0; m < list.length; ++m)
                    out.push(list[m])
            }
        }
        return out
    }

    // Lists the modules of `tab` (null: all) whose inputs have unsaved edits; their count.
    function xbegin(tab) {
        const before = []
        const all = modulesOf(tab)
        for (let i = 0; i < all.length; ++i)
            before.push({ module: all[i], confirmed: all[i].input_saveConfirmed })
        _before = before
        const count = gbl_tabManager.save_getModuleList(tab)
        const list = gbl_tabManager.save_moduleList
        const copy = []
        for (let i = 0; i < list.length; ++i)
            copy.push(list[i])
        xmodules = copy
        return count
    }

    function xsetAll(confirmed) {
        for (let i = 0; i < xmodules.length; ++i)
            if (xmodules[i])
                xmodules[i].input_saveConfirmed = confirmed
    }

    // Puts every confirmation back as it was before xbegin.
    function xrestore() {
        for (let i = 0; i < _before.length; ++i)
            if (_before[i].module)
                _before[i].module.input_saveConfirmed = _before[i].confirmed
    }

    function xend() {
        xmodules = []
    }

    Repeater {
        model: root.xmodules
        Item {
            id: row
            required property var modelData
            required property int index
            objectName: "saveRow" + index
            width: root.width
            height: 30
            XSwitch {
                objectName: "saveSwitch"
                width: 80; height: 30
                checked: row.modelData ? row.modelData.input_saveConfirmed : false
                onToggled: if (row.modelData) row.modelData.input_saveConfirmed = checked
            }
            XText {
                x: 88
                width: 500
                anchors.verticalCenter: parent.verticalCenter
                text: row.modelData && row.modelData.input ? row.modelData.input.inputNameShort : ""
                color: "#ffffff"
                elide: Text.ElideMiddle
            }
        }
    }
}
