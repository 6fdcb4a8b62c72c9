#include "modules/CModuleInputJpg.h"

#include "foundation/Logger.h"
#include "inputs/CInputManager.h"


// The information line of a picture or stream frame: detector and housing temperature (the
// hardware sensor at byte 40, as the live module shows it), the input bits (byte 26 first, then
// the input lines of byte 25).
QString fileFrameInfo(const DataFrameHead* h) {
  return QString::asprintf("fpa %3.1f | shell %3.1f | input %d%d", h->fpaTemp / 1000.0, h->shellTempHW / 1000.0,
                           h->inputBits, h->gpioInput);
}

CModuleInputJpg::CModuleInputJpg(QObject* parent) : CModuleInputFileBase(TypeInputJpg, parent) {}

CModuleInputJpg::~CModuleInputJpg() {
  if (isAttached()) release();
}

int CModuleInputJpg::init(CInputBase* input, CFrame* frame) {
  auto* in = qobject_cast<CInputJpg*>(input);
  if (in == nullptr) {
    ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_ERROR, "%s,%d,%s:\ninvalid input, inputType %d\n\n",
                      "TabFrameModule\\CModuleInputJpg", __LINE__, "CModuleInputJpg::init",
                      input != nullptr ? input->inputType() : 0);
    return -8;
  }
  const int r = CModule::init(input, frame);
  if (r < 0) return r;
  setViewName(QStringLiteral("%1").arg(in->fileName()));
  return 0;
}

void CModuleInputJpg::detach() {
  if (!isAttached()) return;
  release();
}

void CModuleInputJpg::release() {
  QPointer<CInputBase> in = input();
  unloadData();
  detachBase();
  // A file input belongs to its module: it goes with it.
  if (CInputManager* m = managers().inputs; m != nullptr && !in.isNull()) m->file_delete(in.data());
}

int CModuleInputJpg::loadData() {
  CInputJpg* in = jpg();
  if (in == nullptr) return -7;
  if (in->isOpen()) return 0;
  const int r = in->open();
  if (r < 0) return r;
  FrameSlot* f = in->readFrame(0);
  if (f == nullptr) {
    in->close();
    return -11;
  }
  currentFrame_ = f;
  ModuleCanvas* c = canvas();
  if (c == nullptr) return 0;
  c->setTfm_module(this);
  c->beginUpdate(in->dataWidth(), in->dataHeight());
  applyConf(*in->fileConf());
  // The picture's information text is always set; showInfo only switches its display.
  c->setInfoText(fileFrameInfo(f->head));
  return c->updateData(f);
}

void CModuleInputJpg::unloadData() {
  CInputJpg* in = jpg();
  if (in == nullptr || !in->isOpen()) return;
  if (input_saveConfirmed()) saveInput();
  if (ModuleCanvas* c = canvas()) c->endUpdate();
  currentFrame_ = nullptr;
  in->close();
}

int CModuleInputJpg::applyImageConfig() {
  CInputJpg* in = jpg();
  if (in == nullptr || currentFrame_ == nullptr) return -7;
  const int palette = imageConfig()->paletteType();
  imageConfig()->toParams(&settings_);
  const int r = in->setImage(palette, &settings_);
  if (r < 0) return r;
  FrameSlot* f = in->readFrame(0);
  if (f == nullptr) return -11;
  currentFrame_ = f;
  ModuleCanvas* c = canvas();
  const int u = c != nullptr ? c->updateData(f) : 0;
  showPalette();
  emit recoloured();
  return u;
}

void CModuleInputJpg::setSubModuleChartMesh(CModule* m) {
  if (subModuleChartMesh_.data() == m) return;
  subModuleChartMesh_ = m;
  emit subModuleChartMeshChanged();
}
