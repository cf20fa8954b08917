#include "app/StartArguments.h"

#include <QCommandLineParser>
#include <QLocale>

namespace {

// The toolkit's own options, which QApplication takes out of the command line of the window.
const char* const DisplayOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",          "style",       "stylesheet",
    "display",  "geometry",           "title",         "qwindowgeometry", "qwindowicon", "qwindowtitle",
    "session"};
const char* const DisplayFlags[] = {"reverse", "widgetcount", "sync"};

QString Say(bool russian, const char* english, const char* inRussian)
{
    return russian ? QString::fromUtf8(inRussian) : QString::fromUtf8(english);
}

StartRequest UsageError(const QString& message)
{
    StartRequest request;
    request.action = StartRequest::Action::UsageError;
    request.error = QStringLiteral("vemo: ") + message;
    return request;
}

void AddDisplayOptions(QCommandLineParser& parser)
{
    for (const char* name : DisplayOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : DisplayFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// The option as the user typed it: one dash for a one-letter name, two for a word.
QString Dashed(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

StartRequest ParseWindowArguments(const QStringList& arguments, const QStringList& headlessOptions,
                                  bool russian)
{
    QCommandLineParser parser;
    // -platform and -style are single-dash words; short options are never bundled.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    for (const QString& headless : headlessOptions)
        parser.addOption(QCommandLineOption(headless.mid(2)));
    AddDisplayOptions(parser);

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return UsageError(Say(russian, "unknown option %1 (vemo --help lists the options)",
                                  "неизвестный параметр %1 (список параметров: vemo --help)")
                                  .arg(Dashed(unknown.first())));
        // A value missing after a display option, or given to --help or --version.
        return UsageError(russian ? QStringLiteral("неверная командная строка: ") +
                                        arguments.mid(1).join(QLatin1Char(' '))
                                  : parser.errorText());
    }
    StartRequest request;
    if (parser.isSet(help)) {
        request.action = StartRequest::Action::Help;
        return request;
    }
    if (parser.isSet(version)) {
        request.action = StartRequest::Action::Version;
        return request;
    }
    for (const QString& headless : headlessOptions) {
        if (parser.isSet(headless.mid(2)))
            return UsageError(
                Say(russian, "%1 must be the first argument", "%1 должен стоять первым").arg(headless));
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return UsageError(
            Say(russian, "one file at a time: «%1» is one too many", "открывается один файл: «%1» лишний")
                .arg(files.at(1)));
    if (!files.isEmpty())
        request.fileName = files.first();
    return request;
}

} // namespace

StartRequest ParseStartArguments(const QStringList& arguments, const QStringList& headlessOptions,
                                 bool russian)
{
    if (arguments.size() > 1 && headlessOptions.contains(arguments.at(1))) {
        StartRequest request;
        request.action = StartRequest::Action::Headless;
        return request;
    }
    return ParseWindowArguments(arguments, headlessOptions, russian);
}
