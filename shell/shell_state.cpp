// Storage of the start-up values.
#include "shell/shell_state.h"

#include <cstdint>

HINSTANCE InstanceHandle = nullptr;
int16_t SaverMode = 0;
HWND ParentWindow = nullptr;
