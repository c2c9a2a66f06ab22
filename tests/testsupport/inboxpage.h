#pragma once
#include <QList>
#include <QString>

// Builds inbox pages the way the site writes them, for the iMail tests.
// Written out literally, apart from the program's own marker constants, so
// that a wrong constant there shows up as a failing test.
namespace inboxpage {

struct Row {
    QString mid = QStringLiteral("1");
    QString subject = QStringLiteral("Hej");
    QString colour = QStringLiteral("000000");
    QString date = QStringLiteral("2024-01-05");
    QString time = QStringLiteral("14:30");
    QString uid = QStringLiteral("42");
    QString sender = QStringLiteral("Kalle");
};

QString rowText(const Row &r);
QString head();
QString separator();
QString tail();
// A start page with the inbox table holding these rows.
QString page(const QList<Row> &rows);

} // namespace inboxpage
