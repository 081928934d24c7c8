// Reading a text file line by line, the way the runtime does it here:
// a carriage return ends a line, a line feed right after it is skipped (a
// line feed anywhere else is an ordinary character), and character 26 or the
// end of the file ends the text.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace corvane {

class TTextFile {
 public:
  TTextFile() = default;
  explicit TTextFile(std::string path) : path_(std::move(path)) {}

  void Assign(std::string path) { path_ = std::move(path); }
  // Reads `text` instead of a file, the same way (text a user's file gave
  // before it was checked, or one carried inside the program).
  void AssignText(std::string text) {
    path_.clear();
    text_ = std::move(text);
    fromText_ = true;
  }
  // Opens for reading; raises EInOutError when the file cannot be opened.
  void Reset();
  // True when no further character of the text is left.
  bool Eof();
  // The next line without its end; empty at the end of the text. Raises
  // EInOutError on a read failure.
  std::string ReadLn();
  void Close() { file_.reset(); }
  bool IsOpen() const { return file_ != nullptr; }

 private:
  int peek();
  int take();

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::string path_;
  std::string text_;
  bool fromText_ = false;
  std::unique_ptr<std::FILE, Closer> file_;
};

}  // namespace corvane
