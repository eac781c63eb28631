import QtQuick 2.12
import QtQuick.Controls 2.5

// The number box of the value dialogs. It counts in steps of 1 / unitScale as an integer, reads "."
// and "," alike as the decimal point whatever the locale, and shows heldText (the value as it is
// stored) for the value it was loaded with until the user changes something. The first step away
// from a value off the step grid lands on the grid.
SpinBox {
    id: box
    property real unitScale: 1
    property int decimals: 0
    property string unit
    property string unitGap: " "

    property string heldText: ""
    property int heldValue: 0
    property real heldExact: 0
    // Whole numbers only: a change of an integer field by an amount takes no decimals, which would
    // be rounded away unseen.
    property bool wholeOnly: false
    // A change rather than a value: a rise shows its "+".
    property bool signed: false
    // Whether the user stepped, typed or moved a control linked to the box since the last load.
    property bool changedByUser: false
    // Typed text that the box has not taken yet.
    property bool typed: false
    // The value as typed so far, as the box would take it; the value itself while nothing is typed.
    readonly property int typedValue: typed ? Math.max(from, Math.min(to, valueFromText(contentItem.text, locale))) : value

    // Return or Enter in the box: what was typed is taken, then the dialog is accepted.
    signal entered()
    // The user stepped or typed a value (after a first step off the grid has landed on it).
    signal userValue()

    editable: true
    from: 0
    to: 100
    font.pixelSize: fontP * 1.2
    inputMethodHints: Qt.ImhFormattedNumbersOnly

    // The value with the given decimal places, in the box's locale, without group separators.
    function format(v, places) {
        var text = Number(v).toFixed(places)
        return text.replace("-", locale.negativeSign).replace(".", locale.decimalPoint)
    }

    function setRange(min, max, step) {
        // Rounded: 0.29 * 100 is 28.999999999999996.
        from = Math.round(min * unitScale)
        to = Math.round(max * unitScale)
        stepSize = Math.max(1, Math.round(step * unitScale))
    }

    // exact: the stored value in the dialog's unit; text: how it reads.
    function load(exact, text) {
        changedByUser = false
        typed = false
        heldExact = exact * unitScale
        heldText = text
        var held = Math.max(from, Math.min(to, Math.floor(heldExact + 1e-9)))
        heldValue = held
        // A change of value first, so that the text refreshes even for the value of the last
        // opening.
        value = held !== from ? from : to
        value = held
    }

    function markChanged() {
        changedByUser = true
    }

    // Takes typed text that neither Return nor leaving the box has taken yet.
    function commit() {
        if (!typed)
            return
        typed = false
        changedByUser = true
        value = valueFromText(contentItem.text, locale)
        valueModified()
    }

    textFromValue: function (value, locale) {
        if (!box.changedByUser && box.heldText !== "" && value === box.heldValue)
            return box.heldText
        return (box.signed && value > 0 ? "+" : "") + box.format(value / box.unitScale, box.decimals)
               + (box.unit.length > 0 ? box.unitGap + box.unit : "")
    }

    valueFromText: function (text, locale) {
        // Leaving the box reads its text back: the stored value's text is no change.
        if (!box.changedByUser && text === box.heldText)
            return box.heldValue
        var plain = text.replace(locale.negativeSign, "-").replace("\u2212", "-")
        var match = plain.match(/[+-]?(\d+([.,]\d*)?|[.,]\d+)/)
        // Text without a number leaves the value as it was.
        if (!match)
            return box.value
        return Math.round(parseFloat(match[0].replace(",", ".")) * box.unitScale)
    }

    // Digits with either decimal point, the unit after them or not.
    validator: RegExpValidator {
        regExp: box.wholeOnly ? /\s*[+\-\u2212]?\d{0,9}\s*[^\d.,+\-\u2212\s]{0,8}\s*/
                              : /\s*[+\-\u2212]?\d{0,9}([.,]\d{0,3})?\s*[^\d.,+\-\u2212\s]{0,8}\s*/
    }

    onValueModified: {
        var firstStep = !changedByUser && !typed
        changedByUser = true
        // From a value off the grid, a first step goes to the next grid value that way.
        var k = (heldExact - from) / stepSize
        if (firstStep && Math.abs(k - Math.round(k)) > 1e-6) {
            var target = from + (value > heldValue ? Math.ceil(k) : Math.floor(k)) * stepSize
            value = Math.max(from, Math.min(to, target))
        }
        userValue()
    }

    Connections {
        target: box.contentItem
        function onTextEdited() {
            box.typed = true
            box.changedByUser = true
        }
    }

    Keys.onReturnPressed: {
        commit()
        entered()
    }
    Keys.onEnterPressed: {
        commit()
        entered()
    }

}
