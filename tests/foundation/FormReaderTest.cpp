// The form resource: its text format, and reading it through the components'
// loading path.
#include <gtest/gtest.h>

#include "../support/HeadlessFixture.h"
#include "framework/FormReader.h"
#include "graphics/DXClass.h"
#include "graphics/DXImageList.h"

namespace corvane::test {
namespace {

TEST(FormText, ParsesEveryKindOfValueAndNestedObjects) {
  TFormNode root = ParseFormText(R"(// stored settings
object frmTest: TTestForm
  Caption = 'it''s'#13#10'ok'
  Left = -12
  Flags = [one, two]
  Empty = []
  Style = bsDialog
  Font.Name = 'MS Sans Serif'
  Data = file 'blob.bin'
  object inner: TThing
    object deeper: TThing
    end
  end
end
)");
  EXPECT_EQ(root.name, "frmTest");
  EXPECT_EQ(root.className, "TTestForm");
  ASSERT_EQ(root.properties.size(), 7u);
  EXPECT_EQ(root.properties[0].value.text, "it's\r\nok");
  EXPECT_EQ(root.properties[1].value.integer, -12);
  EXPECT_EQ(root.properties[2].value.set, (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(root.properties[3].value.set.empty());
  EXPECT_TRUE(root.properties[4].value.IsIdent("bsDialog"));
  EXPECT_EQ(root.properties[5].name, "Font.Name");
  EXPECT_EQ(root.properties[6].value.kind, TPropertyValue::Kind::Binary);
  EXPECT_EQ(root.properties[6].value.text, "blob.bin");
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.children[0].children.at(0).name, "deeper");
}

TEST(FormText, ParsesCollectionsWithTheirItems) {
  TFormNode root = ParseFormText(R"(object f: T
  Items = <
    item
      Name = 'cvnLogo'
      Inner = <
        item
          X = 1
        end>
    end
    item
    end>
  None = <>
  After = 2
end)");
  ASSERT_EQ(root.properties.size(), 3u);
  const TPropertyValue& items = root.properties[0].value;
  ASSERT_EQ(items.kind, TPropertyValue::Kind::Collection);
  ASSERT_EQ(items.items.size(), 2u);
  EXPECT_EQ(items.items[0].line, 3);
  EXPECT_EQ(items.items[0].properties.at(0).value.text, "cvnLogo");
  EXPECT_EQ(items.items[0].properties.at(1).value.items.at(0).properties.at(0).value.integer, 1);
  EXPECT_TRUE(items.items[1].properties.empty());
  EXPECT_EQ(root.properties[1].value.kind, TPropertyValue::Kind::Collection);
  EXPECT_TRUE(root.properties[1].value.items.empty());
  EXPECT_EQ(root.properties[2].value.integer, 2);
}

struct BadText {
  const char* name;
  std::string text;
  const char* where;  // the message names the line
};

void PrintTo(const BadText& c, std::ostream* os) { *os << c.name; }

class FormTextErrors : public ::testing::TestWithParam<BadText> {};

TEST_P(FormTextErrors, RaiseAReadErrorNamingTheLine) {
  try {
    ParseFormText(GetParam().text);
    FAIL() << "parsed";
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find(GetParam().where), std::string::npos) << e.Message();
  }
}

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "object a: T\n";
  for (int i = 0; i < depth; ++i) text += "end\n";
  return text;
}

// Collections inside items inside collections.
std::string NestedItems(int depth) {
  std::string text = "object a: T\n";
  for (int i = 0; i < depth; ++i) text += "X = < item\n";
  for (int i = 0; i < depth; ++i) text += "end>\n";
  return text + "end\n";
}

INSTANTIATE_TEST_SUITE_P(
    FormText, FormTextErrors,
    ::testing::Values(BadText{"empty", "", "Zeile 1"},
                      BadText{"missing_end", "object a: T\n  X = 1\n", "Zeile 3"},
                      BadText{"missing_colon", "object a T\nend", "Zeile 1"},
                      BadText{"missing_equals", "object a: T\n  X 1\nend", "Zeile 2"},
                      BadText{"open_text", "object a: T\n  X = 'abc\nend", "Zeile 2"},
                      BadText{"char_number_too_big", "object a: T\n  X = #999\nend", "Zeile 2"},
                      BadText{"number_too_big", "object a: T\n\n  X = 99999999999\nend", "Zeile 3"},
                      BadText{"open_set", "object a: T\n  X = [a, \nend", "Zeile 3"},
                      BadText{"text_after_end", "object a: T\nend\nend", "Zeile 3"},
                      BadText{"nested_too_deep", Nested(40), "tief"},
                      BadText{"open_collection", "object a: T\n  X = <\n", "Zeile 3"},
                      BadText{"open_item", "object a: T\n  X = < item\n  Y = 1\n", "Zeile 4"},
                      BadText{"item_keyword_missing", "object a: T\n  X = <\n Y = 1 end>\nend",
                              "'item' erwartet"},
                      BadText{"object_in_an_item", "object a: T\n X = < item\n object b: T\n end",
                              "Zeile 3"},
                      BadText{"items_nested_too_deep", NestedItems(40), "tief"}),
    [](const auto& info) { return std::string(info.param.name); });

// A form with a handler and a timer, stored as text.
class StoredForm : public TForm {
 public:
  explicit StoredForm(TComponent* owner) : TForm(owner) {
    Publish<TDXTimerEvent>("Tick", [this](TObject*, std::int32_t) { ++ticks; });
    Publish<TNotifyEvent>("Created", [this](TObject*) { ++created; });
  }
  std::string text;
  int ticks = 0, created = 0;

