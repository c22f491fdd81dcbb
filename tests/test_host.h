// The tests' name for the shared document root without windows.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "support/headless_host.h"

namespace tovimat::testing {

using TestHost = velmor::support::HeadlessHost;

}  // namespace tovimat::testing
