#pragma once
// Pasting into another program on X: the target window is made the active one and sent Ctrl+V
// as the X server's own key presses (the XTest extension), so it cannot tell them from the
// user's. Does nothing when the program does not run on an X server (Wayland, offscreen).

namespace X11PasteKeystroke {

// True on an X server that offers XTest.
bool Available();
// Gives window the keyboard: asks the window manager (_NET_ACTIVE_WINDOW) when one runs,
// else sets the input focus itself. Waits, taking the program's events meanwhile, until the
// window or one inside it has the focus, or timeoutMs have passed; true when it has.
bool Activate(unsigned long window, int timeoutMs);
// Presses and releases Ctrl+V; false without XTest.
bool SendPaste();

}  // namespace X11PasteKeystroke
