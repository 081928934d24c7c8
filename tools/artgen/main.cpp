// corvane-artgen: builds the glyph sheet and the logo from their sources and writes PNG
// previews of them and of a typed page on the logo.
//
//   corvane-artgen [--glyphs FILE] [--out DIR] [--scale N] [--page "LINE|LINE|..."]

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "GlyphSheet.h"
#include "GlyphSource.h"
#include "Logo.h"
#include "PngWriter.h"
#include "Preview.h"
#include "SourceFile.h"

namespace {

using namespace corvane::art;

struct Options {
  std::string glyphs = "assets/art/glyphs.txt";
  std::string out = ".";
  int scale = 1;
  std::string page = "CORVANE PRESENTS|A LITTLE TYPER ON|A GREY STONE LOGO|QUICK FOX JUMPS:|0123456789 + - ?|WE LOVE PIXELS!";
};

int ParseScale(const std::string& text) {
  std::size_t used = 0;
  const int scale = std::stoi(text, &used);
  if (used != text.size() || scale < 1 || scale > 16) throw std::invalid_argument("--scale takes 1 to 16");
  return scale;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (i + 1 >= argc) throw std::invalid_argument(name + " needs a value");
    const std::string value = argv[++i];
    if (name == "--glyphs") {
      options.glyphs = value;
    } else if (name == "--out") {
      options.out = value;
    } else if (name == "--scale") {
      options.scale = ParseScale(value);
    } else if (name == "--page") {
      options.page = value;
    } else {
      throw std::invalid_argument("unknown option " + name);
    }
  }
  return options;
}

TyperPage PageFrom(const std::string& text) {
  TyperPage page;
  std::istringstream lines(text);
  for (std::string& line : page.lines) {
    if (!std::getline(lines, line, '|')) break;
  }
  page.wobble = {1, 1, 0, 0, -1, -1};
  return page;
}

void Write(const Options& options, const std::string& name, const RgbImage& image) {
  const std::string path = options.out + "/" + name;
  WritePng(path, ScaleUp(image, options.scale));
  std::cout << path << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = ParseOptions(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "corvane-artgen: " << e.what() << "\n"
              << "usage: corvane-artgen [--glyphs FILE] [--out DIR] [--scale N] [--page \"LINE|LINE|...\"]\n";
    return EXIT_FAILURE;
  }
  try {
    std::filesystem::create_directories(options.out);
    const IndexedImage sheet = MakeGlyphSheet(ReadSourceFile(options.glyphs));
    const IndexedImage logo = MakeLogo();
    Write(options, "glyph-sheet.png", ToRgb(sheet));
    Write(options, "logo.png", ToRgb(logo));
    Write(options, "typer-screen.png", ComposeTyperScreen(logo, sheet, PageFrom(options.page)));
    return EXIT_SUCCESS;
  } catch (const GlyphSourceError& e) {
    std::cerr << "corvane-artgen: " << options.glyphs << ": " << e.what() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "corvane-artgen: " << e.what() << '\n';
  }
  return EXIT_FAILURE;
}
