// Rules without a camera: the identity split, settings file names, radiometric file sniffing
// (goldens from the thermal-file generator and hand-cut variants) and the address text order.
#include <climits>
#include <cstring>

#include "InputsSupport.h"
#include "inputs/CInputManager.h"
#include "inputs/InputText.h"

namespace {

using namespace inputs;

struct Fields {
  char id[32];
  char type[16];
};

Fields fields(const char* id, size_t idLen, const char* type, size_t typeLen) {
  Fields f;
  std::memset(&f, 0, sizeof f);
  std::memcpy(f.id, id, idLen);
  std::memcpy(f.type, type, typeLen);
  return f;
}

TEST(IdentitySplit, DigitAtFiveCutsModelAfterFive) {
  Fields f = fields("TX6401-20~650N00123", 19, "TX640\0\0\0L25-F10", 15);
  IdentityParts p = splitCameraIdentity(f.id, f.type);
  ASSERT_TRUE(p.cameraModel && p.tempRange && p.cameraSerial && p.lensName);
  EXPECT_EQ(*p.cameraModel, "TX640");
  EXPECT_EQ(*p.tempRange, "1-20~650");
  EXPECT_EQ(*p.cameraSerial, "00123");
  EXPECT_EQ(*p.lensName, "L25-F10");
}

TEST(IdentitySplit, LetterAtFiveCutsModelAfterSix) {
  Fields f = fields("QX640L-20~150N7", 15, "QX640", 5);
  IdentityParts p = splitCameraIdentity(f.id, f.type);
  ASSERT_TRUE(p.cameraModel && p.tempRange && p.cameraSerial);
  EXPECT_EQ(*p.cameraModel, "QX640L");
  EXPECT_EQ(*p.tempRange, "-20~150");
  EXPECT_EQ(*p.cameraSerial, "7");
  // No character from 'A' on in bytes 8..15 of the type: no lens.
  EXPECT_FALSE(p.lensName);
}

TEST(IdentitySplit, UnmatchedPatternsLeaveThePartsAlone) {
  // No 'N' at or after the cut.
  Fields none = fields("ABCDE1-20~650-00123", 19, "", 0);
  EXPECT_FALSE(splitCameraIdentity(none.id, none.type).cameraModel);
  // An 'N' before the cut does not count.
  Fields early = fields("ANCDEF-20", 9, "", 0);
  EXPECT_FALSE(splitCameraIdentity(early.id, early.type).cameraSerial);
  // All 32 bytes used, no terminating zero inside the field: nothing is read past it.
  Fields full = fields("ABCDE1-20~650N0123456789012345678", 32, "ABCDEFGHIJKLMNOP", 16);
  IdentityParts p = splitCameraIdentity(full.id, full.type);
  EXPECT_FALSE(p.cameraModel);
  EXPECT_FALSE(p.cameraSerial);
  EXPECT_FALSE(p.lensName);
}

TEST(SettingsFileName, OrdinaryIdsAreKeptAndOthersMapped) {
  EXPECT_EQ(safeCameraIdName("CAMSIM-0001"), "CAMSIM-0001");
  EXPECT_EQ(safeCameraIdName("TX640.1_a-Z9"), "TX640.1_a-Z9");
  EXPECT_EQ(safeCameraIdName("../x"), ".._x");
  EXPECT_EQ(safeCameraIdName("a/b\\c d:e"), "a_b_c_d_e");
  EXPECT_EQ(safeCameraIdName("\xc3\xa9t\xc3\xa9"), "__t__");
  // Bounded to its field: a 32-byte id without a terminating zero stops at 32.
  char id[40];
  std::memset(id, 'A', sizeof id);
  EXPECT_EQ(safeCameraIdName(id, 32), QString(32, QChar('A')));
  char field[32];
  std::memcpy(field, "../../etc/passwd", 17);
  EXPECT_EQ(deviceConfPath("/cfg", field), "/cfg/Device-.._.._etc_passwd.conf");
}

TEST(AddressOrder, ComparesAsPlainText) {
  EXPECT_TRUE(addressTextGreater("10.0.0.2", "10.0.0.100"));
  EXPECT_FALSE(addressTextGreater("10.0.0.100", "10.0.0.2"));
  EXPECT_TRUE(addressTextGreater("192.168.1.3", "192.168.1.20"));
  EXPECT_FALSE(addressTextGreater("10.0.0.1", "10.0.0.1"));
}

// The radiometric file rules on the generated goldens and variants cut from them by hand.
class FileSniff : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(makeGoldens(dir_.path()));
  }
  QString path(const QString& name) const { return dir_.filePath(name); }
  // A copy of a golden with its last 36 bytes replaced.
  QString withTrailer(const QString& from, const QString& to, uint16_t w, uint16_t h, uint32_t date,
                      const char tag[4]) {
    QByteArray b = readAll(path(from));
    uint8_t t[36] = {};
    std::memcpy(t, &w, 2);
    std::memcpy(t + 2, &h, 2);
    std::memcpy(t + 4, &date, 4);
    std::memcpy(t + 12, tag, 4);
    b.replace(b.size() - 36, 36, reinterpret_cast<const char*>(t), 36);
    EXPECT_TRUE(writeAll(path(to), b));
    return path(to);
  }
  // A legacy one-frame stream head with width/height and `size` bytes in all.
  QString legacy(const QString& name, int32_t w, int32_t h, qint64 size) {
    QByteArray b(size, '\0');
    b[0] = 'B';
    b[1] = 'M';
    std::memcpy(b.data() + 18, &w, 4);
    std::memcpy(b.data() + 22, &h, 4);
    EXPECT_TRUE(writeAll(path(name), b));
    return path(name);
  }
  QTemporaryDir dir_;
};

