// Text through the path core: line breaking, placement, the glyph cache, and the font textures as
// the atlas grows over a frame and across frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "Atlas.h"
#include "RendererKit.h"

namespace ostrel::test {
namespace {

class Text : public ::testing::Test, public CoreFixtureBase {
protected:
  void SetUp() override {
    ASSERT_NE(ctx, nullptr);
    dejavu = loadFont(OSTREL_FONT_DEJAVU);
    wqy = loadFont(OSTREL_FONT_WQY);
    ASSERT_GE(dejavu, 0);
    ASSERT_GE(wqy, 0) << "the collection's first face";
    beginFrame();
  }
  QornContext* c() { return ctx.get(); }

  std::vector<std::string> rowTexts(const std::string& s, float width, std::vector<QornTextRow>* out = nullptr) {
    QornTextRow rows[64];
    const int n = qornTextBreakLines(c(), s.data(), s.data() + s.size(), width, rows, 64);
    std::vector<std::string> texts;
    for (int i = 0; i < n; ++i) {
      texts.emplace_back(rows[i].start, rows[i].end);
      if (out) out->push_back(rows[i]);
    }
    return texts;
  }

  float advance(const std::string& s) { return qornTextBounds(c(), 0, 0, s.c_str(), nullptr, nullptr); }

  // Sum of the atlas coverage inside a quad's texture rectangle, as the back end received it.
  long coverage(const RecordedTexture& t, const QornVertex& a, const QornVertex& b) {
    const int x0 = static_cast<int>(std::lround(a.u * t.width)), x1 = static_cast<int>(std::lround(b.u * t.width));
    const int y0 = static_cast<int>(std::lround(a.v * t.height)), y1 = static_cast<int>(std::lround(b.v * t.height));
    long sum = 0;
    for (int y = std::min(y0, y1); y < std::max(y0, y1); ++y)
      for (int x = x0; x < x1; ++x) sum += t.data[static_cast<size_t>(y) * t.width + x];
    return sum;
  }

  std::string cjkRun(unsigned int first, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += utf8(first + i);
    return s;
  }

