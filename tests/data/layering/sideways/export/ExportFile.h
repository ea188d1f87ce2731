#pragma once
#include "imports/FileImport.h"
