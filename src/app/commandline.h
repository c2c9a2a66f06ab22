#pragma once
#include <QString>
#include <QStringList>

// The program's command line, read before any window system is touched, so
// that --help, --version and a mistyped option work without a display.
namespace commandLine {

struct Options {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString site;            // --site HOST[:PORT]; empty when not given
    bool automation = false; // --automation: started for an automation client
    bool minimized = false;  // --minimized: only the tray icon, when there is a tray
    QString error;           // one Swedish line when action is Error
};

// arguments as main() got them, the program's name first. Qt's own options
// (-platform, -style, ...) are accepted and left for QApplication.
Options parse(const QStringList &arguments);

// What --help and --version print (the man page says the same).
QString helpText();
QString versionText();

// Exit status for a command line that cannot be used.
constexpr int kUsageExitCode = 2;

} // namespace commandLine
