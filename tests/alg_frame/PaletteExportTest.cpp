#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "alg/frame/Palette.h"

namespace fs = std::filesystem;

namespace {

uint8_t channel(uint32_t c, int byte) {
  return static_cast<uint8_t>(c >> (8 * byte));
}

TEST(Palettes, HandedOutTable) {
  int count = -1;
  PaletteData* p = Ostrel_AllocPaletteData(&count);
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(count, 12);
  const char* names[12] = {"Autumn", "BlackHot", "GlowBow",       "HighContrast", "HotMetal", "IronBow",
                           "Jet",    "RainBow",  "RedSaturation", "WhiteHot",     "Winter",   "IronBow2"};
  for (int k = 0; k < 12; ++k) {
    EXPECT_STREQ(p[k].name, names[k]);
    for (uint32_t c : p[k].colors) ASSERT_EQ(channel(c, 3), 255) << k;
  }
  // Bytes in memory are B, G, R, A.
  const uint8_t* white128 = reinterpret_cast<const uint8_t*>(&p[9].colors[128]);
  EXPECT_EQ(white128[0], 128);
  EXPECT_EQ(white128[1], 128);
  EXPECT_EQ(white128[2], 128);
  EXPECT_EQ(p[1].colors[128] & 0xFFFFFF, 0x7F7F7Fu);
  // Anchors land exactly; Jet level 32 is pure blue, level 64 halfway to cyan.
  EXPECT_EQ(p[6].colors[32] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(p[6].colors[64] & 0xFFFFFF, 0x0080FFu);  // G = 255 x 32 / 64 = 127.5 -> 128
  EXPECT_EQ(p[0].colors[255] & 0xFFFFFF, 0xFFFEFBu);
  EXPECT_EQ(p[5].colors[128] & 0xFFFFFF, 0xE83C45u);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(p[11].colors[i], p[5].colors[255 - i]);
  // The stored table keeps A = 0; a hand-out is a fresh copy.
  EXPECT_EQ(channel(ostrel::alg::builtinPalettes()[3].colors[10], 3), 0);
  Ostrel_FreePaletteData(&p);
  EXPECT_EQ(p, nullptr);
  Ostrel_FreePaletteData(&p);
  Ostrel_FreePaletteData(nullptr);

  ostrel::alg::algFailAllocAfter(0);
  count = 5;
  EXPECT_EQ(Ostrel_AllocPaletteData(&count), nullptr);
  EXPECT_EQ(count, 0);
  ostrel::alg::algFailAllocAfter(-1);
}

TEST(Palettes, SdkTableAndSharedFreeNames) {
  EXPECT_EQ(ostrel::alg::paletteTableInit(), 0);
  int count = 0;
  const PaletteData* t = ostrel::alg::paletteTable(&count);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(count, 12);
  ostrel::alg::paletteTableFree();
  EXPECT_EQ(ostrel::alg::paletteTable(&count), nullptr);
  EXPECT_EQ(count, 0);
  ostrel::alg::algFailAllocAfter(0);
  EXPECT_EQ(ostrel::alg::paletteTableInit(), -5);
  ostrel::alg::algFailAllocAfter(-1);

  for (void (*fn)(void*) : {rtFree, Fpa_Free, Nst_Free, HW_Free, GaoWen_Free, WeiJu_Free, FixDist_Free,
                            FixTrans_Free, ExtBb_Free, Ostrel_FreePaletteData}) {
    void* block = std::malloc(64);
    fn(&block);
    EXPECT_EQ(block, nullptr);
    fn(&block);
  }
}

// Runs Pillow (Debian's python3) on a script; returns its standard output.
std::string python(const std::string& script) {
  const std::string file = std::string(OSTREL_TEST_BINARY_DIR) + "/pil_" + std::to_string(getpid()) + ".py";
  std::ofstream(file) << script;
  std::string out;
  if (FILE* p = popen((std::string(OSTREL_SYSTEM_PYTHON) + " " + file).c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  fs::remove(file);
  return out;
}

std::string tempPath(const char* name) {
  return std::string(OSTREL_TEST_BINARY_DIR) + "/" + name + "_" + std::to_string(getpid());
}

TEST(UtilSave, BitmapsReadBackByPillow) {
  // 5 x 3 gray (width not a multiple of 4) and 3 x 2 BGRA, bottom-up and top-down.
  const std::string gray = tempPath("gray.bmp"), grayMap = tempPath("graymap.bmp");
  const std::string up = tempPath("up.bmp"), down = tempPath("down.bmp");
  std::vector<uint8_t> g(15);
  for (int i = 0; i < 15; ++i) g[i] = static_cast<uint8_t>(i * 17);
  ASSERT_EQ(Util_SaveGRAY(g.data(), 5, 3, gray.c_str(), nullptr), 0);
  std::vector<uint8_t> map(1024);
  for (int i = 0; i < 256; ++i) {
    map[4 * i] = static_cast<uint8_t>(i);            // B
    map[4 * i + 1] = 0;                              // G
    map[4 * i + 2] = static_cast<uint8_t>(255 - i);  // R
  }
  ASSERT_EQ(Util_SaveGRAY(g.data(), 5, -3, grayMap.c_str(), map.data()), 0);
  std::vector<uint32_t> px(6);
  for (int i = 0; i < 6; ++i)
    px[i] = 0xFF000000u | static_cast<uint32_t>(i * 40) << 16 | (i * 7) << 8 | (200 - i);
  ASSERT_EQ(Util_SaveBGRA(px.data(), 3, 2, up.c_str()), 0);
  ASSERT_EQ(Util_SaveBGRA(px.data(), 3, -2, down.c_str()), 0);
  EXPECT_EQ(fs::file_size(gray), 1078u + 8 * 3);  // rows padded to 8 bytes
  EXPECT_EQ(fs::file_size(up), 54u + 24);

  const std::string out = python(
      "from PIL import Image\n"
      "def dump(p, mode):\n"
      "  im = Image.open(p); print(im.size[0], im.size[1], im.mode)\n"
      "  im = im.convert(mode); print(' '.join(str(v) for v in im.getdata()))\n"
      "dump('" +
      gray +
      "', 'L')\n"
      "dump('" +
      grayMap +
      "', 'RGB')\n"
      "dump('" +
      up +
      "', 'RGB')\n"
      "dump('" +
      down + "', 'RGB')\n");
  std::istringstream in(out);
  auto readPixels = [&](int w, int h, int channels, std::vector<int>& vals) {
    int W = 0, H = 0;
    std::string mode;
    in >> W >> H >> mode;
    EXPECT_EQ(W, w);
    EXPECT_EQ(H, h);
    vals.clear();
    std::string tok;
    for (int i = 0; i < w * h * channels; ++i) {
      in >> tok;
      tok.erase(
          std::remove_if(tok.begin(), tok.end(), [](char c) { return c == '(' || c == ')' || c == ','; }),
          tok.end());
      vals.push_back(std::atoi(tok.c_str()));
    }
  };
  ASSERT_FALSE(out.empty()) << "Pillow did not run";
  std::vector<int> v;
  readPixels(5, 3, 1, v);
  // Positive height: the first buffer row is the bottom row of the picture.
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c) EXPECT_EQ(v[r * 5 + c], g[(2 - r) * 5 + c]);
  readPixels(5, 3, 3, v);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(v[3 * i], 255 - g[i]);  // R from the caller's table
    EXPECT_EQ(v[3 * i + 2], g[i]);
  }
  for (int pass = 0; pass < 2; ++pass) {
    readPixels(3, 2, 3, v);
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 3; ++c) {
        const uint32_t p = px[(pass == 0 ? 1 - r : r) * 3 + c];
        EXPECT_EQ(v[(r * 3 + c) * 3], static_cast<int>(channel(p, 2)));
        EXPECT_EQ(v[(r * 3 + c) * 3 + 1], static_cast<int>(channel(p, 1)));
        EXPECT_EQ(v[(r * 3 + c) * 3 + 2], static_cast<int>(channel(p, 0)));
      }
  }
  // The gray ramp colour table by bytes: entry 255 is 255, 255, 255, 0.
  std::ifstream f(gray, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(static_cast<uint8_t>(bytes[54 + 4 * 255]), 255);
  EXPECT_EQ(static_cast<uint8_t>(bytes[54 + 4 * 255 + 3]), 0);
  for (const auto& p : {gray, grayMap, up, down}) fs::remove(p);
}

TEST(UtilSave, OpenAndWriteFailures) {
  std::vector<uint8_t> g(64 * 64, 9);
  EXPECT_EQ(Util_SaveGRAY(g.data(), 64, 64, "/nonexistent-dir/x.bmp", nullptr), -200);
  EXPECT_EQ(Util_SaveBGRA(g.data(), 4, 4, "/nonexistent-dir/x.bmp"), -200);
  EXPECT_EQ(Util_SaveGRAY(g.data(), 0, 64, "/tmp/never.bmp", nullptr), -8);

  // A file size limit makes the writes fail part-way; the old file must survive.
  const std::string path = tempPath("limited.bmp");
  { std::ofstream(path) << "old"; }
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit lim = old;
  lim.rlim_cur = 2000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lim), 0);
  const int grayRc = Util_SaveGRAY(g.data(), 64, 64, path.c_str(), nullptr);
  const int bgraRc = Util_SaveBGRA(g.data(), 32, 32, path.c_str());
  auto head = ostrel::test::makeHead(64, 64, 100, 0, 2);
  std::vector<int16_t> codes(64 * 64, 2500);
  const int textRc = Ostrel_ExportText(&head, codes.data(), path.c_str());
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(grayRc, -197);
  EXPECT_EQ(bgraRc, -197);
  EXPECT_EQ(textRc, -197);
  std::ifstream f(path);
  std::string content((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "old");
  fs::remove(path);
}

std::string readAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

TEST(ExportText, DocumentedLineAndRefusals) {
  const std::string path = tempPath("t.txt");
  auto head = ostrel::test::makeHead(2, 1, 10, 0, 2);
  int16_t codes[2] = {250, -5};
  ASSERT_EQ(Ostrel_ExportText(&head, codes, path.c_str()), 0);
  EXPECT_EQ(readAll(path), "25.00\t-0.50\t\n");
  auto raw = ostrel::test::makeHead(2, 1, 10, 0, 0);
  EXPECT_EQ(Ostrel_ExportText(&raw, codes, path.c_str()), -8);
  auto noScale = ostrel::test::makeHead(2, 1, 0, 0, 2);
  EXPECT_EQ(Ostrel_ExportText(&noScale, codes, path.c_str()), -8);
  auto empty = ostrel::test::makeHead(0, 1, 10, 0, 2);
  EXPECT_EQ(Ostrel_ExportText(&empty, codes, path.c_str()), -8);
  EXPECT_EQ(Ostrel_ExportText(&head, codes, "/nonexistent-dir/t.txt"), -200);
  ostrel::alg::algFailAllocAfter(0);
  EXPECT_EQ(Ostrel_ExportText(&head, codes, path.c_str()), -5);
  ostrel::alg::algFailAllocAfter(-1);
  EXPECT_EQ(readAll(path), "25.00\t-0.50\t\n");  // refusals leave the file alone
  fs::remove(path);
}

TEST(ExportText, EveryCodeMatchesCLocalePrintf) {
  // All 65536 codes at a few scales and offsets, including the widest values, against "%3.2f"
  // in the C locale.
  const std::string path = tempPath("all.txt");
  std::vector<int16_t> codes(65536);
  for (int i = 0; i < 65536; ++i) codes[i] = static_cast<int16_t>(i - 32768);
  for (auto [scale, offset] :
       {std::pair{1, -32768}, std::pair{1, 32767}, std::pair{10, -20}, std::pair{100, 0}, std::pair{7, 3},
        std::pair{65535, -1}, std::pair{1000, 0}}) {
    auto head = ostrel::test::makeHead(256, 256, scale, offset, 2);
    ASSERT_EQ(Ostrel_ExportText(&head, codes.data(), path.c_str()), 0);
    std::string expect;
    char buf[64];
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        const float t =
            static_cast<float>(codes[y * 256 + x]) / static_cast<float>(scale) + static_cast<float>(offset);
        std::snprintf(buf, sizeof buf, "%3.2f\t", t);
        expect += buf;
      }
      expect += '\n';
    }
    ASSERT_EQ(readAll(path), expect) << scale << " " << offset;
  }
  fs::remove(path);
}

