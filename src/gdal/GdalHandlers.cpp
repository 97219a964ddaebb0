#include "gdal/GdalHandlers.h"

#include "files/FileFactory.h"
#include "gdal/FileRaster.h"
#include "gdal/GdalSession.h"

void RegisterGdalFileHandlers() {
  EnsureGdalRegistered();
  CFileFactory::Instance()->Register<CFileRaster>();
}
