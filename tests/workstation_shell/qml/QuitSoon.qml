import QtQuick
import Ostrel 1.0

Item {
    Timer {
        interval: 1
        running: true
        onTriggered: {
            console.warn("harness view of " + CApp.appNameFull)
            Qt.quit()
        }
    }
}
