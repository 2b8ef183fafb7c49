#include "XHand.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

struct XHand::Display {
    ::Display* connection = nullptr;
};

XHand::XHand() : display_(std::make_unique<Display>())
{
    display_->connection = XOpenDisplay(nullptr);
}

XHand::~XHand()
{
    if (display_->connection)
        XCloseDisplay(display_->connection);
}

bool XHand::ok() const
{
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    return display_->connection && XTestQueryExtension(display_->connection, &event, &error, &major, &minor);
}

void XHand::moveTo(int x, int y)
{
    XTestFakeMotionEvent(display_->connection, -1, x, y, CurrentTime);
    XFlush(display_->connection);
}

void XHand::press()
{
    XTestFakeButtonEvent(display_->connection, 1, True, CurrentTime);
    XFlush(display_->connection);
}

void XHand::release()
{
    XTestFakeButtonEvent(display_->connection, 1, False, CurrentTime);
    XFlush(display_->connection);
}

void XHand::resize(unsigned long window, int width, int height)
{
    XResizeWindow(display_->connection, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_->connection);
}
