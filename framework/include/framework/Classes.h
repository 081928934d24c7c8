// Objects, persistent objects and components: owners that free what they own,
// a loading state while stored settings are read, removal notices.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace corvane {

class TObject {
 public:
  virtual ~TObject() = default;
  virtual const char* ClassName() const { return "TObject"; }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
 public:
  const char* ClassName() const override { return "TPersistent"; }
  // Copies `source` into this object; raises EConvertError
  // ("%s kann nicht zu  %s zugewiesen werden") when neither side knows how.
  virtual void Assign(const TPersistent* source);

 protected:
  virtual void AssignTo(TPersistent* dest) const;
};

enum ComponentState : std::uint32_t {
  csLoading = 0x1,
  csReading = 0x2,
  csDesigning = 0x4,
  csDestroying = 0x8,
};

enum class TOperation { opInsert, opRemove };

class TReader;
struct TPropertyValue;

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const char* ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  std::uint32_t State() const { return state_; }
  bool IsLoading() const { return (state_ & csLoading) != 0; }
  bool IsDesigning() const { return (state_ & csDesigning) != 0; }
  bool IsDestroying() const { return (state_ & csDestroying) != 0; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Component(int index) const { return components_.at(static_cast<std::size_t>(index)); }
  TComponent* FindComponent(const std::string& name) const;

  // Asks to be told (Notification with opRemove) when `other` goes away.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  // Loading from the form resource: the reader sets csLoading on every
  // component it makes, reads their settings, then calls Loaded on each.
  void BeginLoading() { state_ |= csLoading | csReading; }
  virtual void Loaded();

  // One stored setting; false when this class has no such property.
  virtual bool ReadProperty(const std::string& name, const TPropertyValue& value,
                            TReader& reader);

  // A component stored inside another one in the form resource (a control
  // inside its parent control); nothing by default.
  virtual void SetParentComponent(TComponent*) {}

  // Handlers by name, for the stored event settings of the components this
  // one owns (a form's methods).
  virtual const std::any* MethodAddress(const std::string& name) const;

  // Frees the owned components now, last first (the destructor does it too).
  void DestroyComponents();

  // Runs before the destructor's work, while the object is still whole.
  virtual void BeforeDestruction() {}
  // Destroys a component through the proper order (BeforeDestruction first).
  static void Free(TComponent* component);

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  void SetState(std::uint32_t state) { state_ = state; }

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::uint32_t state_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};

}  // namespace corvane
