// Reading form fields: the own matcher against two backtracking engines
// (QRegularExpression and std::regex) running the same two patterns, in the
// same run, on a megabyte single-line page and on a realistic profile page;
// then the own matcher alone at growing sizes. Prints figures only.
//
// The backtracking engines run in a child process of this program, so that
// one that takes too long can be stopped (and one that overflows its stack
// does not end the benchmark).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "formfieldreference.h"
#include "simmembers.h"
#include "simpages.h"
#include "text/formfields.h"

namespace {

constexpr int kChildLimitMs = 20000;

struct Lookup {
    QString name;
    bool checkBox = false;
};

struct Case {
    QString id;
    QString title;
    QString page;
    QList<Lookup> lookups;
};

// One line of count inputs, about bytes characters in all.
QString singleLinePage(int count, qsizetype bytes)
{
    QString page;
    page.reserve(bytes + 256);
    const qsizetype per = bytes / count;
    for (int i = 0; i < count; ++i) {
        QString input = QStringLiteral("<input type=\"text\" name=\"f%1\" size=\"30\" value=\"%1\" class=\"textruta\">")
                            .arg(i);
        const qsizetype pad = per - input.size();
        if (pad > 0)
            input += QString(pad, QLatin1Char(' '));
        page += input;
    }
    return page + QStringLiteral("\r\n");
}

QString profilePage60k()
{
    sandlundSim::SimMember m = sandlundSim::defaultMembers().first();
    // A long presentation text and a long list of interests, as a chatty
    // member writes them, bring the form to about 60 KiB.
    QString about;
    while (about.size() < 44 * 1024)
        about += QStringLiteral("Jag seglar på sommaren och åker skidor på vintern, helst i fjällen.\r\n");
    m.strabout = about;
    QString interests;
    while (interests.size() < 6 * 1024)
        interests += QStringLiteral("segling, schack, ");
    m.interests = interests;
    QString page = sandlundSim::profileFormPage(m);
    while (page.size() < 60 * 1024)
        page += QStringLiteral("<!-- ") + QString(70, QLatin1Char('-')) + QStringLiteral(" -->\r\n");
    return page;
}

QList<Lookup> profileLookups()
{
    QList<Lookup> l;
    for (const char *n : {"userid", "firstname", "lastname", "sign", "company", "street", "strMobiltelefon",
                          "interests", "foundthis", "homepage", "email", "icq"})
        l << Lookup{QString::fromLatin1(n), false};
    for (const char *n : {"chk1", "chk2", "lngHtmlMail", "chk3", "setup0", "setup1", "setup2", "setup3"})
        l << Lookup{QString::fromLatin1(n), true};
    return l;
}

Case makeCase(const QString &id)
{
    if (id == QLatin1String("line-last"))
        return {id, QStringLiteral("1 MiB line, 10,000 inputs, last field"), singleLinePage(10000, 1 << 20),
                {Lookup{QStringLiteral("f9999")}}};
    if (id == QLatin1String("line-absent"))
        return {id, QStringLiteral("1 MiB line, 10,000 inputs, absent field"), singleLinePage(10000, 1 << 20),
                {Lookup{QStringLiteral("nothere")}}};
    return {QStringLiteral("profile"), QStringLiteral("60 KiB profile form, 20 fields"), profilePage60k(),
            profileLookups()};
}

// --- the engines ------------------------------------------------------------

QString runOwn(const Case &c)
{
    QString out;
    for (const Lookup &l : c.lookups) {
        out += l.checkBox ? QString::number(modGlobal::isFieldChecked(l.name, c.page))
                          : modGlobal::formFieldValue(l.name, c.page);
        out += u'|';
    }
    return out;
}

QString runQRegularExpression(const Case &c)
{
    QString out;
    for (const Lookup &l : c.lookups) {
        const auto r = formfieldreference::matchEither(c.page, l.name);
        out += l.checkBox ? QString::number(formfieldreference::checked(r)) : formfieldreference::value(r);
        out += u'|';
    }
    return out;
}

QString runStdRegex(const Case &c)
{
    const std::wstring page = c.page.toStdWString();
    QString out;
    for (const Lookup &l : c.lookups) {
        QString kept;
        for (bool nameFirst : {true, false}) {
            const std::wregex re(formfieldreference::pattern(l.name, nameFirst).toStdWString(),
                                 std::regex::ECMAScript | std::regex::icase);
            std::wsmatch m;
            if (std::regex_search(page, m, re)) {
                kept = QString::fromStdWString(m.str(0));
                break;
            }
        }
        const QString v = modGlobal::cutBetween(kept, QStringLiteral("value=\""), QStringLiteral("\""));
        out += l.checkBox ? QString::number(kept.contains(QStringLiteral("checked")))
                          : (v.count(QLatin1Char(' ')) == v.size() ? QString() : v);
        out += u'|';
    }
    return out;
}

QString runEngine(const QString &engine, const Case &c)
{
    if (engine == QLatin1String("qregex"))
        return runQRegularExpression(c);
    if (engine == QLatin1String("stdregex"))
        return runStdRegex(c);
    return runOwn(c);
}

// Median wall time of repeated runs (at least 3, at most reps, about budgetMs in all).
double medianMs(const std::function<void()> &run, int reps, qint64 budgetMs)
{
    std::vector<double> t;
    QElapsedTimer all;
    all.start();
    while (static_cast<int>(t.size()) < reps && (t.size() < 3 || all.elapsed() < budgetMs)) {
        QElapsedTimer one;
        one.start();
        run();
        t.push_back(one.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

int child(const QString &engine, const QString &caseId)
{
    const Case c = makeCase(caseId);
    QString result;
    const double ms = medianMs([&] { result = runEngine(engine, c); }, 5, 2000);
    std::printf("%.4f\n%s\n", ms, result.toUtf8().toHex().constData());
    return 0;
}

struct Figure {
    bool ok = false;
    double ms = 0;
    QString result;
    QString note;
};

Figure inChild(const QString &engine, const QString &caseId)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), engine, caseId});
    Figure f;
    if (!p.waitForFinished(kChildLimitMs)) {
        p.kill();
        p.waitForFinished();
        f.note = QStringLiteral("stopped after %1 s").arg(kChildLimitMs / 1000);
        return f;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        f.note = QStringLiteral("crashed (exit %1, likely stack overflow)").arg(p.exitCode());
        return f;
    }
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    f.ok = lines.size() >= 2;
    f.ms = lines.value(0).toDouble();
    f.result = QString::fromUtf8(QByteArray::fromHex(lines.value(1)));
    return f;
}

