#pragma once
// Makes sure a Windows service runs (or is stopped) and says what it did.
#include <cstdint>
#include <string>

#include "service/NTServiceControl.h"

namespace service {

class CheckService {
 public:
  // Answers action + ":" + state name afterwards, e.g. "Started:Starting", ":Running".
  // An empty SvcName becomes "WZCSVC", in the caller's variable too.
  std::string Run(std::string& SvcName, bool SvcStop);
  // One request (-1/0 start, 1 stop, 2 pause, 3 continue); 1 when the service is then starting,
  // running or continuing, else 0. Any other State sends nothing and answers 0.
  int16_t ChangeSvcState(int32_t State, const std::string& SvcName);

  // The configuration the last Run read, with its defaults filled in.
  const ServiceConfigInfo& LastConfig() const { return config_; }

 private:
  // ChangeSvcState that also hands back the request's own result code.
  int16_t SendRequest(int32_t State, const std::string& SvcName, int32_t& requestResult);
  std::string CurrentStateName(const std::string& SvcName);
  ServiceConfigInfo config_;
};

}  // namespace service
