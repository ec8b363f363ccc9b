// The driver package installer: installs every INF of its own folder (driver store, then the
// present devices that match), or with /u removes one published INF from the devices that use it
// and from the driver store, and reports in DPINST.LOG and its exit code. setupapi, newdev and
// cfgmgr32 are loaded by full system path: the program runs elevated from a folder in the user's
// temporary folder, where anyone may put a DLL of the same name.
#include <windows.h>

#include <setupapi.h>

#include <algorithm>
#include <cfgmgr32.h>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "os/win32/Backends.h"
#include "tools/catalog/PeImage.h"
#include "tools/dpinst/CommandLine.h"
#include "tools/dpinst/DriverRank.h"
#include "tools/dpinst/Inf.h"
#include "tools/dpinst/Options.h"
#include "tools/dpinst/RunReport.h"

namespace {

using dpinst::Level;

#ifdef _WIN64
constexpr dpinst::Architecture kArchitecture = dpinst::Architecture::kAmd64;
constexpr char kWidthText[] = "64-bit";
#else
constexpr dpinst::Architecture kArchitecture = dpinst::Architecture::kX86;
constexpr char kWidthText[] = "32-bit";
#endif
constexpr char kTitle[] = "Driver Package Installer";
// Nothing was installed and the run itself failed (no setupapi, wrong width, no list of the
// devices, no package in the folder): the failure flag alone, which the installer reads as
// "Aborted".
constexpr uint32_t kRunFailed = dpinst::kFlagFailed << 24;
// UpdateDriverForPlugAndPlayDevices: the device already has a driver at least as good
// (ERROR_NO_MORE_ITEMS), or the device went away after it was listed (ERROR_NO_SUCH_DEVINST).
constexpr DWORD kNoBetterDriver = ERROR_NO_MORE_ITEMS;
constexpr DWORD kNoSuchDevice = 0xE000020B;
constexpr DWORD kInstallNonInteractive = 0x4;  // INSTALLFLAG_NONINTERACTIVE
constexpr DWORD kInstallForce = 0x1;           // INSTALLFLAG_FORCE
// CM_Get_DevNode_Status: what Device Manager shows of a device.
constexpr ULONG kStarted = 0x8;          // DN_STARTED
constexpr ULONG kNeedsRestart = 0x100;   // DN_NEED_RESTART
constexpr ULONG kProblemRestart = 14;    // CM_PROB_NEED_RESTART
using GetStatusFn = DWORD(WINAPI*)(ULONG*, ULONG*, DWORD, ULONG);

using UpdateDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);
// Windows 10 1703 and later only; the 64-bit program on those removes through it.
using UninstallDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, DWORD, PBOOL);
// Windows XP and later; Windows 2000's setupapi.dll lacks it.
using UninstallOemInfFn = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);
constexpr DWORD kForceDelete = 0x1;  // SUOI_FORCEDELETE
using LocateDevNodeFn = DWORD(WINAPI*)(DWORD*, char*, ULONG);
using ReenumerateFn = DWORD(WINAPI*)(DWORD, ULONG);

class Library {
 public:
  explicit Library(const char* name) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::string path = std::string(folder, length) + "\\" + name;
    module_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  template <typename Fn>
  Fn Get(const char* name) const {
    return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)))
                   : nullptr;
  }

 private:
  HMODULE module_ = nullptr;
};

struct SetupApi {
  decltype(&SetupCopyOEMInfA) copyOemInf = nullptr;
  decltype(&SetupDiGetClassDevsA) getClassDevs = nullptr;
  decltype(&SetupDiEnumDeviceInfo) enumDeviceInfo = nullptr;
  decltype(&SetupDiGetDeviceRegistryPropertyA) getProperty = nullptr;
  decltype(&SetupDiDestroyDeviceInfoList) destroyList = nullptr;
  decltype(&SetupDiOpenDevRegKey) openDevRegKey = nullptr;
  decltype(&SetupDiGetDeviceInstanceIdA) getInstanceId = nullptr;
  bool complete() const {
    return copyOemInf && getClassDevs && enumDeviceInfo && getProperty && destroyList &&
           openDevRegKey && getInstanceId;
  }
};

// A device that was present when the run began, with its hardware and compatible ids.
struct Device {
  SP_DEVINFO_DATA data;
  std::string instance;
  std::vector<std::string> ids;
};

