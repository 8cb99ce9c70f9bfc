#pragma once

#include <cstdint>

// Synthesises one key event: virtual-key code, scan code, flags (0 key down,
// KEYEVENTF_KEYUP key up) and extra information.
class KeySynth {
  public:
    virtual ~KeySynth() = default;
    virtual void keybd_event(std::uint8_t bVk, std::uint8_t bScan, std::uint32_t dwFlags,
                             std::uintptr_t dwExtraInfo) = 0;
};

// For a program without windows: no key goes anywhere.
class NoKeys final : public KeySynth {
  public:
    void keybd_event(std::uint8_t, std::uint8_t, std::uint32_t, std::uintptr_t) override {}
};

constexpr std::uint8_t VK_MENU = 18;     // Alt
constexpr std::uint8_t VK_SNAPSHOT = 44; // Print Screen
constexpr std::uint32_t KEYEVENTF_KEYUP = 2;
