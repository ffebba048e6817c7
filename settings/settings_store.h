// The settings store: the blacklist kept as one registry value, loaded into and saved from memory.
#pragma once

#include <afx.h>

// The blacklist in memory, in its stored text form ("111;222;"). One for the whole process.
extern CString g_strNumberList;

// What a read of the stored list found.
enum NumberListRead {
    LIST_READ,         // the stored list was read
    LIST_NONE,         // nothing a read could ever load: no value, or one over the read capacity
    LIST_UNAVAILABLE,  // the key could not be opened or the query failed: a later read may pass
};

// Replaces strNumberList with the stored list. FALSE (and strNumberList untouched) when the
// key cannot be opened, the value is missing or does not fit the read capacity.
[[nodiscard]] BOOL ReadNumberList(CString& strNumberList);

// The same read, telling why nothing was read.
[[nodiscard]] NumberListRead ReadStoredNumberList(CString& strNumberList);

// Stores the list text. 1 when it was stored, 0 otherwise. A text longer than the read
// capacity allows is refused (0, nothing written): it could never be loaded again.
[[nodiscard]] int WriteNumberList(CString strNumberList);
