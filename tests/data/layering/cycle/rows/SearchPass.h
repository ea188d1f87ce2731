#pragma once
#include "RowSearch.h"
