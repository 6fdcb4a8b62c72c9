#include "OstrelFfmpeg.h"