  int dejavu = -1, wqy = -1;
};

TEST_F(Text, CjkBreaksBetweenAnyTwoCharacters) {
  qornFontFaceId(c(), wqy);
  qornFontSize(c(), 20);
  const std::string s = cjkRun(0x4E00, 10);
  const float adv = advance(utf8(0x4E00));
  ASSERT_GT(adv, 10);
  const float width = adv * 3.5f;
  std::vector<QornTextRow> rows;
  const auto texts = rowTexts(s, width, &rows);
  ASSERT_EQ(texts.size(), 4u);
  std::string joined;
  for (size_t i = 0; i < texts.size(); ++i) {
    joined += texts[i];
    EXPECT_EQ(texts[i].size(), i < 3 ? 9u : 3u) << "three characters of three bytes per row";
    EXPECT_LE(rows[i].width, width);
    EXPECT_EQ(rows[i].next, rows[i].end);
  }
  EXPECT_EQ(joined, s);
}

TEST_F(Text, LongWordIsSplitWhereItPassesTheWidth) {
  qornFontFaceId(c(), dejavu);
  const std::string word = "abcdefghijklmnopqrstuvwxyz";
  std::vector<QornTextRow> rows;
  const auto texts = rowTexts(word, 60, &rows);
  ASSERT_GE(texts.size(), 3u);
  std::string joined;
  for (size_t i = 0; i < texts.size(); ++i) {
    joined += texts[i];
    EXPECT_LE(rows[i].width, 60.0f) << texts[i];
    EXPECT_NEAR(rows[i].width, advance(texts[i]), 0.01) << texts[i];
    if (i + 1 < texts.size()) {
      EXPECT_GT(rows[i].width + advance(texts[i + 1].substr(0, 1)), 60.0f) << "the next glyph would not fit";
    }
  }
  EXPECT_EQ(joined, word);
}

TEST_F(Text, WordsWrapAtSpacesWhichAreNeitherLeadingNorCounted) {
  qornFontFaceId(c(), dejavu);
  const float w = advance("hello world") + 1;
  std::vector<QornTextRow> rows;
  const std::string text = "  hello world again  ";
  auto texts = rowTexts(text, w, &rows);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "hello world");
  EXPECT_EQ(texts[1], "again");
  EXPECT_NEAR(rows[0].width, advance("hello world"), 0.01);
  EXPECT_NEAR(rows[1].width, advance("again"), 0.01) << "trailing spaces add no width";
  EXPECT_EQ(std::string(rows[0].next, 5), "again");
}

TEST_F(Text, LineEndings) {
  qornFontFaceId(c(), dejavu);
  EXPECT_EQ(rowTexts("ab\r\ncd", 500), (std::vector<std::string>{"ab", "cd"})) << "\\r\\n is one break";
  EXPECT_EQ(rowTexts("ab\n\ncd", 500), (std::vector<std::string>{"ab", "", "cd"}));
  EXPECT_EQ(rowTexts("ab\r\rcd", 500), (std::vector<std::string>{"ab", "", "cd"}));
  EXPECT_EQ(rowTexts("ab\rcd\n", 500), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_TRUE(rowTexts("", 500).empty());
  EXPECT_TRUE(rowTexts("    ", 500).empty());
}

TEST_F(Text, TextBoxPlacesRowsOneLineHeightApart) {
  qornFontFaceId(c(), dejavu);
  qornFontSize(c(), 16);
  const float w = advance("one two") + 1;
  const char* text = "one two three four five";
  EXPECT_EQ(rowTexts(text, w), (std::vector<std::string>{"one two", "three", "four", "five"}));
  float b[4];
  qornTextBoxBounds(c(), 10, 100, w, text, nullptr, b);
  // DejaVu's line height is its ascender-to-descender height: one font size per row.
  EXPECT_NEAR(b[3] - b[1], 4 * 16, 0.01);
  EXPECT_GE(b[0], 10 - 2) << "glyph quads keep a pixel of padding";
  EXPECT_LE(b[2], 10 + w + 2);

  qornTextLineHeight(c(), 1.5f);
  qornTextBox(c(), 10, 100, w, text, nullptr);
  std::set<float> baselines;
  for (const RecordedCall& call : backend.calls) {
    ASSERT_EQ(call.type, RecordedCallType::Triangles);
    float maxy = -1e9;
    for (const QornVertex& v : backend.trianglesOf(call)) maxy = std::max(maxy, v.y);
    baselines.insert(maxy);
  }
  ASSERT_EQ(backend.calls.size(), 4u);
  std::vector<float> ys(baselines.begin(), baselines.end());
  ASSERT_EQ(ys.size(), 4u);
  // Rows 24 px apart; the lowest glyph edge of a row moves with its descenders ("g" has none here).
  for (size_t i = 1; i < ys.size(); ++i) EXPECT_NEAR(ys[i] - ys[i - 1], 24, 1.01) << i;
}

TEST_F(Text, QuadsSampleTheGlyphsRasterisedIntoTheFontTexture) {
  qornFontFaceId(c(), dejavu);
  qornFillColor(c(), QornColor{1, 1, 0, 1});
  const float end = qornText(c(), 20, 50, "Hello", nullptr);
  EXPECT_NEAR(end - 20, advance("Hello"), 0.01);
  ASSERT_EQ(backend.calls.size(), 1u);
  const RecordedCall& call = backend.calls[0];
  EXPECT_EQ(call.type, RecordedCallType::Triangles);
  ASSERT_EQ(call.triangleCount, 30);
  const RecordedTexture* t = backend.texture(call.paint.image);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->type, QORN_TEXTURE_ALPHA);
  EXPECT_GT(t->updates, 0);
  const auto v = backend.trianglesOf(call);
  for (int q = 0; q < 5; ++q) {
    EXPECT_GT(coverage(*t, v[q * 6], v[q * 6 + 1]), 255 * 5) << "glyph " << q;
    EXPECT_LT(v[q * 6].y, 50) << "glyphs rise above the baseline";
  }
  EXPECT_FLOAT_EQ(call.paint.innerColor.g, 1);
}

TEST_F(Text, PixelSnapMakesOriginsAndAdvancesWhole) {
  qornFontFaceId(c(), dejavu);
  qornSetTextPixelSnap(c(), 0);
  qornText(c(), 10.3f, 20.6f, "AVATAR", nullptr);
  bool fractional = false;
  for (const QornVertex& v : backend.trianglesOf(backend.calls[0]))
    fractional |= std::fabs(v.x - std::round(v.x)) > 1e-3;
  EXPECT_TRUE(fractional);

  backend.clearCalls();
  qornSetTextPixelSnap(c(), 1);
  qornText(c(), 10.3f, 20.6f, "AVATAR", nullptr);
  for (const QornVertex& v : backend.trianglesOf(backend.calls[0])) {
    EXPECT_NEAR(v.x, std::round(v.x), 1e-3);
    EXPECT_NEAR(v.y, std::round(v.y), 1e-3);
  }
}

TEST_F(Text, MeasuringRasterisesNothingUntilDrawn) {
  std::unique_ptr<qorn::Atlas> atlas(qorn::Atlas::create(512, 512));
  auto bytes = readFileBytes(OSTREL_FONT_DEJAVU);
  const int f = atlas->addFont("dejavu", bytes.data(), static_cast<int>(bytes.size()), 0);
  ASSERT_EQ(f, 0);
  int dirty[4];
  atlas->validateTexture(dirty);
  const qorn::Glyph* g = atlas->glyph(f, 'W', 16, 0, qorn::kGlyphBitmapOptional);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->x0, -1);
  EXPECT_FALSE(atlas->validateTexture(dirty));
  g = atlas->glyph(f, 'W', 16, 0, qorn::kGlyphBitmapRequired);
  ASSERT_NE(g, nullptr);
  EXPECT_GE(g->x0, 2);
  EXPECT_TRUE(atlas->validateTexture(dirty));
  qorn::GlyphMiss miss;
  EXPECT_EQ(atlas->glyph(f, 'W', 0.15f, 0, qorn::kGlyphBitmapRequired, &miss), nullptr);
  EXPECT_EQ(miss, qorn::GlyphMiss::TooSmall);
  EXPECT_EQ(atlas->findFont("dejavu"), 0);
  EXPECT_EQ(atlas->findFont("dejavu2"), -1);
  const std::string longName = std::string(100, 'x') + "/DejaVuSans.ttf";
  const int named = atlas->addFont(longName.c_str(), bytes.data(), static_cast<int>(bytes.size()), 0);
  EXPECT_EQ(atlas->findFont(longName.c_str()), named) << "a long path names its font";
  EXPECT_EQ(atlas->findFont(longName.substr(0, 63).c_str()), -1);
  unsigned char junk[64] = {1, 2, 3};
  EXPECT_EQ(atlas->addFont("junk", junk, sizeof(junk), 0), -1);
  // Truncated font files are refused before anything reads their missing tables.
  for (size_t cut : {size_t{12}, size_t{200}, size_t{4000}, bytes.size() / 2, bytes.size() - 1}) {
    std::vector<unsigned char> part(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(cut));
    EXPECT_EQ(atlas->addFont("cut", part.data(), static_cast<int>(part.size()), 0), -1) << cut;
  }
  // Bytes handed over (free flag) are freed by the atlas, refused or not; the leak checker of the
  // sanitizer lane sees the difference.
  auto* owned = static_cast<unsigned char*>(std::malloc(bytes.size()));
  std::memcpy(owned, bytes.data(), bytes.size());
  EXPECT_GE(atlas->addFont("owned", owned, static_cast<int>(bytes.size()), 1), 0);
  auto* refused = static_cast<unsigned char*>(std::calloc(1, 64));
  EXPECT_EQ(atlas->addFont("refused", refused, 64, 1), -1);
  auto wqyBytes = readFileBytes(OSTREL_FONT_WQY);
  std::vector<unsigned char> wqyPart(wqyBytes.begin(), wqyBytes.begin() + 5000);
  EXPECT_EQ(atlas->addFont("cut collection", wqyPart.data(), static_cast<int>(wqyPart.size()), 0), -1);

