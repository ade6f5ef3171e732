#pragma once
#include <cstdint>

namespace Tarn {

// 32-bit status of every device-related operation: 0 is success, negative a
// failure. DeviceFail is returned where a needed device or state is missing.
using DeviceResult = std::int32_t;

inline constexpr DeviceResult DeviceOk = 0;
inline constexpr DeviceResult DeviceFail = static_cast<DeviceResult>(0x80004005u);

inline constexpr bool Succeeded(DeviceResult result) { return result >= 0; }
inline constexpr bool Failed(DeviceResult result) { return result < 0; }

} // namespace Tarn
