// Global memory blocks and the clipboard that carries them, within this process.
#include <map>
#include <utility>
#include <memory>
#include <vector>

#include "platform/Gdi32.h"

namespace corvane::platform {

namespace {

struct Block {
  std::vector<std::uint8_t> bytes;
  int locks = 0;
};

std::map<HGLOBAL, Block>& Blocks() {
  static std::map<HGLOBAL, Block> blocks;
  return blocks;
}
HGLOBAL nextBlock = 0x10;

std::map<std::uint16_t, HGLOBAL>& Clipboard() {
  static std::map<std::uint16_t, HGLOBAL> clipboard;
  return clipboard;
}
bool clipboardOpen = false;

Block* FindBlock(HGLOBAL block) {
  auto it = Blocks().find(block);
  return it == Blocks().end() ? nullptr : &it->second;
}

}  // namespace

HGLOBAL GlobalAlloc(std::uint32_t, std::size_t size) {
  // Blocks always start zero-filled here; a fixed block is just never moved.
  HGLOBAL handle = nextBlock++;
  try {
    Blocks()[handle].bytes.assign(size, 0);
  } catch (const std::bad_alloc&) {
    Blocks().erase(handle);
    return 0;
  }
  return handle;
}

void* GlobalLock(HGLOBAL block) {
  Block* b = FindBlock(block);
  if (!b || b->bytes.empty()) return nullptr;
  ++b->locks;
  return b->bytes.data();
}

bool GlobalUnlock(HGLOBAL block) {
  Block* b = FindBlock(block);
  if (!b || b->locks == 0) return false;
  return --b->locks > 0;
}

std::size_t GlobalSize(HGLOBAL block) {
  Block* b = FindBlock(block);
  return b ? b->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  if (!FindBlock(block)) return block;
  Blocks().erase(block);
  return 0;
}

bool OpenClipboard() {
  if (clipboardOpen) return false;
  clipboardOpen = true;
  return true;
}

bool CloseClipboard() { return std::exchange(clipboardOpen, false); }

bool EmptyClipboard() {
  if (!clipboardOpen) return false;
  for (auto& [format, block] : Clipboard()) GlobalFree(block);
  Clipboard().clear();
  return true;
}

bool SetClipboardData(std::uint16_t format, HGLOBAL block) {
  if (!clipboardOpen || !FindBlock(block)) return false;
  auto& slot = Clipboard()[format];
  if (slot && slot != block) GlobalFree(slot);
  slot = block;
  return true;
}

HGLOBAL GetClipboardData(std::uint16_t format) {
  if (!clipboardOpen) return 0;
  auto it = Clipboard().find(format);
  return it == Clipboard().end() ? 0 : it->second;
}

}  // namespace corvane::platform
