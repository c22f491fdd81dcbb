// Documents carried in pictures: the bytes come back out of an SVG or a PNG
// bit for bit, a picture opens as the document it carries, and a picture
// that carries none (or a damaged copy) is refused with a message saying so.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "core/script.h"
#include "store/picture_document.h"

namespace fs = std::filesystem;

namespace tovimat {
namespace {

// A 1 x 1 grey PNG: signature, IHDR, IDAT, IEND.
const std::vector<std::uint8_t> kPng = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3a, 0x7e, 0x9b, 0x55, 0x00,
    0x00, 0x00, 0x0a, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0x0f, 0x00, 0x01, 0x01, 0x01, 0x00,
    0xb1, 0x38, 0xf6, 0x14, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

const std::string kSvg =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
    "<svg width=\"10\" height=\"10\" xmlns=\"http://www.w3.org/2000/svg\">\n<title>x</title>\n</svg>\n";

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> someDocument(size_t size) {
    std::vector<std::uint8_t> d(size);
    for (size_t i = 0; i < size; ++i) d[i] = std::uint8_t(i * 7 + i / 5);
    return d;
}

TEST(PictureDocument, Base64RoundTripsEveryLengthAndRefusesGarbage) {
    for (size_t n = 0; n < 40; ++n) {
        const auto d = someDocument(n);
        std::vector<std::uint8_t> back;
        ASSERT_TRUE(base64Decode(base64Encode(d.data(), d.size()), back)) << n;
        EXPECT_EQ(back, d) << n;
    }
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(base64Decode("TWFu\n TWE=", out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "ManMa");
    for (const char* bad : {"TWF", "TW=u", "T===", "TWE=TWFu", "TW!u", "T"})
        EXPECT_FALSE(base64Decode(bad, out)) << bad;
}

TEST(PictureDocument, SvgAndPngCarryTheBytesBitForBit) {
    const auto document = someDocument(1000);
    std::string svg = kSvg;
    ASSERT_TRUE(embedInSvg(svg, document));
    EXPECT_NE(svg.find("<svg width=\"10\" height=\"10\" xmlns=\"http://www.w3.org/2000/svg\">\n<metadata>"),
              std::string::npos);
    std::vector<std::uint8_t> back;
    std::string reason;
    ASSERT_TRUE(documentInPicture(bytesOf(svg), back, reason)) << reason;
    EXPECT_EQ(back, document);

    std::vector<std::uint8_t> png = kPng;
    ASSERT_TRUE(embedInPng(png, document));
    // The picture is still a PNG that ends with its end chunk.
    EXPECT_TRUE(std::equal(kPng.end() - 12, kPng.end(), png.end() - 12));
    EXPECT_TRUE(std::equal(kPng.begin(), kPng.end() - 12, png.begin()));
    ASSERT_TRUE(documentInPicture(png, back, reason)) << reason;
    EXPECT_EQ(back, document);
}

TEST(PictureDocument, PicturesWithoutADocumentOrWithADamagedOneAreRefused) {
    std::vector<std::uint8_t> back;
    std::string reason;
    EXPECT_FALSE(documentInPicture(kPng, back, reason));
    EXPECT_NE(reason.find("without a Velmor document"), std::string::npos) << reason;
    EXPECT_FALSE(documentInPicture(bytesOf(kSvg), back, reason));
    EXPECT_NE(reason.find("without a Velmor document"), std::string::npos) << reason;

    // One byte of the carried text changed: the chunk's check sum fails.
    std::vector<std::uint8_t> png = kPng;
    ASSERT_TRUE(embedInPng(png, someDocument(50)));
    png[png.size() - 30] ^= 1;
    EXPECT_FALSE(documentInPicture(png, back, reason));
    EXPECT_EQ(reason, "the Velmor document in the picture is damaged");

    // A PNG cut short.
    png = kPng;
    png.resize(40);
    EXPECT_FALSE(documentInPicture(png, back, reason));
    EXPECT_EQ(reason, "the PNG picture is damaged");
    EXPECT_FALSE(embedInPng(png, someDocument(5)));

    std::string svg = kSvg;
    ASSERT_TRUE(embedInSvg(svg, someDocument(50)));
    svg.replace(svg.find("encoding=\"base64\">") + 20, 1, "*");
    EXPECT_FALSE(documentInPicture(bytesOf(svg), back, reason));
    EXPECT_EQ(reason, "the Velmor document in the picture is damaged");
    EXPECT_EQ(pictureKindOf(bytesOf("\x01g\x11\x11")), pictureKind::none);
}

TEST(PictureDocument, APictureOpensAsTheDocumentItCarries) {
    const fs::path dir = fs::temp_directory_path() / ("velmor-picture-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string vlm = (dir / "a.vlm").string();
    velmor::RunOptions options;
    options.script = "{Click 10 10}2x+1=y";
    options.savePath = vlm;
    ASSERT_EQ(velmor::runScript(options).exitCode, 0);
    std::ifstream in(vlm, std::ios::binary);
    const std::vector<std::uint8_t> document((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());

    std::string svg = kSvg;
    ASSERT_TRUE(embedInSvg(svg, document));
    std::vector<std::uint8_t> png = kPng;
    ASSERT_TRUE(embedInPng(png, document));
    { std::ofstream(dir / "a.svg", std::ios::binary) << svg; }
    {
        std::ofstream(dir / "a.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), long(png.size()));
    }
    { std::ofstream(dir / "plain.svg", std::ios::binary) << kSvg; }

    const std::string expected = velmor::dumpFile(vlm, false).out;
    EXPECT_NE(expected.find("literal \"x\""), std::string::npos) << expected;
    EXPECT_EQ(velmor::dumpFile((dir / "a.svg").string(), false).out, expected);
    EXPECT_EQ(velmor::dumpFile((dir / "a.png").string(), false).out, expected);
    velmor::RunResult plain = velmor::dumpFile((dir / "plain.svg").string(), false);
    EXPECT_EQ(plain.exitCode, 2);
    EXPECT_EQ(plain.error,
              (dir / "plain.svg").string() +
                  ": a picture without a Velmor document in it: only pictures that Velmor exported "
                  "or copied open as formulas");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tovimat
