#pragma once
// Handing freed heap memory back to the operating system.

/// Returns the heap's free pages to the system. A large load (a level's
/// scenes, the preload's decoding) frees its working memory in pieces that lie
/// between the allocations it keeps; the allocator would hold those pages
/// resident for good. Costs a few milliseconds: call it after loads only.
void ReturnFreeMemoryToSystem();
