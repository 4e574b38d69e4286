// Global memory: movable blocks named by handles, on the C heap (so the bytes a caller writes
// through GlobalLock are plain storage), with a lock count each. Failures answer 0 (GlobalFree:
// the handle) and leave the block as it was.
#include <cstdlib>
#include <cstring>
#include <map>

#include "vitrail/platform/internal.h"

namespace {

struct Block {
    void* bytes = nullptr;
    size_t size = 0;
    int32_t locks = 0;
};

std::map<HGLOBAL, Block>& blocks() {
    static std::map<HGLOBAL, Block> b;
    return b;
}

Block* findBlock(HGLOBAL mem) {
    auto it = blocks().find(mem);
    return it == blocks().end() ? nullptr : &it->second;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, size_t bytes) {
    void* p = std::calloc(bytes ? bytes : 1, 1);
    if (!p) return 0;
    const HGLOBAL h = vtrlplat::newHandle();
    blocks()[h] = Block{p, bytes, 0};
    return h;
}

void* GlobalLock(HGLOBAL mem) {
    Block* b = findBlock(mem);
    if (!b) return nullptr;
    ++b->locks;
    return b->bytes;
}

BOOL GlobalUnlock(HGLOBAL mem) {
    Block* b = findBlock(mem);
    if (!b || b->locks == 0) return 0;
    return --b->locks != 0;
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, size_t bytes, UINT flags) {
    Block* b = findBlock(mem);
    if (!b) return 0;
    if (b->locks > 0 && !(flags & GMEM_MOVEABLE)) {
        // A locked block stays where it is: it can only shrink.
        if (bytes > b->size) return 0;
        b->size = bytes;
        return mem;
    }
    void* p = std::realloc(b->bytes, bytes ? bytes : 1);
    if (!p) return 0;
    if (bytes > b->size) std::memset(static_cast<char*>(p) + b->size, 0, bytes - b->size);
    b->bytes = p;
    b->size = bytes;
    return mem;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
    auto it = blocks().find(mem);
    if (it == blocks().end()) return mem;
    std::free(it->second.bytes);
    blocks().erase(it);
    return 0;
}

size_t GlobalSize(HGLOBAL mem) {
    const Block* b = findBlock(mem);
    return b ? b->size : 0;
}
