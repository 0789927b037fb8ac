#pragma once

#include <array>
#include <cstdint>

namespace examora::blowfish_tables {

extern const std::array<std::uint32_t, 18> kInitialP;
extern const std::array<std::uint32_t, 256> kInitialS0;
extern const std::array<std::uint32_t, 256> kInitialS1;
extern const std::array<std::uint32_t, 256> kInitialS2;
extern const std::array<std::uint32_t, 256> kInitialS3;

}  // namespace examora::blowfish_tables
