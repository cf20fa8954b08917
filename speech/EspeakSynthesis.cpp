#include "speech/EspeakSynthesis.h"

#include "files/VemoError.h"
#include "speech/EspeakVoiceList.h"
#include "speech/SegmentSettings.h"
#include "speech/SpeechQueue.h"
#include "speech/filestream/SpFileStream.h"
#include "text/Segmentation.h"

#include <algorithm>
#include <exception>

namespace {

// How far synthesis may run ahead of the listener on the sound device.
constexpr qint64 MaxAheadSamples = EngineSampleRate * 3;
constexpr qsizetype SilenceChunk = EngineSampleRate / 10;
// On the sound device, the end of a stream is told this long before its closing pause has
// been heard (never before its last sound), so that the next fragment is handed out while
// the pause is still playing and the join sounds as long as the pause itself.
constexpr qint64 EndStreamLeadSamples = EngineSampleRate * 90 / 1000;
// Samples below this magnitude count as silence when the end of the sound is looked for.
constexpr int SilenceLevel = 300;

// True when text ends (blanks aside) in a mark after which espeak-ng pauses inside a text:
// a sentence end, a comma, colon, semicolon or dash. After a plain blank it does not.
bool EndsWithPunctuation(const QString& text)
{
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text.at(i);
        if (c.isSpace())
            continue;
        return QStringView(u".!?\u2026,:;-\u2013\u2014").contains(c);
    }
    return false;
}

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

EspeakSynthesis::EspeakSynthesis(const EspeakJob& job, const EspeakVoiceList& voices, QString& currentVoice)
    : m_job(job), m_voices(voices), m_currentVoice(currentVoice), m_filter(job.spoken),
      m_meter(job.streamNumber)
{}

void EspeakSynthesis::run()
{
    if (!m_job.queue->beginStream(m_job.generation))
        return;
    try {
        speakSegments();
        if (m_job.file && !isPurged())
            m_job.file->flush();
    } catch (const VemoError& error) {
        m_job.queue->setFailure(error.message());
    } catch (const std::exception& error) {
        m_job.queue->setFailure(QString::fromLocal8Bit(error.what()));
    }
    finish();
}

void EspeakSynthesis::endUnspoken()
{
    if (m_job.queue->beginStream(m_job.generation))
        finish();
}

int EspeakSynthesis::callback(short* wav, int count, espeak_EVENT* events)
{
    auto* self = events ? static_cast<EspeakSynthesis*>(events->user_data) : nullptr;
    if (!self)
        return 1;
    try {
        return self->take(wav, count, events);
    } catch (const VemoError& error) {
        self->m_job.queue->setFailure(error.message());
    } catch (const std::exception& error) {
        self->m_job.queue->setFailure(QString::fromLocal8Bit(error.what()));
    }
    self->m_stopped = true;
    return 1;
}

void EspeakSynthesis::speakSegments()
{
    const QList<SapiSegment>& segments = m_job.spoken.segments();
    qsizetype lastText = -1;
    for (qsizetype k = 0; k < segments.size(); ++k) {
        if (segments.at(k).kind == SapiSegment::Kind::Text)
            lastText = k;
    }
    for (qsizetype k = 0; k < segments.size() && !m_stopped && !isPurged(); ++k) {
        // The closing pause is the one espeak-ng makes for the punctuation the text ends
        // with, as it would inside one text; fragments that end on a blank join without one.
        m_endPause = k == lastText && EndsWithPunctuation(m_job.spoken.text());
        speakSegment(k);
    }
}

void EspeakSynthesis::speakSegment(qsizetype k)
{
    const SapiSegment& segment = m_job.spoken.segments().at(k);
    if (segment.kind == SapiSegment::Kind::Silence) {
        speakSilence(segment.silenceMs);
        return;
    }
    const SegmentSettings settings = SegmentSettings::of(segment, m_job.rate, m_job.volume);
    applySettings(settings);
    if (settings.spell)
        speakSpelled(segment.text, m_job.spoken.segmentOffset(k));
    else
        speakText(segment.text, m_job.spoken.segmentOffset(k));
}

void EspeakSynthesis::applySettings(const SegmentSettings& settings)
{
    const VoiceToken voice = m_voices.forLanguage(m_job.voice, settings.languageId);
    if (voice.id != m_currentVoice) {
        if (espeak_SetVoiceByName(voice.id.toUtf8().constData()) != EE_OK)
            throw VemoError(QStringLiteral("Голос «%1» не найден в espeak-ng.").arg(voice.description));
        m_currentVoice = voice.id;
    }
    espeak_SetParameter(espeakRATE, settings.wordsPerMinute(), 0);
    espeak_SetParameter(espeakVOLUME, settings.espeakVolume(), 0);
    espeak_SetParameter(espeakPITCH, settings.espeakPitch(), 0);
}

