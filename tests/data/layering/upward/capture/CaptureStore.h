#pragma once
#include "grid/EventGrid.h"
