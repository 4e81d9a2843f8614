#pragma once

struct IXMLDOMNode;

// Loaders of the two catalog files into the player's lists. Each returns
// false when its file is missing or unreadable; what was added stays.
bool LoadMediaCatalog();
bool LoadAdvertCatalog();
bool LoadCatalogNodes();

// The walks behind them: from node over its descendants and its following
// siblings, in document order. WalkCatalogMedia adds each media element to
// the media and picture lists, or with advert set to the advert list;
// WalkCatalogNodes adds each element whose parent is named "catalog" (any
// case) to the catalog-node list. A failing DOM call raises _com_error.
void WalkCatalogMedia(IXMLDOMNode* node, bool advert);
void WalkCatalogNodes(IXMLDOMNode* node);