std::string Hex(DWORD value) {
  return "0x" + dpinst::HexDigits(value);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[16384];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(file);
  return ok;
}

std::wstring Wide(const std::string& text, UINT codePage) {
  const int length =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0)
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
  return wide;
}

// An INF as UTF-8 whatever its encoding: UTF-16 files keep every letter, ANSI ones are read in
// the code page Windows reads them in.
std::string InfAsUtf8(const std::string& bytes) {
  std::string text = dpinst::InfText(bytes);
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xEF\xBB\xBF")) return text;
  const std::wstring wide = Wide(text, CP_ACP);
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  text.assign(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                        nullptr, nullptr);
  return text;
}

bool IsPlainFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The version Windows really runs: GetVersionEx answers a program what its manifest declares (6.2
// on Windows 8.1 and later without the newest declaration), the kernel's own call does not.
// Windows 2000 may lack that call; its GetVersionEx answers truly.
dpinst::WindowsVersion RunningVersion() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOEXW wide = {};
  wide.dwOSVersionInfoSize = sizeof wide;
  if (rtlGetVersion && rtlGetVersion(&wide) == 0)
    return {wide.dwMajorVersion, wide.dwMinorVersion, wide.wProductType, wide.wSuiteMask,
            wide.dwBuildNumber};
  OSVERSIONINFOEXA ansi = {};
  ansi.dwOSVersionInfoSize = sizeof ansi;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ansi))) return {};
  return {ansi.dwMajorVersion, ansi.dwMinorVersion, ansi.wProductType, ansi.wSuiteMask,
          ansi.dwBuildNumber};
}

// The run goes into the log in one write at its end, so that runs of two installers started at
// once never interleave line by line.
void AppendToLog(const std::string& text) {
  char folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const std::string path = std::string(folder, length) + "\\DPINST.LOG";
  HANDLE log = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  char start[2] = {};
  DWORD got = 0;
  if (!ReadFile(log, start, sizeof start, &got, nullptr)) got = 0;
  const std::string bytes = dpinst::EncodeForLog(text, std::string_view(start, got));
  DWORD written = 0;
  if (SetFilePointer(log, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER ||
      GetLastError() == NO_ERROR)
    WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(log);
}

bool RunsUnderWow64() {
#ifdef _WIN64
  return false;
#else
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64 = reinterpret_cast<IsWow64Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

// The lines every run starts with: who runs, on which Windows, from which folder.
std::string RunHeader(dpinst::System& system, const std::string& folder) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth,
                now.wDay, now.wHour, now.wMinute, now.wSecond);
  std::string lines =
      dpinst::LogLine(Level::kInfo, std::string("Norvane driver package installer (") + kWidthText +
                                        "), run started " + stamp + ".");
  system.version = RunningVersion();
  system.language = GetUserDefaultUILanguage();
  const dpinst::WindowsVersion& version = system.version;
  char text[128];
  std::snprintf(text, sizeof text,
                "Windows version %u.%u, build %u, product type %u, suites 0x%X, language 0x%04X.",
                version.major, version.minor, version.build, version.productType, version.suiteMask,
                system.language);
  return lines + dpinst::LogLine(Level::kInfo, text) + dpinst::FolderLine(folder);
}

constexpr char kWrongWidth[] =
    "This 32-bit installer cannot install or remove drivers on 64-bit Windows; the 64-bit one can.";

// What an install run and a removal run share: the log they append in one piece at their end,
// the tally their return code comes from, and the system libraries they call.
class Run {
 protected:
  explicit Run(std::string folder) : folder_(std::move(folder)) {
    log_ = RunHeader(system_, folder_);
  }

  void Line(Level level, const std::string& message) { log_ += dpinst::LogLine(level, message); }

  void Fail(const std::string& message) {
    Line(Level::kError, message);
    ++tally_.failed;
  }

  // Logs the code, appends the run to DPINST.LOG and, unless the run is to be quiet, shows the
  // counts in place of a wizard's closing page.
  uint32_t Finish(uint32_t code, bool quiet, const std::string& counts) {
    log_ += dpinst::ReturnCodeLine(code);
    AppendToLog(log_);
    if (!quiet) {
      const bool failed = (code >> 24) & dpinst::kFlagFailed;
      MessageBoxA(nullptr,
                  (counts + "\n\nThe details are in DPINST.LOG in the Windows folder.").c_str(),
                  kTitle, MB_OK | (failed ? MB_ICONERROR : MB_ICONINFORMATION));
    }
    return code;
  }

