#include "CWeiJuEditor.h"

#include <cmath>
#include <cstring>

#include "QmlListAccess.h"
#include "foundation/Helpers.h"

CWeiJuFile::CWeiJuFile(QObject* parent) : QObject(parent) {
  cali_mode_ = 2;
  for (int i = 0; i < calirec::kWeiJuRows; ++i) {
    len1_.append(new CWeiJuItem());
    len2_.append(new CWeiJuItem());
  }
}

CWeiJuFile::~CWeiJuFile() {
  qDeleteAll(len1_);
  qDeleteAll(len2_);
}

QQmlListProperty<CWeiJuItem> CWeiJuFile::len1_bb_array() {
  return readOnlyList(this, &len1_);
}

QQmlListProperty<CWeiJuItem> CWeiJuFile::len2_bb_array() {
  return readOnlyList(this, &len2_);
}

void CWeiJuFile::loadFromImage() {
  setCali_mode(image_.caliMode);
  setLen1_env_count(image_.len1EnvCount);  // counts out of range: unchanged
  setLen1_bb_count(image_.len1BbCount);
  setLen2_bb_count(image_.len2BbCount);
  load_len1_shell0(image_.len1Shell[0]);
  load_len1_shell1(image_.len1Shell[1]);
  load_len1_shell2(image_.len1Shell[2]);
  load_len1_shell3(image_.len1Shell[3]);
  // Every row, whatever the counts say: a lowered count keeps the rows above it.
  for (int i = 0; i < calirec::kWeiJuRows; ++i) {
    len1_[i]->load_blackbody(image_.len1[0][i].blackbody);
    for (int k = 0; k < calirec::kWeiJuShells; ++k) len1_[i]->loadTempAt(k, image_.len1[k][i].temp);
    len2_[i]->load_blackbody(image_.len2[i].blackbody);
    len2_[i]->load_temp0(image_.len2[i].temp);
    loadedBb1_[i] = len1_[i]->blackbody();
  }
  loaded_ = {cali_mode_, len1_env_count_, len1_bb_count_, len2_bb_count_};
}

QStringList CWeiJuFile::invalidFields() const {
  QStringList out;
  const float shells[4] = {len1_shell0_, len1_shell1_, len1_shell2_, len1_shell3_};
  static const char* const kShells[4] = {"len1_shell0", "len1_shell1", "len1_shell2", "len1_shell3"};
  static const char* const kTemps[4] = {"temp0", "temp1", "temp2", "temp3"};
  for (int k = 0; k < 4; ++k)
    if (!std::isfinite(shells[k])) out << QLatin1String(kShells[k]);
  for (int i = 0; i < calirec::kWeiJuRows; ++i) {
    if (!std::isfinite(len1_[i]->blackbody())) out << caliprops::cellName("len1_bb_array", i, "blackbody");
    for (int k = 0; k < calirec::kWeiJuShells; ++k)
      if (!std::isfinite(len1_[i]->tempAt(k))) out << caliprops::cellName("len1_bb_array", i, kTemps[k]);
  }
  for (int i = 0; i < calirec::kWeiJuRows; ++i) {
    if (!std::isfinite(len2_[i]->blackbody())) out << caliprops::cellName("len2_bb_array", i, "blackbody");
    if (!std::isfinite(len2_[i]->temp0())) out << caliprops::cellName("len2_bb_array", i, "temp0");
  }
  return out;
}

void CWeiJuFile::storeToImage() {
  image_.tag = calirec::kWeiJuTag;
  // Bytes 4-35 and 56-127 are the camera's and stay as read. A count changes only when the user
  // changed it: one out of range left the shown value (maybe another camera's), and the camera's
  // own byte stays.
  if (cali_mode_ != loaded_[0]) image_.caliMode = uint8_t(cali_mode_);
  if (len1_env_count_ != loaded_[1]) image_.len1EnvCount = uint8_t(len1_env_count_);
  if (len1_bb_count_ != loaded_[2]) image_.len1BbCount = uint8_t(len1_bb_count_);
  if (len2_bb_count_ != loaded_[3]) image_.len2BbCount = uint8_t(len2_bb_count_);
  const float shells[4] = {len1_shell0_, len1_shell1_, len1_shell2_, len1_shell3_};
  for (int k = 0; k < 4; ++k)
    if (!caliprops::sameFloat(image_.len1Shell[k], shells[k])) image_.len1Shell[k] = shells[k];
  // The blackbody shown is table 0's; tables 1-3 keep their own column until the row's blackbody
  // is edited, which then goes into all four. The third float of each entry keeps what the camera
  // had.
  for (int i = 0; i < calirec::kWeiJuRows; ++i) {
    const float bb = len1_[i]->blackbody();
    const bool edited = !caliprops::sameFloat(bb, loadedBb1_[i]);
    for (int k = 0; k < calirec::kWeiJuShells; ++k) {
      if ((k == 0 || edited) && !caliprops::sameFloat(image_.len1[k][i].blackbody, bb)) image_.len1[k][i].blackbody = bb;
      if (!caliprops::sameFloat(image_.len1[k][i].temp, len1_[i]->tempAt(k))) image_.len1[k][i].temp = len1_[i]->tempAt(k);
    }
    if (!caliprops::sameFloat(image_.len2[i].blackbody, len2_[i]->blackbody()))
      image_.len2[i].blackbody = len2_[i]->blackbody();
    if (!caliprops::sameFloat(image_.len2[i].temp, len2_[i]->temp0())) image_.len2[i].temp = len2_[i]->temp0();
  }
}

CWeiJuEditor::CWeiJuEditor(QObject* parent) : CLoginBlockEditor(parent) {}

QQmlListProperty<CNameValue> CWeiJuEditor::caliModeList() {
  // Named when first shown: the editor is made before start-up installs the translation.
  if (caliModeList_.isEmpty()) {
    caliModeList_.append(new CNameValue(this, qtTrId("Cali1"), 1));
    caliModeList_.append(new CNameValue(this, qtTrId("Len1_Cali2"), 2));
    caliModeList_.append(new CNameValue(this, qtTrId("Len2_Cali2"), 3));
  }
  return readOnlyList(this, &caliModeList_);
}

int CWeiJuEditor::init(const QString& ip) {
  return loginAndRead(ip, [this] { return downloadMem(0); });
}

int CWeiJuEditor::downloadMem(int) {
  const int r = downloadBlock(calirec::kWeiJuBlock, &file_.image(), int(sizeof(calirec::WeiJuRecord)));
  if (r >= 0) file_.loadFromImage();
  return r;
}

int CWeiJuEditor::uploadMem(int) {
  if (!loggedIn() || !downloaded(calirec::kWeiJuBlock)) return -7;
  // A value the camera's table holds that is not a finite number is never sent back.
  if (!file_.invalidFields().isEmpty()) return -8;
  file_.storeToImage();
  return uploadBlock(calirec::kWeiJuBlock, &file_.image(), int(sizeof(calirec::WeiJuRecord)));
}

int CWeiJuEditor::load(const QString& path) {
  if (!loggedIn()) return -7;
  const int r = calirec::loadTableFile(path.toUtf8().toStdString(), &file_.image(), &calirec::weijuFileValid);
  if (r >= 0) file_.loadFromImage();
  return r;
}

int CWeiJuEditor::save(const QString& path) {
  if (!loggedIn()) return -7;
  file_.storeToImage();
  return ostrel::fileWriteAll(path.toUtf8().constData(), &file_.image(), sizeof(calirec::WeiJuRecord));
}
