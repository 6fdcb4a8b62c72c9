// What a recorder needs of the camera module that owns it (its parent): the input it records, and
// the module's own part of the configuration block appended to each finished stream file. The
// recorder sits below the modules, so it reaches its module only through this. GUI thread only.
#pragma once

class CInputBase;
struct TempFileConf;

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // Null while the module has no input.
  virtual CInputBase* recordInput() const = 0;
  // Palette, image settings and measurement items; the camera fields are the input's.
  virtual void fillRecordConf(TempFileConf* conf) = 0;
};
