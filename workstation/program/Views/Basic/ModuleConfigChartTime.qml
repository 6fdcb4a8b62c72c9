import QtQuick

// The series list of a time chart.
ModuleConfigChartSeries {
    objectName: "ModuleConfigChartTime"
    cfg_title: "Chart_Time"
    cfg_space: false
}
