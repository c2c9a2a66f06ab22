#pragma once
#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

#include "help/rtfreader.h"

class QTextDocument;

// Loads a help document into a text document. A small file is shown at
// once; a larger one is read, parsed and written in short steps from the
// event loop, so that no document, however large or busy, holds up the
// program's windows or its bus. Reading stops at what the character
// limit can use: at most a few megabytes of a plain file, and at most
// kMaxRtfBytes of RTF.
class HelpLoader : public QObject
{
    Q_OBJECT
public:
    // Far beyond any help text; a larger file shows its beginning.
    static constexpr qsizetype kMaxShownChars = 1 << 20;
    static constexpr qsizetype kMaxRtfBytes = qsizetype(32) << 20;
    // Files up to this size are shown before load() returns.
    static constexpr qsizetype kAtOnceBytes = 64 << 10;

    explicit HelpLoader(QTextDocument *target, QObject *parent = nullptr);
    ~HelpLoader() override;

    // Every occurrence of tag in the markup is replaced by text before it is read.
    void setReplacement(const QByteArray &tag, const QByteArray &text);

    // Shows a file in the target (an empty name empties it); a load under
    // way is dropped.
    void load(const QString &file, const rtf::ShownColours &colours);
    // Writes the document read last again, in other colours.
    void recolour(const rtf::ShownColours &colours);

    bool isLoading() const { return m_phase != Phase::Idle; }
    // The document read last (text and formats, before colours are chosen).
    const rtf::Document &document() const { return m_parsed; }

    static QString truncatedNotice();

signals:
    // The target shows the whole document (or its beginning and the notice).
    void finished();

private:
    enum class Phase { Idle, Read, Parse, Write };

    // Runs the phases until done, or for one step's time.
    void work(bool atOnce);
    bool readStep();
    void startParse();
    bool parseStep(qsizetype budget);
    void startWrite();
    bool writeStep(qsizetype maxChars, int maxSpans);
    void finish();

    QTextDocument *m_target;
    QByteArray m_tag;
    QByteArray m_tagText;
    rtf::ShownColours m_colours;
    Phase m_phase = Phase::Idle;
    QFile m_file;
    QByteArray m_markup;      // read, the tag replaced
    QByteArray m_unreplaced;  // read, may begin a tag
    qsizetype m_bytesRead = 0;
    qsizetype m_byteLimit = 0;
    bool m_cut = false;  // the file holds more than was read
    std::unique_ptr<rtf::Reader> m_reader;
    rtf::Document m_parsed;
    std::optional<rtf::Writer> m_writer;
    QTimer m_timer;
};
