#include "speech/SpokenText.h"

#include "speech/SpeechVoice.h"

SpokenText SpokenText::FromSpeak(const QString& text, int flags)
{
    SpokenText spoken;
    if (!(flags & SVSFIsXML)) {
        SapiSegment plain;
        plain.text = text;
        spoken.m_segments.append(plain);
        spoken.m_offsets.append(0);
        spoken.m_text = text;
        return spoken;
    }
    spoken.m_identity = false;
    const QList<SapiSegment> segments = ParseSapiXml(text);
    for (const SapiSegment& segment : segments)
        spoken.Append(segment);
    return spoken;
}

void SpokenText::Append(const SapiSegment& segment)
{
    m_segments.append(segment);
    m_offsets.append(int(m_text.size()));
    if (segment.kind != SapiSegment::Kind::Text) {
        // A pause parts the words on either side, as a blank would.
        m_text += u' ';
        m_sources.append(m_sources.isEmpty() ? 0 : m_sources.constLast() + 1);
        return;
    }
    m_text += segment.text;
    for (qsizetype i = 0; i < segment.text.size(); ++i)
        m_sources.append(i < segment.sourcePositions.size() ? segment.sourcePositions.at(i) : 0);
}
