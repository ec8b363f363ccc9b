#include "tests/unit/fakes/FaultyPlatform.h"

#include <cstdlib>

namespace fakes {
namespace {

constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kInvalidData = 13;

// A write that gives up half-way: part of the bytes reach the file.
std::string_view FirstHalf(std::string_view bytes) {
  return bytes.substr(0, bytes.size() / 2);
}

class FaultyWritableFile final : public os::WritableFile {
 public:
  FaultyWritableFile(std::unique_ptr<os::WritableFile> inner, CallCounter& counter,
                     std::string path)
      : inner_(std::move(inner)), c_(counter), path_(std::move(path)) {}
  bool Write(std::string_view bytes) override {
    if (c_.Fail("Write", path_)) {
      inner_->Write(FirstHalf(bytes));
      return false;
    }
    return inner_->Write(bytes);
  }
  bool Flush() override { return !c_.Fail("Flush") && inner_->Flush(); }

 private:
  std::unique_ptr<os::WritableFile> inner_;
  CallCounter& c_;
  std::string path_;
};

class FaultyHeldFile final : public os::HeldFile {
 public:
  FaultyHeldFile(std::unique_ptr<os::HeldFile> inner, CallCounter& counter)
      : inner_(std::move(inner)), c_(counter) {}
  bool IsRunningProgram() override {
    return !c_.Fail("IsRunningProgram") && inner_->IsRunningProgram();
  }
  bool CopyToNew(const std::string& path) override {
    return !c_.Fail("CopyToNew", path) && inner_->CopyToNew(path);
  }
  std::unique_ptr<os::HeldFile> CopyToRunOnce(const std::string& path) override {
    if (c_.Fail("CopyToRunOnce", path)) return nullptr;
    auto copy = inner_->CopyToRunOnce(path);
    if (!copy) return nullptr;
    return std::make_unique<FaultyHeldFile>(std::move(copy), c_);
  }
  bool MoveTo(const std::string& path) override {
    return !c_.Fail("MoveTo", path) && inner_->MoveTo(path);
  }

 private:
  std::unique_ptr<os::HeldFile> inner_;
  CallCounter& c_;
};

// A failing deletion leaves the whole tree: the failure of its first handle.
class FaultyHeldFolder final : public os::HeldFolder {
 public:
  FaultyHeldFolder(std::unique_ptr<os::HeldFolder> inner, CallCounter& counter, std::string path)
      : inner_(std::move(inner)), c_(counter), path_(std::move(path)) {}
  bool DeleteTree() override { return !c_.Fail("DeleteTree", path_) && inner_->DeleteTree(); }

