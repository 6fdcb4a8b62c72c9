import QtQuick

// The series list of a space chart: polyline series have no statistic or axis to choose.
ModuleConfigChartSeries {
    objectName: "ModuleConfigChartSpace"
    cfg_title: QT_TRID_NOOP("Chart_Space")
    cfg_space: true
}
