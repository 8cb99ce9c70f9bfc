#pragma once

#include <array>
#include <cstdint>

// The operating-system version record the start-up logs from.
struct OSVERSIONINFOA {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    std::array<char, 128> szCSDVersion{};
};

class OsVersion {
  public:
    virtual ~OsVersion() = default;
    // Fills the record; the result is kept by the caller but never tested.
    virtual std::int32_t GetVersionExA(OSVERSIONINFOA* info) = 0;
};

// On Linux the running kernel's release (uname) gives the major and minor
// version; elsewhere the Qt kernel version string.
class SystemOsVersion final : public OsVersion {
  public:
    std::int32_t GetVersionExA(OSVERSIONINFOA* info) override;
};

// A fixed version, for tests.
class FixedOsVersion final : public OsVersion {
  public:
    FixedOsVersion(std::uint32_t major, std::uint32_t minor) : major_(major), minor_(minor) {}
    std::int32_t GetVersionExA(OSVERSIONINFOA* info) override {
        info->dwMajorVersion = major_;
        info->dwMinorVersion = minor_;
        return 1;
    }

  private:
    std::uint32_t major_;
    std::uint32_t minor_;
};
