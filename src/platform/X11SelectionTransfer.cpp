#include "platform/X11SelectionTransfer.h"

#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A property is read in parts of this many 32-bit units (1 MB), so that no single reply of the
// server holds a whole long text.
constexpr uint32_t kPartUnits = 1u << 18;

// Text targets in the order they are asked for: UTF-8 first, as Qt's clipboard asks.
constexpr const char *kTextTargets[] = {"UTF8_STRING", "text/plain;charset=utf-8", "STRING", "TEXT",
                                        "text/plain"};

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t intern(xcb_connection_t *c, const QByteArray &name)
{
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QString atomName(xcb_connection_t *c, xcb_atom_t atom)
{
    Reply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
    if (!reply)
        return {};
    return QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                               xcb_get_atom_name_name_length(reply.get()));
}

ClipboardContent failure(const QString &message)
{
    ClipboardContent content;
    content.kind = ClipboardContent::Kind::Failed;
    content.message = message;
    return content;
}

} // namespace

struct X11SelectionTransfer::Worker {
    enum class Stage { Targets, Data, Incremental };
    // The read under way.
    struct Read {
        quint64 request = 0;
        xcb_atom_t selection = XCB_ATOM_NONE;
        xcb_atom_t property = XCB_ATOM_NONE;
        xcb_atom_t target = XCB_ATOM_NONE;
        Stage stage = Stage::Targets;
        // Targets still to try, best first, and whether the owner offered them.
        std::vector<xcb_atom_t> candidates;
        bool offered = false;
        QByteArray data;
        Clock::time_point deadline;
    };
    struct Pending {
        quint64 request = 0; // 0: cancel only
        QClipboard::Mode mode = QClipboard::Clipboard;
    };

    Worker(Deliver deliver, std::chrono::milliseconds timeout);
    ~Worker();

    void run();
    bool startNext(const std::vector<Pending> &pending);
    void wait(pollfd *watched);
    void begin(const Pending &pending);
    void abandon();
    void handle(const xcb_generic_event_t *event);
    void selectionNotified(const xcb_selection_notify_event_t *event);
    void propertyChanged(const xcb_property_notify_event_t *event);
    void chooseTargets(const QByteArray &targets, bool answered);
    void askNext();
    void convert(xcb_atom_t target);
    bool readProperty(xcb_atom_t property, QByteArray &out, xcb_atom_t &type);
    void complete();
    void finish(const ClipboardContent &content);
    xcb_atom_t freeProperty();
    bool isText(xcb_atom_t target) const;

    Deliver m_deliver;
    std::chrono::milliseconds m_timeout;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    int m_wake[2] = {-1, -1};
    bool m_connected = false;

    std::mutex m_mutex; // guards m_pending and m_stop
    std::vector<Pending> m_pending;
    bool m_stop = false;

    // The worker thread's own.
    std::optional<Read> m_read;
    // Properties of abandoned reads whose owner may still write to them: each new value is
    // deleted so that an INCR transfer runs to its end instead of stalling the owner.
    std::set<xcb_atom_t> m_abandoned;
    // Abandoned INCR transfers still running. Many owners (xclip among them) serve one transfer
    // at a time and drop requests that come meanwhile, so a new read waits for them to end, or
    // to stall for a timeout.
    std::set<xcb_atom_t> m_draining;
    Clock::time_point m_drainDeadline;
    std::optional<Pending> m_deferred;
    std::vector<xcb_atom_t> m_properties;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE, m_targets = XCB_ATOM_NONE, m_incr = XCB_ATOM_NONE,
               m_utf8 = XCB_ATOM_NONE, m_utf8Plain = XCB_ATOM_NONE, m_text = XCB_ATOM_NONE;
    std::vector<xcb_atom_t> m_textTargets;

    std::thread m_thread;
};

X11SelectionTransfer::Worker::Worker(Deliver deliver, std::chrono::milliseconds timeout)
    : m_deliver(std::move(deliver)), m_timeout(timeout)
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection) || pipe(m_wake) != 0)
        return;
    fcntl(m_wake[0], F_SETFL, O_NONBLOCK);
    fcntl(m_wake[1], F_SETFL, O_NONBLOCK);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    // An unmapped window of our own receives the converted data and the INCR parts.
    m_window = xcb_generate_id(m_connection);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK,
                      &events);
    m_clipboard = intern(m_connection, "CLIPBOARD");
    m_targets = intern(m_connection, "TARGETS");
    m_incr = intern(m_connection, "INCR");
    m_utf8 = intern(m_connection, "UTF8_STRING");
    m_utf8Plain = intern(m_connection, "text/plain;charset=utf-8");
    m_text = intern(m_connection, "TEXT");
    for (const char *name : kTextTargets)
        m_textTargets.push_back(intern(m_connection, name));
    xcb_flush(m_connection);
    m_connected = !xcb_connection_has_error(m_connection);
    m_thread = std::thread([this] { run(); });
}

