#pragma once

#include <QString>

// What a reading run shows and asks of the window: positions count CR LF as two.
class ReadingView
{
public:
    virtual ~ReadingView() = default;

    // Focus the text box and select the range; scroll to the caret unless start is 0.
    virtual void SelectRange(int start, int length) = 0;
    // Show the range in bold, or take that emphasis away; the text's own formatting stays
    // as it is. The caret ends at the range's start.
    virtual void SetRangeStyle(int start, int length, bool bold) = 0;
    // Take the emphasis away from the range and leave the caret where it is.
    virtual void RemoveEmphasis(int start, int length) = 0;
    virtual void SetTextEditable(bool editable) = 0;

    virtual void ClearLog() = 0;
    virtual void AppendLog(const QString& line) = 0;

    // The choices of the control group: marked-up text, the language read for digits
    // ("R" or "E"), pictures for English words.
    virtual bool XmlMode() const = 0;
    virtual QString DigitChoice() const = 0;
    virtual bool PicturesWanted() const = 0;

    virtual void ShowDictionaryPicture(const QString& word) = 0;
    // lang "R" or "E"; level 0..100.
    virtual void ShowAudioLevel(const QString& lang, int level) = 0;
};
