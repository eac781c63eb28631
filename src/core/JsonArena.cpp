#include "JsonArena.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVANE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CORVANE_ASAN 1
#endif
#ifdef CORVANE_ASAN
#include <sanitizer/asan_interface.h>
// Under AddressSanitizer each piece is followed by a poisoned gap, so that running off a node is
// reported as it would be between separate allocations.
constexpr size_t kRedZone = 16;
#define POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define POISON(address, size) ((void)(address), (void)(size))
#define UNPOISON(address, size) ((void)(address), (void)(size))
constexpr size_t kRedZone = 0;
#endif

namespace {
constexpr size_t kAlign = alignof(std::max_align_t);

struct ThreadArena
{
    std::vector<char *> blocks; // each JsonArena::kBlockSize bytes
    std::vector<void *> large;  // requests too big for a block, freed at the end of the scope
    size_t current = 0;         // the block being filled
    size_t used = 0;            // bytes of it handed out
    int depth = 0;              // nested scopes

    ~ThreadArena()
    {
        for (char *block : blocks) {
            UNPOISON(block, JsonArena::kBlockSize);
            std::free(block);
        }
        for (void *pointer : large)
            std::free(pointer);
    }

    bool owns(const void *pointer) const
    {
        const char *p = static_cast<const char *>(pointer);
        for (const char *block : blocks) {
            if (p >= block && p < block + JsonArena::kBlockSize)
                return true;
        }
        for (const void *big : large) {
            if (big == pointer)
                return true;
        }
        return false;
    }

    void *allocate(size_t size)
    {
        size = (size + kAlign - 1) & ~(kAlign - 1);
        if (size == 0 || size > JsonArena::kBlockSize / 4) {
            void *pointer = std::malloc(size ? size : kAlign);
            if (pointer) {
                try {
                    large.push_back(pointer);
                } catch (...) {
                    std::free(pointer);
                    throw;
                }
            }
            return pointer;
        }
        if (blocks.empty() || used + size > JsonArena::kBlockSize) {
            if (!blocks.empty())
                ++current;
            if (current == blocks.size()) {
                char *block = static_cast<char *>(std::malloc(JsonArena::kBlockSize));
                if (!block) {
                    current = blocks.empty() ? 0 : blocks.size() - 1;
                    return nullptr;
                }
                try {
                    blocks.push_back(block);
                } catch (...) {
                    std::free(block);
                    current = blocks.empty() ? 0 : blocks.size() - 1;
                    throw;
                }
                POISON(block, JsonArena::kBlockSize);
            }
            used = 0;
        }
        char *pointer = blocks[current] + used;
        used += size;
        UNPOISON(pointer, size);
        used = std::min(used + kRedZone, JsonArena::kBlockSize);
        return pointer;
    }

    void reset()
    {
        for (void *pointer : large)
            std::free(pointer);
        large.clear();
        const size_t keep = JsonArena::kRetainBytes / JsonArena::kBlockSize;
        while (blocks.size() > keep) {
            UNPOISON(blocks.back(), JsonArena::kBlockSize);
            std::free(blocks.back());
            blocks.pop_back();
        }
        for (char *block : blocks)
            POISON(block, JsonArena::kBlockSize);
        current = 0;
        used = 0;
    }
};

thread_local ThreadArena t_arena;
} // namespace

JsonArena::Scope::Scope()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        cJSON_Hooks hooks = {&JsonArena::Allocate, &JsonArena::Release};
        cJSON_InitHooks(&hooks);
    });
    ++t_arena.depth;
}

JsonArena::Scope::~Scope()
{
    if (--t_arena.depth == 0)
        t_arena.reset();
}

size_t JsonArena::RetainedBytes()
{
    return t_arena.blocks.size() * kBlockSize;
}

void *JsonArena::Allocate(size_t size)
{
    if (t_arena.depth == 0)
        return std::malloc(size);
    // cJSON, a C library, calls this: a failure must come back as null, which it handles, and
    // never as an exception through its frames.
    try {
        return t_arena.allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void JsonArena::Release(void *pointer)
{
    // Inside a scope, memory from the arena is released with it; a tree made outside any scope
    // may still be deleted inside one.
    if (t_arena.depth > 0 && t_arena.owns(pointer))
        return;
    std::free(pointer);
}