  static std::string Count(const char* what, unsigned count) {
    return std::string(what) + ": " + std::to_string(count);
  }

  std::string folder_;
  std::string log_;
  dpinst::System system_{kArchitecture, {}, 0x0409};
  dpinst::Tally tally_;
  Library setupapiDll_{"setupapi.dll"};
  Library newdevDll_{"newdev.dll"};
};

class Installer : public Run {
 public:
  Installer(std::string folder, bool force) : Run(std::move(folder)), force_(force) {}
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;
  ~Installer() {
    if (deviceList_ != INVALID_HANDLE_VALUE) setupapi_.destroyList(deviceList_);
  }

  uint32_t Start() {
    ReadOptions();
    const uint32_t code = InstallAll();
    // suppressWizard and quietInstall leave the telling to the program that started the
    // installer, which reads the log.
    return Finish(
        code, options_.quietInstall || options_.suppressWizard,
        Count("Installed on a device", tally_.installed) + "\n" +
            Count("In the driver store only", tally_.storeOnly) + "\n" +
            Count("Failed", tally_.failed) +
            (tally_.restart ? "\n\nRestart the computer to complete the installation." : ""));
  }

 private:
  void ReadOptions() {
    std::string xml;
    if (!ReadWholeFile(folder_ + "\\dpinst.xml", xml)) {
      Line(Level::kInfo, "No 'dpinst.xml' in the folder: default options.");
    } else if (options_ = dpinst::ParseOptions(xml); !options_.found) {
      Line(Level::kWarning,
           "'dpinst.xml' is not an options file with the root 'dpInst': default options.");
    }
    const struct {
      bool set;
      const char* name;
    } named[] = {{options_.suppressWizard, "suppressWizard"},
                 {options_.quietInstall, "quietInstall"},
                 {options_.quietInstallStrict, "quietInstallStrict"},
                 {options_.legacyMode, "legacyMode"},
                 {options_.scanHardware, "scanHardware"},
                 {options_.forceIfDriverIsNotBetter, "forceIfDriverIsNotBetter"}};
    for (const auto& option : named)
      if (option.set) Line(Level::kInfo, std::string("Option set: ") + option.name);
    force_ = force_ || options_.forceIfDriverIsNotBetter;
    if (force_)
      Line(Level::kInfo,
           "Forced: the packages go onto their devices even where a driver at least as good is "
           "installed.");
  }

  uint32_t InstallAll() {
    if (RunsUnderWow64()) {
      Line(Level::kError, kWrongWidth);
      return kRunFailed;
    }
    setupapi_.copyOemInf = setupapiDll_.Get<decltype(&SetupCopyOEMInfA)>("SetupCopyOEMInfA");
    setupapi_.getClassDevs =
        setupapiDll_.Get<decltype(&SetupDiGetClassDevsA)>("SetupDiGetClassDevsA");
    setupapi_.enumDeviceInfo =
        setupapiDll_.Get<decltype(&SetupDiEnumDeviceInfo)>("SetupDiEnumDeviceInfo");
    setupapi_.getProperty = setupapiDll_.Get<decltype(&SetupDiGetDeviceRegistryPropertyA)>(
        "SetupDiGetDeviceRegistryPropertyA");
    setupapi_.destroyList =
        setupapiDll_.Get<decltype(&SetupDiDestroyDeviceInfoList)>("SetupDiDestroyDeviceInfoList");
    setupapi_.openDevRegKey =
        setupapiDll_.Get<decltype(&SetupDiOpenDevRegKey)>("SetupDiOpenDevRegKey");
    setupapi_.getInstanceId =
        setupapiDll_.Get<decltype(&SetupDiGetDeviceInstanceIdA)>("SetupDiGetDeviceInstanceIdA");
    if (!setupapi_.complete()) {
      Line(Level::kError, "The setup functions of setupapi.dll are not available.");
      return kRunFailed;
    }
    updateDriver_ = newdevDll_.Get<UpdateDriverFn>("UpdateDriverForPlugAndPlayDevicesA");
    getStatus_ = cfgmgrDll_.Get<GetStatusFn>("CM_Get_DevNode_Status");
    if (options_.scanHardware) ScanHardware();
    // Without the list of devices no package can be said to be in the store only; without a
    // package there was nothing to install: both are failures of the run, not successes.
    if (!ListPresentDevices()) return kRunFailed;
    const std::vector<std::string> infs = InfFiles();
    if (infs.empty()) {
      Line(Level::kError, "No driver package (INF file) in the folder.");
      return kRunFailed;
    }
    for (const std::string& inf : infs) InstallPackage(inf);
    return dpinst::ReturnCode(tally_);
  }

