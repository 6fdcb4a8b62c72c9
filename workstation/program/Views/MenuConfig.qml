pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0

// The application buttons at the menu bar's right edge: the user manual and the settings menu.
Row {
    id: root
    objectName: "menuConfigRow"
    readonly property var cfg_entries: [entrySettings, entryInfo, entryUpdate]
    readonly property alias popup: popupConfig

    CTypeNameDescIcon { id: entrySettings; type: 0; name: QT_TRID_NOOP("Settings"); icon: "qrc:/Icons/cogs.svg" }
    CTypeNameDescIcon { id: entryInfo; type: 1; name: QT_TRID_NOOP("AppInfo"); icon: "qrc:/Icons/information-slab-circle.svg" }
    CTypeNameDescIcon { id: entryUpdate; type: 2; name: QT_TRID_NOOP("Update"); icon: "qrc:/Icons/cloud-arrow-down.svg" }

    // Update opens nothing: the workstation does not look for updates.
    function openAppConfig(index) {
        popupConfig.close()
        const view = CApp.tabManager.view
        if (!view)
            return
        if (index === 0)
            view.subview_openAppConfig("AppConfigSettings")
        else if (index === 1)
            view.subview_openAppConfig("AppConfigInformation")
    }

    XButtonSvg {
        objectName: "btnManual"
        width: 40
        // The bar's bottom line stays visible under the buttons.
        height: root.height - 1
        iconSource: "qrc:/Icons/help.svg"
        xtip: qsTrId("UserManual")
        onClicked: CApp.openManual()
    }
    XButtonSvg {
        id: btnConfig
        objectName: "btnConfig"
        width: 40
        height: root.height - 1
        iconSource: "qrc:/Icons/cog.svg"
        xselected: popupConfig.visible
        onClicked: popupConfig.open()
    }

    Popup {
        id: popupConfig
        objectName: "popupConfig"
        // Right edge on the row's right edge, directly below the bar.
        x: root.width - width
        y: root.height
        padding: 5
        background: Rectangle { color: "#000000"; border.width: 1; border.color: "#3a3a3a" }
        contentItem: ListView {
            implicitWidth: 120
            implicitHeight: contentHeight
            interactive: false
            model: root.cfg_entries
            delegate: Rectangle {
                id: entry
                required property var modelData
                required property int index
                objectName: "configEntry" + index
                width: 120
                height: 40
                color: entryArea.containsMouse ? "#505050" : "#000000"
                XImage {
                    x: 5
                    anchors.verticalCenter: parent.verticalCenter
                    width: 30
                    height: 30
                    enabled: false
                    source: entry.modelData.icon
                }
                XText {
                    x: 40
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTrId(entry.modelData.name)
                    font.pointSize: XTheme.font_size
                }
                MouseArea {
                    id: entryArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: root.openAppConfig(entry.index)
                }
            }
        }
    }
}
