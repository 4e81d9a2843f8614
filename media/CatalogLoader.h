#pragma once

// Loaders of the two catalog files into the player's lists. Each returns
// false when its file is missing or unreadable; what was added stays.
bool LoadMediaCatalog();
bool LoadAdvertCatalog();
bool LoadCatalogNodes();
