// One simulated camera on one loopback address: its stored state, its observation log and the
// servers of its ports. Further servers (discovery, preview streams, snapshots) are separate
// classes that take the same CameraState and ObservationLog.
#pragma once

#include <memory>
#include <string>

#include "camsim/CameraState.h"
#include "camsim/CommandServer.h"
#include "camsim/ObservationLog.h"
#include "camsim/SnapshotServer.h"
#include "camsim/TempStreamServer.h"

namespace camsim {

struct CameraSimOptions {
  std::string address = "127.0.0.1";  // must lie in 127.0.0.0/8
  uint16_t commandPort = kCommandPort;
  CameraIdentity identity;
  bool tempStream = true;      // serve the temperature stream port too
  uint16_t tempPort = 55503;
  bool tempPaced = true;       // at dataFps, or as fast as the peer reads
  int tempPackEvery = 0;       // every k-th frame packed (0: never)
  Scene tempScene = Scene::Spots;
  bool snapshot = true;        // serve the snapshot port too
  uint16_t snapPort = kSnapshotPort;
};

class CameraSim {
 public:
  explicit CameraSim(CameraSimOptions options = {});
  ~CameraSim();

  // Starts every port; 0 or -errno of the first that failed (then nothing runs).
  int start();
  void stop();

  const CameraSimOptions& options() const { return options_; }
  CameraState& state() { return state_; }
  ObservationLog& log() { return log_; }
  CommandServer& command() { return *command_; }
  // Null when the options leave the temperature stream out.
  TempStreamServer* tempStream() { return temp_.get(); }
  // Null when the options leave the snapshot port out.
  SnapshotServer* snapshot() { return snap_.get(); }

 private:
  CameraSimOptions options_;
  CameraState state_;
  ObservationLog log_;
  std::unique_ptr<CommandServer> command_;
  std::unique_ptr<TempStreamServer> temp_;
  std::unique_ptr<SnapshotServer> snap_;
};

}  // namespace camsim
