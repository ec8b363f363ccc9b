#pragma once
// Who may change a file or folder, read from its owner and access list as Windows stores them.
#include <optional>
#include <string>
#include <string_view>

namespace os {

struct Guard {
  std::string owner;               // the owner's SID; empty when it cannot be read
  std::optional<std::string> acl;  // the access list; none at all lets every account do anything
  std::string self;                // the SID of the account this program runs as
};

// Administrators, SYSTEM and TrustedInstaller: owners only a program with administrator rights
// can give.
bool AdministratorsOwner(std::string_view sid);

// True when an entry of the access list lets an account other than those three, `self` (or the
// owner of what is made inside, itself one of them here) write, delete, or change the list or
// the owner; also for a list that cannot be read to its end.
bool OthersMayChange(std::string_view acl, std::string_view self);

// Only administrators can have changed it, and only they can change it from now on. The
// administrator this program runs as counts too: some Windows settings, and Wine, make an
// administrator's own account the owner of what it creates.
bool KeptByAdministratorsAlone(const Guard& guard);

}  // namespace os
