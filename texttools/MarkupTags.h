#pragma once

#include <QString>
#include <vector>

// One button of the speech-markup palette: the text it inserts is opening + value + closing,
// where the value is the trimmed text of the control named by source; a button without a
// source inserts opening alone.
struct MarkupTag
{
    const char* button;
    QString caption;
    QString opening;
    QString closing;
    const char* source; // object name of the value control, or nullptr
    QString hint;
};

// Every button of the palette, in the order of the form.
const std::vector<MarkupTag>& MarkupTags();

// The value as it goes into a tag: characters of code 32 or below removed at both ends.
// Nothing is escaped or checked.
QString TrimMarkupValue(const QString& value);

// The text the button inserts for the given (untrimmed) value of its control.
QString BuildMarkup(const MarkupTag& tag, const QString& value);
