#include "gdal/GdalHandlers.h"

#include "core/files/FileFactory.h"
#include "gdal/FileRaster.h"
#include "gdal/GdalSession.h"

void RegisterGdalFileHandlers() {
  EnsureGdalRegistered();
  CFileFactory::Instance()->Register<CFileRaster>();
}
