#include "net/clsdata.h"

#include "net/chunkeddecoder.h"
#include "net/frmtimer.h"
#include "net/logintrace.h"
#include "net/moddata.h"
#include "net/site.h"
#include "text/cp1252.h"

#include <QEventLoop>
#include <QList>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <atomic>
#include <optional>

namespace {
const QString kHeaderEnd = QStringLiteral("\r\n\r\n");
const QString kContinue = QStringLiteral("HTTP/1.1 100 Continue");
const QByteArray kContinueBytes = QByteArrayLiteral("HTTP/1.1 100 Continue");
const QString kAspSession = QStringLiteral("ASPSESSION");

// A hostile or broken server must not make us hold unbounded text.
constexpr qsizetype kMaxHeader = 64 * 1024;
constexpr qsizetype kMaxBody = 16 * 1024 * 1024;

// A big answer is taken in slices of this size, so the event loop turns
// between them instead of decoding megabytes at once.
constexpr qint64 kReadSlice = 128 * 1024;

constexpr int kFirstDataMs = 10000;
constexpr int kSilenceMs = 2000;

// However slowly a site drips its answer, one exchange ends after this.
constexpr int kDefaultExchangeLimitMs = 5 * 60 * 1000;
std::atomic<int> g_exchangeLimitMs{kDefaultExchangeLimitMs};

enum : int { Running = 0, Failed = -1, Finished = -2 };

// Winsock numbers for the errors a listener may want to tell apart.
short errorNumber(QAbstractSocket::SocketError e)
{
    switch (e) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::RemoteHostClosedError: return 10054;
    case QAbstractSocket::NetworkError: return 10050;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    default: return 10000 + static_cast<short>(e < 0 ? 999 : e);
    }
}
} // namespace

struct clsData::Impl {
    clsData *q;
    // Where Set-Cookie lines go; null drops them.
    modData::CookieJar *const jar;
    QTcpSocket *sckData = nullptr;
    frmTimer *watchdog = nullptr;
    // The total time one Read may take, apart from the silence watchdog.
    QTimer *limit = nullptr;

    bool synchronous = false;
    bool accepting = false;
    bool headerSeen = false;
    bool onlyHeader = false;
    bool selfClosing = false;

    QString address;
    QStringList cookies;
    QString post;
    QString referer;

    QString receivedBody;
    // Header text gathered until its empty line has arrived (it may come in
    // several reads).
    QString pendingHeader;
    QByteArray readBuffer;
    // Set while the body of the current answer is chunked.
    std::optional<ChunkedDecoder> chunked;
    QByteArray decodedBuffer;

    QList<QEventLoop *> waiters;
    quint64 generation = 0;

    Impl(clsData *owner, modData::CookieJar *cookieJar) : q(owner), jar(cookieJar) {}

    void setState(int s)
    {
        q->m_exchangeState = s;
        if (s != Running) {
            loginTrace::mark(s == Finished ? "answered" : "failed");
            for (QEventLoop *l : std::as_const(waiters))
                l->quit();
        }
    }

    void restartWatchdog(int ms)
    {
        QTimer *t = watchdog->tmrTimer();
        t->stop();
        t->setInterval(ms);
        t->start();
    }

    // The end of an exchange stops its overall limit as well.
    void stopWatchdog()
    {
        watchdog->tmrTimer()->stop();
        limit->stop();
    }

    // Our own closes raise no close event.
    void closeSocket()
    {
        if (sckData->state() == QAbstractSocket::UnconnectedState)
            return;
        const bool was = selfClosing;
        selfClosing = true;
        sckData->abort();
        selfClosing = was;
    }

    void onConnected()
    {
        loginTrace::mark("connected");
        accepting = true;
        QString request;
        if (synchronous) {
            request = modData::buildRequest(address, cookies, post, referer);
        } else {
            QString a, p, r;
            QStringList c;
            emit q->Connected(&a, &c, &p, &r);
            request = modData::buildRequest(a, c, p, r);
        }
        if (sckData->state() == QAbstractSocket::ConnectedState) {
            sckData->write(cp1252::encode(request));
            // Out now, not at the loop's next turn.
            sckData->flush();
        }
    }

