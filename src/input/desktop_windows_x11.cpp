// The focused window and the open windows of an X desktop, on a connection of
// our own (xcb: a window that vanishes between two requests only gives an
// error reply, never ends the program). The focus is followed by events: the
// window manager's _NET_ACTIVE_WINDOW where there is one, else the input focus
// itself, seen through focus events on every top-level window.

#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <QString>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "input/desktop_windows.h"

namespace quillon {
namespace {

template <typename T>
struct Reply {
  T* data;
  explicit Reply(T* reply) : data(reply) {}
  ~Reply() { std::free(data); }
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;
  T* operator->() const { return data; }
  explicit operator bool() const { return data != nullptr; }
};

constexpr std::uint32_t kTopLevelEvents = XCB_EVENT_MASK_FOCUS_CHANGE;
constexpr std::uint32_t kRootEvents =
    XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
// Deep enough for a window manager's frame around its client.
constexpr int kClientSearchDepth = 3;

// One connection and the atoms both the watcher and the list need.
class Connection {
 public:
  Connection() : connection_(xcb_connect(nullptr, nullptr)) {
    if (!ok()) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    active_window_ = atom("_NET_ACTIVE_WINDOW");
    client_list_ = atom("_NET_CLIENT_LIST");
    wm_name_utf8_ = atom("_NET_WM_NAME");
    utf8_string_ = atom("UTF8_STRING");
  }
  ~Connection() { xcb_disconnect(connection_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool ok() const { return !xcb_connection_has_error(connection_); }
  xcb_connection_t* get() const { return connection_; }
  xcb_window_t root() const { return root_; }
  xcb_atom_t active_window_atom() const { return active_window_; }
  xcb_atom_t client_list_atom() const { return client_list_; }
  bool names_window(xcb_atom_t property) const {
    return property == XCB_ATOM_WM_NAME || property == wm_name_utf8_ || property == XCB_ATOM_WM_CLASS;
  }

  void select(xcb_window_t window, std::uint32_t events) {
    xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &events);
  }

  std::vector<xcb_window_t> children(xcb_window_t window, xcb_window_t* parent = nullptr) {
    const Reply tree(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (parent) *parent = tree ? tree->parent : XCB_NONE;
    if (!tree) return {};
    const xcb_window_t* first = xcb_query_tree_children(tree.data);
    return {first, first + xcb_query_tree_children_length(tree.data)};
  }

  // The raw bytes of a property, empty when it is missing or of another type.
  std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type, bool* found = nullptr) {
    const Reply reply(
        xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, window, name, type, 0, 4096), nullptr));
    if (found) *found = reply && reply->type != XCB_NONE;
    if (!reply) return {};
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.data));
    return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.data)));
  }

  std::vector<xcb_window_t> window_list(xcb_window_t window, xcb_atom_t name, bool* found = nullptr) {
    const std::string bytes = property(window, name, XCB_ATOM_WINDOW, found);
    std::vector<xcb_window_t> windows(bytes.size() / sizeof(xcb_window_t));
    std::memcpy(windows.data(), bytes.data(), windows.size() * sizeof(xcb_window_t));
    return windows;
  }

  bool has_class(xcb_window_t window) {
    bool found = false;
    property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, &found);
    return found;
  }

  bool viewable_top_level(xcb_window_t window) {
    const Reply attributes(
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE && !attributes->override_redirect;
  }

  // `window` or the first window below it that a program named (a window
  // manager's frame holds its client), XCB_NONE when there is none.
  xcb_window_t client_below(xcb_window_t window, int depth) {
    if (has_class(window)) return window;
    if (depth == 0) return XCB_NONE;
    for (const xcb_window_t child : children(window)) {
      if (const xcb_window_t client = client_below(child, depth - 1)) return client;
    }
    return XCB_NONE;
  }

  // The named window that holds `window`: itself, an ancestor, or one below
  // the top-level window it belongs to.
  xcb_window_t client_of(xcb_window_t window) {
    xcb_window_t top = window;
    while (window != XCB_NONE && window != root_) {
      if (has_class(window)) return window;
      top = window;
      xcb_window_t parent = XCB_NONE;
      children(window, &parent);
      window = parent;
    }
    return top == root_ ? XCB_NONE : client_below(top, kClientSearchDepth);
  }

  WindowInfo info(xcb_window_t window) {
    WindowInfo info;
    // WM_CLASS holds the instance, a NUL, the class and a NUL.
    const std::string wm_class = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const std::size_t split = wm_class.find('\0');
    info.program = wm_class.substr(0, split);
    if (split != std::string::npos)
      info.window_class = wm_class.substr(split + 1, wm_class.find('\0', split + 1) - split - 1);
    info.title = property(window, wm_name_utf8_, utf8_string_);
    // The old title property is Latin-1.
    if (info.title.empty()) {
      const std::string latin1 = property(window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY);
      info.title = QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size())).toStdString();
    }
    return info;
  }

  // The window the user works in: the window manager's active window when it
  // names one, else the window holding the input focus.
  xcb_window_t focused_client() {
    const std::vector<xcb_window_t> active = window_list(root_, active_window_);
    if (!active.empty() && active[0] != XCB_NONE) return client_of(active[0]);
    const Reply focus(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    // XCB_INPUT_FOCUS_POINTER_ROOT (1) and XCB_NONE are no window.
    if (!focus || focus->focus <= 1) return XCB_NONE;
    return client_of(focus->focus);
  }

 private:
  xcb_atom_t atom(const char* name) {
    const Reply reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : XCB_NONE;
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_NONE;
  xcb_atom_t active_window_ = XCB_NONE, client_list_ = XCB_NONE, wm_name_utf8_ = XCB_NONE, utf8_string_ = XCB_NONE;
};

class XcbFocusWatcher : public FocusWatcher {
 public:
  explicit XcbFocusWatcher(std::unique_ptr<Connection> connection) : x_(std::move(connection)) {
    // Read even while stopped: events still on their way are drained, not left to pile up.
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(x_->get()), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { read_events(); });
  }

  ~XcbFocusWatcher() override { stop(); }

  bool start(Focused focused) override {
    stop();
    if (!x_->ok()) return false;
    focused_ = std::move(focused);
    x_->select(x_->root(), kRootEvents);
    // Windows made from now on are selected as their creation is reported.
    for (const xcb_window_t window : x_->children(x_->root())) x_->select(window, kTopLevelEvents);
    reported_ = false;
    check_focus();
    read_events();
    return true;
  }

  void stop() override {
    focused_ = nullptr;
    if (!x_->ok()) return;
    x_->select(x_->root(), 0);
    xcb_flush(x_->get());
  }

 private:
  void read_events() {
    bool changed = false;
    do {
      changed = false;
      while (xcb_generic_event_t* event = xcb_poll_for_event(x_->get())) {
        changed = handle(*event) || changed;
        std::free(event);
      }
      // Looking at the focus asks the server, which may queue further events.
      if (changed) check_focus();
    } while (changed);
    // A lost connection stays readable for ever: stop listening to it.
    if (!x_->ok()) notifier_->setEnabled(false);
  }

  // True when the event may mean another focused window or title.
  bool handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
      case XCB_CREATE_NOTIFY: {
        const auto& created = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (created.parent != x_->root()) return false;
        x_->select(created.window, kTopLevelEvents);
        // It may have taken the focus before it was selected.
        return true;
      }
      case XCB_FOCUS_IN:
      case XCB_FOCUS_OUT:
      case XCB_DESTROY_NOTIFY:
        return true;
      case XCB_PROPERTY_NOTIFY: {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (property.window == x_->root()) return property.atom == x_->active_window_atom();
        return property.window == client_ && x_->names_window(property.atom);
      }
      default:
        return false;  // errors included: the window went away meanwhile
    }
  }

  void check_focus() {
    if (!focused_) return;
    const xcb_window_t client = x_->focused_client();
    if (client != client_) {
      // Title changes are followed on the focused window only.
      if (client_ != XCB_NONE) x_->select(client_, kTopLevelEvents);
      if (client != XCB_NONE) x_->select(client, kTopLevelEvents | XCB_EVENT_MASK_PROPERTY_CHANGE);
      client_ = client;
    }
    const WindowInfo info = client == XCB_NONE ? WindowInfo{} : x_->info(client);
    xcb_flush(x_->get());
    if (reported_ && info == last_ && client == last_client_) return;
    reported_ = true;
    last_ = info;
    last_client_ = client;
    // A copy: the callback may end or restart the watch.
    if (Focused focused = focused_) focused(info);
  }

  std::unique_ptr<Connection> x_;
  std::unique_ptr<QSocketNotifier> notifier_;
  Focused focused_;
  xcb_window_t client_ = XCB_NONE;
  xcb_window_t last_client_ = XCB_NONE;
  WindowInfo last_;
  bool reported_ = false;
};

