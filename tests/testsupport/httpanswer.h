#pragma once
#include <QByteArray>
#include <QList>

// What goes into an answer of httpAnswer() besides the body.
struct HttpAnswer {
    QByteArray headers = {};     // further header lines, CRLF between them
    QList<QByteArray> cookies = {}; // Set-Cookie values; "; path=/" is added
    bool html = false;           // Content-Type: text/html
    bool length = false;         // Content-Length
};

// A "200 OK" answer as a test server sends it: the status line, the header
// lines asked for (in the order of the fields above) and the body.
inline QByteArray httpAnswer(const QByteArray &body, const HttpAnswer &how = {})
{
    QByteArray r = "HTTP/1.1 200 OK\r\n";
    if (how.html)
        r += "Content-Type: text/html\r\n";
    for (const QByteArray &c : how.cookies)
        r += "Set-Cookie: " + c + "; path=/\r\n";
    if (!how.headers.isEmpty())
        r += how.headers + "\r\n";
    if (how.length)
        r += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return r + "\r\n" + body;
}
