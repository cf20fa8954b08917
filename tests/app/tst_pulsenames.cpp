#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QProcess>
#include <QTest>

// The program's sound as the sound server lists it: under "Vemo", not under the names Qt's
// PulseAudio backend makes up from the process id.
class TestPulseNames : public QObject
{
    Q_OBJECT

private slots:
    void streamCarriesProgramName();
};

namespace {

QString Pactl(const QStringList& arguments)
{
    QProcess pactl;
    pactl.start("pactl", arguments);
    if (!pactl.waitForFinished(10000) || pactl.exitCode() != 0)
        return {};
    return QString::fromUtf8(pactl.readAllStandardOutput());
}

// This process's sink inputs in pactl's listing; other programs (tests running beside this
// one) may play on the same server.
QString OwnSinkInputs(const QString& listing)
{
    const QString own =
        QStringLiteral("application.process.id = \"%1\"").arg(QCoreApplication::applicationPid());
    QString out;
    for (const QString& block : listing.split(QStringLiteral("Sink Input #"), Qt::SkipEmptyParts)) {
        if (block.contains(own))
            out += block;
    }
    return out;
}

} // namespace

void TestPulseNames::streamCarriesProgramName()
{
    if (Pactl({"info"}).isEmpty())
        QSKIP("no sound server (run under tools/with-pulse.sh)");
    QAudioFormat format;
    format.setSampleRate(22050);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    QAudioSink sink(QMediaDevices::defaultAudioOutput(), format);
    QByteArray silence(22050 * 2 * 5, '\0');
    QBuffer buffer(&silence);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    sink.start(&buffer);
    QString inputs;
    QTRY_VERIFY_WITH_TIMEOUT(
        (inputs = OwnSinkInputs(Pactl({"list", "sink-inputs"}))).contains("application.name"), 5000);
    sink.stop();
    QVERIFY2(inputs.contains("application.name = \"Vemo\""), qPrintable(inputs));
    QVERIFY2(inputs.contains("media.name = \"Vemo\""), qPrintable(inputs));
    QVERIFY2(!inputs.contains("QtPulseAudio") && !inputs.contains("QtmPulseStream"), qPrintable(inputs));
}

QTEST_MAIN(TestPulseNames)
#include "tst_pulsenames.moc"
