// The window side of the platform: windows, the message queue, message boxes.
//
// Everything above platform/ talks to the desktop through these types; the
// constants are the platform's own values, since the intro's key handler and
// the message boxes depend on them.
#pragma once

#include <cstdint>
#include <string>

namespace corvane::platform {

using HWND = std::uint32_t;  // 0 is "no window"

// Virtual key codes as the platform reports them.
constexpr std::uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17,
                        VK_MENU = 18, VK_PAUSE = 19, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33,
                        VK_NEXT = 34, VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38,
                        VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46, VK_F1 = 112,
                        VK_F2 = 113, VK_F12 = 123;

// Shift state bits that come with a key.
constexpr std::uint32_t SHIFT_SHIFT = 0x1, SHIFT_ALT = 0x2, SHIFT_CTRL = 0x4;

// Message box styles and answers.
constexpr std::uint32_t MB_OK = 0x0, MB_ICONERROR = 0x10, MB_ICONWARNING = 0x30,
                        MB_ICONINFORMATION = 0x40, MB_ICONMASK = 0xF0;
constexpr int IDOK = 1;

enum class BorderStyle { Single, Dialog, None };

struct WindowDesc {
  std::string caption;
  int clientWidth = 0;
  int clientHeight = 0;
  BorderStyle border = BorderStyle::Single;
  bool minimizeBox = true;
  bool maximizeBox = false;
};

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

enum class EventKind {
  KeyDown,     // key, shift
  KeyUp,       // key, shift
  Activate,    // the application became the active one
  Deactivate,  // the application lost the input focus to another
  Close,       // the user asked to close the window
  Paint,       // part of the window needs drawing again
  Quit,        // the session ends; the message loop stops
};

struct Event {
  EventKind kind = EventKind::Paint;
  HWND window = 0;
  std::uint16_t key = 0;
  std::uint32_t shift = 0;
};

// Windows and their message queue. One object per backend.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Windows are created hidden; Show makes them visible.
  virtual HWND createWindow(const WindowDesc& desc) = 0;
  virtual void destroyWindow(HWND window) = 0;
  virtual void showWindow(HWND window, bool centred) = 0;
  virtual void setCaption(HWND window, const std::string& caption) = 0;
  virtual void setBorderStyle(HWND window, BorderStyle border) = 0;
  virtual void setClientSize(HWND window, Size size) = 0;
  virtual void setCursorVisible(HWND window, bool visible) = 0;

  virtual bool isVisible(HWND window) const = 0;
  virtual Size clientSize(HWND window) const = 0;
  // The screen a program draws on stands for one monitor: the one its window
  // is on. A desktop of several monitors is seen from there, so that a
  // window on a monitor right of or below another still lies on the screen.
  //
  // Top-left of the client area on the monitor the window is on, counted
  // from that monitor's top-left.
  virtual Point clientOrigin(HWND window) const = 0;
  // The size of the monitor the program's first visible window is on (with
  // no window shown, that of the first monitor).
  virtual Size desktopSize() const = 0;

  // Takes the next waiting event; false when none is waiting.
  virtual bool pollEvent(Event& event) = 0;
  // Blocks until an event is waiting (it is left in the queue).
  virtual void waitEvent() = 0;
  // Blocks until an event is waiting or the clock (timeGetTime) has moved on
  // by `timeoutMs` from its reading now, whichever comes first. Idle work
  // that is due at a clock reading sleeps here instead of polling the clock.
  virtual void waitEvent(std::uint32_t timeoutMs) = 0;
  virtual void postEvent(const Event& event) = 0;

  // A modal box with one OK button; gives IDOK.
  virtual int messageBox(HWND owner, const std::string& text, const std::string& caption,
                         std::uint32_t style) = 0;
};

}  // namespace corvane::platform
