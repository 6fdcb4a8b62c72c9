import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// One frame: its modules, one shown at a time, and the drop target of every placement.
Rectangle {
    id: root
    property var frame: null
    property var moduleList: frame ? frame.moduleList : []
    property bool cmbModule_enable: true
    property bool enableMerge: false
    readonly property var gbl_tabManager: CApp.tabManager
    readonly property var gbl_inputManager: CApp.inputManager
    readonly property var mstate: gbl_tabManager.state
    readonly property bool moving: mstate.moving
    readonly property var selectedModule: frame && frame.moduleSelected >= 0 && frame.moduleSelected < moduleList.length
        ? moduleList[frame.moduleSelected] : null
    property alias body: body
    // Set the first time the frame is on screen, and kept: the head's controls and the drop
    // overlay are made then. A workspace of many tabs would otherwise build, and at exit tear
    // down, thousands of controls of tabs nobody has looked at.
    property bool shown: false

    color: "#333333"
    border.color: "#666666"
    border.width: 1

    onFrameChanged: if (frame) frame.view = root
    onVisibleChanged: if (visible) shown = true
    Component.onCompleted: if (visible) shown = true

    function tabManagerView() { return gbl_tabManager.view }

    function begin_change() { cmbModule_enable = false }
    function end_change() { cmbModule_enable = true }

    function module_attach(module) {
        if (module && module.view)
            module.view.parent = body
    }

    function module_detach(module) {
        if (module && module.view)
            module.view.parent = null
    }

    function module_select() {
        begin_change()
        const sel = frame ? frame.moduleSelected : -1
        const list = moduleList
        for (let i = 0; i < list.length; ++i)
            if (list[i].view)
                list[i].view.visible = (i === sel)
        const valid = sel >= 0 && sel < list.length
        const cmbModule = headLoader.item ? headLoader.item.cmbModule : null
        if (cmbModule) {
            cmbModule.currentIndex = valid ? sel : -1
            console.log("cmbModule index " + cmbModule.currentIndex)
            cmbModule.displayText = valid ? list[sel].viewName : ""
        }
        end_change()
    }

    function module_deleteAll() {
        // Deleting a module may take sub-modules of this frame with it: always take the first.
        let guard = moduleList.length + 1
        while (moduleList.length > 0 && guard-- > 0)
            tabManagerView().module_delete(moduleList[0])
    }

    function updateEnableMerge() {
        const m = selectedModule
        enableMerge = !!m && m.moduleType === mstate.moduleTypeForEndMove && mstate.inputType === 0
            && mstate.moduleTypeForEndMove !== 8
        console.log("enableMerge " + enableMerge)
    }

    onMovingChanged: if (moving && visible) updateEnableMerge()

    function place() {
        const tmv = tabManagerView()
        begin_change()
        const type = mstate.moduleTypeForEndMove
        let input = null
        switch (type) {
        case 0:
            if (mstate.module)
                tmv.module_move(mstate.module, frame)
            break
        case 1:
            tmv.module_create(1, mstate.input, frame)
            break
        case 2:
            input = gbl_inputManager.file_createJpg(mstate.fileName)
            if (input)
                tmv.module_create(2, input, frame)
            break
        case 3:
            input = gbl_inputManager.file_createStream(mstate.fileName)
            if (input)
                tmv.module_create(3, input, frame)
            break
        case 4:
        case 5: {
            const m = tmv.module_create(type, null, frame)
            if (m)
                m.series_create(mstate.mea, mstate.meaStatsType, mstate.meaDimType)
            break
        }
        case 6:
            tmv.module_create2(6, mstate.input, frame)
            break
        case 7:
            tmv.module_create2(7, mstate.mea, frame)
            break
        case 8:
        case 9:
        case 10:
            tmv.module_create2(type, mstate.module, frame)
            break
        }
        const inputType = mstate.inputType
        gbl_tabManager.endMove(1, frame)
        console.log("endMove: inputType " + inputType + ", moduleType " + type + ", frameNew " + frame.viewIndex)
        end_change()
    }

    function merge() {
        const m = selectedModule
        const type = mstate.moduleTypeForEndMove
        if (m) {
            if (type === 4 || type === 5)
                m.series_create(mstate.mea, mstate.meaStatsType, mstate.meaDimType)
            else if (type === 6)
                m.input_create(mstate.input)
            else if (type === 7)
                m.mea_create(mstate.mea)
        }
        gbl_tabManager.endMove(1, frame)
    }

    // Head.
    Loader {
        id: headLoader
        x: 1; y: 1
        width: root.width - 2
        height: 29
        active: root.shown
        // The combo box learns the selection made before it existed.
        onLoaded: root.module_select()
        sourceComponent: Rectangle {
            property alias cmbModule: cmbModule
            color: root.frame && root.gbl_tabManager.frameSelected === root.frame ? "#0f6b8e" : "#555859"
            enabled: !root.moving
            MouseArea { anchors.fill: parent; onClicked: root.gbl_tabManager.frameSelected = root.frame }
            XComboBox {
                id: cmbModule
                objectName: "cmbModule"
                x: 0; y: 0
                width: 300; height: 28
                model: root.moduleList
                textRole: "viewName"
                xshowCount: true
                currentIndex: -1
                onCurrentIndexChanged: {
                    if (!root.cmbModule_enable || !root.frame)
                        return
                    console.log("cmbModule changed " + currentIndex)
                    root.frame.moduleSelected = currentIndex
                    root.module_select()
                }
            }
            XButtonSvg {
                objectName: "btnModuleDelete"
                x: 307; y: 2; width: 22; height: 22; iconWidth: 20; iconHeight: 20
                iconSource: "qrc:/Icons/close-box.svg"; _xfgbgbo: XTheme.fgbgbo_delete
                onClicked: {
                    const m = root.selectedModule
                    if (!m)
                        return
                    if (m.input_saveRequired)
                        root.tabManagerView().subview_openCommon("CommonSaveModule", m)
                    else
                        root.tabManagerView().module_delete(m)
                }
            }
            XButtonSvg {
                x: 337; y: 2; width: 22; height: 22; iconWidth: 20; iconHeight: 20
                iconSource: "qrc:/Icons/pencil-box.svg"; _xfgbgbo: XTheme.fgbgbo_update
                onClicked: if (root.selectedModule) root.tabManagerView().subview_openConfig("ConfigModuleName", root.selectedModule, null)
            }
            XButtonSvg {
                x: 367; y: 2; width: 22; height: 22; iconWidth: 20; iconHeight: 20
                iconSource: "qrc:/Icons/arrow-top-right-bold-box.svg"; _xfgbgbo: XTheme.fgbgbo_update
                onClicked: if (root.selectedModule) root.gbl_tabManager.beginMoveModule(root.selectedModule)
            }
        }
    }

    // Body: the module views, and the drop overlay while a placement is pending.
    Item {
        id: body
        objectName: "frameBody"
        y: 30
        width: root.width
        height: Math.max(root.height - 30, 0)
    }
    Loader {
        y: 30
        z: 10
        width: root.width
        height: body.height
        active: root.shown
        sourceComponent: Rectangle {
            objectName: "placeOverlay"
            color: "#d0000000"
            visible: root.moving
            Row {
                anchors.centerIn: parent
                spacing: 8
                XButton {
                    objectName: "btnPlace"
                    width: 120; height: 120
                    _xfgbgbo: XTheme.fgbgbo_icon_2
                    iconSource: "qrc:/Icons/download.svg"
                    iconWidth: 80; iconHeight: 80
                    display: AbstractButton.TextUnderIcon
                    text: qsTrId("Place")
                    onClicked: root.place()
                }
                XButton {
                    objectName: "btnMerge"
                    width: 120; height: 120
                    visible: root.enableMerge
                    _xfgbgbo: XTheme.fgbgbo_icon_2
                    iconSource: "qrc:/Icons/download.svg"
                    iconWidth: 80; iconHeight: 80
                    display: AbstractButton.TextUnderIcon
                    text: qsTrId("Merge")
                    onClicked: root.merge()
                }
            }
        }
    }
}
