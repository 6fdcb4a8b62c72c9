import QtQuick.Controls

RangeSlider {
}