void compareEngines(const QString &caseId)
{
    const Case c = makeCase(caseId);
    QString own;
    const double ownMs = medianMs([&] { own = runOwn(c); }, 50, 3000);
    std::printf("\n%s (%lld characters)\n", qPrintable(c.title), static_cast<long long>(c.page.size()));
    std::printf("  %-20s %12.3f ms\n", "own matcher", ownMs);
    for (const QString &engine : {QStringLiteral("qregex"), QStringLiteral("stdregex")}) {
        const Figure f = inChild(engine, caseId);
        const char *label = engine == QLatin1String("qregex") ? "QRegularExpression" : "std::regex";
        if (!f.ok) {
            if (f.note.startsWith(QLatin1String("stopped")))
                std::printf("  %-20s %12s    %s: ratio above %.0fx\n", label, "-", qPrintable(f.note),
                            kChildLimitMs / ownMs);
            else
                std::printf("  %-20s %12s    %s\n", label, "-", qPrintable(f.note));
            continue;
        }
        std::printf("  %-20s %12.3f ms  ratio %.1fx  %s\n", label, f.ms, f.ms / ownMs,
                    f.result == own ? "same result" : "DIFFERENT RESULT");
    }
}

void growth()
{
    // The baseline is one plain pass over the same page (folding its case
    // into a new string): memory and cache effects show in both, so a
    // linear matcher keeps a steady ratio to it.
    std::printf("\nOwn matcher, absent field on a single line, against one plain pass over the page:\n");
    double base = 0;
    for (int quarterMiB : {1, 2, 4, 8}) {
        const qsizetype bytes = qsizetype(quarterMiB) << 18;
        const Case c{QString(), QString(), singleLinePage(2500 * quarterMiB, bytes), {Lookup{QStringLiteral("nothere")}}};
        const double ms = medianMs([&] { runOwn(c); }, 30, 3000);
        volatile qsizetype sink = 0;
        const double passMs = medianMs([&] { sink = sink + c.page.toCaseFolded().size(); }, 30, 1000);
        if (base == 0)
            base = ms;
        std::printf("  %5.2f MiB  %9.3f ms  %6.2f ms/MiB  x%-6.2f of 0.25 MiB (size x%d)  plain pass %7.3f ms, "
                    "ratio %.1f\n",
                    quarterMiB / 4.0, ms, ms / (quarterMiB / 4.0), ms / base, quarterMiB, passMs, ms / passMs);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--child"))
        return child(args.at(2), args.at(3));

    std::printf("bench_formfields: median wall time; backtracking engines run in a child process, "
                "stopped after %d s\n", kChildLimitMs / 1000);
    for (const char *id : {"profile", "line-last", "line-absent"})
        compareEngines(QString::fromLatin1(id));
    growth();
    return 0;
}
