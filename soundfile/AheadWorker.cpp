#include "soundfile/AheadWorker.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"
#include "speech/VoiceFactory.h"
#include "speech/WaitForVoice.h"
#include "speech/filestream/SpFileStream.h"
#include "speech/filestream/SpeechAudioFormat.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <cstdio>

namespace {

constexpr quint32 RequestMark = 0x56414831; // "VAH1": a request of this layout follows
constexpr int SeekEnd = 2;
constexpr int WaitSliceMs = 20;

QString& Program()
{
    static QString program;
    return program;
}

QDataStream& operator<<(QDataStream& out, const AheadRequest& request)
{
    return out << RequestMark << request.voice.id << request.voice.engine << qint32(request.rate)
               << qint32(request.volume) << qint32(request.speakFlags) << request.heldFile << request.indexes
               << request.texts;
}

// A request after its mark.
QDataStream& operator>>(QDataStream& in, AheadRequest& request)
{
    qint32 rate = 0;
    qint32 volume = 0;
    qint32 flags = 0;
    in >> request.voice.id >> request.voice.engine >> rate >> volume >> flags >> request.heldFile >>
        request.indexes >> request.texts;
    request.rate = rate;
    request.volume = volume;
    request.speakFlags = flags;
    return in;
}

QDataStream& operator<<(QDataStream& out, const AheadFragment& fragment)
{
    out << fragment.index << fragment.start << fragment.end << qint32(fragment.words.size());
    for (const AheadFragment::Word& word : fragment.words)
        out << word.streamPosition << word.position << word.length;
    return out;
}

QDataStream& operator>>(QDataStream& in, AheadFragment& fragment)
{
    qint32 words = 0;
    in >> fragment.index >> fragment.start >> fragment.end >> words;
    fragment.words.clear();
    for (qint32 k = 0; k < words && in.status() == QDataStream::Ok; ++k) {
        AheadFragment::Word word;
        in >> word.streamPosition >> word.position >> word.length;
        fragment.words.append(word);
    }
    return in;
}

// The voice of the request, as the run's voice was set.
std::unique_ptr<SpeechVoice> RequestedVoice(const AheadRequest& request)
{
    auto voice =
        CreateVoice(request.voice.engine == u"test" ? SpeechEngineKind::Test : SpeechEngineKind::Espeak);
    for (const VoiceToken& token : voice->GetVoices()) {
        if (token.id == request.voice.id) {
            voice->SetVoice(token);
            voice->SetRate(request.rate);
            voice->SetVolume(request.volume);
            return voice;
        }
    }
    throw VemoError(Say("Voice \"%1\" was not found.", "Голос «%1» не найден.").arg(request.voice.id));
}

// Speaks the requests that come on standard input until it ends, keeping the voice from
// one request to the next when it is the same.
class Speaker
{
public:
    void Run();

private:
    SpeechVoice& VoiceFor(const AheadRequest& request);
    void Speak(const AheadRequest& request);

