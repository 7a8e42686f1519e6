#pragma once
// Watches the page memory a loaded module holds, from the host's side: the
// module's imports of VirtualAlloc and VirtualFree are pointed at counting
// wrappers, so the host sees every block the module takes and gives back
// without asking the module anything.
#include <windows.h>

#include <cstddef>

struct PAGE_MEMORY {
  size_t bytes;  // sizes asked for, summed over the blocks still held
  size_t blocks;
};

// False when the module imports neither function from KERNEL32 (nothing is
// changed then). Watches one module at a time; a later call replaces it.
bool watch_page_memory(HMODULE module);

// What the watched module holds now; zero when nothing is watched.
PAGE_MEMORY held_page_memory();

// Makes the watched module's next `count` requests for a new block fail, as
// they would when the address space is used up (0 stops refusing); and the
// number refused since the watch began.
void refuse_page_blocks(int count);
int refused_page_blocks();

// Forgets the blocks; call when the module is unloaded.
void stop_page_watch();
