// Reading the image-data format into a shared image: header, colour table,
// then the pixels (plain rows, or run-length data kept encoded).
#include <cstdlib>
#include <cstring>
#include <limits>

#include "graphics/DIB.h"

namespace corvane {

using namespace platform;

struct DIBHeader {
  std::uint32_t headerSize = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
  std::uint32_t coloursUsed = 0;
  ChannelLayout layout;
  TRGBQuads colours{};
};

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("DIB is invalid"); }

// Bytes left in the stream, so that nothing is allocated for data that is
// not there.
std::int64_t Remaining(TStream& stream) { return stream.Size() - stream.Position(); }

void ReadColours(LittleEndianReader& in, TStream& stream, DIBHeader& h) {
  std::uint32_t count = h.coloursUsed;
  if (count == 0 && h.bitCount <= 8) count = 1u << h.bitCount;
  if (count > 256) count = 256;
  bool core = h.headerSize == 12;
  std::uint32_t entrySize = core ? 3 : 4;
  if (Remaining(stream) < static_cast<std::int64_t>(count * entrySize)) throw EReadError(msg::SReadError);
  h.colours.fill({0, 0, 0, 0});
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint8_t entry[4] = {0, 0, 0, 0};
    in.Bytes(entry, entrySize);
    h.colours[i] = {entry[0], entry[1], entry[2], core ? std::uint8_t{0} : entry[3]};
  }
}

}  // namespace

void TDIBSharedImage::ReadHeader(TStream& stream, DIBHeader& h) {
  LittleEndianReader in(stream);
  if (h.headerSize == 12) {
    h.width = in.U16();
    h.height = in.U16();
    in.U16();  // planes
    h.bitCount = in.U16();
  } else {
    h.width = in.S32();
    h.height = in.S32();
    in.U16();  // planes
    h.bitCount = in.U16();
    h.compression = in.U32();
    h.imageSize = in.U32();
    in.U32(), in.U32();  // resolutions
    h.coloursUsed = in.U32();
    in.U32();  // important colours
  }
  // Run-length data is only defined for its own bit count.
  bool knownBitCount = h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 16 ||
                       h.bitCount == 24 || h.bitCount == 32;
  if (knownBitCount && ((h.compression == BI_RLE8 && h.bitCount != 8) ||
                        (h.compression == BI_RLE4 && h.bitCount != 4)))
    Invalid();
  // An image needs a width and a height.
  if (h.width <= 0 || h.height == 0 || h.height == std::numeric_limits<std::int32_t>::min()) Invalid();
  if (h.compression == BI_BITFIELDS) {
    std::uint32_t r = in.U32(), g = in.U32(), b = in.U32();
    h.layout = ChannelLayoutFromMasks(r, g, b);
  } else {
    h.layout = h.bitCount == 16 ? MakeChannelLayout(5, 5, 5) : MakeChannelLayout(8, 8, 8);
  }
  ReadColours(in, stream, h);
}

void TDIBSharedImage::ReadPixels(TStream& stream, const DIBHeader& h) {
  if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
    if (Remaining(stream) < static_cast<std::int64_t>(h.imageSize) ||
        h.imageSize > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
      throw EReadError(msg::SReadError);
    // Top-down run-length data is not defined; such a file is damaged.
    if (h.height < 0) Invalid();
    // Encoded data always ends with its end-of-image mark. With no bytes at
    // all the image would have size 0, so be empty, yet keep its width and
    // height, and write back as nothing.
    if (h.imageSize == 0) Invalid();
    Size = static_cast<std::int32_t>(h.imageSize);
    AllocateMemory(h.imageSize);
    std::uint32_t sizeField = h.imageSize;
    std::memcpy(BitmapInfo.data() + 20, &sizeField, 4);
    stream.ReadBuffer(PBits, Size);
    TopPBits = nullptr;  // encoded: no rows until decoded
    return;
  }
  if (h.height > 0) {
    stream.ReadBuffer(PBits, Size);
    return;
  }
  for (int i = 0; i < Height; ++i) stream.ReadBuffer(TopPBits + NextLine * i, WidthBytes);
}

void TDIBSharedImage::ReadData(TStream& stream, bool memoryImage) {
  DIBHeader h;
  std::uint8_t first[4];
  std::int64_t got = stream.Read(first, 4);
  if (got == 0) {
    Reset();
    return;
  }
  if (got < 4) Invalid();
  std::memcpy(&h.headerSize, first, 4);
  if (h.headerSize != 12 && h.headerSize != 40) Invalid();
  ReadHeader(stream, h);

  bool compressed = h.compression == BI_RLE8 || h.compression == BI_RLE4;
  int height = std::abs(h.height);
  CheckPixelFormat(h.bitCount, h.layout);
  if (!compressed) {
    // Plain rows must all be there before storage is made for them.
    std::int64_t stride = ((static_cast<std::int64_t>(h.width) * h.bitCount + 31) / 32) * 4;
    if (!FitsImageSize(stride, height)) NoPixelStorage(memoryImage);
    // An unknown compression is refused only now, once the header, the
    // colour table and the image's format have passed: a block that is also
    // short or of a bad bit count is reported for that. Nothing is made for
    // pixels that cannot be read.
    if (h.compression > BI_BITFIELDS) Invalid();
    if (Remaining(stream) < stride * height) throw EReadError(msg::SReadError);
  }
  NewImage(h.width, height, compressed, memoryImage, h.colours, h.layout, h.bitCount);
  ReadPixels(stream, h);
}

}  // namespace corvane
