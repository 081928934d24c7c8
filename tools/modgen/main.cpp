// corvane-modgen SCORE OUTPUT: turns the score into the intro's music module.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "ModuleFormat.h"
#include "Score.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: corvane-modgen SCORE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "corvane-modgen: cannot read " << argv[1] << '\n';
    return 1;
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  try {
    const auto bytes = corvane::modgen::writeModule(corvane::modgen::buildModule(corvane::modgen::parseScore(text)));
    // Written beside the target and renamed over it, so that a build stopped
    // half-way never leaves a truncated module that looks up to date.
    const std::string temporary = std::string(argv[2]) + ".part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out || std::rename(temporary.c_str(), argv[2]) != 0) {
      std::cerr << "corvane-modgen: cannot write " << argv[2] << '\n';
      return 1;
    }
  } catch (const std::exception& error) {
    std::cerr << argv[1] << ": " << error.what() << '\n';
    return 1;
  }
  return 0;
}
