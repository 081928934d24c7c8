#include "framework/Classes.h"

#include <algorithm>

#include "framework/FormReader.h"
#include "framework/SysUtils.h"

namespace corvane {

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignTo(this);  // nil source: this class cannot take it either
}

void TPersistent::AssignTo(TPersistent* dest) const {
  const char* from = (dest == this) ? "nil" : ClassName();
  throw EConvertError(Format(msg::SAssignError, from, dest->ClassName()));
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  // Tell everyone who asked that this component goes away.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& back = other->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    other->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

// Owned components go last first, each through the proper order.
void TComponent::DestroyComponents() {
  while (!components_.empty()) Free(components_.back());
}

void TComponent::Free(TComponent* component) {
  if (!component) return;
  component->state_ |= csDestroying;
  component->BeforeDestruction();
  delete component;
}

void TComponent::InsertComponent(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::RemoveComponent(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component),
                    components_.end());
  component->owner_ = nullptr;
  Notification(component, TOperation::opRemove);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation != TOperation::opRemove) return;
  for (TComponent* child : components_)
    if (child != component) child->Notification(component, operation);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  auto same = [&](const TComponent* c) {
    return std::equal(c->name_.begin(), c->name_.end(), name.begin(), name.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                  std::tolower(static_cast<unsigned char>(b)); });
  };
  auto it = std::find_if(components_.begin(), components_.end(), same);
  return it == components_.end() ? nullptr : *it;
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
    freeNotifies_.push_back(other);
    other->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other),
                      freeNotifies_.end());
  auto& back = other->freeNotifies_;
  back.erase(std::remove(back.begin(), back.end(), this), back.end());
}

void TComponent::Loaded() { state_ &= ~static_cast<std::uint32_t>(csLoading | csReading); }

bool TComponent::ReadProperty(const std::string& name, const TPropertyValue& value, TReader&) {
  if (name == "Name" && value.kind == TPropertyValue::Kind::String) {
    name_ = value.text;
    return true;
  }
  return false;
}

const std::any* TComponent::MethodAddress(const std::string&) const { return nullptr; }

}  // namespace corvane
