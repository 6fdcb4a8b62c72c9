// The SDK's life cycle: Ostrel_InitSDK starts the logger, then runs the start-up steps in the
// order of its step table (sockets, discovery, video library, palette table, lock); Ostrel_FreeSDK
// runs the shutdown hooks, then undoes the steps that are done in reverse order, the logger last.
// A subsystem that owns a resource joins as a step (the life cycle calls down into it); one that
// owns sessions or threads registers a shutdown hook, which is the only reason to include this
// header below the frame.
#pragma once

#include <cstdint>

namespace ostrel::sdk {

// Work that Ostrel_FreeSDK must do before shared state goes (stop previews, log out sessions).
// Hooks run in ascending order, before anything else is released and while the library still
// counts as initialised; define one at namespace scope in the file that owns the state:
//   static const ostrel::sdk::ShutdownHook hook(10, &stopAllPreviews);
struct ShutdownHook {
  ShutdownHook(int order, void (*fn)());
};
void runShutdownHooks();

// Test hooks. Makes the start-up step with this flag bit fail with `code` (0 clears it).
void sdkFailInitStepForTest(uint32_t flag, int code);
// Reads the settings from `dir` instead of the executable's folder (null restores it).
void sdkSetModuleDirForTest(const char* dir);

}  // namespace ostrel::sdk
