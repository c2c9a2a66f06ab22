#pragma once
#include <QString>

#include <stdexcept>

class clsMainApp;
class frmProcess;

// The start procedure that every thread of the process runs first, and the
// per-thread state it sets.
namespace modThreading {

constexpr quint32 kErrInternalStart = 0x80040600u;
constexpr quint32 kErrAutomationStart = 0x80040601u;

// One of the two start-up errors; the caller reports it and ends.
class StartError : public std::runtime_error
{
public:
    StartError(quint32 number, const QString &description);
    quint32 number() const { return m_number; }
    QString description() const { return m_description; }
    // "Error 0x80040601 (-2147219967): Application can't be started with Automation"
    QString message() const;

private:
    quint32 m_number;
    QString m_description;
};

// How the process was started: by the user, or for an automation client
// (--automation). Process-wide; set once before startThread.
enum class StartMode { User, Automation };
void setStartMode(StartMode mode);
StartMode startMode();
// --minimized: the main window stays hidden when the desktop has a tray.
void setStartMinimized(bool minimized);
bool startMinimized();

// The bus name owned by the running program.
QString busName();

// Per-thread state (empty on every new thread).
clsMainApp *&mainApp();
frmProcess *&processWindow();
quint32 &processId();

// The start procedure. On the first thread of a user-started process it
// claims the single-instance bus name, creates the marker window and the
// application object. A second instance shows "Öppen instans", brings the
// running window to the front and ends the process with code 0. Throws
// StartError for the two start-up errors.
void startThread();

// Closes the marker window and clears processWindow.
void unloadProcessWindow();

// The text of the "Öppen instans" box.
QString secondInstanceText();
// Shows the "Öppen instans" box modally.
void showSecondInstanceBox();

} // namespace modThreading
