// Placeholder until the catalog readers are built: no catalog loads.
#include "media/CatalogLoader.h"

bool LoadMediaCatalog() { return false; }
bool LoadAdvertCatalog() { return false; }
bool LoadCatalogNodes() { return false; }
