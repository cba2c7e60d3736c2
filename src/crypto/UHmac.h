// UHmac: HMAC-SHA-256 as RFC 2104 defines it, over the project's own
// SHA-256: the MAC that signs a whole control command.
//
// Pure function, safe on any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "crypto/USha256.h"

using TMac = std::array<uint8_t, TSha256::DigestBytes>;

// HMAC-SHA-256 of Message under Key (any length: a key longer than the
// 64-byte block is first replaced by its digest).
TMac HmacSha256(std::string_view Key, std::string_view Message);
