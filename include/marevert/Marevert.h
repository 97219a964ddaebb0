#pragma once
// Marevert as a library: carries heights and depths between vertical references along
// the coast with a binary grid (*.MRGGrid) of the fourteen surfaces' heights above the
// GDA94 ellipsoid, and runs the survey file batch and the grid generation of the
// programs. Every function gives the programs' numbers and files exactly.
//
// Nothing here depends on process-wide settings: each call names its sign convention,
// and each grid keeps the coding values of its own file, so several grids may be used
// from several threads at once. Failures throw CError with the programs' own messages.

#include "marevert/Batch.h"
#include "marevert/BuildGrid.h"
#include "marevert/Error.h"
#include "marevert/Grid.h"
#include "marevert/Transform.h"
