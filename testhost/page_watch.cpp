#include "page_watch.h"

#include <map>
#include <mutex>

#include "abi.h"

namespace {

using VIRTUAL_ALLOC = LPVOID(WINAPI*)(LPVOID, SIZE_T, DWORD, DWORD);
using VIRTUAL_FREE = BOOL(WINAPI*)(LPVOID, SIZE_T, DWORD);

VIRTUAL_ALLOC system_alloc = nullptr;
VIRTUAL_FREE system_free = nullptr;
std::mutex lock;
std::map<void*, size_t> held;  // block start -> bytes asked for
int failures_to_inject = 0;    // new blocks still to refuse
int failures_injected = 0;

// Entered from the module's own threads; its stacks owe us no alignment.
HOST_ENTRY LPVOID WINAPI counted_alloc(LPVOID address, SIZE_T bytes, DWORD type, DWORD protect) {
  if (!address) {
    std::lock_guard<std::mutex> guard(lock);
    if (failures_to_inject > 0) {
      --failures_to_inject;
      ++failures_injected;
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  LPVOID block = system_alloc(address, bytes, type, protect);
  // Committing inside a block already held is not a new block.
  if (block && !address) {
    std::lock_guard<std::mutex> guard(lock);
    held[block] = bytes;
  }
  return block;
}

HOST_ENTRY BOOL WINAPI counted_free(LPVOID address, SIZE_T bytes, DWORD type) {
  const BOOL done = system_free(address, bytes, type);
  if (done && (type & MEM_RELEASE)) {
    std::lock_guard<std::mutex> guard(lock);
    held.erase(address);
  }
  return done;
}

template <class T>
T* at(HMODULE module, DWORD offset) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

void replace_slot(ULONG_PTR* slot, void* function) {
  DWORD old_protection;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old_protection)) return;
  *slot = reinterpret_cast<ULONG_PTR>(function);
  VirtualProtect(slot, sizeof *slot, old_protection, &old_protection);
}

}  // namespace

bool watch_page_memory(HMODULE module) {
  stop_page_watch();
  HMODULE kernel = GetModuleHandleA("kernel32");
  system_alloc = reinterpret_cast<VIRTUAL_ALLOC>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "VirtualAlloc")));
  system_free = reinterpret_cast<VIRTUAL_FREE>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "VirtualFree")));
  if (!module || !system_alloc || !system_free) return false;

  const auto* dos = at<IMAGE_DOS_HEADER>(module, 0);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
  const auto* nt = at<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return false;

  bool found = false;
  for (auto* library = at<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress); library->Name;
       ++library) {
    if (lstrcmpiA(at<char>(module, library->Name), "KERNEL32.dll") != 0) continue;
    // Names come from the lookup table; the address table beside it is what
    // the module's calls go through.
    auto* names = at<IMAGE_THUNK_DATA>(
        module, library->OriginalFirstThunk ? library->OriginalFirstThunk : library->FirstThunk);
    auto* slots = at<IMAGE_THUNK_DATA>(module, library->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const char* name = at<IMAGE_IMPORT_BY_NAME>(module, names->u1.AddressOfData)->Name;
      if (lstrcmpA(name, "VirtualAlloc") == 0) {
        replace_slot(&slots->u1.Function, reinterpret_cast<void*>(&counted_alloc));
        found = true;
      } else if (lstrcmpA(name, "VirtualFree") == 0) {
        replace_slot(&slots->u1.Function, reinterpret_cast<void*>(&counted_free));
        found = true;
      }
    }
  }
  return found;
}

PAGE_MEMORY held_page_memory() {
  std::lock_guard<std::mutex> guard(lock);
  PAGE_MEMORY memory{0, held.size()};
  for (const auto& block : held) memory.bytes += block.second;
  return memory;
}

void refuse_page_blocks(int count) {
  std::lock_guard<std::mutex> guard(lock);
  failures_to_inject = count;
}

int refused_page_blocks() {
  std::lock_guard<std::mutex> guard(lock);
  return failures_injected;
}

void stop_page_watch() {
  std::lock_guard<std::mutex> guard(lock);
  held.clear();
  failures_to_inject = failures_injected = 0;
}
