import QtQuick
import Kiv 1.0
import Ostrel 1.0

// Converts between a temperature and its radiance energy for a detector band.
XPopup {
    id: root
    objectName: "temp2Energy"
    width: parent ? parent.width : 400
    height: parent ? parent.height : 220
    xinterWidth: 400
    xinterHeight: 220
    xtitle: qsTrId("Temp2Energy")
    property var gbl_deviceConfiger: CApp.deviceManager.deviceConfiger
    property int edit_irType: 0
    property real edit_temp: 0
    property real edit_energy: 0

    onClicked: close()

    Column {
        parent: root.xcontentLoader
        anchors.fill: parent
        anchors.margins: 4
        spacing: 2
        XInputEnum {
            id: irType
            objectName: "irType"
            height: 32; xpanelNameWidth: 200; xpanelValueWidth: 190
            xname: qsTrId("IrType")
            xoptions: CApp.commonManager.irTypeList
            onXvalueChanged: root.edit_irType = xvalue
            Component.onCompleted: init(0)
        }
        XInputFloat {
            id: temp
            objectName: "temperature"
            height: 32; xpanelNameWidth: 200; xpanelValueWidth: 190
            xname: qsTrId("Temperature"); xformat: 0
            onXvalueChanged: root.edit_temp = xvalue
        }
        XInputFloat {
            id: energy
            objectName: "energy"
            height: 32; xpanelNameWidth: 200; xpanelValueWidth: 190
            xname: qsTrId("Energy"); xformat: 0
            onXvalueChanged: root.edit_energy = xvalue
        }
        Row {
            height: 40
            spacing: 10
            XButtonText {
                objectName: "btnTemp2Energy"
                width: 120; height: 30
                text: qsTrId("Temp2Energy")
                onClicked: {
                    forceActiveFocus()
                    // A marked input holds a text that was not taken: no result for the value
                    // behind it (the mark says why).
                    if (!temp.xrule_isInputValid)
                        return
                    root.edit_energy = root.gbl_deviceConfiger.calcTemp2Energy(1, root.edit_irType, root.edit_temp)
                    energy.init(root.edit_energy)
                }
            }
            XButtonText {
                objectName: "btnEnergy2Temp"
                width: 120; height: 30
                text: qsTrId("Energy2Temp")
                onClicked: {
                    forceActiveFocus()
                    if (!energy.xrule_isInputValid)
                        return
                    root.edit_temp = root.gbl_deviceConfiger.calcTemp2Energy(0, root.edit_irType, root.edit_energy)
                    temp.init(root.edit_temp)
                }
            }
        }
    }
}
