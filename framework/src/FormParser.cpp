// The text format of the form resource, parsed into a tree of nodes.
#include <cctype>

#include "framework/FormReader.h"

namespace corvane {

namespace {

constexpr int kMaxDepth = 32;

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  TFormNode ParseObject(int depth = 0) {
    // Forms nest a few levels at most; a deeper text is damaged, not a form.
    if (depth > kMaxDepth) Fail("zu tief verschachtelt");
    SkipBlank();
    TFormNode node;
    node.line = line_;
    ExpectWord("object");
    node.name = Word();
    Expect(':');
    node.className = Word();
    for (;;) {
      SkipBlank();
      if (AtEnd()) Fail("'end' fehlt");
      std::size_t mark = pos_;
      int markLine = line_;
      std::string word = Word();
      if (word == "end") return node;
      if (word == "object") {
        pos_ = mark;
        line_ = markLine;
        node.children.push_back(ParseObject(depth + 1));
        continue;
      }
      Expect('=');
      node.properties.push_back({word, Value(depth)});
    }
  }

  void ExpectEnd() {
    SkipBlank();
    if (!AtEnd()) Fail("Text nach 'end'");
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EReadError(Format(msg::SInvalidFormat, "Zeile " + std::to_string(line_) + ": " + what));
  }

  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

  void SkipBlank() {
    while (!AtEnd()) {
      char c = text_[pos_];
      if (c == '\n') ++line_;
      if (c == '\n' || c == '\r' || c == ' ' || c == '\t') {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (!AtEnd() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  static bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
  }

  std::string Word() {
    SkipBlank();
    std::size_t start = pos_;
    while (!AtEnd() && IsWordChar(text_[pos_])) ++pos_;
    if (start == pos_) Fail("Name erwartet");
    return std::string(text_.substr(start, pos_ - start));
  }

  void ExpectWord(std::string_view word) {
    if (Word() != word) Fail("'" + std::string(word) + "' erwartet");
  }

  void Expect(char c) {
    SkipBlank();
    if (Peek() != c) Fail(std::string("'") + c + "' erwartet");
    ++pos_;
  }

  TPropertyValue Value(int depth) {
    SkipBlank();
    TPropertyValue value;
    value.line = line_;
    char c = Peek();
    if (c == '<') {
      value.kind = TPropertyValue::Kind::Collection;
      value.items = Items(depth + 1);
    } else if (c == '\'' || c == '#') {
      value.kind = TPropertyValue::Kind::String;
      value.text = Text();
    } else if (c == '[') {
      value.kind = TPropertyValue::Kind::Set;
      value.set = SetItems();
    } else if (c == '-' || c == '+' || std::isdigit(static_cast<unsigned char>(c))) {
      value.kind = TPropertyValue::Kind::Integer;
      value.integer = Number();
    } else {
      value.text = Word();
      if (value.text == "file") {
        value.kind = TPropertyValue::Kind::Binary;
        SkipBlank();
        value.text = Text();
      } else {
        value.kind = TPropertyValue::Kind::Ident;
      }
    }
    return value;
  }

  // `<` then `item ... end` for each item, then `>`.
  std::vector<TFormItem> Items(int depth) {
    // An item's settings may hold a collection again; they count as nesting.
    if (depth > kMaxDepth) Fail("zu tief verschachtelt");
    Expect('<');
    std::vector<TFormItem> items;
    for (;;) {
      SkipBlank();
      if (Peek() == '>') {
        ++pos_;
        return items;
      }
      if (AtEnd()) Fail("'>' fehlt");
      TFormItem item;
      item.line = line_;
      ExpectWord("item");
      for (;;) {
        SkipBlank();
        if (AtEnd()) Fail("'end' fehlt");
        std::string word = Word();
        if (word == "end") break;
        Expect('=');
        item.properties.push_back({word, Value(depth)});
      }
      items.push_back(std::move(item));
    }
  }

  std::int64_t Number() {
    std::size_t start = pos_;
    if (Peek() == '-' || Peek() == '+') ++pos_;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) ++pos_;
    std::string_view digits = text_.substr(start, pos_ - start);
    try {
      return StrToInt(digits);
    } catch (const EConvertError&) {
      Fail("Zahl erwartet");
    }
  }

  // Quoted pieces and #nn characters, side by side: 'it''s'#13#10'x'.
  std::string Text() {
    std::string out;
    bool any = false;
    for (;;) {
      if (Peek() == '\'') {
        ++pos_;
        for (;;) {
          if (AtEnd() || Peek() == '\n') Fail("Text nicht abgeschlossen");
          char ch = text_[pos_++];
          if (ch == '\'') {
            if (Peek() != '\'') break;
            ++pos_;
          }
          out += ch;
        }
      } else if (Peek() == '#') {
        ++pos_;
        std::int64_t code = 0;
        if (!std::isdigit(static_cast<unsigned char>(Peek()))) Fail("Zeichennummer erwartet");
        while (std::isdigit(static_cast<unsigned char>(Peek())) && code <= 255)
          code = code * 10 + (text_[pos_++] - '0');
        if (code > 255) Fail("Zeichennummer zu groß");
        out += static_cast<char>(code);
      } else {
        break;
      }
      any = true;
    }
    if (!any) Fail("Text erwartet");
    return out;
  }

  std::vector<std::string> SetItems() {
    Expect('[');
    std::vector<std::string> items;
    SkipBlank();
    if (Peek() == ']') {
      ++pos_;
      return items;
    }
    for (;;) {
      items.push_back(Word());
      SkipBlank();
      if (Peek() == ']') {
        ++pos_;
        return items;
      }
      Expect(',');
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

TFormNode ParseFormText(std::string_view text) {
  Parser parser(text);
  TFormNode node = parser.ParseObject();
  parser.ExpectEnd();
  return node;
}

}  // namespace corvane
