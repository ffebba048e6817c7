// The value of one hexadecimal digit, in narrow or wide text. Plain C++: the byte-level pieces
// build natively too.
#pragma once

// 0 to 15, or -1 when c is no hexadecimal digit.
template <typename Char>
int HexDigitValue(Char c)
{
    if (c >= Char('0') && c <= Char('9'))
        return int(c - Char('0'));
    if (c >= Char('a') && c <= Char('f'))
        return int(c - Char('a')) + 10;
    if (c >= Char('A') && c <= Char('F'))
        return int(c - Char('A')) + 10;
    return -1;
}
