#include "speech/EspeakSynthesis.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/EspeakVoiceList.h"
#include "speech/SegmentSettings.h"
#include "speech/SpeechQueue.h"
#include "speech/filestream/SpFileStream.h"
#include "text/Segmentation.h"

#include <algorithm>
#include <exception>

namespace {

// A control character that espeak-ng must not see: it reads C0 codes as the start of its own
// embedded commands (U+0001 followed by a letter can crash it). Line breaks and tabs stay.
bool IsCommandCharacter(char32_t code)
{
    if (code == u'\t' || code == u'\n' || code == u'\r')
        return false;
    return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

// The text as espeak-ng reads it: one wide character per code point, no NUL inside, every
// control character but line breaks and tabs a blank (so positions stay where they were).
std::vector<wchar_t> WideText(const QString& text, std::vector<int>& utf16Index)
{
    std::vector<wchar_t> wide;
    wide.reserve(std::size_t(text.size()) + 1);
    utf16Index.clear();
    bool pairs = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        char32_t code = c.unicode();
        utf16Index.push_back(int(i));
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
            pairs = true;
        } else if (c.isSurrogate()) {
            code = 0xFFFD;
        } else if (IsCommandCharacter(code)) {
            code = u' ';
        }
        wide.push_back(wchar_t(code));
    }
    wide.push_back(0);
    if (!pairs)
        utf16Index.clear();
    return wide;
}

} // namespace

EspeakSynthesis::EspeakSynthesis(const SpeechJob& job, const EspeakVoiceList& voices, QString& currentVoice)
    : m_job(job), m_voices(voices), m_currentVoice(currentVoice), m_output(job)
{}

void EspeakSynthesis::Run()
{
    if (!m_output.Begin())
        return;
    try {
        SpeakSegments();
    } catch (const VemoError& error) {
        m_output.Fail(error.Message());
    } catch (const std::exception& error) {
        m_output.Fail(QString::fromLocal8Bit(error.what()));
    }
    m_output.Finish();
}

void EspeakSynthesis::EndUnspoken()
{
    if (m_output.Begin())
        m_output.Finish();
}

int EspeakSynthesis::Callback(short* wav, int count, espeak_EVENT* events)
{
    auto* self = events ? static_cast<EspeakSynthesis*>(events->user_data) : nullptr;
    if (!self)
        return 1;
    try {
        return self->Take(wav, count, events);
    } catch (const VemoError& error) {
        self->m_output.Fail(error.Message());
    } catch (const std::exception& error) {
        self->m_output.Fail(QString::fromLocal8Bit(error.what()));
    }
    self->m_stopped = true;
    return 1;
}

void EspeakSynthesis::SpeakSegments()
{
    const QList<SapiSegment>& segments = m_job.spoken.Segments();
    qsizetype lastText = -1;
    for (qsizetype k = 0; k < segments.size(); ++k) {
        if (segments.at(k).kind == SapiSegment::Kind::Text)
            lastText = k;
    }
    for (qsizetype k = 0; k < segments.size() && !m_stopped && !IsPurged(); ++k) {
        // The closing pause is the one espeak-ng makes for the punctuation the text ends
        // with, as it would inside one text; fragments that end on a blank join without one.
        m_endPause = k == lastText && EndsWithPausingMark(m_job.spoken.Text());
        SpeakSegment(k);
    }
}

void EspeakSynthesis::SpeakSegment(qsizetype k)
{
    const SapiSegment& segment = m_job.spoken.Segments().at(k);
    if (segment.kind == SapiSegment::Kind::Silence) {
        SpeakSilence(segment.silenceMs);
        return;
    }
    const SegmentSettings settings = SegmentSettings::Of(segment, m_job.rate, m_job.volume);
    ApplySettings(settings);
    if (settings.spell)
        SpeakSpelled(segment.text, m_job.spoken.SegmentOffset(k));
    else
        SpeakText(segment.text, m_job.spoken.SegmentOffset(k));
}

void EspeakSynthesis::ApplySettings(const SegmentSettings& settings)
{
    const VoiceToken voice = m_voices.ForLanguage(m_job.voice, settings.languageId);
    if (voice.id != m_currentVoice) {
        if (espeak_SetVoiceByName(voice.id.toUtf8().constData()) != EE_OK)
            throw VemoError(
                Say("Voice \"%1\" was not found in espeak-ng.", "Голос «%1» не найден в espeak-ng.")
                    .arg(voice.description));
        m_currentVoice = voice.id;
    }
    espeak_SetParameter(espeakRATE, settings.WordsPerMinute(), 0);
    espeak_SetParameter(espeakVOLUME, settings.EspeakVolume(), 0);
    espeak_SetParameter(espeakPITCH, settings.EspeakPitch(), 0);
}

void EspeakSynthesis::SpeakText(const QString& text, int spokenOffset)
{
    if (text.isEmpty())
        return;
    const std::vector<wchar_t> wide = WideText(text, m_utf16);
    m_spokenOffset = spokenOffset;
    m_synthBase = m_output.Written();
    const unsigned flags = espeakCHARS_WCHAR | (m_endPause ? espeakENDPAUSE : 0);
    const espeak_ERROR result =
        espeak_Synth(wide.data(), wide.size() * sizeof(wchar_t), 0, POS_CHARACTER, 0, flags, nullptr, this);
    if (result != EE_OK && !m_stopped && !IsPurged())
        throw VemoError(Say("espeak-ng could not speak the text (error %1).",
                            "espeak-ng не смог произнести текст (ошибка %1).")
                            .arg(int(result)));
}

// Each character on its own, which espeak-ng reads by its name.
void EspeakSynthesis::SpeakSpelled(const QString& text, int spokenOffset)
{
    for (qsizetype i = 0; i < text.size() && !m_stopped && !IsPurged(); ++i) {
        if (!IsSeparator(text.at(i)))
            SpeakText(text.mid(i, 1), spokenOffset + int(i));
    }
}

void EspeakSynthesis::SpeakSilence(int ms)
{
    if (!m_stopped && !m_output.HandOnSilence(ms))
        m_stopped = true;
}

int EspeakSynthesis::Take(const short* wav, int count, const espeak_EVENT* events)
{
    if (m_stopped || IsPurged())
        return 1;
    QList<SpeechEvent> queued;
    for (const espeak_EVENT* event = events; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type == espeakEVENT_WORD)
            queued += WordEvents(*event);
    }
    const qsizetype n = wav ? qMax(0, count) : 0;
    return m_output.HandOn(reinterpret_cast<const qint16*>(wav), n, queued) ? 0 : 1;
}

QList<SpeechEvent> EspeakSynthesis::WordEvents(const espeak_EVENT& event)
{
    int index = qMax(0, event.text_position - 1); // espeak-ng counts from 1
    if (!m_utf16.empty())
        index = m_utf16.at(std::size_t(qMin<qsizetype>(index, qsizetype(m_utf16.size()) - 1)));
    return m_output.WordEvents(m_spokenOffset + index, m_synthBase + qMax(0, event.sample));
}