 protected:
  std::string_view FormResource() const override { return text; }
};

class FormReading : public HeadlessFixture {
 protected:
  void SetUp() override {
    HeadlessFixture::SetUp();
    RegisterGraphicsClasses();
  }
  // Reads the text into a fresh form; gives the form.
  StoredForm* read(const std::string& text) {
    auto* form = new StoredForm(Application);
    form->text = text;
    form->AfterConstruction();
    return form;
  }
};

TEST_F(FormReading, MakesComponentsAndLinksTheirHandlers) {
  StoredForm* form = read(R"(object f: StoredForm
  Caption = 'Corvane'
  ClientWidth = 320
  ClientHeight = 240
  OnCreate = Created
  object dxTimer: TDXTimer
    Interval = 16
    Enabled = True
    OnTimer = Tick
  end
end)");
  EXPECT_EQ(form->created, 1);
  EXPECT_EQ(form->Caption(), "Corvane");
  auto* timer = dynamic_cast<TDXTimer*>(form->FindComponent("dxTimer"));
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->Owner(), form);
  EXPECT_EQ(timer->Interval(), 16u);
  EXPECT_FALSE(timer->IsLoading());
  // Stored enabled: started after loading, armed (paused: not active yet).
  EXPECT_TRUE(timer->Armed());
}

TEST_F(FormReading, AStoredDisabledTimerIsNotStarted) {
  StoredForm* form = read("object f: StoredForm\n object t: TDXTimer\n  Enabled = False\n end\nend");
  auto* timer = dynamic_cast<TDXTimer*>(form->FindComponent("t"));
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(timer->Armed());
}

struct BadSetting {
  const char* name;
  std::string text;
  std::string message;
};

void PrintTo(const BadSetting& c, std::ostream* os) { *os << c.name; }

class FormReadingErrors : public FormReading, public ::testing::WithParamInterface<BadSetting> {};

