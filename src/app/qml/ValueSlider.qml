import QtQuick 2.12
import QtQuick.Controls 2.5

// The slider of the value dialogs, linked to their number box: moving it is a change by the user,
// and it stays on its step grid even when it was loaded with a value off the grid.
Slider {
    id: slider
    property ValueSpinBox numberBox

    // A change of value first, so that a gauge and its colour refresh even for the value of the
    // last opening; the slider keeps the value within its range.
    function load(min, max, step, value) {
        from = min
        to = max
        stepSize = step
        slider.value = value !== from ? from : to
        slider.value = value
    }

    // The number box's value, stepped or typed, moves the slider too.
    Connections {
        target: slider.numberBox
        function onUserValue() {
            if (slider.enabled)
                slider.value = slider.numberBox.value / slider.numberBox.unitScale
        }
    }

    onMoved: {
        var snapped = from + Math.round((value - from) / stepSize) * stepSize
        if (Math.abs(snapped - value) > 1e-9)
            value = snapped
        numberBox.markChanged()
        numberBox.value = Math.round(value * numberBox.unitScale)
    }

}
