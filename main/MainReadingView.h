#pragma once

#include "documents/PositionMap.h"
#include "main/ReadingView.h"

class TFormMain;

// The main window as a reading run sees it: the spoken word selected and the sentence set
// in bold in MText, the log, the level bars. Positions arrive in the program's counting
// (CR LF two) and are converted with a map built once per run, so highlighting costs the
// same at the end of a long text as at its start; only the ranges named are reformatted.
class MainReadingView : public ReadingView
{
public:
    explicit MainReadingView(TFormMain& form);

    // MText's text with every break as CR LF, and the caret (the selection's start) in the
    // same counting; rebuilds the position map.
    QString TextForReading(int& caret);

    void SelectRange(int start, int length) override;
    void SetRangeStyle(int start, int length, bool bold) override;
    void RemoveEmphasis(int start, int length) override;
    void SetTextEditable(bool editable) override;
    void ClearLog() override;
    void AppendLog(const QString& line) override;
    bool XmlMode() const override;
    QString DigitChoice() const override;
    bool PicturesWanted() const override;
    void ShowDictionaryPicture(const QString& word) override;
    void ShowAudioLevel(const QString& lang, int level) override;

private:
    void RefreshMapIfStale();

    TFormMain& m_form;
    PositionMap m_map;
};
