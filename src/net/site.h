#pragma once
#include <QString>

// Where the community site is. The build sets the default host; the
// environment variable KORTVIK_SITE or the option --site replace it.
namespace modData {

struct Site {
    QString host;   // host name only
    quint16 port = 80;
    // "host" or "host:port", the port only when it is not 80.
    QString authority() const;
    // "http://" + authority()
    QString baseUrl() const;
};

// Parses "host" or "host:port"; false (and out untouched) when it is not usable.
bool parseSite(const QString &text, Site &out);

// The site in force for this process.
const Site &site();
// Applies the run-time override: the option wins over the variable.
// An empty or unusable option leaves the variable or the build default.
void configureSite(const QString &optionValue = QString());

} // namespace modData
