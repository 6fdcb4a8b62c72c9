#include "RecorderSupport.h"
