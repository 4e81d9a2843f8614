#include "support/ShowInstall.h"

#include "media/CatalogFixtures.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"

bool MakeShowInstall(const std::wstring& install) {
  return InstallBridge(install) && MakeFolders(install + L"kelconfig\\Scripts\\dialogs") &&
         MakeFolders(install + L"kelconfig\\Backgrnds") && MakeFolders(install + L"media") &&
         WriteFileBytes(install + L"kelconfig\\Backgrnds\\KEL_Loading.png", MakePng(64, 48, 0x000000, 0x808080));
}
