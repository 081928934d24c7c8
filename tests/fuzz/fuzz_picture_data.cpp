// Picture data as the form resource stores it (class name, then image): read
// on its own and written back, then read the way the intro reads its logo, as
// the stored Picture.Data of an image list item inside a form resource.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/FormReader.h"
#include "graphics/DIB.h"
#include "graphics/DXClass.h"
#include "graphics/DXImageList.h"

using namespace corvane;

namespace {

constexpr const char* kForm =
    "object Root: TComponent\n"
    "  object ImageList: TDXImageList\n"
    "    Items = <\n"
    "      item\n"
    "        Name = 'cvnLogo'\n"
    "        PatternHeight = 0\n"
    "        PatternWidth = 0\n"
    "        Picture.Data = file 'cvnLogo.Picture.Data'\n"
    "        SystemMemory = False\n"
    "        Transparent = False\n"
    "        TransparentColor = clGreen\n"
    "      end>\n"
    "  end\n"
    "end\n";

// Writing a picture and reading it back must give the same size.
void RoundTrip(TPicture& picture) {
  // An empty image has no size.
  if (picture.Graphic() && picture.Graphic()->Empty() && (picture.Width() != 0 || picture.Height() != 0)) std::abort();
  if (!picture.Graphic() || static_cast<std::int64_t>(picture.Width()) * picture.Height() > (1 << 22)) return;
  TMemoryStream out;
  picture.WriteData(out);
  TCustomMemoryStream back(out.Bytes().data(), static_cast<std::int64_t>(out.Bytes().size()));
  TPicture again;
  again.ReadData(back);
  if (again.Width() != picture.Width() || again.Height() != picture.Height()) std::abort();
}

void ReadAsForm(const std::uint8_t* data, std::size_t size) {
  static const TFormNode form = ParseFormText(kForm);
  TComponent root(nullptr);
  TReader reader(&root, [&](const std::string&) { return std::vector<std::uint8_t>(data, data + size); });
  reader.ReadRootComponent(form);
  if (auto* list = dynamic_cast<TDXImageList*>(root.FindComponent("ImageList"))) list->Items().MakeColorTable();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = [] {
    InitializeDIBUnit();
    RegisterGraphicsClasses();
    return true;
  }();
  (void)registered;
  TCustomMemoryStream in(data, static_cast<std::int64_t>(size));
  TPicture picture;
  try {
    picture.ReadData(in);
    RoundTrip(picture);
  } catch (const Exception&) {
  }
  try {
    ReadAsForm(data, size);
  } catch (const Exception&) {
  }
  return 0;
}