 private:
  std::unique_ptr<os::HeldFolder> inner_;
  CallCounter& c_;
  std::string path_;
};

class FaultyFiles final : public os::Files {
 public:
  FaultyFiles(os::Files& inner, CallCounter& counter) : in_(inner), c_(counter) {}
  uint32_t TempPath(char* buffer, uint32_t size) override {
    return c_.Fail("TempPath") ? 0 : in_.TempPath(buffer, size);
  }
  std::string TempFileName(const std::string& folder, const std::string& prefix,
                           std::initializer_list<const char*> alsoFree) override {
    return c_.Fail("TempFileName") ? std::string() : in_.TempFileName(folder, prefix, alsoFree);
  }
  std::optional<uint32_t> Attributes(const std::string& path) override {
    if (c_.Fail("Attributes", path)) return std::nullopt;
    return in_.Attributes(path);
  }
  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    return !c_.Fail("SetAttributes", path) && in_.SetAttributes(path, attributes);
  }
  std::vector<os::FolderEntry> List(const std::string& pattern) override {
    if (c_.Fail("List", pattern)) return {};
    return in_.List(pattern);
  }
  uint32_t CreateFolder(const std::string& path) override {
    return c_.Fail("CreateFolder", path) ? kAccessDenied : in_.CreateFolder(path);
  }
  std::unique_ptr<os::HeldFolder> CreateProtectedFolder(const std::string& path,
                                                        uint32_t& error) override {
    if (c_.Fail("CreateProtectedFolder", path)) {
      error = kAccessDenied;
      return {};
    }
    auto folder = in_.CreateProtectedFolder(path, error);
    if (!folder) return nullptr;
    return std::make_unique<FaultyHeldFolder>(std::move(folder), c_, path);
  }
  bool RemoveFolder(const std::string& path) override {
    return !c_.Fail("RemoveFolder", path) && in_.RemoveFolder(path);
  }
  bool RemoveFile(const std::string& path) override {
    return !c_.Fail("RemoveFile", path) && in_.RemoveFile(path);
  }
  bool Copy(const std::string& from, const std::string& to) override {
    return !c_.Fail("Copy", to) && in_.Copy(from, to);
  }
  bool Move(const std::string& from, const std::string& to) override {
    return !c_.Fail("Move", to) && in_.Move(from, to);
  }
  std::optional<uint64_t> Length(const std::string& path) override {
    if (c_.Fail("Length", path)) return std::nullopt;
    return in_.Length(path);
  }
  std::optional<std::string> ReadAll(const std::string& path) override {
    if (c_.Fail("ReadAll", path)) return std::nullopt;
    return in_.ReadAll(path);
  }
  std::optional<std::string> ReadPiece(const std::string& path, uint64_t offset,
                                       uint32_t size) override {
    if (c_.Fail("ReadPiece", path)) return std::nullopt;
    return in_.ReadPiece(path, offset, size);
  }
  bool WriteAll(const std::string& path, std::string_view bytes) override {
    if (c_.Fail("WriteAll", path)) {
      in_.WriteAll(path, FirstHalf(bytes));
      return false;
    }
    return in_.WriteAll(path, bytes);
  }
  bool Append(const std::string& path, std::string_view bytes) override {
    if (c_.Fail("Append", path)) {
      in_.Append(path, FirstHalf(bytes));
      return false;
    }
    return in_.Append(path, bytes);
  }
  bool Truncate(const std::string& path, uint64_t length) override {
    return !c_.Fail("Truncate", path) && in_.Truncate(path, length);
  }
  std::unique_ptr<os::WritableFile> CreateExclusive(const std::string& path) override {
    if (c_.Fail("CreateExclusive", path)) return nullptr;
    auto file = in_.CreateExclusive(path);
    if (!file) return nullptr;
    return std::make_unique<FaultyWritableFile>(std::move(file), c_, path);
  }
  std::unique_ptr<os::WritableFile> OpenLog(const std::string& path, bool administrators,
                                            os::LogFacts& facts) override {
    if (c_.Fail("OpenLog", path)) return nullptr;
    auto file = in_.OpenLog(path, administrators, facts);
    if (!file) return nullptr;
    return std::make_unique<FaultyWritableFile>(std::move(file), c_, path);
  }
  std::unique_ptr<os::HeldFile> HoldUnchanged(const std::string& path) override {
    if (c_.Fail("HoldUnchanged", path)) return nullptr;
    auto file = in_.HoldUnchanged(path);
    if (!file) return nullptr;
    return std::make_unique<FaultyHeldFile>(std::move(file), c_);
  }
  bool OpenFileExists(const std::string& path) override {
    return !c_.Fail("OpenFileExists") && in_.OpenFileExists(path);
  }

 private:
  os::Files& in_;
  CallCounter& c_;
};

// Sleep and the clock cannot fail; the regional texts come back empty when formatting fails.
class FaultyShell final : public os::Shell {
 public:
  FaultyShell(os::Shell& inner, CallCounter& counter) : in_(inner), c_(counter) {}
  int ShowMessage(uintptr_t owner, const std::string& text, const std::string& title,
                  uint32_t style) override {
    // MessageBoxA answers 0 when the box cannot be shown; the user has seen nothing.
    return c_.Fail("ShowMessage") ? 0 : in_.ShowMessage(owner, text, title, style);
  }
  std::optional<std::string> SpecialFolder(int id) override {
    if (c_.Fail("SpecialFolder")) return std::nullopt;
    return in_.SpecialFolder(id);
  }
  void Sleep(uint32_t milliseconds) override { in_.Sleep(milliseconds); }
  os::LocalTime Now() override { return in_.Now(); }
  std::string ShortDateText() override {
    return c_.Fail("ShortDateText") ? std::string() : in_.ShortDateText();
  }
  std::string LongTimeText() override {
    return c_.Fail("LongTimeText") ? std::string() : in_.LongTimeText();
  }

