// The form resource reader.
#include <cstdint>
#include <string_view>

#include "framework/FormReader.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    ParseFormText(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
  }
  return 0;
}
