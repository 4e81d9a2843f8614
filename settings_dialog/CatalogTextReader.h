#pragma once
#include <string>

#include "settings_dialog/CatalogEntries.h"

// Reads the entries of a catalog straight from its file's text, for files
// of the plain form that this program (and most tools) write: UTF-8,
// elements with attributes, comments, processing instructions, CDATA and
// text passed over, and no document type declaration, which could define
// entities and defaults. The entries are those the DOM gives for the same
// file, at a small part of the cost: the DOM hands out every attribute
// value through a call of its own, which a catalog of 100,000 entries
// feels.
//
// Only for a file that the DOM has loaded: checking that it is well-formed
// is the DOM's part. False for text outside that form; out must then be
// discarded and the DOM read instead.
bool ReadCatalogText(const std::string& bytes, CatalogEntries& out);
