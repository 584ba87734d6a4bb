#pragma once
// Reading a key's state and sending a key chord, through the platform's GetKeyState and keybd_event.
#include <cstdint>

namespace deskflip::toggle {

// 1 when the bit at `position` of `value` is set, else 0. Positions count from 1 (the least significant bit) to 64
// (the sign); a position of 0 or below acts as 1, and a position above 64 reads as 0.
std::int32_t testBit(std::int64_t value, std::int32_t position);

// 1 when the key reads as down, else 0. A pressed key's state has every bit from 0x0080 up to 0x8000 set and a
// released key's is 0 or 1, so the 0x4000 bit tells them apart and the toggle bit never matters.
std::int32_t isKeyDown(std::int32_t virtualKey);

// Presses modifier3, modifier2 (each only when not 0), modifier1 and key, then releases them in the same order:
// the modifier pressed first is released first and `key` last. One keybd_event per event, scan code 0, no
// extended flag.
void sendKeyChord(std::int32_t key, std::int32_t modifier1, std::int32_t modifier2 = 0, std::int32_t modifier3 = 0);

}  // namespace deskflip::toggle
