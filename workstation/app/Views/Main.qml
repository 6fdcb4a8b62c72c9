import QtQuick
import QtQuick.Window
import Ostrel 1.0

Window {
    width: 1280
    height: 800
    visible: true
    title: CApp.appNameFull
}
