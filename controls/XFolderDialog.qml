import QtQuick.Dialogs

// The toolkit's folder dialog, answering also with local paths.
FolderDialog {
    readonly property string xselectedFolder: XTheme.fn_url2os(selectedFolder)
    readonly property string xcurrentFolder: XTheme.fn_url2os(currentFolder)
    // The type information shipped with Qt 6.4 lacks Qt's window-modality enumeration.
    modality: Qt.ApplicationModal // qmllint disable type property
}
