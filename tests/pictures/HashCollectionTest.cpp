// Items filed by name: the bucket a name goes to, the chains kept as items
// are named, renamed and destroyed, and copying names between items.
#include <gtest/gtest.h>

#include "graphics/PictureCollection.h"

namespace corvane::test {
namespace {

struct BucketCase {
  const char* name;
  std::string text;
  int bucket;
};

void PrintTo(const BucketCase& c, std::ostream* os) { *os << c.name; }

class Buckets : public ::testing::TestWithParam<BucketCase> {};

TEST_P(Buckets, FollowLengthAndTwoLowerCasedBytes) {
  EXPECT_EQ(HashBucket(GetParam().text), GetParam().bucket);
}

INSTANTIATE_TEST_SUITE_P(
    HashCollection, Buckets,
    ::testing::Values(BucketCase{"empty", "", 0},
                      // One byte: the length alone.
                      BucketCase{"one_byte", "Z", 16},
                      // 32 + 'a' + 'a': the second-to-last byte is the first.
                      BucketCase{"two_bytes", "AB", 226},
                      // 7 * 16 + 'c' + 'g' = 314.
                      BucketCase{"logo", "cvnLogo", 58},
                      BucketCase{"logo_in_capitals", "CVNLOGO", 58},
                      // 20 * 16 + 'a' + 's' = 532.
                      BucketCase{"long", "abcdefghijklmnopqrst", 20},
                      // An accented capital lower-cases too: 32 + 0xE4 + 0xE4.
                      BucketCase{"accented", "\xC4x", 232}),
    [](const auto& info) { return std::string(info.param.name); });

class NameCollection : public THashCollection {
 protected:
  std::unique_ptr<THashCollectionItem> CreateItem() override {
    return std::make_unique<THashCollectionItem>(*this);
  }
};

TEST(HashCollection, RenamingRefilesOnlyOnAnExactChange) {
  NameCollection names;
  THashCollectionItem* a = names.Add();
  THashCollectionItem* b = names.Add();
  a->SetName("cvnLogo");
  b->SetName("cvnlogo");
  ASSERT_EQ(names.BucketHead(58), b);
  EXPECT_EQ(names.BucketHead(0), nullptr);

  // A change of letter case is a change: refiled at the head of its bucket.
  a->SetName("CVNLOGO");
  EXPECT_EQ(a->Bucket(), 58);
  EXPECT_EQ(names.BucketHead(58), a);
  EXPECT_EQ(a->Next(), b);
  EXPECT_EQ(b->Prev(), a);
  EXPECT_EQ(b->Next(), nullptr);
  // The same name again: nothing moves.
  b->SetName("cvnlogo");
  EXPECT_EQ(names.BucketHead(58), a);
  EXPECT_EQ(names.Find("CvnLogo"), a);
}

TEST(HashCollection, DestroyedItemsLeaveTheirChain) {
  NameCollection names;
  for (const char* name : {"ab", "ab", "ab"}) names.Add()->SetName(name);
  THashCollectionItem* first = names.Item(0);
  THashCollectionItem* last = names.Item(2);
  names.Delete(1);
  EXPECT_EQ(names.BucketHead(HashBucket("ab")), last);
  EXPECT_EQ(last->Next(), first);
  EXPECT_EQ(first->Prev(), last);
  names.Delete(1);  // the head
  EXPECT_EQ(names.BucketHead(HashBucket("ab")), first);
  EXPECT_EQ(first->Prev(), nullptr);
  names.Clear();
  EXPECT_EQ(names.BucketHead(HashBucket("ab")), nullptr);
}

TEST(HashCollection, ANamedItemThatIsNoPictureGivesItsNameOnly) {
  NameCollection names;
  THashCollectionItem* named = names.Add();
  named->SetName("glyph");
  TPictureCollection pictures;
  TPictureCollectionItem* picture = pictures.Add();
  picture->PatternWidth = 9;
  // Filed under its empty name when made.
  EXPECT_EQ(pictures.BucketHead(0), picture);
  picture->Assign(named);
  EXPECT_EQ(picture->Name(), "glyph");
  EXPECT_EQ(picture->PatternWidth, 9);
  EXPECT_EQ(pictures.Find("GLYPH"), picture);
}

}  // namespace
}  // namespace corvane::test