 private:
  os::Shell& in_;
  CallCounter& c_;
};

// The command line is there from the start; waiting and ending do not fail.
class FaultyProcesses final : public os::Processes {
 public:
  FaultyProcesses(os::Processes& inner, CallCounter& counter) : in_(inner), c_(counter) {}
  std::string CommandLineArguments() override { return in_.CommandLineArguments(); }
  std::string ProgramFilePath() override {
    return c_.Fail("ProgramFilePath") ? std::string() : in_.ProgramFilePath();
  }
  os::ShellAnswer Execute(const os::ShellRequest& request) override {
    if (c_.Fail("Execute")) return {false, kFileNotFound, kFileNotFound, 0};
    return in_.Execute(request);
  }
  uint32_t WaitAndClose(uintptr_t process) override { return in_.WaitAndClose(process); }
  os::MutexAnswer CreateMachineMutex(const char* name) override {
    // An answer that cannot be read as a run's mutex nor as a squat: the fault to survive is
    // "made before, owner unreadable".
    if (c_.Fail("CreateMachineMutex")) return {183, false};
    return in_.CreateMachineMutex(name);
  }
  os::AdministratorsLock TakeAdministratorsLock(const char* name) override {
    if (c_.Fail("TakeAdministratorsLock")) return os::AdministratorsLock::HeldElsewhere;
    return in_.TakeAdministratorsLock(name);
  }
  std::optional<uint32_t> WaitForDeviceInstallations(uint32_t milliseconds) override {
    if (c_.Fail("WaitForDeviceInstallations")) return std::nullopt;
    return in_.WaitForDeviceInstallations(milliseconds);
  }
  [[noreturn]] void EndProcess(int code) override {
    in_.EndProcess(code);
    std::abort();  // the compiler cannot see through the virtual call that it never returns
  }

 private:
  os::Processes& in_;
  CallCounter& c_;
};

class FaultyResources final : public os::Resources {
 public:
  FaultyResources(os::Resources& inner, CallCounter& counter) : in_(inner), c_(counter) {}
  std::optional<std::string_view> Find(const char* type, int id) override {
    if (c_.Fail("Find")) return std::nullopt;
    return in_.Find(type, id);
  }
  bool WriteResource(const std::string& file, const char* type, int name, uint16_t language,
                     std::string_view bytes) override {
    return !c_.Fail("WriteResource") && in_.WriteResource(file, type, name, language, bytes);
  }

 private:
  os::Resources& in_;
  CallCounter& c_;
};

class FaultyVersion final : public os::Version {
 public:
  FaultyVersion(os::Version& inner, CallCounter& counter) : in_(inner), c_(counter) {}
  bool Query(os::VersionRecord& record) override {
    return !c_.Fail("VersionQuery") && in_.Query(record);
  }
  std::optional<bool> IsWow64Process() override {
    if (c_.Fail("IsWow64Process")) return std::nullopt;
    return in_.IsWow64Process();
  }
  uint16_t NativeMachine() override {
    if (c_.Fail("NativeMachine")) return os::kMachineUnknown;
    return in_.NativeMachine();
  }
  std::optional<bool> IsUserAnAdmin() override {
    if (c_.Fail("IsUserAnAdmin")) return std::nullopt;
    return in_.IsUserAnAdmin();
  }

 private:
  os::Version& in_;
  CallCounter& c_;
};

class FaultyCabinets final : public os::Cabinets {
 public:
  FaultyCabinets(os::Cabinets& inner, CallCounter& counter) : in_(inner), c_(counter) {}
  bool Iterate(const std::string& cabinet, uintptr_t context, os::CabinetHandler handler,
               uint32_t& lastError) override {
    if (c_.Fail("Iterate")) {
      lastError = kInvalidData;
      return false;
    }
    return in_.Iterate(cabinet, context, handler, lastError);
  }

