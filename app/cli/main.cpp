// velmor-cli: the headless Velmor.
//
//   velmor-cli dump [--geometry] FILE    the event log and the tree of a document
//
// Beeps and message boxes are logged, one line each, before the tree.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/velmor_doc.h"
#include "model/dump.h"
#include "platform/messages.h"

using namespace tovimat;

namespace {

int usage() {
    std::fprintf(stderr, "usage: velmor-cli dump [--geometry] FILE\n");
    return 2;
}

bool readable(const std::string& path) {
    std::ifstream probe(path, std::ios::binary);
    return probe.good();
}

int dumpCommand(const std::vector<std::string>& args) {
    DumpOptions options;
    std::string path;
    for (const std::string& a : args) {
        if (a == "--geometry")
            options.geometry = true;
        else if (path.empty() && !a.starts_with("--"))
            path = a;
        else
            return usage();
    }
    if (path.empty()) return usage();
    if (!readable(path)) {
        std::fprintf(stderr, "velmor-cli: cannot read %s\n", path.c_str());
        return 2;
    }
    MessageRecorder log;
    CVelmorDoc doc;
    doc.onNewDocument();
    doc.onOpenDocument(path);
    std::string out = log.log();
    if (doc.base()) out += dumpTree(*doc.base(), options);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::vector<std::string> args(argv + 2, argv + argc);
    if (std::strcmp(argv[1], "dump") == 0) return dumpCommand(args);
    return usage();
}