TEST_F(FileSniff, PicturesAreKnownByTheirTrailer) {
  for (const char* name : {"pic_plain.jpg", "pic_conf.jpg", "pic_dated.jpg", "pic_temp_only.jpg"})
    EXPECT_TRUE(checkRadiometricFile(path(name))) << name;
  EXPECT_TRUE(checkRadiometricFile(withTrailer("pic_plain.jpg", "conf_tag.jpg", 160, 120, 0, "CONF")));
  // Dated form: tag word 0 with a size.
  EXPECT_TRUE(checkRadiometricFile(withTrailer("pic_plain.jpg", "dated.jpg", 160, 120, 20160901, "\0\0\0\0")));
  EXPECT_FALSE(checkRadiometricFile(withTrailer("pic_plain.jpg", "w0.jpg", 0, 120, 20160901, "\0\0\0\0")));
  EXPECT_FALSE(checkRadiometricFile(withTrailer("pic_plain.jpg", "h0.jpg", 160, 0, 20160901, "\0\0\0\0")));
  EXPECT_FALSE(checkRadiometricFile(withTrailer("pic_plain.jpg", "other.jpg", 160, 120, 0, "teMp")));
}

TEST_F(FileSniff, NamesShortFilesAndMissingFilesAreRejected) {
  // The extension compares case-sensitively.
  ASSERT_TRUE(QFile::copy(path("pic_conf.jpg"), path("UPPER.JPG")));
  EXPECT_FALSE(checkRadiometricFile(path("UPPER.JPG")));
  ASSERT_TRUE(QFile::copy(path("pic_conf.jpg"), path("pic.jpeg")));
  EXPECT_FALSE(checkRadiometricFile(path("pic.jpeg")));
  EXPECT_FALSE(checkRadiometricFile(path("stream3.stream")));
  EXPECT_FALSE(checkRadiometricFile(path("missing.jpg")));
  ASSERT_TRUE(writeAll(path("short.jpg"), QByteArray(35, 'T')));
  EXPECT_FALSE(checkRadiometricFile(path("short.jpg")));
  ASSERT_TRUE(writeAll(path("short.bmp"), QByteArray(63, '\0')));
  EXPECT_FALSE(checkRadiometricFile(path("short.bmp")));
  ASSERT_TRUE(writeAll(path("empty.jpg"), QByteArray()));
  EXPECT_FALSE(checkRadiometricFile(path("empty.jpg")));
}

TEST_F(FileSniff, LegacyStreamIsKnownByItsSize) {
  EXPECT_TRUE(checkRadiometricFile(path("legacy.bmp")));
  EXPECT_EQ(QFileInfo(path("legacy.bmp")).size(), 116544);
  EXPECT_TRUE(checkRadiometricFile(legacy("neg.bmp", 160, -120, 116544)));
  EXPECT_TRUE(checkRadiometricFile(legacy("pos.bmp", 160, 120, 116544)));
  EXPECT_FALSE(checkRadiometricFile(legacy("plus1.bmp", 160, 120, 116545)));
  EXPECT_FALSE(checkRadiometricFile(legacy("minus1.bmp", 160, -120, 116543)));
  EXPECT_FALSE(checkRadiometricFile(legacy("negw.bmp", -160, 120, 116544)));
}

TEST_F(FileSniff, LegacySizeRuleDoesNotWrapAround) {
  // (|h| * w + 224) * 6 computed in 32 bits wraps for these; the real sizes are huge.
  EXPECT_EQ(legacyStreamSize(65536, 65536), (int64_t{1} << 32) * 6 + 1344);
  EXPECT_EQ(legacyStreamSize(1, INT_MIN), (int64_t{1} << 31) * 6 + 1344);
  EXPECT_EQ(legacyStreamSize(160, -120), 116544);
  // Files whose sizes the 32-bit rule would hit after wrapping: 641 * 6700417 = 2^32 + 1 wraps to
  // 1, (1 + 224) * 6 = 1350; |INT_MIN| stays INT_MIN and (INT_MIN + 224) * 6 wraps to 1344.
  EXPECT_FALSE(checkRadiometricFile(legacy("wrap.bmp", 6700417, 641, 1350)));
  EXPECT_FALSE(checkRadiometricFile(legacy("intmin.bmp", 1, INT_MIN, 1344)));
}

}  // namespace