    std::unique_ptr<SpeechVoice> m_voice;
    AheadFragment m_fragment; // the one being spoken
    QFile m_reports;
};

void Speaker::Run()
{
    QFile input;
    // Unbuffered: a read asks for what the request still lacks, never for more, which would
    // wait for a request that is only sent once this one is spoken.
    if (!input.open(fileno(stdin), QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw VemoError(QStringLiteral("standard input: ") + input.errorString());
    if (!m_reports.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw VemoError(QStringLiteral("standard output: ") + m_reports.errorString());
    QDataStream in(&input);
    for (;;) {
        quint32 mark = 0;
        in >> mark;
        if (in.status() == QDataStream::ReadPastEnd)
            return; // the run sends no more
        AheadRequest request;
        in >> request;
        if (mark != RequestMark || in.status() != QDataStream::Ok)
            throw VemoError(QStringLiteral("the request on standard input is incomplete"));
        Speak(request);
    }
}

SpeechVoice& Speaker::VoiceFor(const AheadRequest& request)
{
    if (!m_voice || m_voice->Voice().id != request.voice.id) {
        // The new voice is made before the old one goes, so the engines stay started.
        std::unique_ptr<SpeechVoice> voice = RequestedVoice(request);
        QObject::connect(voice.get(), &SpeechVoice::Word, voice.get(),
                         [this](int, qint64 streamPosition, int position, int length) {
                             m_fragment.words.append({streamPosition, position, length});
                         });
        m_voice = std::move(voice);
    }
    m_voice->SetRate(request.rate);
    m_voice->SetVolume(request.volume);
    return *m_voice;
}

void Speaker::Speak(const AheadRequest& request)
{
    SpeechVoice& voice = VoiceFor(request);
    SpFileStream stream;
    stream.SetFormatType(SAFT22kHz16BitMono);
    stream.Open(request.heldFile, 3);
    voice.SetAudioOutputStream(&stream);
    const qsizetype n = qMin(request.indexes.size(), request.texts.size());
    for (qsizetype k = 0; k < n; ++k) {
        m_fragment = AheadFragment{};
        m_fragment.index = request.indexes.at(k);
        m_fragment.start = stream.Seek(0, SeekEnd);
        voice.Speak(request.texts.at(k), request.speakFlags);
        WaitForVoice(voice, {});
        m_fragment.end = stream.Seek(0, SeekEnd); // the audio is on disk before it is reported
        QByteArray report;
        QDataStream out(&report, QIODevice::WriteOnly);
        out << m_fragment;
        if (m_reports.write(report) != report.size())
            throw VemoError(QStringLiteral("standard output: ") + m_reports.errorString());
    }
    voice.SetAudioOutputStream(nullptr);
    stream.Close();
}

} // namespace

AheadProcess::AheadProcess(const QString& program) : m_process(std::make_unique<QProcess>())
{
    m_process->setProgram(program);
    m_process->setArguments({QStringLiteral("--speak-ahead")});
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->start();
}

void AheadProcess::Send(const AheadRequest& request)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << request;
    // Written while the run goes on: the pipe is drained whenever it lets messages through.
    m_process->write(bytes);
}

void AheadProcess::EndRequests()
{
    m_process->closeWriteChannel();
}

void AheadProcess::Forget(qint64 index)
{
    std::erase_if(m_done, [index](const AheadFragment& fragment) { return fragment.index < index; });
}

AheadProcess::~AheadProcess()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

const AheadFragment* AheadProcess::Find(qint64 index) const
{
    for (const AheadFragment& fragment : m_done) {
        if (fragment.index == index)
            return &fragment;
    }
    return nullptr;
}

void AheadProcess::ReadReports()
{
    QDataStream in(m_process.get());
    for (;;) {
        in.startTransaction();
        AheadFragment fragment;
        in >> fragment;
        if (!in.commitTransaction())
            return;
        m_done.push_back(std::move(fragment));
    }
}

const AheadFragment* AheadProcess::WaitFor(qint64 index, const std::function<bool()>& keepWaiting)
{
    for (;;) {
        ReadReports();
        if (const AheadFragment* fragment = Find(index))
            return fragment;
        if (m_process->state() == QProcess::NotRunning) {
            TellFailure(index);
            return nullptr;
        }
        m_process->waitForReadyRead(WaitSliceMs);
        if (m_process->state() != QProcess::NotRunning && keepWaiting && !keepWaiting())
            return nullptr;
    }
}

// Why fragment `index` will not come, as far as the process tells.
void AheadProcess::TellFailure(qint64 index)
{
    const QString command = m_process->program() + QStringLiteral(" --speak-ahead");
    const QString errors = QString::fromLocal8Bit(m_process->readAllStandardError()).trimmed();
    if (m_process->error() == QProcess::FailedToStart || m_process->exitStatus() == QProcess::CrashExit)
        m_failure = command + QStringLiteral(": ") + m_process->errorString();
    else if (m_process->exitCode() != 0)
        m_failure = command + QStringLiteral(": exit status %1").arg(m_process->exitCode());
    else
        m_failure = command + QStringLiteral(": ended without fragment %1").arg(index);
    if (!errors.isEmpty())
        m_failure += QStringLiteral(": ") + errors;
}

QString AheadProcess::Failure() const
{
    return m_failure;
}

int RunSpeakAheadWorker()
{
    try {
        Speaker().Run();
    } catch (const VemoError& error) {
        std::fprintf(stderr, "vemo --speak-ahead: %s\n", error.Message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

void SetSpeakAheadProgram(const QString& program)
{
    Program() = program;
}

QString SpeakAheadProgram()
{
    return Program();
}