TEST_P(FormReadingErrors, RaiseTheReaderErrors) {
  try {
    read(GetParam().text);
    FAIL() << "read";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    FormReading, FormReadingErrors,
    ::testing::Values(
        BadSetting{"unknown_property", "object f: StoredForm\n  Colour = 1\nend",
                   "Eigenschaft Colour existiert nicht"},
        BadSetting{"unknown_class", "object f: StoredForm\n object x: TNothing\n end\nend",
                   "Klasse TNothing nicht gefunden"},
        BadSetting{"unknown_handler", "object f: StoredForm\n  OnCreate = Missing\nend",
                   "Methode Missing nicht gefunden"},
        BadSetting{"handler_of_another_kind", "object f: StoredForm\n  OnCreate = Tick\nend",
                   "Ungültiger Eigenschaftswert"},
        BadSetting{"text_for_a_number", "object f: StoredForm\n  ClientWidth = 'wide'\nend",
                   "Ungültiger Eigenschaftswert"},
        BadSetting{"unknown_border_style", "object f: StoredForm\n  BorderStyle = bsRound\nend",
                   "Ungültiger Eigenschaftswert"},
        BadSetting{"number_for_a_boolean",
                   "object f: StoredForm\n object t: TDXTimer\n  Enabled = 1\n end\nend",
                   "Ungültiger Eigenschaftswert"},
        BadSetting{"binary_without_a_source", "object f: StoredForm\n  Data = file 'x'\nend",
                   "Eigenschaft Data existiert nicht"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormReading, ReadsAPictureListWithItsItemsAndLinksItsDisplayAfterwards) {
  // The display is stored after the list that names it.
  StoredForm* form = read(R"(object f: StoredForm
  object list: TDXImageList
    DXDraw = screen
    Items = <
      item
        Name = 'first'
        PatternHeight = 17
        PatternWidth = 18
        SkipHeight = 1
        SkipWidth = 2
        SystemMemory = True
        Transparent = False
        TransparentColor = clGreen
      end
      item
        TransparentColor = 16777215
      end>
  end
  object screen: TDXDraw
    AutoInitialize = False
  end
end)");
  auto* list = dynamic_cast<TDXImageList*>(form->FindComponent("list"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->DXDraw(), form->FindComponent("screen"));
  ASSERT_EQ(list->Items().Count(), 2);
  TPictureCollectionItem& first = *list->Items()[0];
  EXPECT_EQ(first.Name(), "first");
  EXPECT_EQ(list->Items().Find("FIRST"), &first);
  EXPECT_EQ(first.PatternHeight, 17);
  EXPECT_EQ(first.PatternWidth, 18);
  EXPECT_EQ(first.SkipHeight, 1);
  EXPECT_EQ(first.SkipWidth, 2);
  EXPECT_TRUE(first.SystemMemory);
  EXPECT_FALSE(first.Transparent);
  EXPECT_EQ(first.TransparentColor(), 0x008000u);
  // Settings not stored keep their defaults.
  TPictureCollectionItem& second = *list->Items()[1];
  EXPECT_EQ(second.Name(), "");
  EXPECT_TRUE(second.Transparent);
  EXPECT_EQ(second.TransparentColor(), 0xFFFFFFu);
}

TEST_F(FormReading, PictureListErrors) {
  struct Case {
    const char* list;
    std::string message;
  } cases[] = {
      {"DXDraw = nowhere", "Ungültiger Eigenschaftswert"},
      {"DXDraw = f", "Ungültiger Eigenschaftswert"},  // the form is no display
      {"Items = < item Bogus = 1 end>", "Eigenschaft Bogus existiert nicht"},
      {"Items = < item TransparentColor = clPlaid end>", "Ungültiger Eigenschaftswert"},
      {"Items = 3", "Ungültiger Eigenschaftswert"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    try {
      read(std::string("object f: StoredForm\n object l: TDXImageList\n  ") + c.list +
           "\n end\nend");
      ADD_FAILURE() << "read";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST_F(FormReading, AFailedReadLeavesNoComponentLoading) {
  auto* form = new StoredForm(Application);
  form->text = "object f: StoredForm\n object t: TDXTimer\n  Bogus = 1\n end\nend";
  EXPECT_THROW(form->AfterConstruction(), EReadError);
  auto* timer = form->FindComponent("t");
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(timer->IsLoading());
  EXPECT_FALSE(form->IsLoading());
}

}  // namespace
}  // namespace corvane::test
