import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."

// Asked before the whole workspace goes: tag 0 a new workspace, 1 opening a workspace file,
// 2 closing the window (-1 while closed). Whether the workspace file is stored, and which
// inputs with unsaved edits write them back. Cancel, or leaving without an answer, writes
// nothing and confirms nothing.
DialogBase {
    id: root
    readonly property var gbl_tabManager: CApp.tabManager
    property bool xsaveWorkspace: true
    property bool _answered: false
    width: 600
    xmustAnswer: true
    xtitle: QT_TRID_NOOP("SaveSettings")
    xuntiedTag: -1

    function tabManagerView() { return gbl_tabManager.view }

    onXfill: {
        _answered = false
        xsaveWorkspace = true
        if (inputs.xbegin(null) > 0)
            return
        // Nothing to ask; the workspace file is not stored. A closing window simply goes on.
        const tag = xtag
        _answered = true
        xclose()
        if (tag !== 2)
            xproceed(tag)
    }
    onXclosing: {
        if (!_answered)
            inputs.xrestore()
        inputs.xend()
    }

    function xproceed(tag) {
        if (tag === 0)
            tabManagerView().workspace_new()
        else if (tag === 1)
            // The workspace is replaced only once a file was chosen (loading clears it first);
            // giving up the choice keeps the tabs and takes the confirmations back.
            App.openFileDialog(1, root)
        else if (tag === 2 && App.main)
            App.main.xquit()
    }

    // The file dialog of "OpenWorkspace" was cancelled.
    function xrejected() { inputs.xrestore() }

    // 0 SaveAll, 1 SaveSelected, 2 SaveNone, 3 Cancel.
    function xanswer(index) {
        const tag = xtag
        if (index === 3) {
            xclose()
            return
        }
        // The answer first: the workspace then names only what will be there when it is opened
        // again (the stored items of an input whose edits are dropped).
        const chosen = inputs.xmodules.map(m => m ? m.input_saveConfirmed : false)
        if (index === 0)
            inputs.xsetAll(true)
        else if (index === 2)
            inputs.xsetAll(false)
        // A workspace file that could not be written keeps the workspace and the question (with
        // the choices as they were): the notice tells the failure, and the user may retry,
        // switch the storing off or cancel.
        if (xsaveWorkspace && gbl_tabManager.workspaceName !== "") {
            const saved = tabManagerView().workspace_save(gbl_tabManager.workspaceName, true)
            if (saved < 0 && saved !== -7) {
                for (let i = 0; i < inputs.xmodules.length; ++i) {
                    if (inputs.xmodules[i])
                        inputs.xmodules[i].input_saveConfirmed = chosen[i]
                }
                return
            }
        }
        _answered = true
        xclose()
        xproceed(tag)
    }

    XText {
        height: 30
        text: qsTrId("Workspace")
        color: "#ffffff"
        font.bold: true
        font.pointSize: XTheme.font_size_medium
    }
    Item {
        width: parent.width
        height: 30
        XSwitch {
            objectName: "workspaceSwitch"
            width: 80; height: 30
            checked: root.xsaveWorkspace
            onToggled: root.xsaveWorkspace = checked
        }
        XText {
            x: 88
            width: 500
            anchors.verticalCenter: parent.verticalCenter
            text: root.gbl_tabManager.workspaceNameShort
            color: "#ffffff"
            elide: Text.ElideMiddle
        }
    }
    XText {
        height: 30
        text: qsTrId("Input")
        color: "#ffffff"
        font.bold: true
        font.pointSize: XTheme.font_size_medium
    }
    SaveInputList { id: inputs; objectName: "saveInputList" }
    DialogButtonBar {
        objectName: "buttonBar"
        xgrid: true
        xtexts: [QT_TRID_NOOP("SaveAll"), QT_TRID_NOOP("SaveSelected"), QT_TRID_NOOP("SaveNone"), QT_TRID_NOOP("Cancel")]
        onXclicked: function (index) { root.xanswer(index) }
    }
}
