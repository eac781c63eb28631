#pragma once

#include <cstddef>

// A per-thread bump allocator for cJSON's trees. A material's tree holds a few thousand small
// nodes; freeing them one by one, interleaved with the print sets being kept, fragments the heap
// so much that reading a large library took a third longer than parsing it. While a Scope lives
// on a thread, cJSON takes that thread's memory from the arena, and the outermost Scope's end
// releases it all at once. A tree parsed inside a Scope must not outlive it, and need not be
// deleted. Outside any Scope, cJSON allocates with malloc as usual.
class JsonArena
{
public:
    class Scope
    {
    public:
        Scope();
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
    };

    // What the calling thread's arena keeps between scopes, in bytes.
    static size_t RetainedBytes();

    // The arena keeps blocks this large; a bigger request gets memory of its own.
    static constexpr size_t kBlockSize = size_t(1) << 20;
    // Blocks beyond this many bytes are given back at the end of a scope, so that one huge
    // document does not keep its memory for the rest of the run.
    static constexpr size_t kRetainBytes = 4 * kBlockSize;

private:
    static void *Allocate(size_t size);
    static void Release(void *pointer);
};
