#include "framework/Controls.h"

#include <algorithm>

#include "framework/FormReader.h"
#include "framework/Forms.h"

namespace corvane {

namespace {
TAlign AlignFromIdent(const std::string& ident) {
  static const std::pair<const char*, TAlign> names[] = {
      {"alNone", TAlign::alNone}, {"alTop", TAlign::alTop},     {"alBottom", TAlign::alBottom},
      {"alLeft", TAlign::alLeft}, {"alRight", TAlign::alRight}, {"alClient", TAlign::alClient}};
  for (const auto& [name, align] : names)
    if (ident == name) return align;
  throw EReadError(msg::SInvalidPropertyValue);
}
}  // namespace

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* control = dynamic_cast<TWinControl*>(parent)) SetParent(control);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  if (parent_) parent_->Realign();
}

void TControl::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  CursorChanged();
}

void TControl::CursorChanged() {
  if (TForm* form = ParentForm()) form->UpdateCursor();
}

platform::Point TControl::ClientOrigin() const {
  if (!parent_) return {left_, top_};
  platform::Point origin = parent_->ClientOrigin();
  return {origin.x + left_, origin.y + top_};
}

TForm* TControl::ParentForm() const {
  const TControl* control = this;
  while (control->parent_) control = control->parent_;
  return const_cast<TForm*>(dynamic_cast<const TForm*>(control));
}

bool TControl::ReadProperty(const std::string& name, const TPropertyValue& value,
                            TReader& reader) {
  if (name == "Left") {
    SetBounds(static_cast<int>(reader.Integer(value)), top_, width_, height_);
  } else if (name == "Top") {
    SetBounds(left_, static_cast<int>(reader.Integer(value)), width_, height_);
  } else if (name == "Width") {
    SetBounds(left_, top_, static_cast<int>(reader.Integer(value)), height_);
  } else if (name == "Height") {
    SetBounds(left_, top_, width_, static_cast<int>(reader.Integer(value)));
  } else if (name == "Align") {
    SetAlign(AlignFromIdent(reader.Ident(value)));
  } else if (name == "Cursor") {
    SetCursor(value.IsIdent("crNone") ? crNone : value.IsIdent("crDefault")
                                                    ? crDefault
                                                    : static_cast<TCursor>(reader.Integer(value)));
  } else {
    return TComponent::ReadProperty(name, value, reader);
  }
  return true;
}

TWinControl::~TWinControl() {
  for (TControl* control : controls_) control->parent_ = nullptr;
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  Realign();
}

void TWinControl::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  control->parent_ = nullptr;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  Realign();
}

// Only "fill the client area" is used by the forms here; the edge aligns take
// their edge at their own thickness, in the order the controls were added.
void TWinControl::Realign() {
  TRect room = ClientRect();
  for (TControl* c : controls_) {
    switch (c->Align()) {
      case TAlign::alNone: break;
      case TAlign::alTop:
        c->SetBounds(room.left, room.top, room.Width(), c->Height());
        room.top += c->Height();
        break;
      case TAlign::alBottom:
        c->SetBounds(room.left, room.bottom - c->Height(), room.Width(), c->Height());
        room.bottom -= c->Height();
        break;
      case TAlign::alLeft:
        c->SetBounds(room.left, room.top, c->Width(), room.Height());
        room.left += c->Width();
        break;
      case TAlign::alRight:
        c->SetBounds(room.right - c->Width(), room.top, c->Width(), room.Height());
        room.right -= c->Width();
        break;
      case TAlign::alClient:
        c->SetBounds(room.left, room.top, room.Width(), room.Height());
        break;
    }
  }
}

bool TWinControl::ReadProperty(const std::string& name, const TPropertyValue& value,
                               TReader& reader) {
  if (name == "DoubleBuffered") {
    DoubleBuffered = reader.Boolean(value);
    return true;
  }
  if (name == "TabOrder") {
    reader.Integer(value);
    return true;
  }
  return TControl::ReadProperty(name, value, reader);
}

}  // namespace corvane