  // Blurred glyphs are cached apart and spread their coverage to the padding.
  const qorn::Glyph* sharp = atlas->glyph(f, 'I', 32, 0, qorn::kGlyphBitmapRequired);
  const qorn::Glyph* soft = atlas->glyph(f, 'I', 32, 4, qorn::kGlyphBitmapRequired);
  ASSERT_NE(sharp, nullptr);
  ASSERT_NE(soft, nullptr);
  EXPECT_NE(sharp, soft);
  EXPECT_EQ((soft->x1 - soft->x0) - (sharp->x1 - sharp->x0), 8);
}

TEST_F(Text, NothingIsDrawnWithoutAFontOrBelowTheSmallestSize) {
  qornFontFaceId(c(), -1);
  EXPECT_EQ(qornText(c(), 5, 6, "abc", nullptr), 5);
  float b[4] = {7, 7, 7, 7};
  EXPECT_EQ(qornTextBounds(c(), 5, 6, "abc", nullptr, b), 0);
  EXPECT_EQ(b[0], 7) << "bounds untouched";
  qornTextBoxBounds(c(), 5, 6, 100, "abc", nullptr, b);
  EXPECT_EQ(b[0], 5);
  EXPECT_EQ(b[3], 6);
  QornTextRow rows[2];
  EXPECT_EQ(qornTextBreakLines(c(), "abc", nullptr, 100, rows, 2), 0);

  qornFontFaceId(c(), dejavu);
  qornFontSize(c(), 0.15f);
  qornText(c(), 5, 6, "abc", nullptr);
  EXPECT_TRUE(backend.calls.empty());
  EXPECT_EQ(backend.textureCreates, 1) << "no growth for glyphs that are too small";
}

