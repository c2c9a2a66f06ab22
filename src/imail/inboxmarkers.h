#pragma once
#include <QString>
#include <QStringList>

// The fixed fragments of the site's inbox table on "/login/community/main.asp".
namespace modWebFunctions::inbox {

inline QString spaces(int n)
{
    return QString(n, QLatin1Char(' '));
}

inline QString crlf()
{
    return QStringLiteral("\r\n");
}

// From the start of the table up to the first row.
inline QString headMarker()
{
    const QString nbsp = QStringLiteral("&nbsp;");
    const QStringList lines{
        QStringLiteral(R"(<table border="0" width="100%" cellspacing="1" cellpadding="0" class="text">)"),
        spaces(22) + QStringLiteral("<tr>"),
        spaces(24) + QStringLiteral(R"(<td width="15"  bgcolor="#FFD737" align="left" nowrap><font size="2">)")
            + nbsp.repeated(2) + QStringLiteral("</font></td>"),
        spaces(24) + QStringLiteral(R"(<td width="160" bgcolor="#FFD737" nowrap ><b><font size="1" face="Verdana">Tid)")
            + nbsp.repeated(10) + QStringLiteral("Från</font></b></td>"),
        spaces(24) + QStringLiteral(R"(<td width="100%" bgcolor="#FFD737"><b><font size="1" face="Verdana">Rubrik</font></b></td>)"),
        spaces(24) + QStringLiteral(R"(<td width="70" bgcolor="#FFD737" nowrap align="right"><b><font size="1" face="Verdana">Datum</font></b></td>)"),
        spaces(22) + QStringLiteral("</tr>"),
        spaces(22),
        spaces(22),
        spaces(22),
        spaces(22),
    };
    return lines.join(crlf());
}

inline QString rowSeparator()
{
    return (crlf() + spaces(22)).repeated(4);
}

inline QString endMarker()
{
    const QStringList lines{
        spaces(22),
        spaces(22),
        spaces(22),
        spaces(22) + QStringLiteral("<!-- bottenram -->"),
        spaces(22),
        spaces(20) + QStringLiteral("</table>"),
    };
    return crlf() + lines.join(crlf());
}

inline const QString kMidStart = QStringLiteral(R"(<input type="checkbox" name="dele" value=")");
inline const QString kMidEnd = QStringLiteral(R"(" style="position: relative; width: 12; height: 12">)");

inline QString subjectStart(const QString &mid)
{
    return QStringLiteral(R"(<a href="read.asp?mid=)") + mid + QStringLiteral(R"(">)");
}
inline const QString kSubjectEnd = QStringLiteral("</a>");

inline QString dateCellStart(const QString &mid)
{
    return QStringLiteral(R"(<td bgcolor="" onClick= "javascript:document.location.href='read.asp?mid=)") + mid
        + QStringLiteral(R"(';" align="right" class="rad" valign="top"><font face="Verdana" color="#)");
}
inline const QString kDateCellEnd = QStringLiteral("</font></td>");

inline QString timeStart(const QString &mid)
{
    return QStringLiteral(R"(<td bgcolor="" onClick= "javascript:document.location.href='read.asp?mid=)") + mid
        + QStringLiteral(R"(';" class="rad" valign="top" >)");
}
inline const QString kTimeEnd = QStringLiteral(R"( <a href="javascript:visitkort()");

inline const QString kSenderUidStart = QStringLiteral(R"(<a href="mainpage.asp?uid=)");
inline const QString kSenderUidEnd = QStringLiteral(R"(">)");

inline QString senderNameStart(const QString &uid)
{
    return kSenderUidStart + uid + QStringLiteral(R"(">)");
}
inline const QString kSenderNameEnd = QStringLiteral("</a>");

} // namespace modWebFunctions::inbox
