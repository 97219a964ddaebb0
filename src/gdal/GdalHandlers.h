#pragma once
// The file handlers of marevert_gdal, for the programs to register at start-up.

// Registers GDAL's drivers and adds the raster handler to the handler factory, after
// the survey handlers already there. Call once, before the first batch.
void RegisterGdalFileHandlers();
