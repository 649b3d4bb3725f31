#include "commandline.h"

#include "buildinfo.h"
#include "platform/filenames.h"

#include <QCommandLineParser>

#include <QCoreApplication>
#include <cstring>

namespace quenbry {

namespace {

// The translation context of the texts below.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    // --register-owner takes two values, which the parser cannot describe as an option; it is
    // handled before the parser and only named here.
    parser.setApplicationDescription(
        Text::tr("%1\n\n--register-owner NAME ORGANISATION\n"
                 "  Records the owner's name and organisation that the splash shows, "
                 "then exits.")
            .arg(QString::fromLatin1(applicationTitle)));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), Text::tr("The page to open."),
                                 Text::tr("[FILE]"));
    if (!parser.parse(arguments))
        return {CommandLine::Error, {}, parser.errorText()};
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        return {CommandLine::Help, {}, parser.helpText()};
    if (parser.isSet(version))
        return {CommandLine::Version,
                {},
                QStringLiteral("%1 %2").arg(QString::fromLatin1(applicationTitle),
                                            QString::fromLatin1(applicationVersion))};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return {CommandLine::Error, {}, Text::tr("Give one file at most.")};
    // The current folder is the one the user meant; links are kept as named, as Open keeps them.
    return {CommandLine::Start, files.isEmpty() ? QString() : absoluteFileName(files[0]), {}};
}

QStringList withoutToolkitOptions(const QStringList &arguments) {
    // The options of Qt's GUI application and its X11 platform, by whether a value follows.
    static const QStringList withValue{QStringLiteral("platform"),
                                       QStringLiteral("platformpluginpath"),
                                       QStringLiteral("platformtheme"),
                                       QStringLiteral("plugin"),
                                       QStringLiteral("qwindowgeometry"),
                                       QStringLiteral("qwindowicon"),
                                       QStringLiteral("qwindowtitle"),
                                       QStringLiteral("session"),
                                       QStringLiteral("display"),
                                       QStringLiteral("geometry"),
                                       QStringLiteral("name"),
                                       QStringLiteral("title"),
                                       QStringLiteral("style"),
                                       QStringLiteral("stylesheet"),
                                       QStringLiteral("qmljsdebugger")};
    static const QStringList alone{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                   QStringLiteral("nograb"), QStringLiteral("dograb"),
                                   QStringLiteral("sync")};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (i == 0 || !a.startsWith(u'-') || a == QLatin1String("--")) {
            kept << a;
            if (a == QLatin1String("--") && i > 0) {
                kept << arguments.mid(i + 1);
                break;
            }
            continue;
        }
        QString option = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        const bool joined = option.contains(u'=');
        option = option.section(u'=', 0, 0);
        if (withValue.contains(option))
            i += joined ? 0 : 1;
        else if (!alone.contains(option))
            kept << a;
    }
    return kept;
}

int toolkitArgumentCount(int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--") == 0)
            return i;
    return argc;
}

QStringList argumentsFromBytes(const std::vector<const char *> &argv) {
    QStringList arguments;
    for (const char *argument : argv)
        arguments << fileNameFromBytes(argument);
    return arguments;
}

} // namespace quenbry
