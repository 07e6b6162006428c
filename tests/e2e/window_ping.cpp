// Pings an X window the way a window manager does (_NET_WM_PING, every 100 ms) for a number of
// seconds and prints how long the window's program took to answer at worst:
//   window_ping WINDOW_ID SECONDS
// prints "longest <ms> pings <n> unanswered <n>". A ping still unanswered at the end counts
// with the time it has waited. The program answers only from its event loop, so the figure is
// how long the window stopped answering.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return a;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_ping WINDOW_ID SECONDS\n");
        return 2;
    }
    const xcb_window_t window = xcb_window_t(std::strtoul(argv[1], nullptr, 0));
    const double seconds = std::atof(argv[2]);
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Qt answers to the root window with the structure-notify and substructure-redirect masks;
    // the redirect belongs to the window manager, so listen for the notify ones.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t ping = atom(c, "_NET_WM_PING");

    std::map<uint32_t, Clock::time_point> waiting;
    double longest = 0;
    long sent = 0;
    uint32_t stamp = 1;
    const Clock::time_point start = Clock::now();
    Clock::time_point next = start;
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
        if (Clock::now() >= next) {
            xcb_client_message_event_t event = {};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 32;
            event.window = window;
            event.type = protocols;
            event.data.data32[0] = ping;
            event.data.data32[1] = stamp;
            event.data.data32[2] = window;
            xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char *>(&event));
            xcb_flush(c);
            waiting[stamp++] = Clock::now();
            ++sent;
            next += std::chrono::milliseconds(100);
        }
        while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                auto *m = reinterpret_cast<xcb_client_message_event_t *>(e);
                if (m->type == protocols && m->data.data32[0] == ping) {
                    auto it = waiting.find(m->data.data32[1]);
                    if (it != waiting.end()) {
                        const double ms =
                            std::chrono::duration<double, std::milli>(Clock::now() - it->second)
                                .count();
                        longest = ms > longest ? ms : longest;
                        // Slow answers to stderr, with the time the ping was sent, to tell
                        // which step held the window.
                        if (ms >= 50)
                            std::fprintf(stderr, "ping at %.2f s answered after %.0f ms\n",
                                         std::chrono::duration<double>(it->second - start).count(),
                                         ms);
                        waiting.erase(it);
                    }
                }
            }
            std::free(e);
        }
        if (xcb_connection_has_error(c))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (const auto &[s, at] : waiting) {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - at).count();
        longest = ms > longest ? ms : longest;
    }
    std::printf("longest %.0f pings %ld unanswered %zu\n", longest, sent, waiting.size());
    xcb_disconnect(c);
    return 0;
}
