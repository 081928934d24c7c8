// The name-filed collection: items in order, and 256 chains of names.
#include "graphics/HashCollection.h"

#include <algorithm>

#include "framework/FormReader.h"

namespace corvane {

namespace {

// Lower case as the 8-bit Western code page has it: A-Z, and the accented
// capitals that have a small letter of their own.
unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

bool SameText(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return LowerByte(static_cast<unsigned char>(x)) == LowerByte(static_cast<unsigned char>(y));
  });
}

}  // namespace

int HashBucket(std::string_view name) {
  // Lower-casing keeps the length, so n is the name's own length.
  std::size_t n = name.size();
  std::size_t h = n * 16;
  if (n >= 2) {
    h += LowerByte(static_cast<unsigned char>(name[0]));
    h += LowerByte(static_cast<unsigned char>(name[n - 2]));
  }
  return static_cast<int>(h % 256);
}

// --- Items.

THashCollectionItem::THashCollectionItem(THashCollection& collection) : collection_(collection) {
  AddHash();
}

THashCollectionItem::~THashCollectionItem() { RemoveHash(); }

int THashCollectionItem::Index() const { return collection_.IndexOf(this); }

void THashCollectionItem::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  RemoveHash();
  AddHash();
}

void THashCollectionItem::AddHash() {
  bucket_ = HashBucket(name_);
  THashCollectionItem*& head = collection_.hash_[static_cast<std::size_t>(bucket_)];
  prev_ = nullptr;
  next_ = head;
  if (next_) next_->prev_ = this;
  head = this;
}

void THashCollectionItem::RemoveHash() {
  if (prev_) prev_->next_ = next_;
  if (next_) next_->prev_ = prev_;
  THashCollectionItem*& head = collection_.hash_[static_cast<std::size_t>(bucket_)];
  if (head == this) head = next_;
  prev_ = next_ = nullptr;
}

void THashCollectionItem::Assign(const TPersistent* source) {
  if (auto* item = dynamic_cast<const THashCollectionItem*>(source)) {
    SetName(item->Name());
    return;
  }
  TPersistent::Assign(source);
}

bool THashCollectionItem::ReadProperty(const std::string& name, const TPropertyValue& value,
                                       TReader& reader) {
  if (name != "Name") return false;
  SetName(reader.Text(value));
  return true;
}

// --- The collection.

THashCollection::~THashCollection() { Clear(); }

int THashCollection::IndexOf(const THashCollectionItem* item) const {
  auto it = std::find_if(items_.begin(), items_.end(),
                         [item](const auto& owned) { return owned.get() == item; });
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

THashCollectionItem* THashCollection::Add() {
  items_.push_back(CreateItem());
  return items_.back().get();
}

void THashCollection::Clear() {
  // Each item is taken off the list before it goes, so that it is never
  // found in the collection half destroyed.
  while (!items_.empty()) {
    std::unique_ptr<THashCollectionItem> item = std::move(items_.back());
    items_.pop_back();
  }
}

void THashCollection::Delete(int index) {
  std::unique_ptr<THashCollectionItem> item = std::move(items_.at(static_cast<std::size_t>(index)));
  items_.erase(items_.begin() + index);
}

THashCollectionItem* THashCollection::Find(std::string_view name) const {
  for (THashCollectionItem* item = hash_[static_cast<std::size_t>(HashBucket(name))]; item;
       item = item->Next())
    if (SameText(item->Name(), name)) return item;
  return nullptr;
}

void THashCollection::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const THashCollection*>(source);
  if (!other) return TPersistent::Assign(source);
  if (other == this) return;
  Clear();
  for (int i = 0; i < other->Count(); ++i) Add()->Assign(other->Item(i));
}

}  // namespace corvane