  void ScanHardware() {
    const auto locate = cfgmgrDll_.Get<LocateDevNodeFn>("CM_Locate_DevNodeA");
    const auto reenumerate = cfgmgrDll_.Get<ReenumerateFn>("CM_Reenumerate_DevNode");
    DWORD root = 0;
    // CR_SUCCESS is 0; CM_REENUMERATE_SYNCHRONOUS (1) returns once the new devices are listed.
    if (locate && reenumerate && locate(&root, nullptr, 0) == 0 && reenumerate(root, 1) == 0)
      Line(Level::kInfo, "Scanned for hardware changes.");
    else
      Line(Level::kWarning, "Could not scan for hardware changes.");
  }

  // The list stays open for the run: the drivers the devices have are read through it.
  bool ListPresentDevices() {
    deviceList_ =
        setupapi_.getClassDevs(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (deviceList_ == INVALID_HANDLE_VALUE) {
      Line(Level::kError,
           "Could not list the present devices (error " + Hex(GetLastError()) + ").");
      return false;
    }
    for (DWORD index = 0;; ++index) {
      Device device = {};
      device.data.cbSize = sizeof device.data;
      if (!setupapi_.enumDeviceInfo(deviceList_, index, &device.data)) break;
      char instance[MAX_DEVICE_ID_LEN] = {};
      if (setupapi_.getInstanceId(deviceList_, &device.data, instance, sizeof instance, nullptr))
        device.instance = instance;
      for (const DWORD property : {DWORD{SPDRP_HARDWAREID}, DWORD{SPDRP_COMPATIBLEIDS}}) {
        std::vector<BYTE> buffer(1024);
        DWORD needed = 0;
        BOOL ok = setupapi_.getProperty(deviceList_, &device.data, property, nullptr,
                                        buffer.data(), static_cast<DWORD>(buffer.size()), &needed);
        if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size()) {
          buffer.resize(needed);
          ok = setupapi_.getProperty(deviceList_, &device.data, property, nullptr, buffer.data(),
                                     static_cast<DWORD>(buffer.size()), &needed);
        }
        if (!ok) continue;
        // A list of NUL-terminated texts, ended by an empty one.
        const char* text = reinterpret_cast<const char*>(buffer.data());
        const char* end = text + std::min<size_t>(needed, buffer.size());
        while (text < end && *text) {
          const size_t length = strnlen(text, static_cast<size_t>(end - text));
          device.ids.emplace_back(text, length);
          text += length + 1;
        }
      }
      devices_.push_back(std::move(device));
    }
    return true;
  }

