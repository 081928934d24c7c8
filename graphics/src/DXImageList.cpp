// The picture list component and how it follows its display.
#include "graphics/DXImageList.h"

#include "framework/FormReader.h"

namespace corvane {

TCustomDXImageList::TCustomDXImageList(TComponent* owner)
    : TComponent(owner), items_(std::make_unique<TPictureCollection>(this)) {}

TCustomDXImageList::~TCustomDXImageList() {
  try {
    SetDXDraw(nullptr);
  } catch (...) {
    // The list goes whatever its pictures do on the way.
  }
  items_.reset();
}

void TCustomDXImageList::SetDXDraw(TCustomDXDraw* value) {
  if (TCustomDXDraw* old = dxDraw_) {
    dxDraw_ = nullptr;
    RemoveFreeNotification(old);
    old->UnregisterNotification(&DXDrawNotifyEvent, this);
  }
  dxDraw_ = value;
  if (!value) return;
  // Told when the display is removed, should it go without saying so.
  FreeNotification(value);
  value->RegisterNotification(&DXDrawNotifyEvent, this);
}

void TCustomDXImageList::DXDrawNotifyEvent(void* context, TCustomDXDraw* sender,
                                           DisplayNotification notification) {
  auto* self = static_cast<TCustomDXImageList*>(context);
  switch (notification) {
    case DisplayNotification::Destroying: self->SetDXDraw(nullptr); break;
    case DisplayNotification::Initialize: self->items_->Initialize(sender); break;
    case DisplayNotification::Finalize: self->items_->Finalize(); break;
    case DisplayNotification::Restore: self->items_->Restore(); break;
    default: break;
  }
}

void TCustomDXImageList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component != nullptr && component == dxDraw_)
    SetDXDraw(nullptr);
}

void TCustomDXImageList::ReadItems(const TPropertyValue& value, TReader& reader) {
  const std::vector<TFormItem>& stored = reader.Collection(value);
  items_->Clear();
  for (const TFormItem& item : stored) {
    TPictureCollectionItem* picture = items_->Add();
    for (const TFormProperty& property : item.properties) {
      if (!picture->ReadProperty(property.name, property.value, reader))
        throw EReadError(Format(msg::SUnknownProperty, property.name));
    }
  }
}

bool TCustomDXImageList::ReadProperty(const std::string& name, const TPropertyValue& value,
                                      TReader& reader) {
  if (name == "DXDraw") {
    // The display may be stored after the list: it is linked once all are read.
    reader.FixupReference(value, [this](TComponent* component) {
      auto* display = dynamic_cast<TCustomDXDraw*>(component);
      if (!display) throw EReadError(msg::SInvalidPropertyValue);
      SetDXDraw(display);
    });
  } else if (name == "Items") {
    ReadItems(value, reader);
  } else {
    return TComponent::ReadProperty(name, value, reader);
  }
  return true;
}

}  // namespace corvane
