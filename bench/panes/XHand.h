#pragma once

#include <memory>

// A user's hand on an X server: pointer moves and button presses sent through the server's test
// extension, and window sizes asked of the server, on a connection of its own, so that a thread
// of the probe can send them while the program's thread is busy. Kept apart from Qt's headers,
// which clash with Xlib's names.
class XHand
{
public:
    // Connects to the server DISPLAY names; ok() tells whether it could.
    XHand();
    ~XHand();
    XHand(const XHand&) = delete;
    XHand& operator=(const XHand&) = delete;

    bool ok() const;
    // The pointer to (x, y) of the screen.
    void moveTo(int x, int y);
    void press();
    void release();
    // The top-level window `window` (its X id) takes this size, as a window manager would give it.
    void resize(unsigned long window, int width, int height);

private:
    struct Display;
    std::unique_ptr<Display> display_;
};
