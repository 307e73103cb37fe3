#pragma once
// Fixed-size integer names used by the ink model and the file formats.
// Their widths are part of the stored layouts, so they are pinned here.

#include <cstdint>

using BYTE  = std::uint8_t;
using WORD  = std::uint16_t;
using SHORT = std::int16_t;
using LONG  = std::int32_t;
using DWORD = std::uint32_t;
using UINT  = std::uint32_t;
using BOOL  = std::int32_t;

static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(SHORT) == 2 && sizeof(WORD) == 2);

