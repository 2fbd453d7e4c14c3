// Storage of the start-up values.
#include "hosts/windows/shell_state.h"

#include <cstdint>

HINSTANCE InstanceHandle = nullptr;
int16_t SaverMode = 0;
HWND ParentWindow = nullptr;
