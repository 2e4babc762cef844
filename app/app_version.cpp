// The version comes from CMake's project(): window title, --version and the package agree.
#include "constants.h"

extern const char MORU_VERSION_TEXT[] = MORU_VERSION;
