#pragma once
// Crafted profile form pages for the tests, written from the site's markup
// fragments (independently of the demo site's page builder).
#include <QString>
#include <QStringList>

namespace profilepage {

inline const QString CRLF = QStringLiteral("\r\n");

inline QString textInput(const QString &name, const QString &value)
{
    return QStringLiteral("<input type=\"text\" name=\"%1\" size=\"30\" value=\"%2\">").arg(name, value);
}

inline QString checkbox(const QString &name, bool checked)
{
    return QStringLiteral("<input type=\"checkbox\" name=\"%1\" value=\"1\"%2>")
        .arg(name, checked ? QStringLiteral(" checked") : QString());
}

inline QString radio(const QString &name, const QString &value, bool checked)
{
    return QStringLiteral("<input name=\"%1\" type=\"radio\" %2value=\"%3\">")
        .arg(name, checked ? QStringLiteral("checked ") : QString(), value);
}

inline QString birthday(const QString &value)
{
    return QStringLiteral("<input name=\"strBirthday\" style=\"background-color: #e7e2d3; font-family: "
                          "Verdana; font-size: 8pt; height: 19; position: relative; width: 102\" "
                          "size=\"20\" value=\"")
           + value + QStringLiteral("\">");
}

inline QString greetingHead()
{
    return QStringLiteral("<input maxLength=\"50\" name=\"strChatWelcome\" size=\"30\" style=\"background-color: "
                          "#e7e2d3; font-family: disabled Verdana; font-size: 8pt; height: 19; "
                          "position: relative; width: 193\" class=\"textruta\"");
}

inline QString greetingEnabled(const QString &value)
{
    return greetingHead() + QStringLiteral("  value=\"") + value + QStringLiteral("\">");
}

inline QString greetingDisabled()
{
    return greetingHead() + QStringLiteral(" disabled value=\"\">");
}

inline QString postal(const QString &value)
{
    return QStringLiteral("<input name=\"postal\" size=\"15\" style=\"BACKGROUND-COLOR: #e7e2d3; "
                          "FONT-FAMILY: Verdana; FONT-SIZE: 8pt; HEIGHT: 19px; POSITION: relative; "
                          "WIDTH: 50px\" value=\"")
           + value + QStringLiteral("\">");
}

// The select list; every option line is ended by CR LF.
inline QString selectList(const QStringList &optionLines)
{
    QString s = QStringLiteral("<select size=\"1\" name=\"homecity\" class=\"textruta\">") + CRLF;
    for (const QString &line : optionLines)
        s += line + CRLF;
    return s + CRLF + QStringLiteral("          </select>");
}

inline QString textarea(const QString &text)
{
    return QStringLiteral("<textarea name=\"strabout\" rows=\"6\" cols=\"45\">") + text
           + QStringLiteral("</textarea>");
}

// A whole form; each argument is one or more lines.
inline QString page(const QStringList &lines)
{
    return QStringLiteral("<html><body>") + CRLF + QStringLiteral("<form method=\"POST\">") + CRLF
           + lines.join(CRLF) + CRLF + QStringLiteral("</form></body></html>") + CRLF;
}

// A complete page holding every field the profile reads.
inline QString fullPage()
{
    return page({
        QStringLiteral("<input type=\"hidden\" name=\"userid\" value=\"1002\">"),
        textInput(QStringLiteral("firstname"), QStringLiteral("Anna")),
        textInput(QStringLiteral("lastname"), QStringLiteral("Berg")),
        textInput(QStringLiteral("sign"), QStringLiteral("Kalle &amp; Co")),
        textInput(QStringLiteral("company"), QStringLiteral("Berg &amp; Son")),
        textInput(QStringLiteral("street"), QStringLiteral("Storgatan 1")),
        postal(QStringLiteral("90325")),
        selectList({QStringLiteral("<option  value=0>-- Välj ort --</option>"),
                  QStringLiteral("<option  value=3>Umeå</option>"),
                  QStringLiteral("<option  selected value=7>Luleå</option>"),
                  QStringLiteral("<option  value=300>Utlandet</option>")}),
        radio(QStringLiteral("sex"), QStringLiteral("1"), true) + QStringLiteral("Man"),
        radio(QStringLiteral("sex"), QStringLiteral("2"), false) + QStringLiteral("Kvinna"),
        radio(QStringLiteral("age"), QStringLiteral("2"), false),
        radio(QStringLiteral("age"), QStringLiteral("3"), true),
        radio(QStringLiteral("relation"), QStringLiteral("1"), true),
        birthday(QStringLiteral("1980-05-17")),
        textInput(QStringLiteral("strMobiltelefon"), QStringLiteral("070-1234567")),
        textInput(QStringLiteral("email"), QStringLiteral("anna@example.com")),
        textInput(QStringLiteral("homepage"), QStringLiteral("http://example.com/anna")),
        textInput(QStringLiteral("icq"), QStringLiteral("1234")),
        textInput(QStringLiteral("interests"), QStringLiteral("Segling")),
        textInput(QStringLiteral("foundthis"), QStringLiteral("En vän")),
        textarea(QStringLiteral("Rad 1\r\nRad 2 a &amp; b")),
        greetingEnabled(QStringLiteral("Tjena")),
        checkbox(QStringLiteral("chk1"), true),
        checkbox(QStringLiteral("chk2"), false),
        checkbox(QStringLiteral("lngHtmlMail"), true),
        checkbox(QStringLiteral("chk3"), false),
        checkbox(QStringLiteral("setup0"), false),
        checkbox(QStringLiteral("setup1"), true),
        checkbox(QStringLiteral("setup2"), false),
        checkbox(QStringLiteral("setup3"), true),
    });
}

} // namespace profilepage
