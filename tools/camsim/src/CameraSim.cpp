#include "camsim/CameraSim.h"

namespace camsim {

CameraSim::CameraSim(CameraSimOptions options)
    : options_(std::move(options)),
      state_(options_.identity),
      command_(std::make_unique<CommandServer>(options_.address, state_, log_, options_.commandPort)) {}

CameraSim::~CameraSim() {
  stop();
}

int CameraSim::start() {
  return command_->start();
}

void CameraSim::stop() {
  command_->stop();
}

}  // namespace camsim
