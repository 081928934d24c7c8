// A headless display on a form, with a picture list serving it, and the
// pictures the tests put in it.
#pragma once

#include <functional>
#include <memory>

#include "display/DisplayFixture.h"
#include "graphics/DIB.h"
#include "graphics/DXImageList.h"

namespace corvane::test {

using platform::RECT;

// 24-bit DIB whose pixel (x, y) has colour(x, y) (0x00BBGGRR).
inline std::unique_ptr<TDIB> MakeDIB(int width, int height,
                                     const std::function<std::uint32_t(int, int)>& colour) {
  auto dib = std::make_unique<TDIB>();
  dib->PixelFormat = MakeChannelLayout(8, 8, 8);
  dib->ResizeImage(width, height, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) dib->SetPixelValue(x, y, colour(x, y));
  return dib;
}

inline std::unique_ptr<TDIB> PlainDIB(int width, int height, std::uint32_t colour = 0x0000FF) {
  return MakeDIB(width, height, [colour](int, int) { return colour; });
}

class PictureFixture : public DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    // Pictures copy their graphics by class name.
    InitializeDIBUnit();
    list_ = new TDXImageList(form_);
  }

  TPictureCollection& items() { return list_->Items(); }
  TPictureCollectionItem* add(std::unique_ptr<TGraphic> graphic) {
    TPictureCollectionItem* item = items().Add();
    item->Picture().SetGraphic(std::move(graphic));
    return item;
  }
  void connect() { list_->SetDXDraw(dxDraw_); }
  TDirectDrawSurface& backBuffer() { return *dxDraw_->Surface(); }
  // The back buffer's raw value for a colour.
  std::uint32_t raw(std::uint32_t colour) { return backBuffer().ColorMatch(colour); }

  TDXImageList* list_ = nullptr;
};

}  // namespace corvane::test
