// Forms, the application object with its message loop, and message dialogs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "framework/Controls.h"
#include "framework/FormReader.h"
#include "platform/Platform.h"

namespace corvane {

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };

using TIdleEvent = std::function<void(TObject* sender, bool& done)>;

// A window message as the hooks of the application's main window see it.
struct TMessage {
  std::uint32_t Msg = 0;
  std::intptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

// The framework's own notifications of the application's activation.
inline constexpr std::uint32_t CM_ACTIVATE = 0xB000;
inline constexpr std::uint32_t CM_DEACTIVATE = 0xB001;

// A hook gives true when it handled the message (the others then do not see it).
using TWindowHook = std::function<bool(TMessage& message)>;

// Window messages a form passes to the hooks on its window.
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;  // WParam: WA_INACTIVE or active
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_WINDOWPOSCHANGED = 0x0047;  // LParam: SWP_* flags
inline constexpr std::uint32_t WM_INITMENU = 0x0116;
inline constexpr std::uint32_t WM_PALETTECHANGED = 0x0311;
inline constexpr std::intptr_t WA_INACTIVE = 0, WA_ACTIVE = 1;
inline constexpr std::intptr_t SWP_SHOWWINDOW = 0x0040;

// Sees a message of a form's window before the form; `inherited` runs the
// form's own handling (and the hooks made before this one).
using TFormHook = std::function<void(TMessage& message, const std::function<void()>& inherited)>;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;
  const char* ClassName() const override { return "TForm"; }

  // Loads the stored settings, then runs OnCreate. Called by the application
  // right after construction.
  virtual void AfterConstruction();
  void BeforeDestruction() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  void SetClientSize(int width, int height);
  TRect ClientRect() const override { return {0, 0, clientWidth_, clientHeight_}; }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  TPosition Position() const { return position_; }
  bool OldCreateOrder = false;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TKeyEvent OnKeyDown;

  // The platform window; made (hidden) on first use.
  platform::HWND Handle();
  bool HandleAllocated() const { return handle_ != 0; }
  platform::Point ClientOrigin() const override;

  void Show();
  bool Visible() const { return visible_; }
  // Closes the form; closing the main form ends the application.
  void Close();

  // Key events from the platform.
  void KeyDown(std::uint16_t key, TShiftState shift);

  // Sends a window message through the hooks to the form.
  void Perform(TMessage& message);
  int HookWindow(TFormHook hook);
  void UnhookWindow(int id);
  // Shows or hides the mouse pointer as the controls under it ask.
  void UpdateCursor();

  bool ReadProperty(const std::string& name, const TPropertyValue& value,
                    TReader& reader) override;
  const std::any* MethodAddress(const std::string& name) const override;

 protected:
  // The stored settings of this form class (text of the form resource), and
  // where its binary values come from. An empty text: nothing stored.
  virtual std::string_view FormResource() const { return {}; }
  virtual TBinaryResolver BinaryResolver() const { return {}; }
  // Makes a handler known by name for the stored event settings.
  template <class Handler>
  void Publish(const std::string& name, Handler handler) {
    methods_[name] = std::any(std::move(handler));
  }

 private:
  platform::WindowDesc Desc() const;
  void DefaultHandler(TMessage& message);
  void PerformFrom(std::size_t hookIndex, TMessage& message);

  std::string caption_;
  int clientWidth_ = 0, clientHeight_ = 0;
  TBorderStyle borderStyle_ = TBorderStyle::bsSizeable;
  TPosition position_ = TPosition::poDesigned;
  platform::HWND handle_ = 0;
  bool visible_ = false;
  std::map<std::string, std::any> methods_;
  std::vector<std::pair<int, TFormHook>> hooks_;
  int nextHook_ = 1;
};

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;
  const char* ClassName() const override { return "TApplication"; }

  std::string Title;
  TIdleEvent OnIdle;

  TForm* MainForm() const { return mainForm_; }
  bool Terminated() const { return terminated_; }
  bool Active() const { return active_; }

  void Initialize() {}
  // Makes a form owned by the application; the first one is the main form.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    if (!mainForm_) mainForm_ = form;
    form->AfterConstruction();
  }
  // Shows the main form and runs the message loop until it is closed.
  void Run();
  // Handles one message, or runs the idle step when none is waiting.
  void HandleMessage();
  // Handles every message that is waiting, without idle steps.
  void ProcessMessages();
  void Terminate() { terminated_ = true; }

  // Shows the exception being handled in the standard error box.
  void HandleException(TObject* sender);
  void ShowException(const std::string& message);

  int HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(int id);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  bool ProcessMessage();
  void Dispatch(const platform::Event& event);
  void Idle();
  void SetActive(bool active);
  TForm* FormOf(platform::HWND window) const;

  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool active_ = false;
  std::map<int, TWindowHook> hooks_;
  int nextHook_ = 1;
};

// The process's application object; made by InitApplication.
extern TApplication* Application;
void InitApplication();
void DoneApplication();

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// A modal message dialog with one OK button; the caption names the type
// ("Warnung" for a warning).
int MessageDlg(const std::string& message, TMsgDlgType type, int helpContext = 0);

}  // namespace corvane
