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

// Forgets the blocks; call when the module is unloaded.
void stop_page_watch();
