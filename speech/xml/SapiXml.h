#pragma once

#include <QList>
#include <QString>
#include <optional>

// One stretch of marked-up text that a voice speaks with one set of settings, or a pause.
struct SapiSegment
{
    enum class Kind
    {
        Text,
        Silence
    };

    Kind kind = Kind::Text;
    QString text;               // entities decoded; never empty for Text
    QList<int> sourcePositions; // for each character of text, its index in the markup
    int silenceMs = 0;          // Silence only

    // The settings in force here, after all enclosing and preceding elements.
    int languageId = 0;               // 0 = the voice's own, 0x409 English, 0x419 Russian
    std::optional<int> rateAbsolute;  // -10..10
    int rateRelative = 0;             // -10..10, added to the absolute or the voice's rate
    std::optional<int> volume;        // 0..100
    std::optional<int> pitchAbsolute; // -10..10
    int pitchRelative = 0;            // -10..10
    bool emphasis = false;
    bool spell = false;
};

// Reads the speech markup that the XML tab writes (voice/lang, volume, rate, pitch, emph,
// silence, pron, bookmark, partofsp, context, spell) into segments in text order. Any text
// is accepted: malformed markup yields the text that can be recovered, in linear time.
QList<SapiSegment> ParseSapiXml(const QString& markup);