    // Data that nobody waits for, or that cannot be taken, fails the exchange.
    void failData()
    {
        stopWatchdog();
        accepting = false;
        receivedBody.clear();
        pendingHeader.clear();
        setState(Failed);
        closeSocket();
        headerSeen = false;
        if (!synchronous)
            emit q->ErrorU();
    }

    void onReadyRead()
    {
        restartWatchdog(kSilenceMs);
        if (!accepting) {
            failData();
            return;
        }
        const qint64 waiting = sckData->bytesAvailable();
        if (waiting <= 0)
            return;
        readBuffer.resize(waiting);
        const qint64 got = sckData->read(readBuffer.data(), waiting);
        if (got < 0) {
            failData();
            return;
        }
        readBuffer.resize(got);
        // Body data goes straight into the body, without a text of its own.
        // An interim answer cannot follow a chunked final one.
        if (headerSeen && (chunked || !readBuffer.startsWith(kContinueBytes))) {
            appendBodyBytes(readBuffer);
            return;
        }
        takeChunk(cp1252::decode(readBuffer));
    }

    void appendBodyBytes(const QByteArray &bytes)
    {
        if (chunked) {
            takeChunkedBytes(bytes);
            return;
        }
        appendDecodedBytes(bytes);
    }

    // Bytes of a chunked body: what they decode to joins the body; the end
    // of the body finishes the exchange without waiting for the close.
    void takeChunkedBytes(QByteArrayView bytes)
    {
        decodedBuffer.clear();
        const ChunkedDecoder::Status status = chunked->feed(bytes, decodedBuffer);
        if (!decodedBuffer.isEmpty() && !appendDecodedBytes(decodedBuffer))
            return;
        decodedBuffer.clear();
        if (status == ChunkedDecoder::Status::Failed)
            failData();
        else if (status == ChunkedDecoder::Status::Done)
            closeWork();
    }

    // False when the body would pass its cap; the exchange has then failed.
    bool appendDecodedBytes(const QByteArray &bytes)
    {
        const qsizetype old = receivedBody.size();
        if (old + bytes.size() > kMaxBody) {
            failData();
            return false;
        }
        receivedBody.resize(old + bytes.size());
        QChar *out = receivedBody.data() + old;
        for (const char b : bytes)
            *out++ = cp1252::character(static_cast<unsigned char>(b));
        return true;
    }

    // Room for the announced body, so a big page is not copied as it grows.
    void reserveBody(const QString &header)
    {
        static const QString key = QStringLiteral("\r\ncontent-length:");
        const qsizetype at = header.indexOf(key, 0, Qt::CaseInsensitive);
        if (at < 0)
            return;
        const qsizetype from = at + key.size();
        qsizetype end = header.indexOf(QLatin1Char('\r'), from);
        if (end < 0)
            end = header.size();
        bool ok = false;
        const qlonglong length = header.mid(from, end - from).trimmed().toLongLong(&ok);
        if (ok && length > 0 && length <= kMaxBody)
            receivedBody.reserve(length);
    }

    void takeChunk(const QString &chunk)
    {
        if (headerSeen) {
            if (!chunk.startsWith(kContinue)) {
                appendBody(chunk);
                return;
            }
            // A late interim answer: what follows it is a new header.
            headerSeen = false;
            pendingHeader.clear();
        }
        pendingHeader += chunk;
        for (;;) {
            const qsizetype end = pendingHeader.indexOf(kHeaderEnd);
            if (end < 0) {
                if (pendingHeader.size() > kMaxHeader)
                    failData();
                return;
            }
            if (end > kMaxHeader) {
                failData();
                return;
            }
            if (pendingHeader.startsWith(kContinue)) {
                // Skip the interim "100 Continue" answer; the final one follows.
                pendingHeader.remove(0, end + kHeaderEnd.size());
                if (pendingHeader.isEmpty())
                    return;
                continue;
            }
            const QString header = pendingHeader.left(end);
            const QString rest = pendingHeader.mid(end + kHeaderEnd.size());
            pendingHeader.clear();
            takeHeader(header, rest);
            return;
        }
    }