 private:
  os::Cabinets& in_;
  CallCounter& c_;
};

class FaultyServices final : public os::Services {
 public:
  FaultyServices(os::Services& inner, CallCounter& counter) : in_(inner), c_(counter) {}
  os::ScOpened OpenManager(uint32_t access) override {
    if (c_.Fail("OpenManager")) return {0, kAccessDenied};
    return in_.OpenManager(access);
  }
  os::ScOpened OpenNamedService(os::ScHandle manager, const std::string& name,
                                uint32_t access) override {
    if (c_.Fail("OpenNamedService")) return {0, kAccessDenied};
    return in_.OpenNamedService(manager, name, access);
  }
  os::ScConfigAnswer QueryConfig(os::ScHandle service, uint32_t bufferSize) override {
    if (c_.Fail("QueryConfig")) return {{false, kAccessDenied}, 0, {}};
    return in_.QueryConfig(service, bufferSize);
  }
  os::ScCall QueryStatus(os::ScHandle service, uint32_t& currentState) override {
    if (c_.Fail("QueryStatus")) return {false, kAccessDenied};
    return in_.QueryStatus(service, currentState);
  }
  os::ScCall Control(os::ScHandle service, uint32_t control) override {
    if (c_.Fail("Control")) return {false, kAccessDenied};
    return in_.Control(service, control);
  }
  os::ScCall Start(os::ScHandle service) override {
    if (c_.Fail("Start")) return {false, kAccessDenied};
    return in_.Start(service);
  }
  os::ScCall ChangeConfig(os::ScHandle service, uint32_t serviceType, uint32_t startType,
                          uint32_t errorControl, uint32_t* tagId) override {
    if (c_.Fail("ChangeConfig")) return {false, kAccessDenied};
    return in_.ChangeConfig(service, serviceType, startType, errorControl, tagId);
  }
  os::ScCall Close(os::ScHandle handle) override {
    // The handle is gone either way; only the answer says otherwise.
    if (c_.Fail("Close")) {
      in_.Close(handle);
      return {false, kInvalidHandle};
    }
    return in_.Close(handle);
  }

 private:
  os::Services& in_;
  CallCounter& c_;
};

class FaultyRegistry final : public os::Registry {
 public:
  FaultyRegistry(os::Registry& inner, CallCounter& counter) : in_(inner), c_(counter) {}
  bool SetValue(const std::string& key, const char* name, uint32_t type,
                std::string_view bytes) override {
    return !c_.Fail("SetValue", key) && in_.SetValue(key, name, type, bytes);
  }
  std::optional<std::string> Value(const std::string& key, const char* name,
                                   bool* missing) override {
    if (missing) *missing = false;
    if (c_.Fail("Value", key)) return std::nullopt;
    return in_.Value(key, name, missing);
  }
  bool DeleteKey(const std::string& key) override {
    return !c_.Fail("DeleteKey", key) && in_.DeleteKey(key);
  }

 private:
  os::Registry& in_;
  CallCounter& c_;
};

}  // namespace

FaultyPlatform::FaultyPlatform(const os::Platform& inner, CallCounter& counter)
    : files_(std::make_unique<FaultyFiles>(*inner.files, counter)),
      shell_(std::make_unique<FaultyShell>(*inner.shell, counter)),
      processes_(std::make_unique<FaultyProcesses>(*inner.processes, counter)),
      resources_(std::make_unique<FaultyResources>(*inner.resources, counter)),
      version_(std::make_unique<FaultyVersion>(*inner.version, counter)),
      cabinets_(std::make_unique<FaultyCabinets>(*inner.cabinets, counter)),
      services_(std::make_unique<FaultyServices>(*inner.services, counter)),
      registry_(std::make_unique<FaultyRegistry>(*inner.registry, counter)) {
  // The UTF-16 side passes through: what its failures do is the folder checks' own tests'.
  platform_ = {files_.get(),    resources_.get(), processes_.get(), shell_.get(),   version_.get(),
               cabinets_.get(), services_.get(),  inner.unicode,    registry_.get()};
}

FaultyPlatform::~FaultyPlatform() = default;

}  // namespace fakes
