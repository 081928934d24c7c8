#include "SdlWindowSystem.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <thread>

#include "SdlEndRequests.h"

namespace corvane::platform {

SdlWindowSystem::~SdlWindowSystem() {
  for (auto& [handle, entry] : windows_) {
    if (beforeDestroy_) beforeDestroy_(handle);
    SDL_DestroyWindow(entry.window);
  }
}

HWND SdlWindowSystem::createWindow(const WindowDesc& desc) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (desc.border == BorderStyle::None) flags |= SDL_WINDOW_BORDERLESS;
  // Presentation draws through an OpenGL renderer where there is one. A
  // window made without OpenGL is made again by SDL when that renderer
  // comes, and some window managers then put it back off its place; so it
  // is made for OpenGL from the start when it can be.
  SDL_Window* window = SDL_CreateWindow(desc.caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, desc.clientWidth,
                                        desc.clientHeight, flags | SDL_WINDOW_OPENGL);
  if (!window)
    window = SDL_CreateWindow(desc.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              desc.clientWidth, desc.clientHeight, flags);
  if (!window) throw std::runtime_error(SDL_GetError());
  HWND handle = nextHandle_++;
  windows_[handle].window = window;
  return handle;
}

void SdlWindowSystem::destroyWindow(HWND window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  if (beforeDestroy_) beforeDestroy_(window);
  SDL_DestroyWindow(it->second.window);
  windows_.erase(it);
}

SDL_Window* SdlWindowSystem::sdlWindow(HWND window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.window;
}

void SdlWindowSystem::showWindow(HWND window, bool centred) {
  SDL_Window* w = sdlWindow(window);
  if (!w) return;
  // Centred on the monitor the window is on (a new window is on the first).
  if (centred) {
    int centre = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(displayOf(window)));
    SDL_SetWindowPosition(w, centre, centre);
  }
  SDL_ShowWindow(w);
  SDL_RaiseWindow(w);
}

void SdlWindowSystem::setCaption(HWND window, const std::string& caption) {
  if (SDL_Window* w = sdlWindow(window)) SDL_SetWindowTitle(w, caption.c_str());
}

void SdlWindowSystem::setBorderStyle(HWND window, BorderStyle border) {
  // A single and a dialog frame look alike here: both fixed, with a caption.
  SDL_Window* w = sdlWindow(window);
  if (!w) return;
  // The client area stays where it is; the frame grows or goes around it.
  // Just back from covering the desktop, SDL may still report the covering
  // place until the window manager's answer arrives, so the place noted
  // before covering counts.
  Entry& entry = windows_[window];
  int x = 0, y = 0;
  SDL_GetWindowPosition(w, &x, &y);
  bool bordered = border != BorderStyle::None;
  SDL_SetWindowBordered(w, bordered ? SDL_TRUE : SDL_FALSE);
  Uint32 flags = SDL_GetWindowFlags(w);
  if ((flags & SDL_WINDOW_FULLSCREEN) || !(flags & SDL_WINDOW_SHOWN)) return;
  if (entry.place) {
    x = entry.place->x;
    y = entry.place->y;
    entry.place.reset();
  }
  // Moves are made for the frame's corner, so wait (briefly) until the
  // window manager has told the frame's size before putting the client back.
  for (int i = 0; bordered && i < 25; ++i) {
    int top = 0;
    SDL_PumpEvents();
    if (SDL_GetWindowBordersSize(w, &top, nullptr, nullptr, nullptr) == 0 && top > 0) break;
    SDL_Delay(4);
  }
  SDL_SetWindowPosition(w, x, y);
}

void SdlWindowSystem::rememberPlace(HWND window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  SDL_Window* w = it->second.window;
  if (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN) return;
  SDL_Point place{};
  SDL_GetWindowPosition(w, &place.x, &place.y);
  it->second.place = place;
}

void SdlWindowSystem::setClientSize(HWND window, Size size) {
  if (SDL_Window* w = sdlWindow(window)) SDL_SetWindowSize(w, size.width, size.height);
}

void SdlWindowSystem::setCursorVisible(HWND window, bool visible) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second.cursorVisible = visible;
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlWindowSystem::isVisible(HWND window) const {
  SDL_Window* w = sdlWindow(window);
  return w && (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) != 0;
}

Size SdlWindowSystem::clientSize(HWND window) const {
  Size size;
  if (SDL_Window* w = sdlWindow(window)) SDL_GetWindowSize(w, &size.width, &size.height);
  return size;
}

// SDL counts window places on the whole desktop; the screen counts them on
// the window's own monitor.
Point SdlWindowSystem::clientOrigin(HWND window) const {
  Point origin;
  SDL_Window* w = sdlWindow(window);
  if (!w) return origin;
  SDL_GetWindowPosition(w, &origin.x, &origin.y);
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(displayOf(window), &bounds) == 0) {
    origin.x -= bounds.x;
    origin.y -= bounds.y;
  }
  return origin;
}

