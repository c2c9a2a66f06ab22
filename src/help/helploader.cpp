#include "help/helploader.h"

#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Work per turn of the event loop: whichever of these comes first.
constexpr qint64 kStepNanos = 8'000'000;
constexpr qsizetype kReadChunk = 256 << 10;
constexpr qsizetype kParseChunk = 256 << 10;
constexpr qsizetype kWriteChars = 2048;
constexpr int kWriteSpans = 128;
// Enough to tell RTF from plain text before the limit is chosen.
constexpr qsizetype kHeadBytes = 64 << 10;

} // namespace

HelpLoader::HelpLoader(QTextDocument *target, QObject *parent) : QObject(parent), m_target(target)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] { work(false); });
}

HelpLoader::~HelpLoader() = default;

QString HelpLoader::truncatedNotice()
{
    return QStringLiteral("[Dokumentet är för stort och visas inte i sin helhet.]");
}

void HelpLoader::setReplacement(const QByteArray &tag, const QByteArray &text)
{
    m_tag = tag;
    m_tagText = text;
}

void HelpLoader::load(const QString &file, const rtf::ShownColours &colours)
{
    m_timer.stop();
    m_writer.reset();
    m_reader.reset();
    m_markup.clear();
    m_unreplaced.clear();
    m_parsed = rtf::Document();
    m_colours = colours;
    m_cut = false;
    m_file.close();
    m_target->clear();
    m_file.setFileName(file);
    if (file.isEmpty() || !m_file.open(QIODevice::ReadOnly)) {
        m_phase = Phase::Idle;
        emit finished();
        return;
    }
    const QByteArray head = m_file.peek(kHeadBytes);
    m_byteLimit = rtf::looksLikeRtf(head) ? kMaxRtfBytes : rtf::plainBytesFor(kMaxShownChars);
    m_bytesRead = 0;
    m_phase = Phase::Read;
    if (m_file.size() <= kAtOnceBytes)
        work(true);
    else
        m_timer.start();
}

void HelpLoader::recolour(const rtf::ShownColours &colours)
{
    m_colours = colours;
    // A load under way picks the colours up when it starts writing.
    if (m_phase == Phase::Read || m_phase == Phase::Parse)
        return;
    m_timer.stop();
    startWrite();
    if (m_parsed.text.size() <= kAtOnceBytes)
        work(true);
    else
        m_timer.start();
}

void HelpLoader::work(bool atOnce)
{
    QElapsedTimer clock;
    clock.start();
    while (m_phase != Phase::Idle && (atOnce || clock.nsecsElapsed() < kStepNanos)) {
        switch (m_phase) {
        case Phase::Read:
            if (readStep())
                startParse();
            break;
        case Phase::Parse:
            if (parseStep(atOnce ? -1 : kParseChunk))
                startWrite();
            break;
        case Phase::Write:
            if (atOnce ? writeStep(kMaxShownChars, rtf::kMaxSpans) : writeStep(kWriteChars, kWriteSpans))
                finish();
            break;
        case Phase::Idle:
            break;
        }
    }
}

bool HelpLoader::readStep()
{
    const qsizetype want = std::min(kReadChunk, m_byteLimit - m_bytesRead);
    const QByteArray chunk = want > 0 ? m_file.read(want) : QByteArray();
    m_bytesRead += chunk.size();
    const bool last = chunk.isEmpty() || m_bytesRead >= m_byteLimit;
    // The tag is replaced in the raw markup, exactly and case-sensitively;
    // the end of a chunk that may begin a tag waits for the next one.
    QByteArray raw = m_unreplaced + chunk;
    qsizetype from = 0;
    for (qsizetype at; !m_tag.isEmpty() && (at = raw.indexOf(m_tag, from)) >= 0; from = at + m_tag.size()) {
        m_markup += QByteArrayView(raw).sliced(from, at - from);
        m_markup += m_tagText;
    }
    const qsizetype keep = last || m_tag.isEmpty() ? 0 : std::min(m_tag.size() - 1, raw.size() - from);
    m_markup += QByteArrayView(raw).sliced(from, raw.size() - from - keep);
    m_unreplaced = raw.right(keep);
    if (!last)
        return false;
    m_cut = m_file.size() > m_bytesRead;
    m_file.close();
    return true;
}

void HelpLoader::startParse()
{
    m_reader = std::make_unique<rtf::Reader>(m_markup, kMaxShownChars);
    m_markup = QByteArray();  // the reader holds it as long as it needs it
    m_phase = Phase::Parse;
}

bool HelpLoader::parseStep(qsizetype budget)
{
    if (!m_reader->read(budget))
        return false;
    m_parsed = m_reader->take();
    m_reader.reset();
    // Text that was never read is text that is not shown.
    m_parsed.truncated = m_parsed.truncated || m_cut;
    return true;
}

void HelpLoader::startWrite()
{
    m_target->setUndoRedoEnabled(false);
    m_writer.emplace(m_parsed, m_target, m_colours);
    m_phase = Phase::Write;
}

bool HelpLoader::writeStep(qsizetype maxChars, int maxSpans)
{
    if (!m_writer->write(maxChars, maxSpans))
        return false;
    m_writer.reset();
    if (m_parsed.truncated) {
        QTextCursor end(m_target);
        end.movePosition(QTextCursor::End);
        if (!m_target->isEmpty())
            end.insertBlock(QTextBlockFormat(), QTextCharFormat());
        end.insertText(truncatedNotice(), QTextCharFormat());
    }
    return true;
}

void HelpLoader::finish()
{
    m_timer.stop();
    m_phase = Phase::Idle;
    emit finished();
}