TEST_F(Text, MalformedUtf8DoesNotSwallowTheRest) {
  qornFontFaceId(c(), dejavu);
  const char s[] = "ab\xFF" "cd\xE4\xB8" "e";
  qornText(c(), 0, 20, s, nullptr);
  ASSERT_EQ(backend.calls.size(), 1u);
  // a, b, U+FFFD, c, d, U+FFFD for the cut sequence, e.
  EXPECT_EQ(backend.calls[0].triangleCount, 7 * 6);
}

TEST_F(Text, FontTexturesGrowThenTheCurrentOneIsKeptAcrossFrames) {
  qornFontFaceId(c(), wqy);
  qornFontSize(c(), 48);
  const std::string many = cjkRun(0x4E00, 2500);
  qornText(c(), 0, 60, many.c_str(), nullptr);

  // Growth in one frame: 512 x 512, 1024 x 512, 1024 x 1024, 2048 x 1024, then glyphs are left out.
  std::vector<std::pair<int, int>> sizes;
  for (const auto& [id, t] : backend.textures) sizes.emplace_back(t.width, t.height);
  EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{512, 512}, {1024, 512}, {1024, 1024}, {2048, 1024}}));
  ASSERT_EQ(backend.calls.size(), 4u);
  int drawn = 0;
  for (const RecordedCall& call : backend.calls) {
    const RecordedTexture* t = backend.texture(call.paint.image);
    ASSERT_NE(t, nullptr);
    // Each part samples glyphs that reached its own texture before the atlas moved on.
    const auto v = backend.trianglesOf(call);
    for (size_t q = 0; q < v.size(); q += 6) EXPECT_GT(coverage(*t, v[q], v[q + 1]), 0) << q / 6;
    drawn += call.triangleCount / 6;
  }
  EXPECT_LT(drawn, 2500);
  EXPECT_GT(drawn, 1000);
  std::set<int> images;
  for (const RecordedCall& call : backend.calls) images.insert(call.paint.image);
  EXPECT_EQ(images.size(), 4u);

  // Once the frame's draws are recorded the older textures go and the current one stays.
  qornReleaseOldFontTextures(c());
  ASSERT_EQ(backend.textures.size(), 1u);
  EXPECT_EQ(backend.textures.begin()->second.width, 2048);
  EXPECT_EQ(backend.textureDeletes, 3);

  // Every later frame draws all of its new glyphs.
  unsigned int next = 0x4E00 + 2500;
  for (int frame = 0; frame < 8; ++frame) {
    const int createsBefore = backend.textureCreates;
    beginFrame();
    EXPECT_EQ(backend.textures.size(), 1u) << "frame " << frame;
    qornFontFaceId(c(), wqy);
    qornFontSize(c(), 48);
    const std::string fresh = cjkRun(next, 400);
    next += 400;
    qornText(c(), 0, 60, fresh.c_str(), nullptr);
    int quads = 0;
    for (const RecordedCall& call : backend.calls) {
      quads += call.triangleCount / 6;
      EXPECT_NE(backend.texture(call.paint.image), nullptr) << "frame " << frame;
    }
    EXPECT_EQ(quads, 400) << "frame " << frame;
    if (frame == 0) {
      EXPECT_EQ(backend.textureCreates, createsBefore) << "the full atlas was emptied at frame start";
    }
    // Every other frame leaves the release to the next frame's start.
    if (frame % 2 == 0) {
      qornReleaseOldFontTextures(c());
      EXPECT_EQ(backend.textures.size(), 1u);
    }
  }
}

}  // namespace
}  // namespace ostrel::test
