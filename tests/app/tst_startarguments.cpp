#include "app/StartArguments.h"

#include <QTest>

using Action = StartRequest::Action;

class TestStartArguments : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void errorsInOneLanguage_data();
    void errorsInOneLanguage();
    void russianLocale_data();
    void russianLocale();
};

namespace {

const QStringList Headless = {"--to-file", "--convert-folder", "--watch", "--list-voices"};

StartRequest Parse(const QString& line, bool russian = false)
{
    QStringList arguments{"vemo"};
    if (!line.isEmpty())
        arguments += line.split(' ');
    return ParseStartArguments(arguments, Headless, russian);
}

} // namespace

void TestStartArguments::parse_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("nothing: the window") << "" << Action::Window << ""
                                         << "";
    QTest::newRow("a file") << "book.txt" << Action::Window << "book.txt"
                            << "";
    QTest::newRow("a file named like an option, after --") << "-- --version" << Action::Window << "--version"
                                                           << "";
    QTest::newRow("display options pass to the toolkit")
        << "-platform offscreen -style Fusion book.rtf" << Action::Window << "book.rtf"
        << "";
    QTest::newRow("-h") << "-h" << Action::Help << ""
                        << "";
    QTest::newRow("--help beside a file") << "book.txt --help" << Action::Help << ""
                                          << "";
    QTest::newRow("-v") << "-v" << Action::Version << ""
                        << "";
    QTest::newRow("--version") << "--version" << Action::Version << ""
                               << "";
    QTest::newRow("help wins over version") << "--version -h" << Action::Help << ""
                                            << "";
    QTest::newRow("headless mode first") << "--to-file a.txt b.wav --divide 9" << Action::Headless << ""
                                         << "";
    QTest::newRow("list voices") << "--list-voices" << Action::Headless << ""
                                 << "";
    QTest::newRow("unknown long option") << "--frobnicate" << Action::UsageError << ""
                                         << "--frobnicate";
    QTest::newRow("unknown option beside a file") << "book.txt -x" << Action::UsageError << ""
                                                  << "unknown option -x";
    QTest::newRow("short options are not bundled") << "-hv" << Action::UsageError << ""
                                                   << "--hv";
    QTest::newRow("help value") << "--help=all" << Action::UsageError << ""
                                << "";
    QTest::newRow("headless mode not first") << "book.txt --to-file" << Action::UsageError << ""
                                             << "--to-file must be the first";
    QTest::newRow("two files") << "a.txt b.txt" << Action::UsageError << ""
                               << "«b.txt»";
    QTest::newRow("display option without its value") << "-platform" << Action::UsageError << ""
                                                      << "";
}

void TestStartArguments::parse()
{
    QFETCH(QString, line);
    QFETCH(Action, action);
    QFETCH(QString, fileName);
    QFETCH(QString, errorPart);
    const StartRequest request = Parse(line);
    QCOMPARE(request.action, action);
    QCOMPARE(request.fileName, fileName);
    if (action == Action::UsageError) {
        QVERIFY(request.error.startsWith("vemo: "));
        QVERIFY2(request.error.contains(errorPart), qPrintable(request.error));
        QVERIFY(!request.error.contains('\n'));
    }
}

void TestStartArguments::errorsInOneLanguage_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("unknown option") << "--frobnicate";
    QTest::newRow("misplaced command") << "a.txt --watch";
    QTest::newRow("two files") << "a.txt b.txt";
}

// A Russian message carries Cyrillic words and no English ones, and the other way round.
void TestStartArguments::errorsInOneLanguage()
{
    QFETCH(QString, line);
    static const QRegularExpression cyrillic("[а-яА-ЯёЁ]");
    static const QRegularExpression english("\\b(option|must|first|file|time|one)\\b");
    const QString inRussian = Parse(line, true).error;
    const QString inEnglish = Parse(line, false).error;
    QVERIFY2(inRussian.contains(cyrillic) && !inRussian.contains(english), qPrintable(inRussian));
    QVERIFY2(!inEnglish.contains(cyrillic), qPrintable(inEnglish));
}

void TestStartArguments::russianLocale_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<bool>("russian");
    QTest::newRow("LANG Russian") << QByteArray() << QByteArray() << QByteArray("ru_RU.UTF-8") << true;
    QTest::newRow("LANG English") << QByteArray() << QByteArray() << QByteArray("en_GB.UTF-8") << false;
    QTest::newRow("LC_MESSAGES before LANG")
        << QByteArray() << QByteArray("C") << QByteArray("ru_RU.UTF-8") << false;
    QTest::newRow("LC_ALL before all")
        << QByteArray("ru_UA.UTF-8") << QByteArray("C") << QByteArray("en_US.UTF-8") << true;
    QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << false;
    // The window keeps its messages Russian, and so do the workers it starts.
    QTest::newRow("window, English locale")
        << QByteArray("en_US.UTF-8") << QByteArray() << QByteArray("en_US.UTF-8") << true;
}

void TestStartArguments::russianLocale()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(bool, russian);
    qputenv("LC_ALL", lcAll);
    qputenv("LC_MESSAGES", lcMessages);
    qputenv("LANG", lang);
    qunsetenv("VEMO_MESSAGES");
    if (QByteArray(QTest::currentDataTag()).startsWith("window"))
        KeepMessagesInRussian();
    QCOMPARE(MessagesInRussian(), russian);
}

QTEST_GUILESS_MAIN(TestStartArguments)
#include "tst_startarguments.moc"
