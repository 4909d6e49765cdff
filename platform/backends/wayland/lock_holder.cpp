#include "backends/wayland/lock_holder.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/wait.h"
#include "layer_wayland.h"
#include "password/pam_check.h"

namespace platform::detail::wayland::holder {
namespace {

// Exit codes: 0 unlocked by an accepted password; 1 the compositor ended
// the lock or the connection; 2 no lock to be had here.
constexpr int kUnlocked = 0;
constexpr int kLockLost = 1;

Screen *Of(void *data) { return static_cast<Screen *>(data); }

// Which desktop this is, told by the globals only it offers, for the
// message that names its own locker.
enum class Desktop { kOther, kWeston, kPlasma, kGnome };
Desktop desktop = Desktop::kOther;
void NoteDesktop(const char *interface) {
  const std::string_view name = interface;
  if (name.starts_with("weston_")) {
    desktop = Desktop::kWeston;
  } else if (name.starts_with("org_kde_plasma")) {
    desktop = Desktop::kPlasma;
  } else if (name == "gtk_shell1") {
    desktop = Desktop::kGnome;
  }
}

// Where the compositor has no lock to give: the desktop's own locker.
void NoLockHere() {
  const char *advice = "lock with this desktop's own locker";
  switch (desktop) {
  case Desktop::kWeston:
    advice = "weston locks with its desktop shell's own lock (locking=true "
             "in the [shell] section of weston.ini)";
    break;
  case Desktop::kPlasma:
    advice = "KDE Plasma locks with its own screen locker (Meta+L, or "
             "loginctl lock-session)";
    break;
  case Desktop::kGnome:
    advice = "GNOME locks with its own lock screen (Super+L, or loginctl "
             "lock-session)";
    break;
  case Desktop::kOther:
    break;
  }
  std::fprintf(stderr,
               "gushmire: this Wayland compositor offers no ext-session-lock, "
               "so gushmire cannot lock it safely; %s\n",
               advice);
}

void OnLocked(void *, ext_session_lock_v1 *) { TheHolder().locked = true; }
void OnFinished(void *, ext_session_lock_v1 *) { TheHolder().finished = true; }
const ext_session_lock_v1_listener lockListener = [] {
  ext_session_lock_v1_listener l{};
  l.locked = OnLocked;
  l.finished = OnFinished;
  return l;
}();

// Black until the saver's first picture: one pixel, stretched where the
// compositor can, else the whole output (untouched memory, all zero).
wl_buffer *BlackBuffer(int width, int height) {
  Holder &h = TheHolder();
  const std::size_t bytes =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u;
  const int fd = memfd_create("gushmire-black", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    if (fd >= 0) {
      close(fd);
    }
    return nullptr;
  }
  wl_shm_pool *pool =
      wl_shm_create_pool(h.shm, fd, static_cast<int32_t>(bytes));
  wl_buffer *buffer = wl_shm_pool_create_buffer(
      pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  return buffer;
}

void ShowBlack(Screen &s) {
  if (s.black == nullptr) {
    s.black = s.viewport != nullptr ? BlackBuffer(1, 1)
                                    : BlackBuffer(s.width, s.height);
  }
  if (s.black == nullptr) {
    return;
  }
  wl_surface_attach(s.surface, s.black, 0, 0);
  wl_surface_damage(s.surface, 0, 0, INT32_MAX, INT32_MAX);
  wl_surface_commit(s.surface);
}

void OnConfigure(void *data, ext_session_lock_surface_v1 *surface,
                 uint32_t serial, uint32_t width, uint32_t height) {
  Screen &s = *Of(data);
  ext_session_lock_surface_v1_ack_configure(surface, serial);
  constexpr auto kMost = static_cast<uint32_t>(kMaxFramebufferSide);
  if (width == 0 || height == 0 || width > kMost || height > kMost) {
    return; // no size to draw at: the compositor sends another
  }
  const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  if (s.configured && w == s.logicalWidth && h == s.logicalHeight) {
    if (s.pid < 0 && s.restartAt == 0) {
      ShowBlack(s);
    }
    return;
  }
  const bool resized = s.configured;
  s.configured = true;
  s.logicalWidth = w;
  s.logicalHeight = h;
  // Device pixels: the mode where it fits the configured size at some
  // scale (a fractional one through the viewport), else size times scale.
  int modeW = s.output->width, modeH = s.output->height;
  if ((s.output->transform & 1) != 0) {
    std::swap(modeW, modeH);
  }
  const int32_t scale = std::max(1, s.output->scale);
  Holder &holder = TheHolder();
  if (holder.viewporter != nullptr && modeW > 0 && modeH > 0 &&
      modeW <= kMaxFramebufferSide && modeH <= kMaxFramebufferSide) {
    s.width = modeW;
    s.height = modeH;
    if (s.viewport == nullptr) {
      s.viewport = wp_viewporter_get_viewport(holder.viewporter, s.surface);
    }
    wp_viewport_set_destination(s.viewport, w, h);
  } else {
    s.width = std::min(w * scale, kMaxFramebufferSide);
    s.height = std::min(h * scale, kMaxFramebufferSide);
    wl_surface_set_buffer_scale(s.surface, scale);
  }
  if (s.black != nullptr) {
    wl_buffer_destroy(s.black);
    s.black = nullptr;
  }
  ShowBlack(s);
  // A new size needs a saver drawing at it.
  if (resized) {
    StopSaver(s);
  }
  if (holder.locked) {
    StartSaver(s);
  }
}
const ext_session_lock_surface_v1_listener surfaceListener = [] {
  ext_session_lock_surface_v1_listener l{};
  l.configure = OnConfigure;
  return l;
}();

void MakeLockSurface(Screen &s) {
  Holder &h = TheHolder();
  if (s.surface != nullptr || h.lock == nullptr || !s.output->described) {
    return;
  }
  s.surface = wl_compositor_create_surface(h.compositor);
  wl_surface_set_user_data(s.surface, &s);
  s.lockSurface =
      ext_session_lock_v1_get_lock_surface(h.lock, s.surface, s.output->proxy);
  ext_session_lock_surface_v1_add_listener(s.lockSurface, &surfaceListener, &s);
}

void OnGlobal(void *, wl_registry *registry, uint32_t name,
              const char *interface, uint32_t version) {
  Holder &h = TheHolder();
  NoteDesktop(interface);
  const auto bind = [&](const wl_interface *what, uint32_t most) {
    return wl_registry_bind(registry, name, what, std::min(version, most));
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    h.compositorVersion = std::min(version, 4u);
    h.compositor =
        static_cast<wl_compositor *>(bind(&wl_compositor_interface, 4));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    h.shm = static_cast<wl_shm *>(bind(&wl_shm_interface, 1));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 &&
             h.seat == nullptr) {
    h.seat = static_cast<wl_seat *>(bind(&wl_seat_interface, 5));
    static const wl_seat_listener listener = [] {
      wl_seat_listener l{};
      l.capabilities = [](void *, wl_seat *, uint32_t capabilities) {
        SeatCapabilities(capabilities);
      };
      l.name = [](void *, wl_seat *, const char *) {};
      return l;
    }();
    wl_seat_add_listener(h.seat, &listener, nullptr);
  } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
    h.viewporter =
        static_cast<wp_viewporter *>(bind(&wp_viewporter_interface, 1));
  } else if (std::strcmp(interface,
                         ext_session_lock_manager_v1_interface.name) == 0) {
    h.manager = static_cast<ext_session_lock_manager_v1 *>(
        bind(&ext_session_lock_manager_v1_interface, 1));
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    AddScreen(name, version);
  }
}
void OnGlobalRemove(void *, wl_registry *, uint32_t name) {
  RemoveScreen(name);
}
const wl_registry_listener registryListener = [] {
  wl_registry_listener l{};
  l.global = OnGlobal;
  l.global_remove = OnGlobalRemove;
  return l;
}();

void Dispatch() {
  Holder &h = TheHolder();
  if (wl_display_dispatch_pending(h.display) < 0) {
    Lost();
  }
}

void Roundtrip() {
  if (wl_display_roundtrip(TheHolder().display) < 0) {
    Lost();
  }
}

// Outputs described since: their lock surfaces.
void CoverOutputs() {
  for (auto &s : TheHolder().screens) {
    MakeLockSurface(*s);
  }
}

// Reads the compositor, the savers' links, the password check and the wake
// pipe, waiting up to `timeout` ms.
void Pump(int timeout) {
  Holder &h = TheHolder();
  while (wl_display_prepare_read(h.display) != 0) {
    Dispatch();
  }
  if (wl_display_flush(h.display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(h.display);
    Lost();
  }
  std::vector<pollfd> wanted;
  wanted.push_back({wl_display_get_fd(h.display), POLLIN, 0});
  wanted.push_back({WakeDescriptor(), POLLIN, 0});
  wanted.push_back({PasswordCheckDescriptor(), POLLIN, 0});
  for (const auto &s : h.screens) {
    wanted.push_back({s->link, POLLIN, 0});
  }
  const int ready =
      poll(wanted.data(), static_cast<nfds_t>(wanted.size()), timeout);
  DrainWake();
  if (ready > 0 && wanted[0].revents != 0) {
    if (wl_display_read_events(h.display) < 0) {
      Lost();
    }
  } else {
    wl_display_cancel_read(h.display);
  }
  Dispatch();
  CoverOutputs();
  if (ready > 0 && wanted[2].revents != 0) {
    CheckEnded();
  }
  for (std::size_t i = 0; i < h.screens.size(); ++i) {
    if (i + 3 < wanted.size() && wanted[i + 3].revents != 0 &&
        h.screens[i]->link == wanted[i + 3].fd) {
      ReadSaver(*h.screens[i]);
    }
  }
  ReapSavers();
  StartDueSavers();
}

} // namespace

Holder &TheHolder() {
  static Holder instance;
  return instance;
}

void AddScreen(uint32_t name, uint32_t version) {
  auto s = std::make_unique<Screen>();
  s->output = BindOutput(TheHolder().registry, name, version);
  TheHolder().screens.push_back(std::move(s));
}

void RemoveScreen(uint32_t name) {
  Holder &h = TheHolder();
  std::erase_if(h.screens, [&](const std::unique_ptr<Screen> &s) {
    if (s->output->global != name) {
      return false;
    }
    StopSaver(*s);
    for (Screen **held :
         {&h.keyFocus, &h.pointerIn, &h.lastInput, &h.checking}) {
      if (*held == s.get()) {
        *held = nullptr;
      }
    }
    if (s->frame != nullptr) {
      wl_callback_destroy(s->frame);
    }
    if (s->viewport != nullptr) {
      wp_viewport_destroy(s->viewport);
    }
    if (s->lockSurface != nullptr) {
      ext_session_lock_surface_v1_destroy(s->lockSurface);
    }
    if (s->surface != nullptr) {
      wl_surface_destroy(s->surface);
    }
    if (s->black != nullptr) {
      wl_buffer_destroy(s->black);
    }
    if (s->desktop >= 0) {
      close(s->desktop);
    }
    wl_output_destroy(s->output->proxy);
    return true;
  });
}

void ShowPicture(Screen &s, const Message &commit) {
  wl_buffer *picture = s.pictures[static_cast<std::size_t>(commit.a)];
  if (picture == nullptr || s.surface == nullptr || !s.configured) {
    return;
  }
  wl_surface_attach(s.surface, picture, 0, 0);
  for (uint32_t i = 0; i < commit.boxCount; ++i) {
    const auto &b = commit.boxes[i];
    if (TheHolder().compositorVersion >= 4) {
      wl_surface_damage_buffer(s.surface, b.left, b.top, b.right - b.left,
                               b.bottom - b.top);
    } else {
      wl_surface_damage(s.surface, 0, 0, INT32_MAX, INT32_MAX);
    }
  }
  static const wl_callback_listener frameListener = [] {
    wl_callback_listener l{};
    l.done = [](void *data, wl_callback *callback, uint32_t) {
      wl_callback_destroy(callback);
      Screen &screen = *Of(data);
      screen.frame = nullptr;
      Message m;
      m.kind = detail::lock::Kind::kFrame;
      Tell(screen, m);
    };
    return l;
  }();
  if (s.frame == nullptr) {
    s.frame = wl_surface_frame(s.surface);
    wl_callback_add_listener(s.frame, &frameListener, &s);
  }
  wl_surface_commit(s.surface);
}

void Lost() {
  // The compositor keeps the session locked without us.
  std::fprintf(stderr, "gushmire: the Wayland display went away\n");
  _exit(kLockLost);
}

} // namespace platform::detail::wayland::holder

namespace platform {

int RunWaylandLock(const char *program, bool keepDesktop) {
  using namespace detail::wayland::holder;
  Holder &h = TheHolder();
  h.program = program;
  h.display = wl_display_connect(nullptr);
  if (h.display == nullptr) {
    std::fprintf(stderr, "gushmire: cannot connect to the Wayland display\n");
    return kWaylandNoLockExit;
  }
  std::signal(SIGPIPE, SIG_IGN);
  // A stop signal only wakes us: nothing but the password unlocks.
  CatchStopSignals();
  WakeOnChildExit();
  h.registry = wl_display_get_registry(h.display);
  wl_registry_add_listener(h.registry, &registryListener, nullptr);
  Roundtrip();
  Roundtrip();
  if (h.manager == nullptr || h.compositor == nullptr || h.shm == nullptr) {
    NoLockHere();
    return kWaylandNoLockExit;
  }
  if (keepDesktop) {
    CaptureDesktops(Pump); // once locked, only lock surfaces show
  }
  h.lock = ext_session_lock_manager_v1_lock(h.manager);
  ext_session_lock_v1_add_listener(h.lock, &lockListener, nullptr);
  CoverOutputs();
  while (!h.locked && !h.finished) {
    Pump(-1);
  }
  if (!h.locked) {
    std::fprintf(stderr, "gushmire: the compositor would not lock the "
                         "session (is another locker running?)\n");
    return kLockLost;
  }
  for (auto &s : h.screens) {
    if (s->configured) {
      StartSaver(*s);
    }
  }
  while (!h.accepted && !h.finished) {
    detail::TakeStopRequest(); // never an unlock
    const uint64_t due = NextDue();
    const uint64_t now = MonotonicMs();
    Pump(due == 0 ? -1 : static_cast<int>(due > now ? due - now : 0));
    CheckOverdue();
  }
  if (h.finished) {
    std::fprintf(stderr, "gushmire: the compositor ended the lock\n");
    for (auto &s : h.screens) {
      StopSaver(*s);
    }
    return kLockLost;
  }
  ext_session_lock_v1_unlock_and_destroy(h.lock);
  h.lock = nullptr;
  Roundtrip();
  for (auto &s : h.screens) {
    StopSaver(*s);
  }
  return kUnlocked;
}

} // namespace platform
