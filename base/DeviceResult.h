#pragma once
#include <cstdint>

namespace Tarn {

// The 32-bit status of every device-related operation, from the drawing up
// to the host's device callbacks. 0 is success and anything else a failure;
// the failures made here are negative, DeviceFail where a needed device or
// state is missing.
using DeviceResult = std::int32_t;

inline constexpr DeviceResult DeviceOk = 0;
inline constexpr DeviceResult DeviceFail = static_cast<DeviceResult>(0x80004005u);

inline constexpr bool Succeeded(DeviceResult result) { return result == DeviceOk; }
inline constexpr bool Failed(DeviceResult result) { return result != DeviceOk; }

} // namespace Tarn