X11SelectionTransfer::Worker::~Worker()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        const char wake = 1;
        [[maybe_unused]] ssize_t written = write(m_wake[1], &wake, 1);
        m_thread.join();
    }
    for (int fd : m_wake)
        if (fd >= 0)
            close(fd);
    xcb_disconnect(m_connection);
}

void X11SelectionTransfer::Worker::run()
{
    pollfd watched[2] = {{xcb_get_file_descriptor(m_connection), POLLIN, 0},
                         {m_wake[0], POLLIN, 0}};
    for (;;) {
        // Events may wait in xcb's queue, read while a reply was awaited: take them first.
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            handle(event);
            std::free(event);
        }
        std::vector<Pending> pending;
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                break;
            pending.swap(m_pending);
        }
        if (startNext(pending))
            continue;
        if (xcb_connection_has_error(m_connection)) {
            if (m_read)
                finish(failure(QStringLiteral("与 X 显示服务器的连接已断开")));
            // A closed socket is always readable: wait for requests alone, each fails at once.
            watched[0].fd = -1;
        }
        wait(watched);
        if (m_read && Clock::now() >= m_read->deadline) {
            const double seconds = m_timeout.count() / 1000.0;
            const quint64 request = m_read->request;
            abandon();
            m_deliver(
                request,
                failure(QStringLiteral("持有剪贴板的程序在 %1 秒内没有送来内容").arg(seconds)));
        }
    }
}

bool X11SelectionTransfer::Worker::startNext(const std::vector<Pending> &pending)
{
    if (!pending.empty()) {
        // Only the newest counts; those before it were superseded before they began.
        begin(pending.back());
    } else if (m_deferred && (m_draining.empty() || Clock::now() >= m_drainDeadline)) {
        m_draining.clear();
        const Pending deferred = *m_deferred;
        m_deferred.reset();
        begin(deferred);
    } else {
        return false;
    }
    xcb_flush(m_connection);
    return true;
}

void X11SelectionTransfer::Worker::wait(pollfd *watched)
{
    // Until an event, a request, or the deadline of the read (or of the drain) under way.
    int milliseconds = -1;
    if (m_read || m_deferred) {
        const Clock::time_point until = m_read ? m_read->deadline : m_drainDeadline;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        milliseconds = int(std::max<qint64>(0, left.count()) + 1);
    }
    xcb_flush(m_connection);
    if (poll(watched, 2, milliseconds) > 0 && (watched[1].revents & POLLIN)) {
        char drained[64];
        while (::read(m_wake[0], drained, sizeof drained) > 0) {
        }
    }
}

void X11SelectionTransfer::Worker::begin(const Pending &pending)
{
    abandon();
    m_deferred.reset();
    if (pending.request == 0)
        return;
    if (!m_draining.empty()) {
        m_deferred = pending;
        return;
    }
    const xcb_atom_t selection =
        pending.mode == QClipboard::Selection ? xcb_atom_t(XCB_ATOM_PRIMARY) : m_clipboard;
    Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, selection), nullptr));
    if (!owner) {
        m_deliver(pending.request, failure(QStringLiteral("与 X 显示服务器的连接已断开")));
        return;
    }
    if (owner->owner == XCB_WINDOW_NONE) {
        m_deliver(pending.request, ClipboardContent{});
        return;
    }
    m_read.emplace();
    m_read->request = pending.request;
    m_read->selection = selection;
    m_read->property = freeProperty();
    m_read->stage = Stage::Targets;
    convert(m_targets);
}

void X11SelectionTransfer::Worker::abandon()
{
    if (!m_read)
        return;
    m_abandoned.insert(m_read->property);
    if (m_read->stage == Stage::Incremental) {
        m_draining.insert(m_read->property);
        m_drainDeadline = Clock::now() + m_timeout;
    }
    m_read.reset();
}

