// The form resource: the stored settings of a form and its components in a
// small readable text format, read through the components' loading path.
//
//   object frmMain: TfrmMain
//     Caption = 'Corvane'
//     ClientWidth = 320
//     BorderIcons = [biSystemMenu, biMinimize]
//     OnCreate = FormCreate
//     object dxTimer: TDXTimer
//       Interval = 16
//     end
//   end
//
// Values are whole numbers, texts in single quotes ('' for a quote, #nn for a
// character by number), identifiers, sets in brackets, binary data kept in a
// file of its own: `file 'name'`, and the items of a collection in angle
// brackets, each with its own settings:
//
//   Items = <
//     item
//       Name = 'cvnLogo'
//     end>
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Classes.h"
#include "framework/SysUtils.h"

namespace corvane {

struct TFormItem;

struct TPropertyValue {
  enum class Kind { Integer, String, Ident, Set, Binary, Collection };
  Kind kind = Kind::Integer;
  std::int64_t integer = 0;
  std::string text;                   // String, Ident, and the file name of Binary
  std::vector<std::string> set;       // Set
  std::vector<std::uint8_t> binary;   // Binary, once resolved
  std::vector<TFormItem> items;       // Collection
  int line = 0;

  bool IsIdent(std::string_view ident) const { return kind == Kind::Ident && text == ident; }
};

struct TFormProperty {
  std::string name;
  TPropertyValue value;
};

// One item of a stored collection.
struct TFormItem {
  std::vector<TFormProperty> properties;
  int line = 0;
};

struct TFormNode {
  std::string name;
  std::string className;
  std::vector<TFormProperty> properties;
  std::vector<TFormNode> children;
  int line = 0;
};

// Parses the text; raises EReadError with the line on malformed input.
TFormNode ParseFormText(std::string_view text);

// Where `file 'name'` values come from.
using TBinaryResolver = std::function<std::vector<std::uint8_t>(const std::string& name)>;

// Makes components of a class by its stored name.
class TClassRegistry {
 public:
  using Factory = std::function<TComponent*(TComponent* owner)>;
  static void Register(const std::string& className, Factory factory);
  static TComponent* Create(const std::string& className, TComponent* owner);
  static bool IsRegistered(const std::string& className);
};

template <class T>
void RegisterComponentClass(const std::string& className) {
  TClassRegistry::Register(className, [](TComponent* owner) -> TComponent* { return new T(owner); });
}

class TReader {
 public:
  TReader(TComponent* root, TBinaryResolver resolver);

  // Reads the node into the root: every component it names is made (owned by
  // the root) or found, its settings are set while it is loading, and then
  // every component read gets Loaded, the root first, the others in the order
  // they were read.
  void ReadRootComponent(const TFormNode& node);

  TComponent* Root() const { return root_; }
  // The root's handler of that name, as stored under an event property.
  const std::any& FindMethod(const TPropertyValue& value) const;
  // A component of the root by name (for properties that link components).
  TComponent* FindComponent(const std::string& name) const;
  // Links a component by the name stored in `value` once every component of
  // the resource is read (so the one named may come later), before any gets
  // Loaded. A name the root does not know raises EReadError
  // ("Ungültiger Eigenschaftswert").
  void FixupReference(const TPropertyValue& value, std::function<void(TComponent*)> link);

  // Typed access for ReadProperty overrides; each raises EReadError
  // ("Ungültiger Eigenschaftswert") when the stored value is of another kind.
  std::int64_t Integer(const TPropertyValue& value) const;
  bool Boolean(const TPropertyValue& value) const;
  const std::string& Text(const TPropertyValue& value) const;
  const std::string& Ident(const TPropertyValue& value) const;
  const std::vector<std::string>& Set(const TPropertyValue& value) const;
  std::vector<std::uint8_t> Binary(const TPropertyValue& value) const;
  const std::vector<TFormItem>& Collection(const TPropertyValue& value) const;

  template <class Handler>
  Handler Event(const TPropertyValue& value) const {
    const std::any& method = FindMethod(value);
    if (const Handler* handler = std::any_cast<Handler>(&method)) return *handler;
    throw EReadError(msg::SInvalidPropertyValue);
  }

 private:
  void ReadComponent(TComponent* component, const TFormNode& node);
  void ResolveFixups();
  [[noreturn]] void Invalid(const TPropertyValue& value) const;

  TComponent* root_;
  TBinaryResolver resolver_;
  std::vector<TComponent*> loaded_;
  struct Fixup {
    std::string name;
    std::function<void(TComponent*)> link;
  };
  std::vector<Fixup> fixups_;
};

}  // namespace corvane
