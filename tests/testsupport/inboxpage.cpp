#include "inboxpage.h"

#include <QStringList>

namespace inboxpage {

namespace {
QString sp(int n)
{
    return QString(n, QLatin1Char(' '));
}
} // namespace

QString rowText(const Row &r)
{
    const QString onClick =
        QStringLiteral("<td bgcolor=\"\" onClick= \"javascript:document.location.href='read.asp?mid=") + r.mid
        + QStringLiteral("';\"");
    QStringList lines;
    lines << sp(22) + QStringLiteral("<tr>")
          << sp(24) + QStringLiteral("<td width=\"15\" class=\"rad\" valign=\"top\"><input type=\"checkbox\" name=\"dele\" value=\"")
                 + r.mid + QStringLiteral("\" style=\"position: relative; width: 12; height: 12\"></td>")
          << sp(24) + onClick + QStringLiteral(" class=\"rad\" valign=\"top\" >") + r.time
                 + QStringLiteral(" <a href=\"javascript:visitkort(") + r.uid
                 + QStringLiteral(")\">i</a> <a href=\"mainpage.asp?uid=") + r.uid + QStringLiteral("\">")
                 + r.sender + QStringLiteral("</a></td>")
          << sp(24) + onClick + QStringLiteral(" class=\"rad\" valign=\"top\"><a href=\"read.asp?mid=") + r.mid
                 + QStringLiteral("\">") + r.subject + QStringLiteral("</a></td>")
          << sp(24) + onClick
                 + QStringLiteral(" align=\"right\" class=\"rad\" valign=\"top\"><font face=\"Verdana\" color=\"#")
                 + r.colour + QStringLiteral("\"> ") + r.date + QStringLiteral("</font></td>")
          << sp(22) + QStringLiteral("</tr>");
    return lines.join(QStringLiteral("\r\n"));
}

QString head()
{
    QStringList lines;
    lines << QStringLiteral("<table border=\"0\" width=\"100%\" cellspacing=\"1\" cellpadding=\"0\" class=\"text\">")
          << sp(22) + QStringLiteral("<tr>")
          << sp(24) + QStringLiteral("<td width=\"15\"  bgcolor=\"#FFD737\" align=\"left\" nowrap><font size=\"2\">&nbsp;&nbsp;</font></td>")
          << sp(24) + QStringLiteral("<td width=\"160\" bgcolor=\"#FFD737\" nowrap ><b><font size=\"1\" face=\"Verdana\">Tid&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Från</font></b></td>")
          << sp(24) + QStringLiteral("<td width=\"100%\" bgcolor=\"#FFD737\"><b><font size=\"1\" face=\"Verdana\">Rubrik</font></b></td>")
          << sp(24) + QStringLiteral("<td width=\"70\" bgcolor=\"#FFD737\" nowrap align=\"right\"><b><font size=\"1\" face=\"Verdana\">Datum</font></b></td>")
          << sp(22) + QStringLiteral("</tr>") << sp(22) << sp(22) << sp(22) << sp(22);
    return lines.join(QStringLiteral("\r\n"));
}

QString separator()
{
    const QString one = QStringLiteral("\r\n") + sp(22);
    return one + one + one + one;
}

QString tail()
{
    return QStringLiteral("\r\n") + sp(22) + QStringLiteral("\r\n") + sp(22) + QStringLiteral("\r\n") + sp(22)
        + QStringLiteral("\r\n") + sp(22) + QStringLiteral("<!-- bottenram -->\r\n") + sp(22)
        + QStringLiteral("\r\n") + sp(20) + QStringLiteral("</table>");
}

QString page(const QList<Row> &rows)
{
    QStringList parts;
    for (const Row &r : rows)
        parts << QStringLiteral("\r\n") + rowText(r);
    return QStringLiteral("<html><body>\r\n<p>Välkommen</p>\r\n") + head() + parts.join(separator()) + tail()
        + QStringLiteral("\r\n</body></html>\r\n");
}

} // namespace inboxpage
