// Velmor documents carried inside pictures, so that an exported or copied
// picture opens again as editable formulas. An SVG holds the document's
// bytes in base64 in its <metadata>:
//
//   <metadata><velmor:document xmlns:velmor="urn:velmor:document"
//             encoding="base64">AWcREQMA…</velmor:document></metadata>
//
// and a PNG in an uncompressed iTXt chunk with the keyword "Velmor document"
// whose text is the same base64, just before the image's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovimat {

enum class pictureKind { none, svg, png };

// What the bytes are: a PNG by its signature, an SVG by an <svg element near
// the start of XML text.
pictureKind pictureKindOf(const std::vector<std::uint8_t>& bytes);

// Puts the document's bytes into the picture: in the SVG right after the svg
// start tag, in the PNG before its end chunk. False (and the picture as it
// was) when the picture is not one of its kind.
bool embedInSvg(std::string& svg, const std::vector<std::uint8_t>& document);
bool embedInPng(std::vector<std::uint8_t>& png, const std::vector<std::uint8_t>& document);

// The document bytes a picture carries. False, with the reason, for a
// picture that carries none, or whose copy of it is damaged.
bool documentInPicture(const std::vector<std::uint8_t>& picture, std::vector<std::uint8_t>& document,
                       std::string& reason);

std::string base64Encode(const std::uint8_t* data, size_t size);
// Skips whitespace; false for anything else that is not base64.
bool base64Decode(std::string_view text, std::vector<std::uint8_t>& out);

}  // namespace tovimat