xcb_atom_t X11SelectionTransfer::Worker::freeProperty()
{
    // A property of its own for each read: an abandoned owner may still be writing to the old
    // one.
    for (xcb_atom_t property : m_properties)
        if (!m_abandoned.count(property))
            return property;
    const QByteArray name = "QINGLAN_SELECTION_" + QByteArray::number(m_properties.size());
    m_properties.push_back(intern(m_connection, name));
    return m_properties.back();
}

void X11SelectionTransfer::Worker::convert(xcb_atom_t target)
{
    m_read->target = target;
    m_read->deadline = Clock::now() + m_timeout;
    xcb_delete_property(m_connection, m_window, m_read->property);
    xcb_convert_selection(m_connection, m_window, m_read->selection, target, m_read->property,
                          XCB_CURRENT_TIME);
}

void X11SelectionTransfer::Worker::handle(const xcb_generic_event_t *event)
{
    switch (event->response_type & 0x7f) {
    case XCB_SELECTION_NOTIFY:
        selectionNotified(reinterpret_cast<const xcb_selection_notify_event_t *>(event));
        break;
    case XCB_PROPERTY_NOTIFY:
        propertyChanged(reinterpret_cast<const xcb_property_notify_event_t *>(event));
        break;
    default:
        break;
    }
}

void X11SelectionTransfer::Worker::selectionNotified(const xcb_selection_notify_event_t *event)
{
    if (event->requestor != m_window)
        return;
    if (event->property != XCB_ATOM_NONE && m_abandoned.count(event->property)) {
        xcb_delete_property(m_connection, m_window, event->property);
        return;
    }
    if (!m_read || event->selection != m_read->selection || event->target != m_read->target)
        return;
    if (event->property != XCB_ATOM_NONE && event->property != m_read->property)
        return;
    const bool refused = event->property == XCB_ATOM_NONE;
    QByteArray data;
    xcb_atom_t type = XCB_ATOM_NONE;
    if (!refused && !readProperty(m_read->property, data, type)) {
        finish(failure(QStringLiteral("与 X 显示服务器的连接已断开")));
        return;
    }
    if (m_read->stage == Stage::Targets) {
        chooseTargets(data, !refused && (type == XCB_ATOM_ATOM || type == m_targets));
        askNext();
        return;
    }
    if (refused) {
        askNext();
        return;
    }
    if (type == m_incr) {
        // The owner sends the data in parts, each as a new value of the property, once the
        // previous one has been deleted (readProperty deleted the INCR marker); an empty part
        // ends the transfer.
        m_read->stage = Stage::Incremental;
        m_read->data.clear();
        if (data.size() >= 4) {
            uint32_t hint = 0;
            std::memcpy(&hint, data.constData(), 4);
            m_read->data.reserve(qsizetype(std::min<uint32_t>(hint, 1u << 30)));
        }
        m_read->deadline = Clock::now() + m_timeout;
        return;
    }
    m_read->data = std::move(data);
    complete();
}

void X11SelectionTransfer::Worker::propertyChanged(const xcb_property_notify_event_t *event)
{
    if (event->window != m_window || event->state != XCB_PROPERTY_NEW_VALUE)
        return;
    if (m_abandoned.count(event->atom)) {
        Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, m_window, event->atom,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                                   nullptr));
        xcb_delete_property(m_connection, m_window, event->atom);
        // The empty last part of an INCR transfer: the owner is done with the property.
        if (reply && reply->type != XCB_ATOM_NONE && reply->bytes_after == 0) {
            m_abandoned.erase(event->atom);
            m_draining.erase(event->atom);
        } else if (m_draining.count(event->atom)) {
            m_drainDeadline = Clock::now() + m_timeout;
        }
        return;
    }
    if (!m_read || m_read->stage != Stage::Incremental || event->atom != m_read->property)
        return;
    QByteArray part;
    xcb_atom_t type = XCB_ATOM_NONE;
    if (!readProperty(m_read->property, part, type)) {
        finish(failure(QStringLiteral("与 X 显示服务器的连接已断开")));
        return;
    }
    if (part.isEmpty()) {
        complete();
        return;
    }
    m_read->data += part;
    m_read->deadline = Clock::now() + m_timeout;
}

bool X11SelectionTransfer::Worker::isText(xcb_atom_t target) const
{
    return std::find(m_textTargets.begin(), m_textTargets.end(), target) != m_textTargets.end();
}

