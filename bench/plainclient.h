#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The bare network work of a login, as the baseline of the login benches:
// the same requests sent one after another by a blocking POSIX client on
// loopback, with a minimal cookie jar of its own.
namespace plainClient {

struct Page {
    QString path;
    bool headerOnly;
};

// The pages of a member login, in the order the sequence asks for them.
std::vector<Page> memberLoginPages();

// The program reads "/cookie.asp" and "/default.asp" up to the end of the
// header only; these pages, in the order given.
std::vector<Page> pagesOf(const QStringList &paths);

// One exchange: send, then read up to the end of the header (header only)
// or until the server closes. The answer, or empty on failure.
QByteArray exchange(quint16 port, const QByteArray &request, bool headerOnly);

// All pages with the cookie "memberid" = password to start with; false when
// one of them got no answer.
bool login(quint16 port, const QString &password, const std::vector<Page> &pages);

double median(std::vector<double> v);
double best(const std::vector<double> &v);

} // namespace plainClient
