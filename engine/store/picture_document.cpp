#include "store/picture_document.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace tovimat {

namespace {

constexpr std::string_view kSvgElement = "velmor:document";
constexpr std::string_view kPngKeyword = "Velmor document";
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr const char* kNoDocument =
    "a picture without a Velmor document in it: only pictures that Velmor exported or copied open as "
    "formulas";
constexpr const char* kDamaged = "the Velmor document in the picture is damaged";

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::uint32_t crc32(const std::uint8_t* data, size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t readBig32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

void appendBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

struct pngChunk {
    size_t at;  // where its length field starts
    std::uint32_t length;
    std::string_view type;
    const std::uint8_t* data;
    bool crcMatches;
};

// Walks the chunks of a PNG; false when they run past the end of the bytes.
template <typename Visit>
bool forEachChunk(const std::vector<std::uint8_t>& png, Visit visit) {
    size_t at = sizeof kPngSignature;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = readBig32(&png[at]);
        if (length > png.size() - at - 12) return false;
        const std::uint8_t* typeAndData = &png[at + 4];
        pngChunk c{at, length, std::string_view(reinterpret_cast<const char*>(typeAndData), 4),
                   typeAndData + 4, crc32(typeAndData, length + 4) == readBig32(typeAndData + 4 + length)};
        if (!visit(c)) return true;
        at += 12 + length;
    }
    return at == png.size();
}

bool fromSvg(std::string_view svg, std::vector<std::uint8_t>& document, std::string& reason) {
    const size_t open = svg.find("<" + std::string(kSvgElement));
    if (open == std::string_view::npos) {
        reason = kNoDocument;
        return false;
    }
    const size_t start = svg.find('>', open);
    const size_t end = svg.find("</" + std::string(kSvgElement) + ">", open);
    if (start == std::string_view::npos || end == std::string_view::npos || end < start ||
        !base64Decode(svg.substr(start + 1, end - start - 1), document) || document.empty()) {
        reason = kDamaged;
        return false;
    }
    return true;
}

bool fromPng(const std::vector<std::uint8_t>& png, std::vector<std::uint8_t>& document, std::string& reason) {
    reason = kNoDocument;
    bool found = false;
    const bool whole = forEachChunk(png, [&](const pngChunk& c) {
        if (c.type != "iTXt") return true;
        const std::string_view data(reinterpret_cast<const char*>(c.data), c.length);
        if (!data.starts_with(kPngKeyword) || data.size() <= kPngKeyword.size() ||
            data[kPngKeyword.size()] != '\0')
            return true;
        found = true;
        // keyword NUL, compression flag and method, language NUL, translated keyword NUL, text
        size_t at = kPngKeyword.size() + 1;
        const bool plain = at + 2 <= data.size() && data[at] == 0;
        at += 2;
        for (int field = 0; field < 2 && at <= data.size(); ++field) {
            const size_t end = data.find('\0', at);
            at = end == std::string_view::npos ? data.size() + 1 : end + 1;
        }
        if (!c.crcMatches || !plain || at > data.size() ||
            !base64Decode(data.substr(at), document) || document.empty())
            reason = kDamaged;
        else
            reason.clear();
        return false;
    });
    if (!whole && !found) reason = "the PNG picture is damaged";
    return found && reason.empty();
}

}  // namespace

pictureKind pictureKindOf(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() >= sizeof kPngSignature &&
        std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0)
        return pictureKind::png;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), std::min<size_t>(bytes.size(), 4096));
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty() && (text[0] == ' ' || text[0] == '\t' || text[0] == '\r' || text[0] == '\n'))
        text.remove_prefix(1);
    if (!text.starts_with("<")) return pictureKind::none;
    return text.find("<svg") != std::string_view::npos ? pictureKind::svg : pictureKind::none;
}

