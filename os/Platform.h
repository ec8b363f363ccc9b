#pragma once
// The seam to Windows: one object per area. The logic reaches Windows only through Os(); the
// program installs the Win32 backends at start, tests install fakes with ScopedPlatform.
namespace os {

class Files;
class Resources;
class Processes;
class Shell;
class Version;
class Cabinets;
class Services;
class Unicode;
class Registry;

struct Platform {
  Files* files = nullptr;
  Resources* resources = nullptr;
  Processes* processes = nullptr;
  Shell* shell = nullptr;
  Version* version = nullptr;
  Cabinets* cabinets = nullptr;
  Services* services = nullptr;
  // Absent (most tests): the ANSI answers of the other areas stand as they are. A UTF-16 log of
  // the driver installer needs it.
  Unicode* unicode = nullptr;
  Registry* registry = nullptr;
};

Platform& Os();
void SetOs(const Platform& platform);

// Installs a platform for the lifetime of the object and puts the previous one back.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(const Platform& platform) : previous_(Os()) { SetOs(platform); }
  ~ScopedPlatform() { SetOs(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform previous_;
};

}  // namespace os
