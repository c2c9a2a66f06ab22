#pragma once
#include <QByteArray>
#include <QString>

// Windows-1252 by an own table, so that the result never depends on the
// system locale: the site and the stored settings speak this code page.
namespace cp1252 {

// Code of the character in Windows-1252, or -1 when the code page has none.
int code(QChar c);
// The character for a byte; the five bytes that Windows-1252 leaves
// undefined map to the C1 control of the same number, as Windows does.
QChar character(unsigned char b);
// Characters without a code become '?', the code page's substitution.
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

} // namespace cp1252
