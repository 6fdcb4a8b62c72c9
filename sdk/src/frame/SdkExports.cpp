// The shared library's own translation unit: everything else comes whole from sdk_core.
#include "OstrelSDK.h"