Size SdlWindowSystem::desktopSize() const {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(desktopDisplay(), &mode) != 0) return {};
  return {mode.w, mode.h};
}

int SdlWindowSystem::displayOf(HWND window) const {
  SDL_Window* w = sdlWindow(window);
  int index = w ? SDL_GetWindowDisplayIndex(w) : -1;
  return index < 0 ? 0 : index;
}

int SdlWindowSystem::desktopDisplay() const {
  for (const auto& [handle, entry] : windows_)
    if (SDL_GetWindowFlags(entry.window) & SDL_WINDOW_SHOWN) return displayOf(handle);
  return 0;
}

HWND SdlWindowSystem::handleOf(Uint32 sdlWindowId) const {
  for (const auto& [handle, entry] : windows_)
    if (SDL_GetWindowID(entry.window) == sdlWindowId) return handle;
  return 0;
}

std::uint16_t VirtualKeyFromSdl(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<std::uint16_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<std::uint16_t>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<std::uint16_t>(VK_F1 + (key - SDLK_F1));
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    default: return 0;
  }
}

namespace {
std::uint32_t ShiftFromSdl(Uint16 mod) {
  std::uint32_t shift = 0;
  if (mod & KMOD_SHIFT) shift |= SHIFT_SHIFT;
  if (mod & KMOD_ALT) shift |= SHIFT_ALT;
  if (mod & KMOD_CTRL) shift |= SHIFT_CTRL;
  return shift;
}
}  // namespace

bool SdlWindowSystem::translate(const SDL_Event& in, Event& out) const {
  switch (in.type) {
    case SDL_QUIT:
      out = {EventKind::Quit, 0, 0, 0};
      return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      // A held key repeats; one press is one action here (F1 must not flicker
      // between full screen and window while it is held).
      if (in.key.repeat) return false;
      std::uint16_t vk = VirtualKeyFromSdl(in.key.keysym.sym);
      if (vk == 0) return false;
      out = {in.type == SDL_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp,
             handleOf(in.key.windowID), vk, ShiftFromSdl(in.key.keysym.mod)};
      return true;
    }
    case SDL_WINDOWEVENT: {
      HWND handle = handleOf(in.window.windowID);
      switch (in.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: out = {EventKind::Activate, handle, 0, 0}; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: out = {EventKind::Deactivate, handle, 0, 0}; return true;
        case SDL_WINDOWEVENT_CLOSE: out = {EventKind::Close, handle, 0, 0}; return true;
        case SDL_WINDOWEVENT_EXPOSED: out = {EventKind::Paint, handle, 0, 0}; return true;
        default: return false;
      }
    }
    default:
      return false;
  }
}

bool SdlWindowSystem::pollEvent(Event& event) {
  // A signal asking the program to end is its quit event, once.
  if (!quitSignalled_ && EndSignalsReceived() > 0) {
    quitSignalled_ = true;
    event = {EventKind::Quit, 0, 0, 0};
    return true;
  }
  if (!posted_.empty()) {
    event = posted_.front();
    posted_.pop_front();
    return true;
  }
  SDL_Event in;
  while (SDL_PollEvent(&in)) {
    if (translate(in, event)) return true;
  }
  return false;
}

void SdlWindowSystem::waitEvent() {
  if (posted_.empty()) SDL_WaitEvent(nullptr);
}

// SDL waits whole milliseconds on a clock of its own; the rest below a
// millisecond is slept here, so that the wait ends as our reading turns.
// An event (a key, or the wake-up of an end signal) ends it at once.
void SdlWindowSystem::waitEvent(std::uint32_t timeoutMs) {
  using namespace std::chrono;
  const SdlClock::TimePoint end = clock_->turnAfter(steady_clock::now(), timeoutMs);
  while (posted_.empty() && (quitSignalled_ || EndSignalsReceived() == 0)) {
    const auto left = end - steady_clock::now();
    if (left <= nanoseconds::zero()) return;
    const auto wholeMs = duration_cast<milliseconds>(left).count();
    if (wholeMs == 0) {
      std::this_thread::sleep_until(end);
      return;
    }
    if (SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<std::int64_t>(wholeMs, INT_MAX))) == 1) return;
  }
}

int SdlWindowSystem::messageBox(HWND owner, const std::string& text, const std::string& caption,
                                std::uint32_t style) {
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR: flags = SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONWARNING: flags = SDL_MESSAGEBOX_WARNING; break;
    default: break;
  }
  SDL_MessageBoxButtonData ok{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                              IDOK, "OK"};
  SDL_Window* parent = isVisible(owner) ? sdlWindow(owner) : nullptr;
  SDL_MessageBoxData data{flags, parent, caption.c_str(), text.c_str(), 1, &ok, nullptr};
  int pressed = IDOK;
  // Without a way to show the box the text has already gone to stderr; the
  // box then counts as answered.
  SDL_ShowMessageBox(&data, &pressed);
  return IDOK;
}

}  // namespace corvane::platform