  std::vector<std::string> InfFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\*.inf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      // The pattern also meets short names of longer extensions (".inf_old").
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
          dpinst::IsInfFileName(found.cFileName))
        names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }

  // The driver a device has, from its driver key; what Windows writes there in later versions
  // only (provider, date, version) is read from the published INF it names where missing.
  // Signed: that INF names a catalog. Nullopt for a device without a driver.
  std::optional<dpinst::DriverOffer> PresentDriver(Device& device) {
    HKEY key = setupapi_.openDevRegKey(deviceList_, &device.data, DICS_FLAG_GLOBAL, 0, DIREG_DRV,
                                       KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return std::nullopt;
    const auto value = [key](const char* name) {
      char text[512] = {};
      DWORD size = sizeof text - 1, type = 0;
      return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) ==
                         ERROR_SUCCESS &&
                     type == REG_SZ
                 ? std::string(text)
                 : std::string();
    };
    dpinst::DriverOffer offer{false, value("ProviderName"), value("DriverDate"),
                              value("DriverVersion")};
    const std::string inf = dpinst::PublishedInfName(value("InfPath"));
    RegCloseKey(key);
    if (inf.empty()) return std::nullopt;
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    std::string bytes;
    if (length > 0 && length < MAX_PATH &&
        ReadWholeFile(std::string(windows, length) + "\\inf\\" + inf, bytes)) {
      const dpinst::InfPackage published = dpinst::ParseInf(InfAsUtf8(bytes), system_);
      offer.isSigned = !published.catalogFile.empty();
      if (offer.provider.empty()) offer.provider = published.provider;
      if (offer.date.empty()) offer.date = published.driverDate;
      if (offer.version.empty()) offer.version = published.driverVersion;
    }
    return offer;
  }

  // Compares every device of the id with the package; true when all of them keep the driver
  // they have, each logged. `kept`: one of them has a better driver than the package.
  bool DevicesKeepTheirDrivers(const std::vector<Device*>& devices,
                               const dpinst::DriverOffer& package, bool& kept) {
    std::vector<std::string> lines;
    for (Device* device : devices) {
      const auto present = PresentDriver(*device);
      const int rank = present ? dpinst::CompareOffers(*present, package) : -1;
      if (rank < 0) return false;
      kept = kept || rank > 0;
      lines.push_back(
          "The device '" + device->instance +
          (rank > 0 ? dpinst::kKeepsBetterDriver : "' already has this driver: ") +
          dpinst::Describe(*present) + "; the package's is " + dpinst::Describe(package) + ".");
    }
    for (const std::string& line : lines) Line(Level::kInfo, line);
    return !devices.empty();
  }

  // After an installation: started, waiting for a restart, or not working, as Device Manager
  // shows it. False when the device has a problem other than a restart.
  bool DeviceWorks(const Device& device) {
    ULONG status = 0, problem = 0;
    const DWORD result = getStatus_ ? getStatus_(&status, &problem, device.data.DevInst, 0) : 1;
    const std::string name = "The device '" + device.instance + "'";
    if (result != 0) {
      Line(Level::kWarning, name + ": its status could not be read (" + Hex(result) + ").");
    } else if (problem != 0 && problem != kProblemRestart) {
      Line(Level::kError, name + " has the problem code " + std::to_string(problem) + ".");
      Line(Level::kError, dpinst::kDoesNotWork + dpinst::ProblemSentence(problem));
      return false;
    } else if (problem == kProblemRestart || (status & kNeedsRestart)) {
      tally_.restart = true;
      Line(Level::kInfo, name + " starts after a restart.");
    } else {
      Line(Level::kSuccess, name + ((status & kStarted) ? " has started."
                                                         : " reports no problem (status " +
                                                               Hex(status) + ")."));
    }
    return true;
  }

  // The first file of the package whose digest its catalog lacks; empty when none is found. A
  // catalog holds each member's digest as it is (SHA-1 or SHA-256, of the image for programs and
  // drivers, as Windows hashes them), so a search of its bytes finds a member without reading
  // the catalog's whole structure.
  std::string UncoveredFile(const dpinst::InfPackage& package, const std::string& infName) {
    std::string catalog;
    if (package.catalogFile.empty() ||
        !ReadWholeFile(folder_ + "\\" + package.catalogFile, catalog))
      return {};
    std::vector<std::string> files = {infName};
    files.insert(files.end(), package.sourceFiles.begin(), package.sourceFiles.end());
    for (const std::string& file : files) {
      std::string bytes;
      if (!ReadWholeFile(folder_ + "\\" + file, bytes)) continue;
      bool covered = false;
      for (const auto algorithm : {catalog::Algorithm::kSha1, catalog::Algorithm::kSha256})
        covered = covered || catalog.find(catalog::FileDigest(bytes, algorithm)) != std::string::npos;
      if (!covered) return file;
    }
    return {};
  }

  // A failure that is one of Windows' refusals gets a sentence of its own.
  void ExplainRefusal(DWORD error, const dpinst::InfPackage& package, const std::string& name) {
    const std::string sentence = dpinst::RefusalSentence(
        error, error == 0xE000024B ? UncoveredFile(package, name) : std::string());
    if (!sentence.empty()) Line(Level::kError, dpinst::kRefused + sentence);
  }

  void InstallPackage(const std::string& name) {
    const std::string path = folder_ + "\\" + name;
    Line(Level::kInfo, "Found driver package: '" + path + "'.");
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return Fail("Could not read '" + name + "'.");
    const dpinst::InfPackage package = dpinst::ParseInf(InfAsUtf8(bytes), system_);
    if (!package.validVersion)
      return Fail("'" + name +
                  "' has no [Version] section with the signature $Windows NT$ or $Chicago$: not "
                  "a driver package.");
    std::string models;
    for (const std::string& section : package.modelsSections)
      models += (models.empty() ? "[" : ", [") + section + "]";
    Line(Level::kInfo, "Models for this Windows: " + (models.empty() ? "none" : models) + ".");
    const bool catalogPresent =
        !package.catalogFile.empty() &&
        IsPlainFile(Wide(folder_, CP_ACP) + L"\\" + Wide(package.catalogFile, CP_UTF8));
    if (!options_.legacyMode && !catalogPresent)
      return Fail("'" + name +
                  "' is not signed: it names no catalogue file that is present. Unsigned "
                  "packages are installed only with the option legacyMode.");

    char stored[MAX_PATH] = {};
    if (!setupapi_.copyOemInf(path.c_str(), folder_.c_str(), SPOST_PATH, 0, stored, MAX_PATH,
                              nullptr, nullptr)) {
      const DWORD error = GetLastError();
      Fail("Could not put '" + name + "' into the driver store (error " + Hex(error) + ").");
      return ExplainRefusal(error, package, name);
    }
    Line(Level::kSuccess, "'" + name + dpinst::kPublishedAs + stored + "'.");

    std::vector<std::string> presentIds;
    for (const Device& device : devices_)
      presentIds.insert(presentIds.end(), device.ids.begin(), device.ids.end());
    const std::vector<std::string> matched = dpinst::MatchingIds(package.hardwareIds, presentIds);
    if (matched.empty()) {
      Line(Level::kInfo,
           "No present device matches '" + name + "': it is in the driver store only.");
      ++tally_.storeOnly;
      return;
    }
    if (!updateDriver_)
      return Fail("UpdateDriverForPlugAndPlayDevicesA of newdev.dll is not available.");
    const dpinst::DriverOffer offer{catalogPresent, package.provider, package.driverDate,
                                    package.driverVersion};
    const DWORD flags = (options_.quietInstallStrict ? kInstallNonInteractive : 0) |
                        (force_ ? kInstallForce : 0);
    bool installed = false, failed = false, broken = false;
    for (const std::string& id : matched) {
      std::vector<Device*> devices;
      for (Device& device : devices_)
        if (!dpinst::MatchingIds({id}, device.ids).empty()) devices.push_back(&device);
      // Windows itself answers "no better driver" where the package ranks no higher than a
      // device's driver; some setup APIs install it all the same. The ranking comes first, so
      // that every Windows takes the same road.
      bool kept = false;
      if (!force_ && DevicesKeepTheirDrivers(devices, offer, kept)) {
        if (kept) continue;
        installed = true;
        for (const Device* device : devices) broken = !DeviceWorks(*device) || broken;
        continue;
      }
      BOOL restart = FALSE;
      if (updateDriver_(nullptr, id.c_str(), path.c_str(), flags, &restart)) {
        installed = true;
        tally_.restart = tally_.restart || restart;
        Line(Level::kSuccess, "Installed '" + name + "' on the devices with the id '" + id + "'" +
                                  (restart ? "; a restart is needed." : "."));
        for (const Device* device : devices) broken = !DeviceWorks(*device) || broken;
        continue;
      }
      const DWORD error = GetLastError();
      if (error == kNoBetterDriver || error == kNoSuchDevice) {
        Line(Level::kInfo,
             "The devices with the id '" + id + "' keep their driver (" + Hex(error) + ").");
        if (error == kNoBetterDriver) {
          for (Device* device : devices)
            if (const auto present = PresentDriver(*device))
              Line(Level::kInfo, "The device '" + device->instance + dpinst::kKeepsBetterDriver +
                                     dpinst::Describe(*present) + "; the package's is " +
                                     dpinst::Describe(offer) + ".");
        }
      } else {
        failed = true;
        Line(Level::kError, "Could not install '" + name + "' on the devices with the id '" + id +
                                "' (error " + Hex(error) + ").");
        ExplainRefusal(error, package, name);
      }
    }
    // A device that does not work fails the package, whatever the other devices did.
    if (broken)
      ++tally_.failed;
    else if (installed)
      ++tally_.installed;
    else if (failed)
      ++tally_.failed;
    else
      ++tally_.storeOnly;
  }

  bool force_;
  dpinst::Options options_;
  SetupApi setupapi_;
  HDEVINFO deviceList_ = INVALID_HANDLE_VALUE;
  std::vector<Device> devices_;
  Library cfgmgrDll_{"cfgmgr32.dll"};
  UpdateDriverFn updateDriver_ = nullptr;
  GetStatusFn getStatus_ = nullptr;
};

