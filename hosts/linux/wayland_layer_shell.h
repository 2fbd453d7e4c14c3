// wlr-layer-shell's client header as wayland-scanner generates it, made readable to C++: one
// argument of get_layer_surface is named namespace.
#pragma once

#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
