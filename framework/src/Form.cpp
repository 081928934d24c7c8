#include <algorithm>

#include "framework/Forms.h"

namespace corvane {

namespace {

template <class E, std::size_t N>
E EnumFromIdent(const std::pair<const char*, E> (&names)[N], const std::string& ident) {
  for (const auto& [name, value] : names)
    if (ident == name) return value;
  throw EReadError(msg::SInvalidPropertyValue);
}

constexpr std::pair<const char*, TBorderStyle> kBorderStyles[] = {
    {"bsNone", TBorderStyle::bsNone},       {"bsSingle", TBorderStyle::bsSingle},
    {"bsSizeable", TBorderStyle::bsSizeable}, {"bsDialog", TBorderStyle::bsDialog},
    {"bsToolWindow", TBorderStyle::bsToolWindow}, {"bsSizeToolWin", TBorderStyle::bsSizeToolWin}};

constexpr std::pair<const char*, TPosition> kPositions[] = {
    {"poDesigned", TPosition::poDesigned},         {"poDefault", TPosition::poDefault},
    {"poScreenCenter", TPosition::poScreenCenter}, {"poDesktopCenter", TPosition::poDesktopCenter},
    {"poMainFormCenter", TPosition::poMainFormCenter}};

platform::BorderStyle PlatformBorder(TBorderStyle style) {
  switch (style) {
    case TBorderStyle::bsNone: return platform::BorderStyle::None;
    case TBorderStyle::bsDialog: return platform::BorderStyle::Dialog;
    default: return platform::BorderStyle::Single;
  }
}

// Settings that are stored with every form but change nothing here: they are
// checked for their kind and otherwise taken as they are.
bool ReadInertProperty(const std::string& name, const TPropertyValue& value, TReader& reader) {
  static const char* const integers[] = {"PixelsPerInch", "TextHeight", "Font.Height", "HelpContext"};
  static const char* const idents[] = {"Color", "Font.Charset", "Font.Color", "WindowState"};
  static const char* const booleans[] = {"Scaled", "KeyPreview", "Visible", "AutoScroll"};
  for (const char* n : integers)
    if (name == n) return reader.Integer(value), true;
  for (const char* n : idents)
    if (name == n) return reader.Ident(value), true;
  for (const char* n : booleans)
    if (name == n) return reader.Boolean(value), true;
  if (name == "Font.Name") return reader.Text(value), true;
  if (name == "Font.Style" || name == "BorderIcons") return reader.Set(value), true;
  return false;
}

}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner) {}

TForm::~TForm() {
  if (handle_) {
    TMessage destroy{WM_DESTROY, 0, 0, 0};
    try {
      Perform(destroy);
    } catch (...) {
      // The window goes regardless; the user is told what went wrong.
      if (Application) Application->HandleException(this);
    }
  }
  // The components go first, while the window they may draw into still exists.
  DestroyComponents();
  if (handle_ && platform::IsInstalled()) platform::Current().windows().destroyWindow(handle_);
}

void TForm::Perform(TMessage& message) { PerformFrom(hooks_.size(), message); }

// The newest hook sees the message first; each passes it on by `inherited`.
void TForm::PerformFrom(std::size_t hookIndex, TMessage& message) {
  if (hookIndex == 0) return DefaultHandler(message);
  TFormHook hook = hooks_[hookIndex - 1].second;  // may unhook itself meanwhile
  hook(message, [this, hookIndex, &message] {
    PerformFrom(std::min(hookIndex - 1, hooks_.size()), message);
  });
}

void TForm::DefaultHandler(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    for (int i = 0; i < ControlCount(); ++i) Control(i)->Paint();
  }
}

int TForm::HookWindow(TFormHook hook) {
  int id = nextHook_++;
  hooks_.emplace_back(id, std::move(hook));
  return id;
}

void TForm::UnhookWindow(int id) {
  std::erase_if(hooks_, [id](const auto& entry) { return entry.first == id; });
}

void TForm::AfterConstruction() {
  std::string_view resource = FormResource();
  if (!resource.empty()) {
    TReader reader(this, BinaryResolver());
    reader.ReadRootComponent(ParseFormText(resource));
  }
  if (!OldCreateOrder && OnCreate) {
    try {
      OnCreate(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
}

void TForm::BeforeDestruction() {
  if (!OldCreateOrder && OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
}

platform::WindowDesc TForm::Desc() const {
  platform::WindowDesc desc;
  desc.caption = caption_;
  desc.clientWidth = clientWidth_;
  desc.clientHeight = clientHeight_;
  desc.border = PlatformBorder(borderStyle_);
  return desc;
}

platform::HWND TForm::Handle() {
  if (!handle_) {
    handle_ = platform::Current().windows().createWindow(Desc());
    UpdateCursor();
  }
  return handle_;
}

platform::Point TForm::ClientOrigin() const {
  if (!handle_) return {Left(), Top()};
  return platform::Current().windows().clientOrigin(handle_);
}

void TForm::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (handle_) platform::Current().windows().setCaption(handle_, caption);
}

void TForm::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  TWinControl::SetBounds(Left(), Top(), width, height);
  if (handle_) platform::Current().windows().setClientSize(handle_, {width, height});
}

void TForm::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  if (handle_) platform::Current().windows().setBorderStyle(handle_, PlatformBorder(style));
}

void TForm::Show() {
  platform::HWND window = Handle();
  platform::Current().windows().showWindow(window, position_ == TPosition::poScreenCenter);
  visible_ = true;
  TMessage shown{WM_WINDOWPOSCHANGED, 0, SWP_SHOWWINDOW, 0};
  Perform(shown);
}

void TForm::Close() {
  if (Application && Application->MainForm() == this) Application->Terminate();
  visible_ = false;
}

void TForm::KeyDown(std::uint16_t key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TForm::UpdateCursor() {
  if (!handle_) return;
  bool hidden = Cursor() == crNone;
  for (int i = 0; i < ControlCount(); ++i) hidden = hidden || Control(i)->Cursor() == crNone;
  platform::Current().windows().setCursorVisible(handle_, !hidden);
}

bool TForm::ReadProperty(const std::string& name, const TPropertyValue& value, TReader& reader) {
  if (name == "Caption") {
    SetCaption(reader.Text(value));
  } else if (name == "ClientWidth") {
    SetClientSize(static_cast<int>(reader.Integer(value)), clientHeight_);
  } else if (name == "ClientHeight") {
    SetClientSize(clientWidth_, static_cast<int>(reader.Integer(value)));
  } else if (name == "BorderStyle") {
    SetBorderStyle(EnumFromIdent(kBorderStyles, reader.Ident(value)));
  } else if (name == "Position") {
    position_ = EnumFromIdent(kPositions, reader.Ident(value));
  } else if (name == "OldCreateOrder") {
    OldCreateOrder = reader.Boolean(value);
  } else if (name == "OnCreate") {
    OnCreate = reader.Event<TNotifyEvent>(value);
  } else if (name == "OnDestroy") {
    OnDestroy = reader.Event<TNotifyEvent>(value);
  } else if (name == "OnKeyDown") {
    OnKeyDown = reader.Event<TKeyEvent>(value);
  } else if (name == "Width" || name == "Height") {
    // The outer size follows from the client size and the frame.
    reader.Integer(value);
  } else if (!ReadInertProperty(name, value, reader)) {
    return TWinControl::ReadProperty(name, value, reader);
  }
  return true;
}

const std::any* TForm::MethodAddress(const std::string& name) const {
  auto it = methods_.find(name);
  return it == methods_.end() ? nullptr : &it->second;
}

}  // namespace corvane
