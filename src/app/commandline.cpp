#include "app/commandline.h"

#include "version.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace commandLine {

namespace {

// Qt's own options, which QApplication reads and removes: known here only so
// that they are not taken for mistakes. Given with one dash or two.
const char *const kQtValueOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowicon", "icon", "qwindowtitle", "title", "session", "style", "stylesheet",
    "qmljsdebugger", "display", "name", "visual",
};
const char *const kQtFlags[] = {"reverse", "testability", "widgetcount", "dograb", "nograb"};

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString withHint(const QString &line)
{
    return line + QStringLiteral(" (se kortvik --help)");
}

// QCommandLineParser names the offending argument in its own (English)
// message; the Swedish line is made from that name.
QString parseErrorLine(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        // Shown as the user wrote it: "-x", "--xyz" or "-xyz=1".
        const QString name = unknown.first();
        QString written = QStringLiteral("--") + name;
        for (const QString &arg : arguments.mid(1)) {
            QString bare = arg.section(QLatin1Char('='), 0, 0);
            while (bare.startsWith(QLatin1Char('-')))
                bare.remove(0, 1);
            if (arg.startsWith(QLatin1Char('-')) && bare == name) {
                written = arg;
                break;
            }
        }
        return withHint(QStringLiteral("okänd flagga ") + quoted(written));
    }
    const QString text = parser.errorText();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("'([^']*)'")).match(text);
    const QString name = m.hasMatch() ? quoted(m.captured(1)) : QString();
    if (text.startsWith(QLatin1String("Missing value")))
        return withHint(QStringLiteral("flaggan %1 behöver ett värde").arg(name));
    if (text.startsWith(QLatin1String("Unexpected value")))
        return withHint(QStringLiteral("flaggan %1 tar inget värde").arg(name));
    return withHint(QStringLiteral("kommandoraden kan inte läsas"));
}

} // namespace

Options parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-platform xcb" is one option, as Qt reads it, not eight letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption site(QStringLiteral("site"), QString(), QStringLiteral("host"));
    const QCommandLineOption automation(QStringLiteral("automation"), QString());
    const QCommandLineOption minimized(QStringLiteral("minimized"), QString());
    parser.addOptions({help, version, site, automation, minimized});
    for (const char *name : kQtValueOptions)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char *name : kQtFlags)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString()));

    Options options;
    if (!parser.parse(arguments)) {
        options.action = Options::Action::Error;
        options.error = parseErrorLine(parser, arguments);
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.action = Options::Action::Error;
        options.error = withHint(QStringLiteral("okänt argument ") + quoted(parser.positionalArguments().first()));
        return options;
    }
    if (parser.isSet(help))
        options.action = Options::Action::Help;
    else if (parser.isSet(version))
        options.action = Options::Action::Version;
    // The last --site counts, as a later option usually does.
    const QStringList sites = parser.values(site);
    if (!sites.isEmpty())
        options.site = sites.last();
    options.automation = parser.isSet(automation);
    options.minimized = parser.isSet(minimized);
    return options;
}

QString helpText()
{
    return QStringLiteral(
               "Användning: kortvik [FLAGGOR]\n"
               "\n"
               "Kortvik är en klient för communityt Sandlund: den loggar in dig, håller\n"
               "inloggningen vid liv och visar ditt namn, alias, ID och dina iMails.\n"
               "\n"
               "Flaggor:\n"
               "  --site VÄRD[:PORT]  använd den här webbplatsen i stället för den inbyggda\n"
               "                      (%1, port 80); går före miljövariabeln\n"
               "                      KORTVIK_SITE\n"
               "  --minimized         starta med bara ikonen i systemfältet (finns inget\n"
               "                      systemfält visas fönstret som vanligt)\n"
               "  -h, --help          visa den här texten och avsluta\n"
               "  -v, --version       visa versionen och avsluta\n"
               "\n"
               "Qt:s egna flaggor, till exempel -platform, -style och -qwindowgeometry,\n"
               "lämnas vidare till Qt.\n"
               "\n"
               "Mer om filer, D-Bus-gränssnittet och miljövariabler: man kortvik\n")
        .arg(QStringLiteral(KORTVIK_SITE_HOST_DEFAULT));
}

QString versionText()
{
    return QStringLiteral("kortvik " KORTVIK_VERSION_TEXT "\n");
}

} // namespace commandLine
