#pragma once
#include "capture/CaptureStore.h"