    void takeHeader(const QString &header, const QString &rest)
    {
        q->m_receivedHeader = header;
        headerSeen = true;
        receivedBody.clear();
        takeCookies(header);
        chunked.reset();
        if (!onlyHeader) {
            if (ChunkedDecoder::appliesTo(header))
                chunked.emplace(kMaxBody, kMaxHeader);
            else
                reserveBody(header);
        }
        if (onlyHeader) {
            // Done: the rest of the answer is left unread.
            stopWatchdog();
            accepting = false;
            setState(Finished);
            closeSocket();
            headerSeen = false;
            return;
        }
        if (!rest.isEmpty())
            appendBody(rest);
    }

    void appendBody(const QString &text)
    {
        if (chunked) {
            // The text came from the bytes one to one, so this is lossless.
            takeChunkedBytes(cp1252::encode(text));
            return;
        }
        if (receivedBody.size() + text.size() > kMaxBody) {
            failData();
            return;
        }
        receivedBody += text;
    }

    // Cookies come from the header only: body text that happens to say
    // "Set-Cookie: " must not reach the jar.
    void takeCookies(const QString &header)
    {
        if (!jar)
            return;
        bool aspReplaced = false;
        for (const modData::SetCookie &cookie : modData::setCookiesOf(header)) {
            const QString &name = cookie.name;
            const QString &value = cookie.value;
            for (int slot = 0; slot < modData::kCookieSlots; ++slot) {
                QString &slotName = jar->cookieNames[slot];
                if (slotName.isEmpty()) {
                    slotName = name;
                    jar->cookieValues[slot] = value;
                    break;
                }
                if (slotName != name)
                    continue;
                if (value.isEmpty())
                    break;
                if (name.startsWith(kAspSession)) {
                    if (!aspReplaced) {
                        jar->cookieValues[slot] = value;
                        aspReplaced = true;
                    }
                } else {
                    jar->cookieValues[slot] = value;
                }
                break;
            }
        }
    }

    // The close of the connection by the server, the watchdog, CloseCon.
    void closeWork()
    {
        stopWatchdog();
        accepting = false;
        if (!headerSeen && !pendingHeader.isEmpty() && q->m_exchangeState != Failed) {
            // A header that never reached its empty line is still the header.
            q->m_receivedHeader = pendingHeader;
            takeCookies(pendingHeader);
            receivedBody.clear();
        }
        pendingHeader.clear();
        closeSocket();
        headerSeen = false;
        if (q->m_exchangeState == Failed)
            return;
        if (synchronous) {
            setState(Finished);
        } else {
            const QString data = receivedBody;
            receivedBody.clear();
            // Also ends a Read that was switched to event mode while it waited.
            setState(Finished);
            emit q->Closed(data);
        }
    }

    void onRemoteClosed()
    {
        if (!accepting)
            return;
        // Take what is still buffered before the close counts.
        if (sckData->bytesAvailable() > 0)
            onReadyRead();
        if (accepting)
            closeWork();
    }

    void onError(QAbstractSocket::SocketError e)
    {
        if (e == QAbstractSocket::RemoteHostClosedError) {
            onRemoteClosed();
            return;
        }
        stopWatchdog();
        accepting = false;
        setState(Failed);
        const QString description = sckData->errorString();
        closeSocket();
        headerSeen = false;
        receivedBody.clear();
        pendingHeader.clear();
        if (!synchronous) {
            bool cancelDisplay = false;
            const short n = errorNumber(e);
            emit q->Error(n, description, n, QStringLiteral("sckData"), QString(), 0, &cancelDisplay);
        }
        // Nothing is ever shown here: there is no platform display to cancel.
    }

    void onDisconnected()
    {
        if (selfClosing)
            return;
        onRemoteClosed();
    }
};

std::shared_ptr<clsData> clsData::create(modData::CookieJar *jar)
{
    // The last owner may let go from inside one of the object's own signals
    // (or the socket's), so the object is deleted from the event loop.
    return std::shared_ptr<clsData>(new clsData(jar), [](clsData *p) { p->deleteLater(); });
}

