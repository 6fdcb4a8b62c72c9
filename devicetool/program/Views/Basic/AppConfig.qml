import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."

// The tool's settings, edited on a copy: Cancel leaves the live settings untouched; Save stores
// the copy and closes, or stays open and shows why the settings file could not be written.
Popup {
    id: root
    objectName: "appConfig"
    width: 504
    height: col.implicitHeight + 8
    modal: true
    closePolicy: Popup.NoAutoClose
    padding: 4
    Overlay.modal: Rectangle { color: "transparent" }
    background: Rectangle {
        color: XTheme.background_color_base
        border.width: 1
        border.color: XTheme.border_color
    }
    readonly property var gbl_configManager: CApp.configManager
    readonly property int cfg_nameWidth: 200
    readonly property int cfg_valueWidth: 260
    property CAppConfig edit_config: CAppConfig {}

    function model2view() {
        inLanguage.init(edit_config.language)
        inSaveDir.init(edit_config.saveDir)
        inInterval.init(edit_config.chartUpdateInterval)
        inFifoSize.init(edit_config.chartFifoSize)
        inFpsMax.init(edit_config.displayFpsMax)
    }
    function xopen(x, y) {
        if (opened)
            close()
        root.x = x
        root.y = y
        edit_config.cls2cls(gbl_configManager.config)
        model2view()
        open()
    }
    function xclose() {
        if (opened)
            close()
    }
    function getfn() {
        return edit_config.saveDir
    }
    function setfn(fn) {
        edit_config.saveDir = fn
        inSaveDir.init(edit_config.saveDir)
    }

    Column {
        id: col
        spacing: 4
        Item {
            width: 496
            height: 40
            XText {
                x: 8
                anchors.verticalCenter: parent.verticalCenter
                font.bold: true
                text: qsTrId("Settings")
            }
        }
        XInputEnum {
            id: inLanguage
            xname: qsTrId("Language"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
            xoptions: CApp.commonManager.languageList
            onXvalueChanged: root.edit_config.language = xvalue
        }
        Row {
            spacing: 4
            XInputString {
                id: inSaveDir
                objectName: "inSaveDir"
                height: 80
                xname: qsTrId("SaveDir"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                onXvalueChanged: root.edit_config.saveDir = xvalue
            }
            XButtonSvg {
                width: 32
                height: 32
                iconWidth: 24
                iconHeight: 24
                iconSource: "qrc:/Icons/folder-open-outline.svg"
                onClicked: App.openFolderDialog(0, root)
            }
        }
        XInputInt {
            id: inInterval
            objectName: "inChartUpdateInterval"
            xname: qsTrId("ChartUpdateInterval"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
            onXvalueChanged: root.edit_config.chartUpdateInterval = xvalue
        }
        XInputInt {
            id: inFifoSize
            objectName: "inChartFifoSize"
            xname: qsTrId("ChartFifoSize"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
            onXvalueChanged: root.edit_config.chartFifoSize = xvalue
        }
        XInputInt {
            id: inFpsMax
            xname: qsTrId("DisplayFpsMax"); xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
            onXvalueChanged: root.edit_config.displayFpsMax = xvalue
        }
        Row {
            height: 40
            spacing: 10
            XButtonText {
                objectName: "btnAppConfigSave"
                width: 80
                height: 30
                text: qsTrId("Save")
                onClicked: {
                    forceActiveFocus()
                    // A number field holding a text that was not taken is marked; saving would
                    // store the value behind it, not the one shown.
                    if (!inInterval.xrule_isInputValid || !inFifoSize.xrule_isInputValid
                            || !inFpsMax.xrule_isInputValid) {
                        App.notifyError(2, qsTrId("InvalidInput"))
                        return
                    }
                    const r = root.gbl_configManager.save(root.edit_config)
                    if (r < 0) {
                        App.notifyError(3, qsTrId("Fail") + " " + r)
                        return
                    }
                    root.close()
                }
            }
            XButtonText {
                width: 80
                height: 30
                text: qsTrId("Cancel")
                onClicked: root.close()
            }
        }
    }
}
