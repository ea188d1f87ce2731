#pragma once
#include "SearchPass.h"
