#pragma once
#include "RowScan.h"
