#include "framework/FormReader.h"

namespace corvane {

namespace {
std::map<std::string, TClassRegistry::Factory>& Classes() {
  static std::map<std::string, TClassRegistry::Factory> classes;
  return classes;
}
}  // namespace

void TClassRegistry::Register(const std::string& className, Factory factory) {
  Classes()[className] = std::move(factory);
}

bool TClassRegistry::IsRegistered(const std::string& className) {
  return Classes().count(className) != 0;
}

TComponent* TClassRegistry::Create(const std::string& className, TComponent* owner) {
  auto it = Classes().find(className);
  if (it == Classes().end()) throw EReadError(Format(msg::SClassNotFound, className));
  return it->second(owner);
}

TReader::TReader(TComponent* root, TBinaryResolver resolver)
    : root_(root), resolver_(std::move(resolver)) {}

void TReader::ReadRootComponent(const TFormNode& node) {
  loaded_.clear();
  fixups_.clear();
  try {
    ReadComponent(root_, node);
    ResolveFixups();
  } catch (...) {
    // Components already read stay with their owner, loading no more.
    for (TComponent* c : loaded_) c->Loaded();
    throw;
  }
  for (TComponent* c : loaded_) c->Loaded();
}

void TReader::ReadComponent(TComponent* component, const TFormNode& node) {
  component->BeginLoading();
  loaded_.push_back(component);
  if (component != root_) component->SetName(node.name);
  for (const TFormProperty& property : node.properties) {
    if (!component->ReadProperty(property.name, property.value, *this))
      throw EReadError(Format(msg::SUnknownProperty, property.name));
  }
  for (const TFormNode& child : node.children) {
    TComponent* existing = root_->FindComponent(child.name);
    TComponent* made = existing ? existing : TClassRegistry::Create(child.className, root_);
    made->SetParentComponent(component);
    ReadComponent(made, child);
  }
}

TComponent* TReader::FindComponent(const std::string& name) const {
  return root_->FindComponent(name);
}

void TReader::FixupReference(const TPropertyValue& value, std::function<void(TComponent*)> link) {
  fixups_.push_back({Ident(value), std::move(link)});
}

void TReader::ResolveFixups() {
  std::vector<Fixup> fixups = std::move(fixups_);
  fixups_.clear();
  for (Fixup& fixup : fixups) {
    TComponent* component = root_->FindComponent(fixup.name);
    if (!component) throw EReadError(msg::SInvalidPropertyValue);
    fixup.link(component);
  }
}

const std::any& TReader::FindMethod(const TPropertyValue& value) const {
  if (value.kind != TPropertyValue::Kind::Ident) Invalid(value);
  const std::any* method = root_->MethodAddress(value.text);
  if (!method) throw EReadError(Format(msg::SMethodNotFound, value.text));
  return *method;
}

void TReader::Invalid(const TPropertyValue&) const { throw EReadError(msg::SInvalidPropertyValue); }

std::int64_t TReader::Integer(const TPropertyValue& value) const {
  if (value.kind != TPropertyValue::Kind::Integer) Invalid(value);
  return value.integer;
}

bool TReader::Boolean(const TPropertyValue& value) const {
  if (value.IsIdent("True")) return true;
  if (value.IsIdent("False")) return false;
  Invalid(value);
}

const std::string& TReader::Text(const TPropertyValue& value) const {
  if (value.kind != TPropertyValue::Kind::String) Invalid(value);
  return value.text;
}

const std::string& TReader::Ident(const TPropertyValue& value) const {
  if (value.kind != TPropertyValue::Kind::Ident) Invalid(value);
  return value.text;
}

const std::vector<std::string>& TReader::Set(const TPropertyValue& value) const {
  if (value.kind != TPropertyValue::Kind::Set) Invalid(value);
  return value.set;
}

std::vector<std::uint8_t> TReader::Binary(const TPropertyValue& value) const {
  if (value.kind != TPropertyValue::Kind::Binary || !resolver_) Invalid(value);
  return resolver_(value.text);
}

const std::vector<TFormItem>& TReader::Collection(const TPropertyValue& value) const {
  if (value.kind != TPropertyValue::Kind::Collection) Invalid(value);
  return value.items;
}

}  // namespace corvane