// Builds a German locale in the test's folder when the system has none (Debian's minimal images
// carry only C and C.UTF-8) and switches the process to it.
bool enterDecimalCommaLocale() {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8")) return true;
  const std::string dir = std::string(OSTREL_TEST_BINARY_DIR) + "/locales";
  fs::create_directories(dir);
  if (!fs::exists(dir + "/de_DE.UTF-8")) {
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 && !fs::exists(dir + "/de_DE.UTF-8")) return false;
  }
  setenv("LOCPATH", dir.c_str(), 1);
  return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

TEST(ExportText, LocaleFreeAndOverlapping) {
  if (!enterDecimalCommaLocale()) GTEST_SKIP() << "no decimal-comma locale can be had here";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%3.2f", 25.0);
  ASSERT_STREQ(probe, "25,00");  // the locale really is active
  auto head = ostrel::test::makeHead(64, 48, 10, 0, 2);
  std::vector<int16_t> codes(64 * 48, 250);
  codes[5] = -5;
  std::string expect;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) expect += (y == 0 && x == 5) ? "-0.50\t" : "25.00\t";
    expect += '\n';
  }
  // Two exports at once, as two preview callbacks may do.
  std::vector<std::string> paths = {tempPath("de1.txt"), tempPath("de2.txt")};
  std::vector<int> rc(2, 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20 && rc[t] != -1000; ++i)
        rc[t] = Ostrel_ExportText(&head, codes.data(), paths[t].c_str());
    });
  for (auto& t : threads) t.join();
  std::setlocale(LC_ALL, "C");
  for (int t = 0; t < 2; ++t) {
    EXPECT_EQ(rc[t], 0);
    EXPECT_EQ(readAll(paths[t]), expect);
    fs::remove(paths[t]);
  }
}

}  // namespace
