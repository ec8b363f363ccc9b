#pragma once
// A platform that passes every call to another one and counts it, and fails the call whose
// number is asked for the way the real call fails: false, an error code, an empty answer or a
// short write. Counting a run without failures, then failing call 1, 2, ... N of it in turn,
// shows what each single failing call does to the run.
#include <functional>
#include <memory>
#include <string>

#include "os/Cabinets.h"
#include "os/Files.h"
#include "os/Platform.h"
#include "os/Processes.h"
#include "os/Registry.h"
#include "os/Resources.h"
#include "os/Services.h"
#include "os/Shell.h"
#include "os/Version.h"

namespace fakes {

class CallCounter {
 public:
  int failAt = 0;  // 0: fail none
  int calls = 0;
  std::string failedCall;  // the name of the call that failed, once it has
  std::string failedPath;  // and the path it was given, for the file calls
  // Counts a call; true when this is the one to fail.
  // Called once, just before the call numbered `beforeCall` does its work: another program's step.
  int beforeCall = 0;
  std::function<void()> before;
  bool Fail(const char* name, const std::string& path = {}) {
    if (++calls == beforeCall && before) before();
    if (calls != failAt) return false;
    failedCall = name;
    failedPath = path;
    return true;
  }
};

class FaultyPlatform {
 public:
  FaultyPlatform(const os::Platform& inner, CallCounter& counter);
  ~FaultyPlatform();
  const os::Platform& platform() const { return platform_; }

 private:
  os::Platform platform_;
  std::unique_ptr<os::Files> files_;
  std::unique_ptr<os::Shell> shell_;
  std::unique_ptr<os::Processes> processes_;
  std::unique_ptr<os::Resources> resources_;
  std::unique_ptr<os::Version> version_;
  std::unique_ptr<os::Cabinets> cabinets_;
  std::unique_ptr<os::Services> services_;
  std::unique_ptr<os::Registry> registry_;
};

}  // namespace fakes
