import QtQuick
import Ostrel 1.0

Item {
    Component.onCompleted: console.info("idle view of " + CApp.appNameFull)
}