void EspeakSynthesis::speakText(const QString& text, int spokenOffset)
{
    if (text.isEmpty())
        return;
    const std::vector<wchar_t> wide = WideText(text, m_utf16);
    m_spokenOffset = spokenOffset;
    m_synthBase = m_written;
    const unsigned flags = espeakCHARS_WCHAR | (m_endPause ? espeakENDPAUSE : 0);
    const espeak_ERROR result =
        espeak_Synth(wide.data(), wide.size() * sizeof(wchar_t), 0, POS_CHARACTER, 0, flags, nullptr, this);
    if (result != EE_OK && !m_stopped && !isPurged())
        throw VemoError(QStringLiteral("espeak-ng не смог произнести текст (ошибка %1).").arg(int(result)));
}

// Each character on its own, which espeak-ng reads by its name.
void EspeakSynthesis::speakSpelled(const QString& text, int spokenOffset)
{
    for (qsizetype i = 0; i < text.size() && !m_stopped && !isPurged(); ++i) {
        if (!IsSeparator(text.at(i)))
            speakText(text.mid(i, 1), spokenOffset + int(i));
    }
}

void EspeakSynthesis::speakSilence(int ms)
{
    const std::vector<qint16> zeros(std::size_t(SilenceChunk), 0);
    qint64 left = qint64(qMax(0, ms)) * EngineSampleRate / 1000;
    while (left > 0 && !m_stopped) {
        const qsizetype n = qsizetype(qMin<qint64>(left, SilenceChunk));
        if (!handOn(zeros.data(), n, {}))
            m_stopped = true;
        left -= n;
    }
}

int EspeakSynthesis::take(const short* wav, int count, const espeak_EVENT* events)
{
    if (m_stopped || isPurged())
        return 1;
    QList<SpeechEvent> queued;
    for (const espeak_EVENT* event = events; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type == espeakEVENT_WORD)
            queued += wordEvents(*event);
    }
    const qsizetype n = wav ? qMax(0, count) : 0;
    return handOn(reinterpret_cast<const qint16*>(wav), n, queued) ? 0 : 1;
}

QList<SpeechEvent> EspeakSynthesis::wordEvents(const espeak_EVENT& event)
{
    int index = qMax(0, event.text_position - 1); // espeak-ng counts from 1
    if (!m_utf16.empty())
        index = m_utf16.at(std::size_t(qMin<qsizetype>(index, qsizetype(m_utf16.size()) - 1)));
    QList<SpeechEvent> events = m_filter.eventsForWord(m_spokenOffset + index);
    for (SpeechEvent& e : events) {
        e.streamNumber = m_job.streamNumber;
        e.sample = m_synthBase + qMax(0, event.sample);
        e.streamPosition = e.sample * 2;
    }
    return events;
}

bool EspeakSynthesis::handOn(const qint16* samples, qsizetype count, QList<SpeechEvent> events)
{
    // Levels are only shown for what is heard; a file's audio is not metered.
    if (!m_job.file)
        events += m_meter.measure(samples, count);
    for (qsizetype i = count - 1; i >= 0; --i) {
        if (qAbs(int(samples[i])) >= SilenceLevel) {
            m_lastSound = m_written + i + 1;
            break;
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const SpeechEvent& a, const SpeechEvent& b) { return a.sample < b.sample; });
    m_written += count;
    if (m_job.file) {
        if (count > 0)
            m_job.file->writeSamples(samples, count, EngineSampleRate);
        for (SpeechEvent& event : events)
            event.immediate = true;
        return m_job.queue->appendEvents(m_job.generation, events);
    }
    if (!m_job.queue->waitForRoom(m_job.generation, MaxAheadSamples))
        return false;
    return m_job.queue->appendAudio(m_job.generation, samples, count, events);
}

bool EspeakSynthesis::isPurged() const
{
    return m_job.queue->generation() != m_job.generation;
}

void EspeakSynthesis::finish()
{
    SpeechEvent end;
    end.kind = SpeechEvent::Kind::EndStream;
    end.streamNumber = m_job.streamNumber;
    end.streamPosition = m_written * 2;
    end.immediate = m_job.file != nullptr;
    const qint64 lead = qMin(EndStreamLeadSamples, m_written - m_lastSound);
    m_job.queue->finishStream(m_job.generation, end, end.immediate ? 0 : qMax<qint64>(0, lead));
}
