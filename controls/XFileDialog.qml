import QtQuick.Dialogs

// The toolkit's file dialog, answering also with local paths.
FileDialog {
    readonly property string xselectedFile: XTheme.fn_url2os(selectedFile)
    readonly property string xcurrentFile: XTheme.fn_url2os(currentFile)
    // The type information shipped with Qt 6.4 lacks Qt's window-modality enumeration.
    modality: Qt.ApplicationModal // qmllint disable type property
}
