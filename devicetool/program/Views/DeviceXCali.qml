pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Kiv 1.0
import Ostrel 1.0
import "Basic"
import "Basic/Checks.js" as Checks

// A camera's XCali calibration block in four pages: head and run state (with resolution, gear and
// external blackbody), and for the chosen calibration set the first-stage entry, the second-stage
// table and the custom points. Each page's button writes that part back. Closing logs out, however
// the view closes.
XPopup {
    id: root
    objectName: "deviceXCali"
    width: parent ? parent.width : 804
    height: parent ? parent.height : 746
    xinterWidth: 804
    xinterHeight: 746
    xtitle: qsTrId("XCali") + ": " + gbl_xcaliEditor.deviceId
    // Takes the keyboard when open, so Escape reaches it.
    focus: true

    property var gbl_commonManager: CApp.commonManager
    property var gbl_xcaliEditor: CApp.deviceManager.xcaliEditor
    property var gbl_xcali: gbl_xcaliEditor.xcali
    property var xcali_head: gbl_xcali.head
    property var xcali_state: gbl_xcali.state
    property var gbl_extBbConfig: gbl_xcaliEditor.extBbConfig
    property var xcali_cali1: gbl_xcaliEditor.cali1
    property var xcali_cali2: gbl_xcaliEditor.cali2
    property var xcali_cust: gbl_xcaliEditor.cust
    property string cfg_cali1File: ""
    property int cfg_subView: tabs.xcurrentIndex
    readonly property int cfg_nameWidth: 200
    readonly property int cfg_valueWidth: 180
    // The VNR registers (and the resolution table) belong to detector types 508 to 512 only, as
    // the block's own rule has it; every other type carries the QJ registers.
    readonly property bool cfg_isVnr: xcali_head.detType >= 508 && xcali_head.detType <= 512

    function fn_open_cali(fn) {
        cfg_cali1File = fn
    }

    function model2view() {
        headPage.model2view()
        cali1Page.model2view()
        cali2Page.model2view()
        custPage.model2view()
    }

    function view2model() {
        headPage.view2model()
        cali1Page.view2model()
        cali2Page.view2model()
        custPage.view2model()
    }

    function refresh() {
        const r = gbl_xcaliEditor.getXCali()
        if (r === 0)
            model2view()
        App.notifyErrorSimple(r)
        return r
    }

    onOpened: {
        // Import mode is offered for internal cameras only; one left on for an earlier camera
        // must not carry over to a camera that has no such mode.
        if (!gbl_xcaliEditor.deviceInternal)
            cali2Page.isImportMode = false
        model2view()
    }
    onClicked: close()
    // Escape closes the popup without the title bar's signal: the login is given back here, so
    // every way of closing releases the camera.
    onClosed: gbl_xcaliEditor.free()

    // Whether a page's values may go out: nothing marked under `items` or in `tables`, the edit in
    // progress ended. Otherwise nothing is sent and the marks stay.
    function writable(items, tables) {
        if (Checks.writable(items, tables, editEnd))
            return true
        App.notifyError(2, qsTrId("InvalidInput"))
        return false
    }

    Item {
        id: content
        // Takes the keyboard from a cell or field being edited, which ends (commits) its edit.
        Item { id: editEnd; width: 0; height: 0 }
        parent: root.xcontentLoader
        width: 800
        height: 700

        // 1. Pages and the calibration set.
        XTab {
            id: tabs
            objectName: "xcaliTabs"
            width: content.width - 60
            height: 40
            xitemWidth: 180
            xnames: [qsTrId("XCaliHeadState"), qsTrId("XCali1"), qsTrId("XCali2"), qsTrId("XCaliCust")]
        }
        XComboBox {
            id: caliSet
            objectName: "xcaliSet"
            x: content.width - 50
            y: 5
            width: 50
            height: 30
            model: [1, 2, 3, 4, 5, 6, 7, 8, 9, 10]
            textRole: ""
            currentIndex: root.gbl_xcaliEditor.caliIndex
            displayText: String(currentIndex + 1)
            // Two digits fill the 50-pixel box.
            xshowIndicator: false
            leftPadding: 0
            rightPadding: 0
            onActivated: function (index) {
                root.gbl_xcaliEditor.caliIndex = index
                cali1Page.model2view()
                cali2Page.model2view()
                custPage.model2view()
            }
        }

        // 2. Page 0: head and run state.
        Column {
            id: headPage
            objectName: "xcaliHeadPage"
            y: 40
            width: content.width
            height: 620
            spacing: 4
            visible: root.cfg_subView === 0
            property bool _reading: false

            function model2view() {
                _reading = true
                info.init(root.xcali_state.info)
                caliCount.init(root.xcali_head.caliCount)
                gearLevel.init(root.gbl_xcaliEditor.gearLevel)
                gearLevel.model2view()
                bbEnable.init(root.gbl_extBbConfig.enable)
                bbTemp.init(root.gbl_extBbConfig.temp)
                bbX.init(root.gbl_extBbConfig.x)
                bbY.init(root.gbl_extBbConfig.y)
                bbRadius.init(root.gbl_extBbConfig.radius)
                _reading = false
            }
            function view2model() {
                root.xcali_head.caliCount = caliCount.xvalue
            }

            Item { width: 1; height: 4 }
            XInputString {
                id: info
                objectName: "XCaliState_info"
                height: 32; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: content.width - root.cfg_nameWidth - 10
                xname: qsTrId("XCaliState_info")
                xreadonly: true
            }
            XInputFloatSlider {
                id: caliCount
                objectName: "XCali_caliCount"
                height: 32; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                xname: qsTrId("XCali_caliCount")
                // A head lists at least one calibration entry.
                xmin: 1
                xmax: 10
            }
            XInputEnum {
                id: gearLevel
                objectName: "XCali_gearLevel"
                height: 32; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                xname: qsTrId("XCali_gearLevel")
                xoptions: root.gbl_xcali.gearArray
                // Only the user's choice commands the camera, never the view showing the model.
                onXvalueChanged: if (!headPage._reading) root.gbl_xcaliEditor.applyGearLevel(xvalue)
            }
            Row {
                spacing: 10
                XButtonText {
                    objectName: "btnXCaliRefresh"
                    width: 100; height: 32
                    text: qsTrId("Refresh")
                    onClicked: root.refresh()
                }
                XButtonText {
                    objectName: "btnXCaliReboot"
                    width: 100; height: 32
                    text: qsTrId("Reboot")
                    onClicked: root.gbl_xcaliEditor.applyReboot()
                }
            }
            ScrollView {
                width: content.width
                height: 440
                clip: true
                ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
                contentHeight: headScroll.height
                Column {
                    id: headScroll
                    width: content.width - 16
                    spacing: 4
                    XHead { visible: root.cfg_isVnr; width: parent.width; height: 32; xtext: qsTrId("ResConfig") }
                    XListView {
                        id: resList
                        objectName: "xcaliResList"
                        visible: root.cfg_isVnr
                        width: parent.width
                        height: 360
                        model: root.gbl_xcali.resArray
                        xcolumnWidthArray: [50, 0.2, 0.2, 0.2]
                        xcolumnNameArray: ["", qsTrId("Width"), qsTrId("Height"), qsTrId("Fps")]
                        delegate: XListRow {
                            id: resRow
                            required property var modelData
                            xview: resList
                            xrow: Row {
                                Item {
                                    property var xview
                                    height: 40
                                    Rectangle {
                                        y: 5; width: 10; height: 30
                                        color: "#00ff00"
                                        visible: resRow.index === root.gbl_xcaliEditor.resIndex
                                    }
                                    XText { x: 16; anchors.verticalCenter: parent.verticalCenter; text: resRow.index + 1 }
                                }
                                XListCellText { xtext: resRow.modelData.width }
                                XListCellText { xtext: resRow.modelData.height }
                                XListCellText { xtext: resRow.modelData.fpsNum + "/" + resRow.modelData.fpsDen }
                            }
                        }
                        Component.onCompleted: xcurrentRow = 0
                    }
                    XButtonText {
                        objectName: "btnApplyResIndex"
                        visible: root.cfg_isVnr
                        width: 200; height: 32
                        text: qsTrId("ApplyResIndex")
                        onClicked: {
                            if (resList.xcurrentRow < 0)
                                return
                            App.notifyErrorSimple(root.gbl_xcaliEditor.applyResIndex(resList.xcurrentRow))
                        }
                    }
                    XHead { width: parent.width; height: 32; xtext: qsTrId("ExtBbConfig") }
                    XInputBool {
                        id: bbEnable
                        objectName: "ExtBbConfig_enable"
                        height: 32; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                        xname: qsTrId("ExtBbConfig_enable")
                    }
                    XInputFloat {
                        id: bbTemp
                        objectName: "ExtBbConfig_temp"
                        height: 32; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                        xname: qsTrId("ExtBbConfig_temp")
                        xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000
                    }
                    XInputInt {
                        id: bbX
                        objectName: "ExtBbConfig_x"
                        height: 32; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                        xname: qsTrId("ExtBbConfig_x")
                        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2047
                    }
                    XInputInt {
                        id: bbY
                        objectName: "ExtBbConfig_y"
                        height: 32; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                        xname: qsTrId("ExtBbConfig_y")
                        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 2047
                    }
                    XInputInt {
                        id: bbRadius
                        objectName: "ExtBbConfig_radius"
                        height: 32; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                        xname: qsTrId("ExtBbConfig_radius")
                        xrule_rangeType: 3; xrule_rangeMin: 0; xrule_rangeMax: 512
                    }
                    XButtonText {
                        objectName: "btnApplyExtBbConfig"
                        width: 200; height: 32
                        text: qsTrId("ApplyExtBbConfig")
                        onClicked: {
                            if (!root.writable([headScroll], []))
                                return
                            root.gbl_extBbConfig.enable = bbEnable.xvalue
                            root.gbl_extBbConfig.temp = bbTemp.xvalue
                            root.gbl_extBbConfig.x = bbX.xvalue
                            root.gbl_extBbConfig.y = bbY.xvalue
                            root.gbl_extBbConfig.radius = bbRadius.xvalue
                            App.notifyErrorSimple(root.gbl_xcaliEditor.applyExtBbConfig())
                        }
                    }
                }
            }
        }

        // Page 1: the first-stage entry.
        Item {
            id: cali1Page
            objectName: "xcaliCali1Page"
            y: 40
            width: content.width
            height: 620
            visible: root.cfg_subView === 1

            function model2view() {
                const m = root.xcali_cali1
                filter.init(m.filter)
                name.init(m.name)
                shutterMode.init(m.shutterMode)
                envTempMin.init(m.envTempMin)
                envTempMax.init(m.envTempMax)
                bbTempMin.init(m.bbTempMin)
                bbTempMax.init(m.bbTempMax)
                if (root.cfg_isVnr)
                    vnrPanel.model2view()
                else
                    qjPanel.model2view()
                root.cfg_cali1File = ""
            }
            function view2model() {
                const m = root.xcali_cali1
                m.filter = filter.xvalue
                m.name = name.xvalue
                m.shutterMode = shutterMode.xvalue
                m.envTempMin = envTempMin.xvalue
                m.envTempMax = envTempMax.xvalue
                m.bbTempMin = bbTempMin.xvalue
                m.bbTempMax = bbTempMax.xvalue
                if (root.cfg_isVnr)
                    vnrPanel.view2model()
                else
                    qjPanel.view2model()
            }

            XGrid {
                id: cali1Grid
                width: parent.width
                height: 160
                rows: 4
                columns: 2
                XInputFloatSlider {
                    id: filter
                    objectName: "XCali1_filter"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali1_filter")
                    xmin: 0
                    xmax: 3
                }
                XInputString {
                    id: name
                    objectName: "XCali1_name"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali1_name")
                    xrule_notNull: true
                }
                XInputEnum {
                    id: shutterMode
                    objectName: "XCali1_shutterMode"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali1_shutterMode")
                    xoptions: root.gbl_commonManager.shutterModeList
                }
                Item {}
                XInputInt {
                    id: envTempMin
                    objectName: "XCali1_envTempMin"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali1_envTempMin")
                    xrule_rangeType: 3; xrule_rangeMin: -32768; xrule_rangeMax: 32767
                }
                XInputInt {
                    id: envTempMax
                    objectName: "XCali1_envTempMax"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali1_envTempMax")
                    xrule_rangeType: 3; xrule_rangeMin: -32768; xrule_rangeMax: 32767
                }
                XInputInt {
                    id: bbTempMin
                    objectName: "XCali1_bbTempMin"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali1_bbTempMin")
                    xrule_rangeType: 3; xrule_rangeMin: -32768; xrule_rangeMax: 32767
                }
                XInputInt {
                    id: bbTempMax
                    objectName: "XCali1_bbTempMax"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali1_bbTempMax")
                    xrule_rangeType: 3; xrule_rangeMin: -32768; xrule_rangeMax: 32767
                }
            }
            Column {
                y: 164
                width: parent.width / 2
                spacing: 4
                XHead { width: parent.width; height: 32; xtext: qsTrId("FPA") }
                ScrollView {
                    width: parent.width
                    height: 620 - 164 - 36
                    clip: true
                    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
                    contentHeight: root.cfg_isVnr ? vnrPanel.height : qjPanel.height
                    FPAInfoVNR {
                        id: vnrPanel
                        objectName: "fpaInfoVNR"
                        visible: root.cfg_isVnr
                        xmodel: root.xcali_cali1.vnr
                    }
                    FPAInfoQJ {
                        id: qjPanel
                        objectName: "fpaInfoQJ"
                        visible: !root.cfg_isVnr
                        xmodel: root.xcali_cali1.qj
                    }
                }
            }
            Column {
                x: parent.width / 2 + 10
                y: 164
                width: parent.width / 2 - 10
                spacing: 6
                XHead { width: parent.width; height: 32; xtext: qsTrId("Cali1File") }
                Rectangle {
                    width: 380
                    height: 100
                    color: XTheme.input_colors4[0]
                    TextArea {
                        objectName: "cali1FileBox"
                        anchors.fill: parent
                        color: "#ffffff"
                        wrapMode: TextEdit.WrapAnywhere
                        text: root.cfg_cali1File
                        onTextChanged: root.cfg_cali1File = text
                    }
                }
                Row {
                    spacing: 10
                    XButtonText {
                        objectName: "btnSelectCali1File"
                        width: 120; height: 32
                        text: qsTrId("Select")
                        // The shared file dialog's mode 5 (".cali" files) calls fn_open_cali.
                        onClicked: App.openFileDialog(5, root)
                    }
                    XButtonText {
                        objectName: "btnUploadCali1File"
                        width: 120; height: 32
                        text: qsTrId("Upload")
                        onClicked: App.notifyErrorSimple(root.gbl_xcaliEditor.updateCali1File(root.cfg_cali1File))
                    }
                }
            }
        }

        // Page 2: the second-stage table.
        Item {
            id: cali2Page
            objectName: "xcaliCali2Page"
            y: 40
            width: content.width
            height: 620
            visible: root.cfg_subView === 2
            property bool isImportMode: false
            property int importCount: 0
            readonly property var _shells: [shell0, shell1, shell2, shell3]

            function model2view() {
                const m = root.xcali_cali2
                cali2Enable.init(m.enable)
                envCount.init(m.envCount)
                bbCount.init(m.bbCount)
                for (let k = 0; k < 4; ++k)
                    _shells[k].init(m["shell" + k])
            }
            function view2model() {
                const m = root.xcali_cali2
                m.enable = cali2Enable.xvalue
                m.envCount = envCount.xvalue
                m.bbCount = bbCount.xvalue
                for (let k = 0; k < 4; ++k)
                    m["shell" + k] = _shells[k].xvalue
            }

            XGrid {
                width: parent.width
                height: 160
                rows: 4
                columns: 2
                XInputBool {
                    id: cali2Enable
                    objectName: "XCali2_enable"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali2_enable")
                }
                Item {
                    XButtonText {
                        objectName: "btnImportMode"
                        width: 100; height: 30
                        enabled: root.gbl_xcaliEditor.deviceInternal
                        text: cali2Page.isImportMode ? qsTrId("LeaveImport") : qsTrId("EnterImport")
                        onClicked: cali2Page.isImportMode = !cali2Page.isImportMode
                    }
                }
                XInputFloatSlider {
                    id: envCount
                    objectName: "XCali2_envCount"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali2_envCount")
                    xmin: 0
                    xmax: 4
                }
                XInputFloatSlider {
                    id: bbCount
                    objectName: "XCali2_bbCount"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCali2_bbCount")
                    xmin: 0
                    xmax: 24
                }
                XInputFloat { id: shell0; objectName: "XCali2_shell0"; xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth; xname: qsTrId("XCali2_shell0") }
                XInputFloat { id: shell1; objectName: "XCali2_shell1"; xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth; xname: qsTrId("XCali2_shell1") }
                XInputFloat { id: shell2; objectName: "XCali2_shell2"; xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth; xname: qsTrId("XCali2_shell2") }
                XInputFloat { id: shell3; objectName: "XCali2_shell3"; xrule_rangeType: 3; xrule_rangeMin: -273.1; xrule_rangeMax: 3000; xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth; xname: qsTrId("XCali2_shell3") }
            }
            XListView {
                id: cali2List
                objectName: "xcali2List"
                y: 164
                width: parent.width
                height: parent.height - 164
                visible: !cali2Page.isImportMode
                model: root.xcali_cali2.pointArray
                function xinvalid() {
                    return Checks.invalidInputs(cali2List).length
                        + Checks.badValues(model, ["blackbody", "temp0", "temp1", "temp2", "temp3"], -273.1, 3000)
                }
                xcolumnWidthArray: [50, 0.2, 0.2, 0.2, 0.2, 0.2]
                xcolumnNameArray: ["", qsTrId("Blackbody") + " ℃", qsTrId("Temp") + "0 ℃", qsTrId("Temp") + "1 ℃",
                    qsTrId("Temp") + "2 ℃", qsTrId("Temp") + "3 ℃"]
                delegate: XListRow {
                    id: pointRow
                    required property var modelData
                    xview: cali2List
                    enabled: index < bbCount.xvalue
                    xrow: Row {
                        XListCellText { xtext: pointRow.index + 1 }
                        CaliCell { xtarget: pointRow.modelData; xprop: "blackbody"; xboxWidth: 80 }
                        CaliCell { xtarget: pointRow.modelData; xprop: "temp0"; xboxWidth: 80 }
                        CaliCell { xtarget: pointRow.modelData; xprop: "temp1"; xboxWidth: 80 }
                        CaliCell { xtarget: pointRow.modelData; xprop: "temp2"; xboxWidth: 80 }
                        CaliCell { xtarget: pointRow.modelData; xprop: "temp3"; xboxWidth: 80 }
                    }
                }
            }
            Item {
                y: 164
                width: parent.width
                height: parent.height - 164
                visible: cali2Page.isImportMode
                Rectangle {
                    width: parent.width - 140
                    height: parent.height
                    color: "#303040"
                    radius: 10
                    ScrollView {
                        anchors.fill: parent
                        anchors.margins: 6
                        TextArea {
                            id: importText
                            objectName: "importText"
                            color: "#ffffff"
                        }
                    }
                }
                Column {
                    x: parent.width - 130
                    spacing: 6
                    Repeater {
                        model: 4
                        delegate: XButtonText {
                            required property int index
                            objectName: "btnImport" + index
                            width: 120; height: 32
                            text: qsTrId("Import") + index
                            onClicked: {
                                cali2Page.importCount = root.xcali_cali2.importData(importText.text, index)
                                cali2Page._shells[index].init(root.xcali_cali2["shell" + index])
                            }
                        }
                    }
                    XText { objectName: "importCount"; text: cali2Page.importCount }
                }
            }
        }

        // Page 3: the custom points.
        Item {
            id: custPage
            objectName: "xcaliCustPage"
            y: 40
            width: content.width
            height: 620
            visible: root.cfg_subView === 3

            function model2view() {
                custEnable.init(root.xcali_cust.enable)
                custCount.init(root.xcali_cust.bbCount)
            }
            function view2model() {
                root.xcali_cust.enable = custEnable.xvalue
                root.xcali_cust.bbCount = custCount.xvalue
            }

            XGrid {
                width: parent.width
                height: 40
                rows: 1
                columns: 2
                XInputBool {
                    id: custEnable
                    objectName: "XCaliCust_enable"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCaliCust_enable")
                }
                XInputFloatSlider {
                    id: custCount
                    objectName: "XCaliCust_bbCount"
                    xpanelNameWidth: root.cfg_nameWidth; xpanelValueWidth: root.cfg_valueWidth
                    xname: qsTrId("XCaliCust_bbCount")
                    xmin: 0
                    xmax: 16
                }
            }
            XListView {
                id: custList
                objectName: "xcaliCustList"
                y: 44
                width: parent.width
                height: parent.height - 44
                model: root.xcali_cust.pointArray
                function xinvalid() {
                    return Checks.invalidInputs(custList).length + Checks.badValues(model, ["blackbody", "temp0"], -273.1, 3000)
                }
                xcolumnWidthArray: [0.2, 0.4, 0.4]
                xcolumnNameArray: ["", qsTrId("Blackbody") + " ℃", qsTrId("Temp") + " ℃"]
                delegate: XListRow {
                    id: custRow
                    required property var modelData
                    xview: custList
                    enabled: index < custCount.xvalue
                    xrow: Row {
                        XListCellText { xtext: custRow.index + 1 }
                        CaliCell { xtarget: custRow.modelData; xprop: "blackbody"; xboxWidth: 80 }
                        CaliCell { xtarget: custRow.modelData; xprop: "temp0"; xboxWidth: 80 }
                    }
                }
            }
        }

        // 3. The page's write button.
        Row {
            y: 700 - 40 + 4
            x: 10
            spacing: 20
            XButtonText {
                objectName: "btnSetHead"
                width: 120; height: 32
                text: qsTrId("SetHead")
                enabled: root.cfg_subView === 0 && root.gbl_xcaliEditor.deviceInternal
                onClicked: {
                    if (!root.writable([], []))
                        return
                    headPage.view2model()
                    App.notifyErrorSimple(root.gbl_xcaliEditor.updateHead())
                }
            }
            XButtonText {
                objectName: "btnSetCali1"
                width: 120; height: 32
                text: qsTrId("SetCali1")
                enabled: root.cfg_subView === 1 && root.gbl_xcaliEditor.deviceInternal
                onClicked: {
                    if (!root.writable([cali1Grid, root.cfg_isVnr ? vnrPanel : qjPanel], root.cfg_isVnr ? [] : [qjPanel]))
                        return
                    cali1Page.view2model()
                    App.notifyErrorSimple(root.gbl_xcaliEditor.updateCali1())
                }
            }
            XButtonText {
                objectName: "btnSetCali2"
                width: 120; height: 32
                text: qsTrId("SetCali2")
                enabled: root.cfg_subView === 2 && root.gbl_xcaliEditor.deviceInternal
                onClicked: {
                    if (!root.writable([cali2Page], [cali2List]))
                        return
                    cali2Page.view2model()
                    App.notifyErrorSimple(root.gbl_xcaliEditor.updateCali2())
                }
            }
            XButtonText {
                objectName: "btnSetCust"
                width: 120; height: 32
                text: qsTrId("SetCust")
                enabled: root.cfg_subView === 3
                onClicked: {
                    if (!root.writable([custPage], [custList]))
                        return
                    custPage.view2model()
                    App.notifyErrorSimple(root.gbl_xcaliEditor.updateCust())
                }
            }
        }
    }
}
