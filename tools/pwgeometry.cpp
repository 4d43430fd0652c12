// SPDX-License-Identifier: MIT

#include "pwgeometry.h"
