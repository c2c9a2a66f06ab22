#include "net/site.h"

#include "version.h"

#include <QByteArray>

namespace modData {
namespace {
Site g_site{QStringLiteral(KORTVIK_SITE_HOST_DEFAULT), 80};
bool g_configured = false;
} // namespace

QString Site::authority() const
{
    return port == 80 ? host : host + QLatin1Char(':') + QString::number(port);
}

QString Site::baseUrl() const
{
    return QStringLiteral("http://") + authority();
}

bool parseSite(const QString &text, Site &out)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    Site s;
    const int colon = t.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool ok = false;
        const uint port = t.mid(colon + 1).toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return false;
        s.host = t.left(colon);
        s.port = static_cast<quint16>(port);
    } else {
        s.host = t;
    }
    if (s.host.isEmpty() || s.host.contains(QLatin1Char('/')) || s.host.contains(QLatin1Char(' ')))
        return false;
    out = s;
    return true;
}

void configureSite(const QString &optionValue)
{
    Site s{QStringLiteral(KORTVIK_SITE_HOST_DEFAULT), 80};
    parseSite(QString::fromLocal8Bit(qgetenv("KORTVIK_SITE")), s);
    parseSite(optionValue, s);
    g_site = s;
    g_configured = true;
}

const Site &site()
{
    // The process-wide setting is made once at start-up, before any thread
    // but the first exists; a library user that never configures gets the
    // variable or the build default.
    if (!g_configured)
        configureSite();
    return g_site;
}

} // namespace modData
