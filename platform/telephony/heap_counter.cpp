// The counting versions of the C library's allocation functions, and the import patching
// that puts them in an executable's place.
#include "platform/telephony/heap_counter.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace {

// The executable's own thread does all its screening; the counts are interlocked anyway.
volatile LONG64 g_allocations = 0;
volatile LONG64 g_frees = 0;
volatile LONG64 g_liveBytes = 0;
bool g_counting = false;

void Counted(LONG64 allocations, LONG64 frees, LONG64 bytes)
{
    InterlockedAdd64(&g_allocations, allocations);
    InterlockedAdd64(&g_frees, frees);
    InterlockedAdd64(&g_liveBytes, bytes);
}

LONG64 SizeOf(void* block)
{
    return block ? static_cast<LONG64>(_msize(block)) : 0;
}

void* __cdecl CountingMalloc(size_t size)
{
    void* block = std::malloc(size);
    if (block)
        Counted(1, 0, SizeOf(block));
    return block;
}

void* __cdecl CountingCalloc(size_t count, size_t size)
{
    void* block = std::calloc(count, size);
    if (block)
        Counted(1, 0, SizeOf(block));
    return block;
}

void* __cdecl CountingRealloc(void* old, size_t size)
{
    const LONG64 oldSize = SizeOf(old);
    void* block = std::realloc(old, size);
    if (!block && size != 0)
        return nullptr;  // the old block stays as it was
    Counted(block ? 1 : 0, old ? 1 : 0, SizeOf(block) - oldSize);
    return block;
}

void __cdecl CountingFree(void* block)
{
    if (!block)
        return;
    const LONG64 size = SizeOf(block);
    std::free(block);
    Counted(0, 1, -size);
}

struct Replacement {
    const char* name;
    void* counting;
};

const Replacement kReplacements[] = {
    {"malloc", reinterpret_cast<void*>(CountingMalloc)},
    {"calloc", reinterpret_cast<void*>(CountingCalloc)},
    {"realloc", reinterpret_cast<void*>(CountingRealloc)},
    {"free", reinterpret_cast<void*>(CountingFree)},
};

void* Rva(HMODULE module, DWORD offset)
{
    return reinterpret_cast<BYTE*>(module) + offset;
}

}  // namespace

bool CountHeapCallsOf(HMODULE module)
{
    HMODULE library = GetModuleHandleW(L"msvcrt.dll");
    if (!module || !library)
        return false;
    const auto* dos = static_cast<const IMAGE_DOS_HEADER*>(Rva(module, 0));
    const auto* nt = static_cast<const IMAGE_NT_HEADERS*>(Rva(module, dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return false;
    int patched = 0;
    for (auto* entry = static_cast<IMAGE_IMPORT_DESCRIPTOR*>(Rva(module, imports.VirtualAddress));
         entry->Name != 0; ++entry) {
        if (_stricmp(static_cast<const char*>(Rva(module, entry->Name)), "msvcrt.dll") != 0)
            continue;
        for (auto* slot = static_cast<IMAGE_THUNK_DATA*>(Rva(module, entry->FirstThunk));
             slot->u1.Function != 0; ++slot) {
            for (const Replacement& replacement : kReplacements) {
                if (reinterpret_cast<FARPROC>(slot->u1.Function) !=
                    GetProcAddress(library, replacement.name))
                    continue;
                DWORD protection = 0;
                if (!VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE,
                                    &protection))
                    return false;
                slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement.counting);
                VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection,
                               &protection);
                ++patched;
            }
        }
    }
    g_counting = g_counting || patched > 0;
    return patched > 0;
}

bool CurrentHeapCounts(HeapCounts& counts)
{
    if (!g_counting)
        return false;
    counts.allocations = InterlockedAdd64(&g_allocations, 0);
    counts.frees = InterlockedAdd64(&g_frees, 0);
    counts.liveBytes = InterlockedAdd64(&g_liveBytes, 0);
    return true;
}
