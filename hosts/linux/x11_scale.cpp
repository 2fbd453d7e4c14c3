// The scale of an X display from its Xft.dpi resource.
#include "hosts/linux/x11_scale.h"

#include <X11/Xresource.h>

#include <cstdlib>

#include "host/display_scale.h"

int32_t XftScale(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (resources == nullptr) return ScaleUnit;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    char* type = nullptr;
    XrmValue value{};
    double dpi = 0;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr)
        dpi = std::strtod(value.addr, nullptr);
    XrmDestroyDatabase(database);
    return ScaleFromDpi(dpi);
}
