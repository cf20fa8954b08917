#pragma once

#include "documents/DocumentTextReader.h"
#include "documents/PositionMap.h"
#include "main/ReadingView.h"
#include "text/Segmentation.h"

#include <QPointer>
#include <memory>

class TFormMain;

// The main window as a reading run sees it: the spoken word selected and the sentence set
// in bold in MText, the log, the level bars. Positions arrive in the program's counting
// (CR LF two) and are converted with a map of MText from where the reading began, built as
// far as the reading has taken the text, so highlighting costs the same at the end of a long
// text as at its start; only the ranges named are reformatted.
class MainReadingView : public ReadingView
{
public:
    explicit MainReadingView(TFormMain& form);

    // Begins a reading at the caret (the selection's start): the source of MText's text from
    // there on with every break as CR LF, or of the whole text when the caret stands on the
    // last character or at the end. The text is read from MText a stretch at a time as the
    // source is asked for it, and the position map grows with it.
    std::unique_ptr<ReadingSource> BeginReading();

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
    class Source;

    void RefreshMapIfStale();
    // A new map of document from documentStart on; base: its program position, -1 when it
    // is to be counted when first needed.
    void StartMap(const QTextDocument& document, int documentStart, int base);
    int Base();
    // The program position of the document position start, counted from the nearest place
    // whose program position is known.
    int CountedBase(const QTextDocument& document, int start) const;
    int ToDocument(int programPosition);
    // Reads more of MText into the map; false at the end of what can be read.
    bool ReadMore(qsizetype characters);
    // The source's side: more of the region's text, and where it starts.
    bool ReadForSource(int generation, qsizetype characters, QString& text);
    int BaseForSource(int generation);

    TFormMain& m_form;
    // The map covers MText from m_map.DocumentStart() on, with program positions counted
    // from there; m_base is that start's program position in the whole text.
    PositionMap m_map;
    DocumentTextReader m_reader;
    QPointer<const QTextDocument> m_document;
    int m_textLength = 0;
    int m_revision = 0;
    int m_base = 0;
    // Which map a source reads; a new map leaves the older sources without text.
    int m_generation = 0;
    bool m_feedsSource = false;
    // Text read for a conversion before the source asked for it.
    QString m_unclaimed;
    int m_sourceBase = 0; // the base of the last source's map, once that map is replaced
    // The map of the reading before, while the text is as it was then, and its base (-1:
    // none): a reading begun again nearby counts its base from there.
    PositionMap m_previous;
    int m_previousBase = -1;
};