void X11SelectionTransfer::Worker::chooseTargets(const QByteArray &targets, bool answered)
{
    std::vector<xcb_atom_t> offered(size_t(targets.size()) / sizeof(xcb_atom_t));
    std::memcpy(offered.data(), targets.constData(), offered.size() * sizeof(xcb_atom_t));
    auto isOffered = [&](xcb_atom_t atom) {
        return std::find(offered.begin(), offered.end(), atom) != offered.end();
    };
    m_read->candidates.clear();
    m_read->offered = answered;
    if (!answered) {
        // An owner that does not list its targets may still convert to text.
        m_read->candidates = {m_utf8, XCB_ATOM_STRING};
        return;
    }
    for (xcb_atom_t text : m_textTargets)
        if (isOffered(text))
            m_read->candidates.push_back(text);
    if (!m_read->candidates.empty())
        return;
    // No text at all: a picture in a format Qt can read, PNG first.
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    const xcb_atom_t png = intern(m_connection, "image/png");
    if (isOffered(png))
        m_read->candidates.push_back(png);
    for (xcb_atom_t atom : offered) {
        if (atom == png)
            continue;
        const QByteArray name = atomName(m_connection, atom).toLatin1();
        if (name.startsWith("image/") && readable.contains(name))
            m_read->candidates.push_back(atom);
    }
}

void X11SelectionTransfer::Worker::askNext()
{
    if (m_read->candidates.empty()) {
        // Offered text or a picture but converted none of them: say so. Nothing offered, or
        // nothing converted without an offer, is an empty clipboard.
        const bool triedOffered = m_read->offered && m_read->target != m_targets;
        finish(triedOffered ? failure(QStringLiteral("持有剪贴板的程序没有交出它的内容"))
                            : ClipboardContent{});
        return;
    }
    const xcb_atom_t next = m_read->candidates.front();
    m_read->candidates.erase(m_read->candidates.begin());
    m_read->stage = Stage::Data;
    convert(next);
}

bool X11SelectionTransfer::Worker::readProperty(xcb_atom_t property, QByteArray &out,
                                                xcb_atom_t &type)
{
    out.clear();
    uint32_t offset = 0;
    for (;;) {
        Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, m_window, property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, offset, kPartUnits),
                                   nullptr));
        if (!reply)
            return false;
        type = reply->type;
        const int length = xcb_get_property_value_length(reply.get());
        out.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
        if (reply->bytes_after == 0 || length == 0)
            break;
        offset += uint32_t(length) / 4;
    }
    // Deleting tells an INCR owner to send the next part.
    xcb_delete_property(m_connection, m_window, property);
    xcb_flush(m_connection);
    return true;
}

void X11SelectionTransfer::Worker::complete()
{
    QByteArray &data = m_read->data;
    const xcb_atom_t target = m_read->target;
    ClipboardContent content;
    if (isText(target)) {
        // As Qt's clipboard reads text: one terminating NUL is not part of it; UTF-8 unless the
        // target says Latin-1.
        if (target != m_utf8Plain && data.endsWith('\0'))
            data.chop(1);
        content.kind = ClipboardContent::Kind::Text;
        content.text = (target == XCB_ATOM_STRING || target == m_text) ? QString::fromLatin1(data)
                                                                       : QString::fromUtf8(data);
    } else {
        content.kind = ClipboardContent::Kind::Picture;
        content.picture = QImage::fromData(data);
        if (content.picture.isNull())
            content = failure(QStringLiteral("剪贴板上的图片无法读取"));
    }
    data.clear();
    finish(content);
}

void X11SelectionTransfer::Worker::finish(const ClipboardContent &content)
{
    const quint64 request = m_read->request;
    m_read.reset();
    m_deliver(request, content);
}

X11SelectionTransfer::X11SelectionTransfer(Deliver deliver, std::chrono::milliseconds timeout)
    : m_worker(std::make_unique<Worker>(std::move(deliver), timeout))
{
}

X11SelectionTransfer::~X11SelectionTransfer() = default;

bool X11SelectionTransfer::isConnected() const
{
    return m_worker->m_connected;
}

void X11SelectionTransfer::request(quint64 request, QClipboard::Mode mode)
{
    if (!m_worker->m_connected) {
        m_worker->m_deliver(request, failure(QStringLiteral("无法连接 X 显示服务器")));
        return;
    }
    {
        std::lock_guard lock(m_worker->m_mutex);
        m_worker->m_pending.push_back({request, mode});
    }
    const char wake = 1;
    [[maybe_unused]] ssize_t written = write(m_worker->m_wake[1], &wake, 1);
}

void X11SelectionTransfer::cancel()
{
    if (m_worker->m_connected)
        request(0, QClipboard::Clipboard);
}
