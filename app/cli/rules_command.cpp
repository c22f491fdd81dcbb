#include "rules_command.h"

#include <cstdio>

#include "core/rule_check.h"
#include "core/rule_explain.h"
#include "core/rule_file.h"

namespace velmor::cli {

namespace {

int usage() {
    std::fputs(
        "usage: velmor-cli rules check [RULES.vlm]\n"
        "       velmor-cli rules explain FILE.vlm\n",
        stderr);
    return 2;
}

int fail(const std::string& error) {
    std::fprintf(stderr, "velmor-cli: %s\n", error.c_str());
    return 2;
}

int explain(const std::vector<std::string>& args) {
    if (args.size() != 2) return usage();
    std::string out, error;
    const int status = explainRuleFile(args[1], out, error);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return status == 0 ? 0 : fail(error);
}

}  // namespace

int rulesCommand(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "explain") return explain(args);
    if (args.empty() || args.size() > 2 || args[0] != "check") return usage();
    std::string path, error;
    if (args.size() == 2) {
        path = args[1];
    } else {
        path = findRuleFile(RuleFileSearch::forDocument(""), error);
        if (path.empty()) return fail(error);
    }
    std::string out;
    const int status = checkRuleFile(path, out, error);
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (status == 2) return fail(error);
    return status;
}

}  // namespace velmor::cli
