// The Windows handles behind the portable handle types, and back.
#pragma once

#include <windows.h>

#include "base/bitmap_types.h"

inline HMODULE AsModule(ModuleHandle module) {
    return reinterpret_cast<HMODULE>(module);
}
inline ModuleHandle ModuleFrom(HMODULE module) {
    return reinterpret_cast<ModuleHandle>(module);
}
