// An ordered collection that owns its items and keeps them filed by name in
// 256 buckets, so that an item can be found by name without a walk through
// the whole list.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Classes.h"

namespace corvane {

class THashCollection;
class TReader;
struct TPropertyValue;

// The bucket a name files into: the name lower-cased (8-bit), n its length
// in bytes, n * 16 plus, from two bytes on, the bytes at 0 and n - 2, all
// modulo 256.
int HashBucket(std::string_view name);

class THashCollectionItem : public TPersistent {
 public:
  // Files the item under its (empty) name; the collection appends it.
  explicit THashCollectionItem(THashCollection& collection);
  ~THashCollectionItem() override;
  THashCollectionItem(const THashCollectionItem&) = delete;
  THashCollectionItem& operator=(const THashCollectionItem&) = delete;
  const char* ClassName() const override { return "THashCollectionItem"; }

  THashCollection& Collection() const { return collection_; }
  // The item's place in the collection, or -1 while it is not in it.
  int Index() const;

  const std::string& Name() const { return name_; }
  // A name that differs (letter case counts) refiles the item.
  void SetName(const std::string& name);
  int Bucket() const { return bucket_; }
  THashCollectionItem* Prev() const { return prev_; }
  THashCollectionItem* Next() const { return next_; }

  // From another named item: the name.
  void Assign(const TPersistent* source) override;

  // One stored setting of the item; false when it has no such property.
  virtual bool ReadProperty(const std::string& name, const TPropertyValue& value,
                            TReader& reader);

 private:
  void AddHash();
  void RemoveHash();

  THashCollection& collection_;
  std::string name_;
  int bucket_ = 0;
  THashCollectionItem* prev_ = nullptr;
  THashCollectionItem* next_ = nullptr;
};

class THashCollection : public TPersistent {
 public:
  THashCollection() = default;
  ~THashCollection() override;
  THashCollection(const THashCollection&) = delete;
  THashCollection& operator=(const THashCollection&) = delete;
  const char* ClassName() const override { return "THashCollection"; }

  int Count() const { return static_cast<int>(items_.size()); }
  THashCollectionItem* Item(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  int IndexOf(const THashCollectionItem* item) const;
  // Appends a new item of the collection's item class.
  THashCollectionItem* Add();
  // Destroys the items, last first.
  void Clear();
  void Delete(int index);

  // The most recently filed item of the bucket, or none.
  THashCollectionItem* BucketHead(int bucket) const {
    return hash_.at(static_cast<std::size_t>(bucket));
  }
  // The item of that name (letter case ignored) filed last, or none.
  THashCollectionItem* Find(std::string_view name) const;

  // From another collection: the items, each copied into a new one.
  void Assign(const TPersistent* source) override;

 protected:
  virtual std::unique_ptr<THashCollectionItem> CreateItem() = 0;

 private:
  friend class THashCollectionItem;

  std::vector<std::unique_ptr<THashCollectionItem>> items_;
  std::array<THashCollectionItem*, 256> hash_{};
};

}  // namespace corvane
