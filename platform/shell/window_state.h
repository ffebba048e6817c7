// The shell's one way from a window to its state: a window property named by the state's kind
// (State::kProperty), holding the state, which the window owns until its last message. A
// property works on the windows of our own classes and on the windows of others that the shell
// subclasses (a dialog, a "Button"), whose GWLP_USERDATA belongs to whoever made them.
#pragma once

#include <windows.h>

#include <memory>

// The state of kind State that hwnd holds, or null.
template <typename State>
State* StateOf(HWND hwnd)
{
    return static_cast<State*>(GetPropW(hwnd, State::kProperty));
}

// Hands hwnd its state. False when the property cannot be set: the state is then deleted.
template <typename State>
bool AttachState(HWND hwnd, std::unique_ptr<State> state)
{
    if (!SetPropW(hwnd, State::kProperty, state.get()))
        return false;
    static_cast<void>(state.release());  // the window holds it now
    return true;
}

// Takes the state off hwnd and deletes it; called at WM_NCDESTROY, the window's last message.
template <typename State>
void DestroyState(HWND hwnd)
{
    delete static_cast<State*>(RemovePropW(hwnd, State::kProperty));
}