bool embedInSvg(std::string& svg, const std::vector<std::uint8_t>& document) {
    const size_t open = svg.find("<svg");
    const size_t end = open == std::string::npos ? open : svg.find('>', open);
    if (end == std::string::npos) return false;
    std::string metadata = "\n<metadata><" + std::string(kSvgElement) +
                           " xmlns:velmor=\"urn:velmor:document\" encoding=\"base64\">";
    const std::string encoded = base64Encode(document.data(), document.size());
    for (size_t at = 0; at < encoded.size(); at += 76) metadata += "\n" + encoded.substr(at, 76);
    metadata += "\n</" + std::string(kSvgElement) + "></metadata>";
    svg.insert(end + 1, metadata);
    return true;
}

bool embedInPng(std::vector<std::uint8_t>& png, const std::vector<std::uint8_t>& document) {
    if (pictureKindOf(png) != pictureKind::png) return false;
    size_t endChunk = 0;
    const bool whole = forEachChunk(png, [&](const pngChunk& c) {
        if (c.type != "IEND") return true;
        endChunk = c.at;
        return false;
    });
    if (!whole || endChunk == 0) return false;
    std::vector<std::uint8_t> chunk;
    const std::string encoded = base64Encode(document.data(), document.size());
    const size_t length = kPngKeyword.size() + 5 + encoded.size();
    if (length > 0x7FFFFFFFu) return false;
    appendBig32(chunk, std::uint32_t(length));
    for (char c : std::string_view("iTXt")) chunk.push_back(std::uint8_t(c));
    for (char c : kPngKeyword) chunk.push_back(std::uint8_t(c));
    // The keyword's end, no compression (flag and method), no language, no
    // translated keyword.
    chunk.insert(chunk.end(), {0, 0, 0, 0, 0});
    chunk.insert(chunk.end(), encoded.begin(), encoded.end());
    appendBig32(chunk, crc32(chunk.data() + 4, chunk.size() - 4));
    png.insert(png.begin() + long(endChunk), chunk.begin(), chunk.end());
    return true;
}

bool documentInPicture(const std::vector<std::uint8_t>& picture, std::vector<std::uint8_t>& document,
                       std::string& reason) {
    document.clear();
    switch (pictureKindOf(picture)) {
        case pictureKind::png:
            return fromPng(picture, document, reason);
        case pictureKind::svg:
            return fromSvg(std::string_view(reinterpret_cast<const char*>(picture.data()), picture.size()),
                           document, reason);
        case pictureKind::none:
            break;
    }
    reason = "not a picture";
    return false;
}

std::string base64Encode(const std::uint8_t* data, size_t size) {
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const std::uint32_t n = std::uint32_t(data[i]) << 16 |
                                (i + 1 < size ? std::uint32_t(data[i + 1]) << 8 : 0) |
                                (i + 2 < size ? data[i + 2] : 0);
        out += kAlphabet[n >> 18 & 63];
        out += kAlphabet[n >> 12 & 63];
        out += i + 1 < size ? kAlphabet[n >> 6 & 63] : '=';
        out += i + 2 < size ? kAlphabet[n & 63] : '=';
    }
    return out;
}

bool base64Decode(std::string_view text, std::vector<std::uint8_t>& out) {
    out.clear();
    std::uint32_t bits = 0;
    int count = 0;
    int padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const char* at = std::strchr(kAlphabet, c);
        if (padding > 0 || c == '\0' || !at) return false;
        bits = bits << 6 | std::uint32_t(at - kAlphabet);
        if (++count == 4) {
            out.push_back(std::uint8_t(bits >> 16));
            out.push_back(std::uint8_t(bits >> 8));
            out.push_back(std::uint8_t(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || padding > 2 || (count == 0 && padding > 0) || (count > 0 && count + padding != 4))
        return false;
    if (count == 2) out.push_back(std::uint8_t(bits >> 4));
    if (count == 3) {
        out.push_back(std::uint8_t(bits >> 10));
        out.push_back(std::uint8_t(bits >> 2));
    }
    return true;
}

}  // namespace tovimat
