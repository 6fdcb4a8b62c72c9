import QtQuick

Item {
    property var xview: null
    property alias xchecked: box.checked
    implicitWidth: 40
    implicitHeight: 40
    XCheckBox {
        id: box
        objectName: "xcheckBox"
        anchors.centerIn: parent
        padding: 0
    }
}
