#include "CFixDistEditor.h"

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
  }
}

void CFixDistFile::storeToImage() {
  image_ = calirec::FixDistRecord{};
  image_.distCount = distCount_;
  image_.bbCount = bbCount_;
  const int32_t dist[5] = {dist0_, dist1_, dist2_, dist3_, dist4_};
  std::memcpy(image_.dist, dist, sizeof dist);
  // A row's blackbody goes into the table of every distance.
  for (int i = 0; i < calirec::kFixDistRows; ++i)
    for (int k = 0; k < calirec::kFixDistDists; ++k) {
      image_.table[k][i].blackbody = items_[i]->blackbody();
      image_.table[k][i].temp = items_[i]->tempAt(k);
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
