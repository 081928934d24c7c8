// Controls: things with bounds inside a parent, a mouse cursor and an align
// rule; window controls hold other controls.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Classes.h"
#include "platform/User32.h"

namespace corvane {

using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

using TShiftState = std::uint32_t;  // platform::SHIFT_* bits
using TKeyEvent = std::function<void(TObject* sender, std::uint16_t& key, TShiftState shift)>;

struct TRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

class TWinControl;
class TForm;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner) : TComponent(owner) {}
  ~TControl() override;
  const char* ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  void SetParentComponent(TComponent* parent) override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual TRect ClientRect() const { return {0, 0, width_, height_}; }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

  // The top-left of the client area in desktop coordinates.
  virtual platform::Point ClientOrigin() const;
  // Draws the control when its window asks to be repainted.
  virtual void Paint() {}
  // The form this control stands on (itself for a form), or none.
  TForm* ParentForm() const;

  bool ReadProperty(const std::string& name, const TPropertyValue& value,
                    TReader& reader) override;

 protected:
  // Called when the cursor changes; the form shows or hides the pointer.
  virtual void CursorChanged();

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = TAlign::alNone;
  TCursor cursor_ = crDefault;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner) : TControl(owner) {}
  ~TWinControl() override;
  const char* ClassName() const override { return "TWinControl"; }

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Control(int index) const { return controls_.at(static_cast<std::size_t>(index)); }

  // The window-level double-buffering flag; nothing here depends on it.
  bool DoubleBuffered = false;

  void SetBounds(int left, int top, int width, int height) override;
  bool ReadProperty(const std::string& name, const TPropertyValue& value,
                    TReader& reader) override;

  // Lays the aligned controls out again in the client area.
  void Realign();

 private:
  friend class TControl;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);

  std::vector<TControl*> controls_;
};

}  // namespace corvane
