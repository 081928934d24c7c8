// The picture list component: a collection of pictures serving one display.
// It listens to the display, so its pictures drop their surfaces when the
// device goes and make them again when it is restored.
#pragma once

#include <memory>

#include "graphics/DXDraw.h"
#include "graphics/PictureCollection.h"

namespace corvane {

class TCustomDXImageList : public TComponent {
 public:
  explicit TCustomDXImageList(TComponent* owner);
  ~TCustomDXImageList() override;
  const char* ClassName() const override { return "TCustomDXImageList"; }

  TCustomDXDraw* DXDraw() const { return dxDraw_; }
  // Leaves the old display (its pictures are finalised when it is
  // initialised) and registers with the new one (an initialised one binds
  // and restores the pictures at once).
  void SetDXDraw(TCustomDXDraw* value);

  TPictureCollection& Items() { return *items_; }
  const TPictureCollection& Items() const { return *items_; }
  // Copies the given collection item by item.
  void SetItems(const TPictureCollection& value) { items_->Assign(&value); }

  bool ReadProperty(const std::string& name, const TPropertyValue& value,
                    TReader& reader) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static void DXDrawNotifyEvent(void* context, TCustomDXDraw* sender,
                                DisplayNotification notification);
  void ReadItems(const TPropertyValue& value, TReader& reader);

  TCustomDXDraw* dxDraw_ = nullptr;
  std::unique_ptr<TPictureCollection> items_;
};

class TDXImageList : public TCustomDXImageList {
 public:
  using TCustomDXImageList::TCustomDXImageList;
  const char* ClassName() const override { return "TDXImageList"; }
};

}  // namespace corvane
