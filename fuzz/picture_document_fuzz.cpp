// Feeds arbitrary bytes to the reader of documents carried in pictures: as a
// picture they are read or refused with a reason, never past their end; as a
// document they go into an SVG and a PNG and come back out unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "store/picture_document.h"

using namespace tovimat;

namespace {

// A 1 x 1 grey PNG: signature, IHDR, IDAT, IEND.
const std::vector<std::uint8_t> kPng = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3a, 0x7e, 0x9b, 0x55, 0x00,
    0x00, 0x00, 0x0a, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0x0f, 0x00, 0x01, 0x01, 0x01, 0x00,
    0xb1, 0x38, 0xf6, 0x14, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "picture_document_fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::vector<std::uint8_t> document;
    std::string reason;
    if (documentInPicture(bytes, document, reason)) {
        if (document.empty()) fail("an empty document read");
    } else if (reason.empty()) {
        fail("a refusal without a reason");
    }

    if (bytes.empty()) return 0;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\"></svg>";
    std::vector<std::uint8_t> png = kPng;
    if (!embedInSvg(svg, bytes) || !embedInPng(png, bytes)) fail("a picture refused the document");
    for (const std::vector<std::uint8_t>& picture :
         {std::vector<std::uint8_t>(svg.begin(), svg.end()), png}) {
        if (!documentInPicture(picture, document, reason)) fail(reason.c_str());
        if (document != bytes) fail("the document came back changed");
    }
    return 0;
}
