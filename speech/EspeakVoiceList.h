#pragma once

#include "speech/SpeechVoice.h"

#include <QList>

// The voices espeak-ng offers, as the voice lists show them.
class EspeakVoiceList
{
public:
    // Reads espeak-ng's list; call on the engine thread after espeak_Initialize.
    static EspeakVoiceList Read();

    const QList<VoiceToken>& Voices() const { return m_voices; }
    static QString EngineName() { return QStringLiteral("espeak-ng"); }
    // The voice as given when it is listed; a null token otherwise.
    VoiceToken Find(const QString& id) const;
    // False when the voice's file has gone since the list was read.
    bool IsInstalled(const VoiceToken& token) const;
    // The first voice of exactly that language, else the first whose language begins
    // with it and a hyphen ("en" finds "en-gb").
    VoiceToken FirstOfLanguage(const QString& prefix) const;
    // The token itself when its language begins with prefix, else the first such voice.
    VoiceToken ForLanguage(const VoiceToken& own, int languageId) const;

private:
    QList<VoiceToken> m_voices;
    QString m_dataPath;
};
