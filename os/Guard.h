#pragma once
// Who may change a file or folder, read from its owner and access list as Windows stores them.
#include <optional>
#include <string_view>

namespace os {

struct Guard {
  std::string_view owner;               // the owner's SID; empty when it cannot be read
  std::optional<std::string_view> acl;  // the access list; none at all lets anyone do anything
  std::string_view self;                // the SID of the account this program runs as
};

// Administrators and SYSTEM, and with TrustedInstaller: owners only a program with administrator
// rights can give.
bool AdministratorsOrSystem(std::string_view sid);
bool AdministratorsOwner(std::string_view sid);

// Only administrators can have changed it, and only they can change it from now on: the owner
// is one of those three, and no entry of the access list lets another account write, delete,
// or change the list or the owner. Entries that only pass on to what is made inside count too
// (the kept program is made inside); a list that cannot be read to its end counts against it.
// The administrator this program runs as counts as one of them: some Windows settings, and
// Wine, make an administrator's own account the owner of what it creates.
bool KeptByAdministratorsAlone(const Guard& guard);

}  // namespace os
