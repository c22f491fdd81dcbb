// velmor-cli rules: the rule-file commands.
#pragma once

#include <string>
#include <vector>

namespace velmor::cli {

// velmor-cli rules check [RULES.vlm]: diagnostics of the rule file (the one
// Test Rule would use when none is given). Exit status 0 when there is
// nothing to report, 1 when there is, 2 when the file cannot be used.
// velmor-cli rules explain FILE.vlm: the dry run of the rule file Test Rule
// would use for FILE on each of its lines; exit status 2 when either file
// cannot be used.
int rulesCommand(const std::vector<std::string>& args);

}  // namespace velmor::cli
