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

QDataStream& operator>>(QDataStream& in, AheadRequest& request)
{
    quint32 mark = 0;
    qint32 rate = 0;
    qint32 volume = 0;
    qint32 flags = 0;
    in >> mark >> request.voice.id >> request.voice.engine >> rate >> volume >> flags >> request.heldFile >>
        request.indexes >> request.texts;
    if (mark != RequestMark)
        in.setStatus(QDataStream::ReadCorruptData);
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

void SpeakRequest(const AheadRequest& request)
{
    const std::unique_ptr<SpeechVoice> voice = RequestedVoice(request);
    SpFileStream stream;
    stream.SetFormatType(SAFT22kHz16BitMono);
    stream.Open(request.heldFile, 3);
    voice->SetAudioOutputStream(&stream);
    AheadFragment fragment;
    QObject::connect(voice.get(), &SpeechVoice::Word, voice.get(),
                     [&fragment](int, qint64 streamPosition, int position, int length) {
                         fragment.words.append({streamPosition, position, length});
                     });
    QFile reports;
    if (!reports.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw VemoError(QStringLiteral("standard output: ") + reports.errorString());
    const qsizetype n = qMin(request.indexes.size(), request.texts.size());
    for (qsizetype k = 0; k < n; ++k) {
        fragment = AheadFragment{};
        fragment.index = request.indexes.at(k);
        fragment.start = stream.Seek(0, SeekEnd);
        voice->Speak(request.texts.at(k), request.speakFlags);
        WaitForVoice(*voice, {});
        fragment.end = stream.Seek(0, SeekEnd); // the audio is on disk before it is reported
        QByteArray report;
        QDataStream out(&report, QIODevice::WriteOnly);
        out << fragment;
        if (reports.write(report) != report.size())
            throw VemoError(QStringLiteral("standard output: ") + reports.errorString());
    }
    stream.Close();
}

} // namespace

AheadProcess::AheadProcess(const QString& program, const AheadRequest& request)
    : m_process(std::make_unique<QProcess>())
{
    m_process->setProgram(program);
    m_process->setArguments({QStringLiteral("--speak-ahead")});
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->start();
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << request;
    // Written while the run goes on: the pipe is drained whenever it lets messages through.
    m_process->write(bytes);
    m_process->closeWriteChannel();
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
    QFile input;
    AheadRequest request;
    if (!input.open(fileno(stdin), QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vemo --speak-ahead: standard input: %s\n",
                     input.errorString().toLocal8Bit().constData());
        return 2;
    }
    QDataStream in(&input);
    in >> request;
    if (in.status() != QDataStream::Ok) {
        std::fprintf(stderr, "vemo --speak-ahead: the request on standard input is incomplete\n");
        return 2;
    }
    try {
        SpeakRequest(request);
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
