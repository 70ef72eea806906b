// What a command needs before the module can act on it: an open module, an attached modem. The host
// says which is missing instead of letting the module answer a call it cannot serve.
#pragma once

#include <string>

#include "host/commands/host_session.h"

namespace vesk_host {

enum class Needs {
  kNothing,
  kOpenModule,
  kAttachedModem,
};

// Empty when the session has what is needed, else the reason to give the user.
std::string MissingFor(const HostSession& session, Needs needs);

// Whether the last attach or detach that the module reported was an attach.
bool ModemAttached(const HostSession& session);

}  // namespace vesk_host
