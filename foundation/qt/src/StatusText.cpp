#include "foundation_qt/StatusText.h"

#include <QCoreApplication>

namespace {

struct StatusId {
  int code;
  const char* id;
};

// One table for both programs; the texts live in each program's translation files.
const StatusId kStatusIds[] = {
    {-1, QT_TRID_NOOP("Status_Failed")},
    {-2, QT_TRID_NOOP("Status_Unsupported")},
    {-4, QT_TRID_NOOP("Status_NotInitialised")},
    {-5, QT_TRID_NOOP("Status_OutOfMemory")},
    {-6, QT_TRID_NOOP("Status_NoSlot")},
    {-7, QT_TRID_NOOP("Status_WrongState")},
    {-8, QT_TRID_NOOP("Status_BadArgument")},
    {-10, QT_TRID_NOOP("Status_BadHandle")},
    {-11, QT_TRID_NOOP("Status_Mismatch")},
    {-17, QT_TRID_NOOP("Status_Lost")},
    {-18, QT_TRID_NOOP("Status_Restored")},
    {-97, QT_TRID_NOOP("Status_NoReply")},
    {-98, QT_TRID_NOOP("Status_SendFailed")},
    {-99, QT_TRID_NOOP("Status_ConnectFailed")},
    {-100, QT_TRID_NOOP("Status_NoSocket")},
    {-193, QT_TRID_NOOP("Status_SeekFailed")},
    {-194, QT_TRID_NOOP("Status_BadFrameHeader")},
    {-197, QT_TRID_NOOP("Status_ShortWrite")},
    {-198, QT_TRID_NOOP("Status_ShortRead")},
    {-200, QT_TRID_NOOP("Status_CannotOpen")},
};

}  // namespace

const char* statusTextId(int code) {
  for (const StatusId& s : kStatusIds)
    if (s.code == code) return s.id;
  return nullptr;
}

QString statusMeaning(int code) {
  const char* id = statusTextId(code);
  return id != nullptr ? qtTrId(id) : QString();
}

QString resultText(int code) {
  if (code >= 0) return qtTrId("Success");
  QString text = qtTrId("Fail") + QLatin1Char(' ') + QString::number(code);
  const QString meaning = statusMeaning(code);
  if (!meaning.isEmpty()) text += QStringLiteral(": ") + meaning;
  return text;
}
