// Writes the example documents and the default rule file.
//
//   make_examples [DIR]     (DIR defaults to the current directory)
//
// The committed files in examples/ are this program's output; rebuild them
// with the `examples` target after changing example_docs.h.
#include <cstdio>
#include <string>

#include "example_docs.h"

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    if (!velmor::examples::writeAll(dir)) {
        std::fprintf(stderr, "make_examples: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
