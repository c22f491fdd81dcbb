// A program outside the source tree that uses the installed library.
#include <cstdio>
#include <cstring>

#include <platform/codepages.h>
#include <platform/gdi.h>

int main() {
    using namespace tovimat;
    HFONT font = stockDefaultFont();
    if (!font || std::strcmp(font->logfont().lfFaceName, "System") != 0) {
        std::puts("stock font missing");
        return 1;
    }
    if (cp1252ToUnicode(0x80) != 0x20AC) {
        std::puts("code page table wrong");
        return 1;
    }
    std::puts("installed tovimat works");
    return 0;
}
