import QtQuick

// The series list of a time chart.
ModuleConfigChartSeries {
    objectName: "ModuleConfigChartTime"
    cfg_title: QT_TRID_NOOP("Chart_Time")
    cfg_space: false
}
