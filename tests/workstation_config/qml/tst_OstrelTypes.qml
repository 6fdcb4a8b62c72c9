import QtQuick 2.12
import QtTest 1.2
import Ostrel 1.0

TestCase {
    name: "OstrelTypes"

    CNameValue { id: nv; name: "SaveMode_Ask"; value: 2 }
    CTypeNameDescIcon { id: tndi; type: -1; name: ""; desc: "d"; icon: "qrc:/Icons/eye.svg" }
    CAppConfig { id: settings }
    CCommonManager { id: lists }
    CConfigManager { id: manager }

    function test_entries() {
        compare(nv.name, "SaveMode_Ask")
        compare(nv.value, 2)
        compare(tndi.type, -1)
        compare(tndi.icon, "qrc:/Icons/eye.svg")
        var spy = Qt.createQmlObject('import QtTest 1.2; SignalSpy {}', tndi)
        spy.target = tndi
        spy.signalName = "typeChanged"
        tndi.type = -1
        compare(spy.count, 0)
        tndi.type = 3
        compare(spy.count, 1)
    }

    function test_settingsCopy() {
        compare(settings.displayFpsMax, 0)
        settings.displayFpsMax = 40
        settings.saveDir = "/tmp/x"
        var copy = Qt.createQmlObject('import Ostrel 1.0; CAppConfig {}', settings)
        copy.cls2cls(settings)
        compare(copy.displayFpsMax, 40)
        compare(copy.saveDir, "/tmp/x")
        verify(manager.config !== null)
    }

    function test_managerAndSingleton() {
        verify(EEnum !== null && EEnum !== undefined)
        // A manager declared in QML starts empty; init is the program's.
        compare(lists.languageList.length, 0)
        verify(!lists.fileExists("/no/such/file"))
        compare(lists.triggerName(0), "None")
    }

    function test_builtListsFromQml() {
        compare(commonManager.meaToolList.length, 14)
        compare(commonManager.meaToolList[0].desc, "MeaTool_Select")
        compare(commonManager.tabLayoutList[4].icon, "qrc:/Icons/layout-r2c1-top.svg")
        compare(commonManager.statsTypeListTime.length, 3)
        verify(commonManager.statsTypeListTime[2] === commonManager.statsTypeList[2])
        compare(commonManager.stopTriggerList[2].value, 515)
    }
}
