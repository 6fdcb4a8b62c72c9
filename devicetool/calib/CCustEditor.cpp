#include "CCustEditor.h"

#include <QDateTime>
#include <cmath>
#include <cstring>
#include <string_view>

#include "QmlListAccess.h"
#include "devicetool/ValueConvert.h"
#include "foundation/Helpers.h"

CCustFile::CCustFile(QObject* parent) : QObject(parent) {
  for (int i = 0; i < calirec::kCustPoints; ++i) items_.append(new CCustPoint());
}

CCustFile::~CCustFile() {
  qDeleteAll(items_);
}

void CCustFile::setNote(const QString& v) {
  if (v == note_) return;
  note_ = v;
  emit noteChanged();
}

void CCustFile::setEditEnable(bool v) {
  if (v == editEnable_) return;
  editEnable_ = v;
  emit editEnableChanged();
}

QQmlListProperty<CCustPoint> CCustFile::itemList() {
  return readOnlyList(this, &items_);
}

QString CCustFile::filetimeText(uint64_t filetime) {
  const qint64 ms = qint64(filetime / 10000) - ostrel::kFileTimeUnixEpoch / 10000;
  return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void CCustFile::loadFromImage() {
  const QString ts = filetimeText(image_.filetime);
  if (ts != timestamp_) {
    timestamp_ = ts;
    emit timestampChanged();
  }
  setNote(QString::fromStdString(
      valueconv::fieldText(reinterpret_cast<const uint8_t*>(image_.note), sizeof image_.note - 1)));
  setItemCount(image_.count);  // out of range: unchanged
  for (int i = 0; i < calirec::kCustPoints; ++i) {
    items_[i]->load_blackbody(image_.points[i].blackbody);
    items_[i]->load_temp(image_.points[i].temp);
  }
  loadedNote_ = note_;
  loadedCount_ = itemCount_;
}

QStringList CCustFile::invalidFields() const {
  QStringList out;
  for (int i = 0; i < calirec::kCustPoints; ++i) {
    if (!std::isfinite(items_[i]->blackbody())) out << caliprops::cellName("itemList", i, "blackbody");
    if (!std::isfinite(items_[i]->temp())) out << caliprops::cellName("itemList", i, "temp");
  }
  return out;
}

bool CCustFile::edited() const {
  if (note_ != loadedNote_ || itemCount_ != loadedCount_) return true;
  for (int i = 0; i < calirec::kCustPoints; ++i)
    if (!caliprops::sameFloat(image_.points[i].blackbody, items_[i]->blackbody()) ||
        !caliprops::sameFloat(image_.points[i].temp, items_[i]->temp()))
      return true;
  return false;
}

void CCustFile::storeToImage(uint64_t filetime) {
  image_.filetime = filetime;
  // The note is written only when the user changed it: one another program wrote in another
  // encoding reads with replacement characters and must go back byte for byte.
  if (note_ != loadedNote_) {
    // Cut on a whole UTF-8 character, so the camera never holds half of one.
    const QByteArray note = note_.toUtf8();
    const size_t n = valueconv::utf8CutLength(std::string_view(note.constData(), size_t(note.size())),
                                              sizeof image_.note - 1);
    std::memset(image_.note, 0, sizeof image_.note);
    std::memcpy(image_.note, note.constData(), n);
  }
  // A count out of range left the shown one (maybe another camera's): the camera's stays.
  if (itemCount_ != loadedCount_) image_.count = itemCount_;
  for (int i = 0; i < calirec::kCustPoints; ++i) {
    if (!caliprops::sameFloat(image_.points[i].blackbody, items_[i]->blackbody()))
      image_.points[i].blackbody = items_[i]->blackbody();
    if (!caliprops::sameFloat(image_.points[i].temp, items_[i]->temp())) image_.points[i].temp = items_[i]->temp();
  }
}

bool CCustEditor::hasTwoRanges(const char* softwareId, size_t n) {
  const std::string_view sw(softwareId, strnlen(softwareId, n));
  for (const char* code : {"QB", "QF", "QH"})
    if (sw.find(code) != std::string_view::npos) return true;
  return false;
}

CCustFile* CCustEditor::fileOf(int type) {
  return type == calirec::kCustBlockFirst ? &cust_ : type == calirec::kCustBlockSecond ? &cust2_ : nullptr;
}

int CCustEditor::init(const QString& ip) {
  // A table of an earlier camera is no longer editable; each read below enables its own.
  cust_.setEditEnable(false);
  cust2_.setEditEnable(false);
  const int r = loginAndRead(ip, [this] {
    const bool single = !hasTwoRanges(camera().softwareId, sizeof camera().softwareId - 1);
    if (single != tempRangeSingle_) {
      tempRangeSingle_ = single;
      emit tempRangeSingleChanged();
    }
    const int r = downloadMem(calirec::kCustBlockFirst);
    return r >= 0 && !single ? downloadMem(calirec::kCustBlockSecond) : r;
  });
  // A refused read releases the login: no table of it stays editable, the first one included.
  if (r < 0) {
    cust_.setEditEnable(false);
    cust2_.setEditEnable(false);
  }
  return r;
}

int CCustEditor::downloadMem(int type) {
  CCustFile* file = fileOf(type);
  if (!file) return -8;
  const int r = downloadBlock(type, &file->image(), int(sizeof(calirec::CustCorrRecord)));
  if (r < 0) {
    file->setEditEnable(false);
    return r;
  }
  file->loadFromImage();
  file->setEditEnable(true);
  return r;
}

int CCustEditor::uploadMem(int type) {
  CCustFile* file = fileOf(type);
  if (!file) return -8;
  if (!loggedIn() || !downloaded(type)) return -7;
  // A value the camera's table holds that is not a finite number is never sent back.
  if (!file->invalidFields().isEmpty()) return -8;
  // Nothing changed: the camera keeps its table and the time of its last change.
  if (!file->edited()) return 0;
  file->storeToImage(uint64_t(ostrel::nowFileTime()));
  return uploadBlock(type, &file->image(), int(sizeof(calirec::CustCorrRecord)));
}
