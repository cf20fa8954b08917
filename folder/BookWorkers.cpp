#include "folder/BookWorkers.h"

#include "files/VemoError.h"
#include "folder/FolderRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>
#include <csignal>
#include <sys/prctl.h>

namespace {

QJsonObject VoiceJson(const VoiceArguments& voice)
{
    QJsonObject json{{"name", voice.name}};
    if (voice.rate)
        json["rate"] = *voice.rate;
    if (voice.volume)
        json["volume"] = *voice.volume;
    return json;
}

VoiceArguments VoiceOf(const QJsonObject& json)
{
    VoiceArguments voice;
    voice.name = json["name"].toString();
    if (json.contains("rate"))
        voice.rate = json["rate"].toInt();
    if (json.contains("volume"))
        voice.volume = json["volume"].toInt();
    return voice;
}

QStringList Strings(const QJsonValue& value)
{
    QStringList strings;
    for (const QJsonValue& item : value.toArray())
        strings.append(item.toString());
    return strings;
}

} // namespace

QByteArray WorkerSettingsJson(const FolderRunSettings& settings, const WorkerLaunch& launch)
{
    const QJsonObject json{
        {"sound", settings.sound.ToJson()}, {"xml", settings.xml},
        {"digitLang", settings.digitLang},  {"formats", QJsonArray::fromStringList(settings.formats)},
        {"ru", VoiceJson(launch.ru)},       {"en", VoiceJson(launch.en)},
    };
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

void ReadWorkerSettings(const QString& path, FolderRunSettings& settings, WorkerLaunch& launch)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw VemoError(
            QStringLiteral("Cannot read the worker settings %1: %2").arg(path, file.errorString()));
    const QJsonObject json = QJsonDocument::fromJson(file.read(1 << 20)).object();
    if (!json.contains("sound"))
        throw VemoError(QStringLiteral("%1 holds no worker settings").arg(path));
    settings.sound = SoundFileOptions::FromJson(json["sound"].toObject());
    settings.xml = json["xml"].toBool();
    settings.digitLang = json["digitLang"].toString();
    // The run's formats decide which book keeps a base name that two books share.
    if (json.contains("formats")) {
        settings.formats.clear();
        for (const QJsonValue& format : json["formats"].toArray())
            settings.formats.append(format.toString());
    }
    launch.ru = VoiceOf(json["ru"].toObject());
    launch.en = VoiceOf(json["en"].toObject());
}

QByteArray WorkerReport(const BookOutcome& outcome)
{
    const QJsonObject json{{"stopped", outcome.stopped},
                           {"soundFiles", QJsonArray::fromStringList(outcome.soundFiles)},
                           {"problems", QJsonArray::fromStringList(outcome.problems)}};
    return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
}

struct BookWorkers::Worker
{
    qsizetype index = 0;
    QString textFile;
    QProcess process;
    QElapsedTimer clock;
};

BookWorkers::BookWorkers(const FolderRunSettings& settings, const WorkerLaunch& launch) : m_launch(launch)
{
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("vemo-worker-XXXXXX.json")));
    file.setAutoRemove(false);
    const QByteArray json = WorkerSettingsJson(settings, launch);
    if (!file.open() || file.write(json) != json.size() || !file.flush())
        throw VemoError(QStringLiteral("Cannot write the worker settings %1: %2")
                            .arg(file.fileName(), file.errorString()));
    m_settingsFile = file.fileName();
}

BookWorkers::~BookWorkers()
{
    for (const std::shared_ptr<Worker>& worker : std::as_const(m_running)) {
        worker->process.kill();
        worker->process.waitForFinished(5000);
    }
    QFile::remove(m_settingsFile);
}

void BookWorkers::Start(qsizetype index, const QString& textFile)
{
    auto worker = std::make_shared<Worker>();
    worker->index = index;
    worker->textFile = textFile;
    worker->clock.start();
    worker->process.setProgram(m_launch.program);
    worker->process.setArguments(
        {QStringLiteral("--convert-file"), textFile, QStringLiteral("--worker-settings"), m_settingsFile});
    // A worker ends with its run: killed at once, it leaves its file under the temporary
    // name, never a file cut short under its final one.
    worker->process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    worker->process.start();
    m_running.append(worker);
}

QList<std::pair<qsizetype, BookOutcome>> BookWorkers::TakeEnded(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    for (const std::shared_ptr<Worker>& worker : std::as_const(m_running)) {
        QObject::connect(&worker->process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&worker->process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        if (worker->process.state() == QProcess::NotRunning)
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
    }
    loop.exec();
    QList<std::pair<qsizetype, BookOutcome>> ended;
    for (qsizetype i = 0; i < m_running.size();) {
        Worker& worker = *m_running.at(i);
        if (worker.process.state() != QProcess::NotRunning) {
            ++i;
            continue;
        }
        worker.process.waitForFinished(0);
        ended.append({worker.index, OutcomeOf(worker)});
        m_running.removeAt(i);
    }
    return ended;
}

void BookWorkers::StopAll()
{
    for (const std::shared_ptr<Worker>& worker : std::as_const(m_running)) {
        if (worker->process.processId() > 0)
            ::kill(pid_t(worker->process.processId()), SIGINT);
    }
}

BookOutcome BookWorkers::OutcomeOf(Worker& worker) const
{
    BookOutcome outcome;
    outcome.milliseconds = worker.clock.elapsed();
    const QByteArray report = worker.process.readAllStandardOutput().trimmed();
    const QJsonObject json = QJsonDocument::fromJson(report.split('\n').last()).object();
    if (json.contains("soundFiles")) {
        outcome.stopped = json["stopped"].toBool();
        outcome.soundFiles = Strings(json["soundFiles"]);
        outcome.problems = Strings(json["problems"]);
        return outcome;
    }
    const QString errors =
        QString::fromLocal8Bit(worker.process.readAllStandardError()).trimmed().right(2000);
    const QString how = worker.process.error() == QProcess::FailedToStart
                            ? QStringLiteral("could not be started (%1)").arg(worker.process.errorString())
                        : worker.process.exitStatus() == QProcess::CrashExit
                            ? QStringLiteral("crashed")
                            : QStringLiteral("ended with status %1").arg(worker.process.exitCode());
    outcome.problems.append(
        QStringLiteral("the worker %1 %2 without a report%3")
            .arg(m_launch.program, how, errors.isEmpty() ? QString() : QStringLiteral(":\n") + errors));
    return outcome;
}
