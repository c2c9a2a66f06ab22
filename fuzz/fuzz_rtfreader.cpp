// The RTF reader on any bytes: no crash, no hang, bounded results, and a
// text document that shows exactly the text that was read.
#include "help/rtfreader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The text document needs fonts, and with them a GUI application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray in(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const rtf::Document d = rtf::parse(in);

    // At most one character per input byte.
    if (d.text.size() > in.size())
        std::abort();
    if (d.peakDepth > rtf::kMaxDepth || d.colors.size() > rtf::kMaxColors || d.spans.size() > rtf::kMaxSpans)
        std::abort();
    // Spans start in order and inside the text.
    for (qsizetype i = 0; i < d.spans.size(); ++i) {
        const qsizetype start = d.spans[i].start;
        if (start < 0 || start > d.text.size() || (i > 0 && start <= d.spans[i - 1].start))
            std::abort();
    }
    if (!d.text.isEmpty() && (d.spans.isEmpty() || d.spans.first().start != 0))
        std::abort();

    QTextDocument doc;
    rtf::fill(d, &doc);
    QString plain = d.text;
    plain.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n').replace(QChar(0xa0), u' ');
    if (doc.toPlainText() != plain)
        std::abort();
    return 0;
}
