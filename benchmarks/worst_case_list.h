// The longest list the store allows, in the decision's worst shape: 85 entries of 11 digits
// that share their first nine digits, for the benchmarks under Wine to store.
#pragma once

#include <string>

#include "settings/settings_store.h"

const wchar_t kLastOfWorstCase[] = L"13800138094";

inline bool StoreWorstCaseList()
{
    std::wstring list;
    for (int i = 10; i < 95; ++i)
        list += L"138001380" + std::to_wstring(i) + L";";
    return WriteNumberList(CString(list.c_str())) == 1;
}
