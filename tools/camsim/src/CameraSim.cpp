#include "camsim/CameraSim.h"

namespace camsim {

CameraSim::CameraSim(CameraSimOptions options)
    : options_(std::move(options)),
      state_(options_.identity),
      command_(std::make_unique<CommandServer>(options_.address, state_, log_, options_.commandPort)) {
  if (options_.tempStream) {
    TempStreamConfig c;
    c.address = options_.address;
    c.port = options_.tempPort;
    c.width = options_.identity.dataWidth;
    c.height = options_.identity.dataHeight;
    c.fps = options_.identity.dataFps ? options_.identity.dataFps : 25;
    c.paced = options_.tempPaced;
    c.packEvery = options_.tempPackEvery;
    c.scene = options_.tempScene;
    temp_ = std::make_unique<TempStreamServer>(c);
  }
  if (options_.snapshot)
    snap_ = std::make_unique<SnapshotServer>(options_.address, options_.snapPort, options_.identity.cameraId,
                                             options_.identity.dataWidth, options_.identity.dataHeight);
}

CameraSim::~CameraSim() {
  stop();
}

int CameraSim::start() {
  int rc = command_->start();
  if (rc == 0 && temp_) {
    rc = temp_->start();
    if (rc != 0) command_->stop();
  }
  if (rc == 0 && snap_) {
    rc = snap_->start();
    if (rc != 0) {
      if (temp_) temp_->stop();
      command_->stop();
    }
  }
  return rc;
}

void CameraSim::stop() {
  if (snap_) snap_->stop();
  if (temp_) temp_->stop();
  command_->stop();
}

}  // namespace camsim
