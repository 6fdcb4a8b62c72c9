import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import ".."

// The application's settings, edited on a copy of their own. Save stores the copy when it
// differs and closes only when that worked; Cancel drops the copy's edits.
Popup {
    id: root
    objectName: "appConfigSettings"
    readonly property var gbl_configManager: CApp.configManager
    property CAppConfig edit_config: CAppConfig {}
    // The reason the last Save did not close the dialog; empty when none.
    property string xerror: ""
    readonly property alias inputLanguage: inputLanguage
    readonly property alias inputSaveDir: inputSaveDir
    readonly property alias inputDisplayFpsMax: inputDisplayFpsMax

    // As wide as its rows (name 200, gap 4, value 300) and the padding: 500 would cut the rows.
    width: 512
    padding: 4
    modal: true
    closePolicy: Popup.NoAutoClose
    Overlay.modal: Rectangle { color: "transparent" }
    background: Rectangle { color: "#000000"; border.width: 1; border.color: "#3a3a3a" }

    function xopen(x, y) {
        if (visible)
            xclose()
        edit_config.cls2cls(gbl_configManager.config)
        model2view()
        xerror = ""
        root.x = x
        root.y = y
        open()
    }

    function xclose() {
        close()
    }

    function model2view() {
        inputLanguage.init(edit_config.language)
        inputSaveDir.init(edit_config.saveDir)
        inputDisplayFpsMax.init(edit_config.displayFpsMax)
    }

    // The folder dialog asks for and answers with the save folder.
    function getfn() {
        return edit_config.saveDir
    }
    function setfn(fn) {
        inputSaveDir.init(fn)
    }

    function save() {
        // Taking the focus ends an edit in progress, which commits it.
        btnSave.forceActiveFocus()
        if (!inputSaveDir.xrule_isInputValid) {
            xerror = qsTrId("SaveDirTooLong")
            return
        }
        // A text that is no number stays in its field, marked, and was not taken.
        if (!inputDisplayFpsMax.xrule_isInputValid) {
            xerror = qsTrId("InvalidInput")
            return
        }
        const r = gbl_configManager.save(edit_config)
        if (r < 0) {
            const meaning = XUtil.statusMeaning(r)
            xerror = qsTrId("SaveFailed") + " (" + r + (meaning !== "" ? ": " + meaning : "") + ")"
            return
        }
        xclose()
    }

    contentItem: Column {
        spacing: 10

        Rectangle {
            width: parent.width
            height: 40
            color: "#222222"
            XText { x: 12; anchors.verticalCenter: parent.verticalCenter; text: qsTrId("Settings"); font.bold: true }
        }

        XInputEnum {
            id: inputLanguage
            objectName: "inputLanguage"
            xpanelNameWidth: 200
            xpanelValueWidth: 300
            xname: qsTrId("Language")
            xoptions: CApp.commonManager.languageList
            onXvalueChanged: root.edit_config.language = xvalue
        }

        Item {
            width: parent.width
            height: 80
            XInputString {
                id: inputSaveDir
                objectName: "inputSaveDir"
                height: 80
                xpanelNameWidth: 200
                xpanelValueWidth: 260
                xname: qsTrId("SaveDir")
                // A folder the settings record cannot hold would be dropped without a word.
                onXvalueChanged: {
                    xrule_isInputValid = root.edit_config.saveDirFits(xvalue)
                    root.edit_config.saveDir = xvalue
                }
            }
            XButtonSvg {
                objectName: "btnSaveDir"
                x: inputSaveDir.width
                anchors.verticalCenter: parent.verticalCenter
                width: 32
                height: 32
                iconWidth: 24
                iconHeight: 24
                iconSource: "qrc:/Icons/folder-open-outline.svg"
                onClicked: App.openFolderDialog(1, root)
            }
        }

        XInputFloat {
            id: inputDisplayFpsMax
            objectName: "inputDisplayFpsMax"
            xpanelNameWidth: 200
            xpanelValueWidth: 300
            xformat: 0
            xname: qsTrId("DisplayFpsMax")
            // Stored as shown: whole frames per second.
            onXvalueChanged: root.edit_config.displayFpsMax = Math.round(xvalue)
        }

        Rectangle {
            width: parent.width
            height: 40
            color: "#222222"
            XText {
                objectName: "saveError"
                x: 12
                width: parent.width - 220
                anchors.verticalCenter: parent.verticalCenter
                text: root.xerror
                color: XTheme.color_danger
                elide: Text.ElideRight
            }
            Row {
                anchors.right: parent.right
                anchors.rightMargin: 20
                anchors.verticalCenter: parent.verticalCenter
                spacing: 20
                XButtonText {
                    id: btnSave
                    objectName: "btnSave"
                    width: 80
                    height: 30
                    text: qsTrId("Save")
                    onClicked: root.save()
                }
                XButtonText {
                    objectName: "btnCancel"
                    width: 80
                    height: 30
                    text: qsTrId("Cancel")
                    onClicked: root.xclose()
                }
            }
        }
    }
}
