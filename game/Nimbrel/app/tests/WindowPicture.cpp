#include "WindowPicture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <map>

namespace {

// One connection a display for the test program's life: the shard's own, and the displays of
// other sizes that some tests start. Never closed: the process ends with them.
Display* TestDisplay()
{
    static std::map<std::string, Display*> displays;
    const char* name = std::getenv("DISPLAY");
    Display*& display = displays[name ? name : ""];
    if (!display)
        display = XOpenDisplay(nullptr);
    return display;
}

int IgnoreError(Display*, XErrorEvent*) { return 0; }

// The window's image, or null when it is gone or unmapped: the request fails then, and that
// failure is the answer here, not the end of the test program.
XImage* CaptureWindow(const std::string& id)
{
    Display* display = TestDisplay();
    const Window window = Window(std::strtoul(id.c_str(), nullptr, 10));
    if (!display || window == 0)
        return nullptr;
    XSync(display, False);
    XErrorHandler previous = XSetErrorHandler(IgnoreError);
    XWindowAttributes attributes{};
    XImage* image = nullptr;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
        attributes.width > 0 && attributes.height > 0)
        image = XGetImage(display, window, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes,
                          ZPixmap);
    XSync(display, False);
    XSetErrorHandler(previous);
    return image;
}

uint32_t Shift(unsigned long mask)
{
    uint32_t shift = 0;
    while (mask && !(mask >> shift & 1))
        ++shift;
    return shift;
}

// A pixel of the image as 0xRRGGBB (a true-colour image, 8 bits a channel).
class ImageColours {
public:
    explicit ImageColours(const XImage* image)
        : m_image(image),
          m_red(Shift(image->red_mask)),
          m_green(Shift(image->green_mask)),
          m_blue(Shift(image->blue_mask))
    {
    }
    uint32_t At(int x, int y) const
    {
        const unsigned long value = XGetPixel(const_cast<XImage*>(m_image), x, y);
        return uint32_t((value & m_image->red_mask) >> m_red << 16 | (value & m_image->green_mask) >> m_green << 8 |
                        (value & m_image->blue_mask) >> m_blue);
    }

private:
    const XImage* m_image;
    uint32_t m_red, m_green, m_blue;
};

}  // namespace

RootPicture ReadWindowPicture(const std::string& id)
{
    RootPicture picture;
    XImage* image = CaptureWindow(id);
    if (!image)
        return picture;
    const ImageColours colours(image);
    picture.width = image->width;
    picture.height = image->height;
    picture.pixels.resize(size_t(picture.width) * size_t(picture.height));
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)] = colours.At(x, y);
    XDestroyImage(image);
    return picture;
}

std::vector<int64_t> WindowColours(const std::string& id, const std::vector<WindowPoint>& points)
{
    std::vector<int64_t> found(points.size(), -1);
    XImage* image = CaptureWindow(id);
    if (!image)
        return found;
    const ImageColours colours(image);
    for (size_t i = 0; i < points.size(); ++i) {
        const WindowPoint& p = points[i];
        if (p.x >= 0 && p.y >= 0 && p.x < image->width && p.y < image->height)
            found[i] = colours.At(p.x, p.y);
    }
    XDestroyImage(image);
    return found;
}
