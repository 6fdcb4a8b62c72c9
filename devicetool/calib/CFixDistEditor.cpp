#include "CFixDistEditor.h"

#include <cmath>
#include <cstring>

#include "QmlListAccess.h"
#include "foundation/Helpers.h"

CFixDistFile::CFixDistFile(QObject* parent) : QObject(parent) {
  for (int i = 0; i < calirec::kFixDistRows; ++i) items_.append(new CFixDistItem());
}

CFixDistFile::~CFixDistFile() {
  qDeleteAll(items_);
}

QQmlListProperty<CFixDistItem> CFixDistFile::itemArray() {
  return readOnlyList(this, &items_);
}

void CFixDistFile::loadFromImage() {
  setDistCount(image_.distCount);  // out of range (negative too): unchanged
  setBbCount(image_.bbCount);
  setDist0(image_.dist[0]);
  setDist1(image_.dist[1]);
  setDist2(image_.dist[2]);
  setDist3(image_.dist[3]);
  setDist4(image_.dist[4]);
  for (int i = 0; i < calirec::kFixDistRows; ++i) {
    items_[i]->load_blackbody(image_.table[0][i].blackbody);
    for (int k = 0; k < calirec::kFixDistDists; ++k) items_[i]->loadTempAt(k, image_.table[k][i].temp);
    loadedBb_[i] = items_[i]->blackbody();
  }
  loadedDistCount_ = distCount_;
  loadedBbCount_ = bbCount_;
}

QStringList CFixDistFile::invalidFields() const {
  QStringList out;
  static const char* const kTemps[5] = {"temp0", "temp1", "temp2", "temp3", "temp4"};
  for (int i = 0; i < calirec::kFixDistRows; ++i) {
    if (!std::isfinite(items_[i]->blackbody())) out << caliprops::cellName("itemArray", i, "blackbody");
    for (int k = 0; k < calirec::kFixDistDists; ++k)
      if (!std::isfinite(items_[i]->tempAt(k))) out << caliprops::cellName("itemArray", i, kTemps[k]);
  }
  return out;
}

void CFixDistFile::storeToImage() {
  // Bytes 0-263 and 692-695 are the camera's and stay as read. A count changes only when the user
  // changed it: one out of range left the shown value (maybe another camera's), and the camera's
  // own count stays.
  if (distCount_ != loadedDistCount_) image_.distCount = distCount_;
  if (bbCount_ != loadedBbCount_) image_.bbCount = bbCount_;
  const int32_t dist[5] = {dist0_, dist1_, dist2_, dist3_, dist4_};
  std::memcpy(image_.dist, dist, sizeof dist);
  // The blackbody shown is the distance-0 table's; the other tables keep their own column until
  // the row's blackbody is edited, which then goes into all five.
  for (int i = 0; i < calirec::kFixDistRows; ++i) {
    const float bb = items_[i]->blackbody();
    const bool edited = !caliprops::sameFloat(bb, loadedBb_[i]);
    for (int k = 0; k < calirec::kFixDistDists; ++k) {
      if ((k == 0 || edited) && !caliprops::sameFloat(image_.table[k][i].blackbody, bb)) image_.table[k][i].blackbody = bb;
      if (!caliprops::sameFloat(image_.table[k][i].temp, items_[i]->tempAt(k)))
        image_.table[k][i].temp = items_[i]->tempAt(k);
    }
  }
}

int CFixDistEditor::init(const QString& ip) {
  return loginAndRead(ip, [this] { return downloadMem(0); });
}

int CFixDistEditor::downloadMem(int) {
  const int r = downloadBlock(calirec::kFixDistBlock, &file_.image(), int(sizeof(calirec::FixDistRecord)));
  if (r >= 0) file_.loadFromImage();
  return r;
}

int CFixDistEditor::uploadMem(int) {
  if (!loggedIn() || !downloaded(calirec::kFixDistBlock)) return -7;
  // A value the camera's table holds that is not a finite number is never sent back.
  if (!file_.invalidFields().isEmpty()) return -8;
  file_.storeToImage();
  return uploadBlock(calirec::kFixDistBlock, &file_.image(), int(sizeof(calirec::FixDistRecord)));
}

int CFixDistEditor::load(const QString& path) {
  if (!loggedIn()) return -7;
  const int r = calirec::loadTableFile(path.toUtf8().toStdString(), &file_.image(), &calirec::fixdistFileValid);
  if (r >= 0) file_.loadFromImage();
  return r;
}

int CFixDistEditor::save(const QString& path) {
  if (!loggedIn()) return -7;
  file_.storeToImage();
  return ostrel::fileWriteAll(path.toUtf8().constData(), &file_.image(), sizeof(calirec::FixDistRecord));
}
