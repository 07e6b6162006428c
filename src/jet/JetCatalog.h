#pragma once

// glib first: mdbtools.h includes it inside extern "C", where its C++ templates may not stand.
#include <glib.h>
#include <mdbtools.h>

// libmdb's catalog without the object properties. mdb_read_catalog also parses each object's
// property blob (the LvProp column of MSysObjects), and that parser trusts the lengths inside the
// blob: a chunk length of zero makes it loop for ever, allocating until memory runs out, and a
// blob shorter than its own header is read past its end. Nothing here needs properties, so this
// fills mdb->catalog from the columns Id, Name, Type and Flags only, with entries that
// mdb_close frees as it frees libmdb's own. Returns the catalog, or nullptr when MSysObjects
// cannot be read (as mdb_read_catalog does).
GPtrArray *readCatalogWithoutProperties(MdbHandle *mdb, int objectType);

// libmdb copies a table's usage map (the list of its data pages) from the row the definition
// points to, as it finds it; an empty row leaves a null map that mdb_fetch_row then reads. A
// table whose map is not at least its one-byte kind must not be read.
bool usageMapReadable(const MdbTableDef *table);
