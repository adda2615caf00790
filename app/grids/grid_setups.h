// The fixed texts the grids get at start-up, and the clearing every fill
// starts with.
#pragma once

#include "grids/grid_set.h"

namespace grids {

// Each writes the fixed texts and widths of one grid and fits it.
void Init_StartStop_Grid(GridSet &grids);  // MSFlexGrid8
void Init_FlowStats_Grid(GridSet &grids);  // MSFlexGrid4
void Init_Temp_Pres_Grid(GridSet &grids);  // MSFlexGrid1, again at every event fill
void Init_Warnings_Grid(GridSet &grids);   // MSFlexGrid3
void Init_FlowWarn_Grid(GridSet &grids);   // MSFlexGrid7
void Init_PowerFail_Grid(GridSet &grids);  // MSFlexGrid9

// The six set-ups in the window's start-up order.
void initGrids(GridSet &grids);

// Empties the data cells of every grid; header rows and label columns stay
// (MSFlexGrid1 loses its labels from row 2 on, the event fill restores
// them). The data log goes back to four rows with row 2 current.
void Clear_Grids(GridSet &grids);

// Empties both header rows of the data log, so no column title or unit of
// the file shown before stays above another file's data.
void clearDataLogHeaders(GridSet &grids);

} // namespace grids