// /u INF: removes one published INF from the devices whose driver came from it and from the
// driver store. The INF is only ever looked for in the Windows INF folder, by its file name.
class Remover : public Run {
 public:
  Remover(std::string folder, dpinst::Command command)
      : Run(std::move(folder)), command_(std::move(command)) {}

  uint32_t Start() {
    const uint32_t code = RemoveNamed();
    return Finish(code, command_.quiet,
                  Count("Removed", tally_.installed) + "\n" +
                      Count("Could not be removed", tally_.failed) +
                      (tally_.restart ? "\n\nRestart the computer to complete the removal." : ""));
  }

 private:
  uint32_t RemoveNamed() {
    if (command_.inf.empty()) {
      Line(Level::kError, "/u names no INF file to remove.");
      return kRunFailed;
    }
    const std::string name = dpinst::PublishedInfName(command_.inf);
    if (name.empty()) {
      Line(Level::kError, "'" + command_.inf + "' does not name an INF file of the INF folder.");
      return kRunFailed;
    }
    if (RunsUnderWow64()) {
      Line(Level::kError, kWrongWidth);
      return kRunFailed;
    }
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
      Line(Level::kError, "Could not find the Windows folder.");
      return kRunFailed;
    }
    const std::string path = std::string(windows, length) + "\\inf\\" + name;
    if (!IsPlainFile(Wide(path, CP_ACP))) {
      Line(Level::kInfo, "'" + name + "' is not in the INF folder: nothing to remove.");
      return dpinst::ReturnCode(tally_);
    }
    std::string bytes;
    const std::string provider =
        ReadWholeFile(path, bytes) ? dpinst::ParseInf(InfAsUtf8(bytes), system_).provider : "";
    if (dpinst::MayBeWindowsOwnInf(name, provider)) {
      Fail("'" + name + "' may be one of Windows' own INF files (provider '" + provider +
           "'): not removed.");
      return dpinst::ReturnCode(tally_);
    }
    Line(Level::kInfo, "Removing driver package '" + path + "'.");
    RemovePackage(name, path);
    return dpinst::ReturnCode(tally_);
  }

  // Removed packages are counted where an install counts installed ones.
  void RemovePackage(const std::string& name, const std::string& path) {
    if (const auto uninstallDriver = newdevDll_.Get<UninstallDriverFn>("DiUninstallDriverA")) {
      BOOL restart = FALSE;
      if (!uninstallDriver(nullptr, path.c_str(), 0, &restart)) {
        const DWORD error = GetLastError();
        return Fail("Could not remove '" + name + "' (error " + Hex(error) + ").");
      }
      tally_.restart = tally_.restart || restart;
    } else {
      if (!RemoveDevicesOf(name)) return Fail("'" + name + "' stays in the driver store.");
      if (const auto uninstallOemInf =
              setupapiDll_.Get<UninstallOemInfFn>("SetupUninstallOEMInfA")) {
        if (!uninstallOemInf(name.c_str(), kForceDelete, nullptr)) {
          const DWORD error = GetLastError();
          return Fail("Could not remove '" + name + "' from the driver store (error " + Hex(error) +
                      ").");
        }
      } else if (!DeleteFileA(path.c_str())) {
        const DWORD error = GetLastError();
        return Fail("Could not delete '" + path + "' (error " + Hex(error) + ").");
      }
    }
    // A call that reports success is not taken at its word while the INF is still there.
    if (IsPlainFile(Wide(path, CP_ACP)))
      return Fail("'" + name + "' is still in the INF folder after its removal.");
    // The precompiled INF is of no use without the INF; Windows 2000 leaves it to us.
    DeleteFileA((path.substr(0, path.size() - 3) + "pnf").c_str());
    ++tally_.installed;
    Line(Level::kSuccess, "Removed '" + name + "' from its devices and the driver store" +
                              (tally_.restart ? "; a restart is needed." : "."));
  }

  // Every device, present or not, whose driver key names the INF as InfPath (its file name in
  // the INF folder) is removed first, so that no device is left with a driver whose INF is gone.
  bool RemoveDevicesOf(const std::string& name) {
    const auto getClassDevs =
        setupapiDll_.Get<decltype(&SetupDiGetClassDevsA)>("SetupDiGetClassDevsA");
    const auto enumDeviceInfo =
        setupapiDll_.Get<decltype(&SetupDiEnumDeviceInfo)>("SetupDiEnumDeviceInfo");
    const auto openDevRegKey =
        setupapiDll_.Get<decltype(&SetupDiOpenDevRegKey)>("SetupDiOpenDevRegKey");
    const auto callClassInstaller =
        setupapiDll_.Get<decltype(&SetupDiCallClassInstaller)>("SetupDiCallClassInstaller");
    const auto getInstallParams = setupapiDll_.Get<decltype(&SetupDiGetDeviceInstallParamsA)>(
        "SetupDiGetDeviceInstallParamsA");
    const auto getInstanceId =
        setupapiDll_.Get<decltype(&SetupDiGetDeviceInstanceIdA)>("SetupDiGetDeviceInstanceIdA");
    const auto destroyList =
        setupapiDll_.Get<decltype(&SetupDiDestroyDeviceInfoList)>("SetupDiDestroyDeviceInfoList");
    if (!getClassDevs || !enumDeviceInfo || !openDevRegKey || !callClassInstaller ||
        !getInstallParams || !getInstanceId || !destroyList) {
      Line(Level::kError, "The setup functions of setupapi.dll are not available.");
      return false;
    }
    HDEVINFO devices = getClassDevs(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    if (devices == INVALID_HANDLE_VALUE) {
      Line(Level::kError, "Could not list the devices (error " + Hex(GetLastError()) + ").");
      return false;
    }
    // Listed whole before the first removal, which may take its device out of the list.
    std::vector<SP_DEVINFO_DATA> users;
    for (DWORD index = 0;; ++index) {
      SP_DEVINFO_DATA device = {};
      device.cbSize = sizeof device;
      if (!enumDeviceInfo(devices, index, &device)) break;
      HKEY key = openDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
      if (key == INVALID_HANDLE_VALUE) continue;  // a device without a driver
      char infPath[MAX_PATH] = {};
      DWORD size = sizeof infPath - 1, type = 0;
      const bool named =
          RegQueryValueExA(key, "InfPath", nullptr, &type, reinterpret_cast<BYTE*>(infPath),
                           &size) == ERROR_SUCCESS &&
          type == REG_SZ && lstrcmpiA(infPath, name.c_str()) == 0;
      RegCloseKey(key);
      if (named) users.push_back(device);
    }
    bool removed = true;
    for (SP_DEVINFO_DATA& device : users) {
      char id[MAX_DEVICE_ID_LEN] = {};
      if (!getInstanceId(devices, &device, id, sizeof id, nullptr)) lstrcpyA(id, "?");
      if (!callClassInstaller(DIF_REMOVE, devices, &device)) {
        const DWORD error = GetLastError();
        Line(Level::kError,
             "Could not remove the device '" + std::string(id) + "' (error " + Hex(error) + ").");
        removed = false;
        continue;
      }
      SP_DEVINSTALL_PARAMS_A params = {};
      params.cbSize = sizeof params;
      const bool restart = getInstallParams(devices, &device, &params) &&
                           (params.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART));
      tally_.restart = tally_.restart || restart;
      Line(Level::kSuccess, "Removed the device '" + std::string(id) + "'" +
                                (restart ? "; a restart is needed." : "."));
    }
    destroyList(devices);
    return removed;
  }

  dpinst::Command command_;
};

// In the form the A functions can open, as DPInst (a Unicode program) finds its folder wherever
// it is: the user's temporary folder may be named in letters the ANSI code page lacks.
std::string OwnFolder() {
  const std::string folder = os::win32::ProgramFilePathForAnsi();
  const auto slash = folder.find_last_of('\\');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR line, int) {
  const std::string folder = OwnFolder();
  if (folder.empty() || !SetCurrentDirectoryA(folder.c_str())) return static_cast<int>(kRunFailed);
  dpinst::Command command = dpinst::ParseCommandLine(line ? line : "");
  if (command.uninstall) return static_cast<int>(Remover(folder, std::move(command)).Start());
  return static_cast<int>(Installer(folder, command.force).Start());
}
