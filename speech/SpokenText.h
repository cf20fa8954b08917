#pragma once

#include "speech/xml/SapiXml.h"

#include <QList>
#include <QString>

// What one Speak says: the text segments (each with its own settings) or silences, and the
// spoken characters laid end to end with, for each, its index in the text given to Speak.
// Plain text is one segment whose characters stand where they stand in the text.
class SpokenText
{
public:
    // flags as given to Speak: marked-up text when SVSFIsXML is set, plain text otherwise.
    static SpokenText FromSpeak(const QString& text, int flags);

    const QList<SapiSegment>& Segments() const { return m_segments; }
    // Start of segment k in text(); a silence stands there as one blank.
    int SegmentOffset(qsizetype k) const { return m_offsets.at(k); }
    // The characters spoken, in order, without tags.
    const QString& Text() const { return m_text; }
    // Index in the text given to Speak of character i of text().
    int SourcePosition(int i) const { return m_identity ? i : m_sources.at(i); }

private:
    void Append(const SapiSegment& segment);

    QList<SapiSegment> m_segments;
    QList<int> m_offsets;
    QString m_text;
    QList<int> m_sources;
    bool m_identity = true;
};
