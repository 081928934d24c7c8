#include <vector>

#include "framework/Forms.h"

namespace corvane {

TApplication* Application = nullptr;

void InitApplication() {
  DoneApplication();
  Application = new TApplication();
}

void DoneApplication() {
  TApplication* app = Application;
  if (!app) return;
  // The forms are destroyed while the application object is still reachable,
  // so that their destruction handlers can report errors.
  app->DestroyComponents();
  Application = nullptr;
  TComponent::Free(app);
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() { DestroyComponents(); }

void TApplication::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component == mainForm_) mainForm_ = nullptr;
  TComponent::Notification(component, operation);
}

void TApplication::Run() {
  if (mainForm_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) Idle();
}

void TApplication::ProcessMessages() {
  while (ProcessMessage()) {
  }
}

bool TApplication::ProcessMessage() {
  platform::Event event;
  if (!platform::Current().windows().pollEvent(event)) return false;
  try {
    Dispatch(event);
  } catch (...) {
    HandleException(this);
  }
  return true;
}

TForm* TApplication::FormOf(platform::HWND window) const {
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* form = dynamic_cast<TForm*>(Component(i));
    if (form && form->HandleAllocated() && form->Handle() == window) return form;
  }
  return nullptr;
}

void TApplication::Dispatch(const platform::Event& event) {
  using platform::EventKind;
  switch (event.kind) {
    case EventKind::Quit:
      // The session ends: close the main form as if the user had.
      if (mainForm_) mainForm_->Close();
      Terminate();
      break;
    case EventKind::Activate:
    case EventKind::Deactivate: {
      bool active = event.kind == EventKind::Activate;
      if (TForm* form = FormOf(event.window)) {
        TMessage message{WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0, 0};
        form->Perform(message);
      }
      SetActive(active);
      break;
    }
    case EventKind::KeyDown:
      if (TForm* form = FormOf(event.window)) form->KeyDown(event.key, event.shift);
      break;
    case EventKind::Close:
      if (TForm* form = FormOf(event.window)) form->Close();
      break;
    case EventKind::Paint:
      if (TForm* form = FormOf(event.window)) {
        TMessage message{WM_PAINT, 0, 0, 0};
        form->Perform(message);
      }
      break;
    case EventKind::KeyUp: break;
  }
}

void TApplication::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  TMessage message{active ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0, 0};
  // A hook may unhook itself (or another) while it runs: walk a copy.
  std::vector<TWindowHook> hooks;
  for (const auto& [id, hook] : hooks_) hooks.push_back(hook);
  for (const TWindowHook& hook : hooks)
    if (hook(message)) break;
}

void TApplication::Idle() {
  bool done = true;
  if (OnIdle) {
    try {
      OnIdle(this, done);
    } catch (...) {
      HandleException(this);
    }
  }
  if (done && !terminated_) platform::Current().windows().waitEvent();
}

void TApplication::HandleException(TObject*) {
  try {
    throw;
  } catch (const Exception& e) {
    ShowException(e.Message());
  } catch (const std::exception& e) {
    ShowException(e.what());
  }
}

void TApplication::ShowException(const std::string& message) {
  platform::HWND owner = (mainForm_ && mainForm_->Visible()) ? mainForm_->Handle() : 0;
  platform::MessageBoxA(owner, message, Title, platform::MB_OK | platform::MB_ICONERROR);
}

int TApplication::HookMainWindow(TWindowHook hook) {
  int id = nextHook_++;
  hooks_[id] = std::move(hook);
  return id;
}

void TApplication::UnhookMainWindow(int id) { hooks_.erase(id); }

int MessageDlg(const std::string& message, TMsgDlgType type, int) {
  const char* caption = "";
  std::uint32_t icon = 0;
  switch (type) {
    case TMsgDlgType::mtWarning: caption = "Warnung"; icon = platform::MB_ICONWARNING; break;
    case TMsgDlgType::mtError: caption = "Fehler"; icon = platform::MB_ICONERROR; break;
    case TMsgDlgType::mtInformation: caption = "Information"; icon = platform::MB_ICONINFORMATION; break;
    case TMsgDlgType::mtConfirmation: caption = "Bestätigen"; icon = platform::MB_ICONINFORMATION; break;
    case TMsgDlgType::mtCustom: caption = Application ? Application->Title.c_str() : ""; break;
  }
  TForm* main = Application ? Application->MainForm() : nullptr;
  platform::HWND owner = (main && main->Visible()) ? main->Handle() : 0;
  return platform::MessageBoxA(owner, message, caption, platform::MB_OK | icon);
}

}  // namespace corvane