class XcbWindowList : public WindowList {
 public:
  std::vector<WindowInfo> windows() override {
    Connection x;
    if (!x.ok()) return {};
    bool managed = false;
    std::vector<xcb_window_t> clients = x.window_list(x.root(), x.client_list_atom(), &managed);
    if (!managed) clients = unmanaged_clients(x);
    std::vector<WindowInfo> list;
    for (const xcb_window_t client : clients) {
      WindowInfo info = x.info(client);
      if (!info.window_class.empty() || !info.title.empty()) list.push_back(std::move(info));
    }
    return list;
  }

 private:
  // Without a window manager the top-level windows are the root's children.
  static std::vector<xcb_window_t> unmanaged_clients(Connection& x) {
    std::vector<xcb_window_t> clients;
    for (const xcb_window_t window : x.children(x.root())) {
      if (!x.viewable_top_level(window)) continue;
      if (const xcb_window_t client = x.client_below(window, kClientSearchDepth)) clients.push_back(client);
    }
    return clients;
  }
};

}  // namespace

std::unique_ptr<FocusWatcher> make_focus_watcher(std::string& log) {
  auto connection = std::make_unique<Connection>();
  if (!connection->ok()) {
    log = "no X display: the focused window cannot be followed";
    return nullptr;
  }
  log = "focused window followed through X focus events and _NET_ACTIVE_WINDOW";
  return std::make_unique<XcbFocusWatcher>(std::move(connection));
}

std::unique_ptr<WindowList> make_window_list() { return std::make_unique<XcbWindowList>(); }

}  // namespace quillon
