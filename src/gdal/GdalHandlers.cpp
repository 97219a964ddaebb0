#include "gdal/GdalHandlers.h"

#include <memory>

#include "files/FileFactory.h"
#include "gdal/FileRaster.h"
#include "gdal/GdalSession.h"

void RegisterGdalFileHandlers() {
  EnsureGdalRegistered();
  CFileFactory::Instance()->Register(std::make_unique<CFileRaster>());
}