clsData::clsData(modData::CookieJar *jar)
    : d(std::make_unique<Impl>(this, jar))
{
    d->watchdog = new frmTimer(this);
    d->watchdog->setOpener(this);
    d->limit = new QTimer(this);
    d->limit->setObjectName(QStringLiteral("tmrLimit"));
    d->limit->setSingleShot(true);
    connect(d->limit, &QTimer::timeout, this, [this] { CloseCon(true); });
    d->sckData = new QTcpSocket(this);
    d->sckData->setObjectName(QStringLiteral("sckData"));
    // Plain TCP to the site, as the request text assumes; no proxy from the
    // environment comes in between.
    d->sckData->setProxy(QNetworkProxy::NoProxy);
    d->sckData->setReadBufferSize(kReadSlice);
    connect(d->sckData, &QTcpSocket::connected, this, [this] { d->onConnected(); });
    connect(d->sckData, &QTcpSocket::readyRead, this, [this] { d->onReadyRead(); });
    connect(d->sckData, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { d->onError(e); });
    connect(d->sckData, &QTcpSocket::disconnected, this, [this] { d->onDisconnected(); });
}

clsData::~clsData()
{
    // Silence the socket before the members it would report to are gone.
    d->sckData->blockSignals(true);
    d->sckData->abort();
    delete d->sckData;
    delete d->watchdog;
}

void clsData::Connect()
{
    d->synchronous = false;
}

QString clsData::Read(const QString &Address, const QStringList &varCookies, const QString &strPost,
                      const QString &strReferer, bool OnlyHeader, QString *TheHeader)
{
    // Whatever runs while we wait may drop the owner's reference.
    const std::shared_ptr<clsData> self = shared_from_this();

    d->onlyHeader = OnlyHeader;
    d->accepting = true;
    d->synchronous = true;
    m_exchangeState = Failed;
    const quint64 mine = ++d->generation;

    d->closeSocket();

    d->receivedBody.clear();
    d->pendingHeader.clear();
    d->chunked.reset();
    // A header from an earlier exchange must not pass for this one's.
    m_receivedHeader.clear();
    d->address = Address;
    d->cookies = varCookies;
    d->post = strPost;
    d->referer = strReferer;

    // The watchdog and flags are set before connecting: a refusal may be
    // reported from inside connectToHost().
    d->headerSeen = false;
    d->restartWatchdog(kFirstDataMs);
    d->limit->start(g_exchangeLimitMs.load());
    m_exchangeState = Running;
    if (loginTrace::enabled())
        loginTrace::mark("send", qPrintable(Address));
    const modData::Site &site = modData::site();
    d->sckData->connectToHost(site.host, site.port);

    QEventLoop loop;
    d->waiters.append(&loop);
    while (m_exchangeState == Running && d->generation == mine) {
        if (loop.exec() != 0 && m_exchangeState == Running && d->generation == mine) {
            // The thread is quitting: its loops no longer wait, so neither can we.
            CloseCon(true);
        }
    }
    d->waiters.removeOne(&loop);
    loginTrace::mark("woke");

    // A Read started on this object while we waited took over the socket;
    // this exchange was abandoned.
    if (d->generation != mine)
        return QStringLiteral("ERROR");

    QString result;
    if (m_exchangeState == Failed) {
        result = QStringLiteral("ERROR");
    } else {
        result = d->receivedBody;
        if (TheHeader)
            *TheHeader = m_receivedHeader;
    }
    d->receivedBody.clear();
    return result;
}

void clsData::CloseCon(bool ForceError)
{
    if (ForceError)
        d->setState(Failed);
    d->closeWork();
}

void clsData::QData()
{
    d->closeSocket();
}

void clsData::setExchangeLimit(int ms)
{
    g_exchangeLimitMs.store(ms > 0 ? ms : kDefaultExchangeLimitMs);
}

int clsData::exchangeLimit()
{
    return g_exchangeLimitMs.load();
}

void clsData::onTimeout()
{
    CloseCon(false);
}
