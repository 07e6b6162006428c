#include "jet/JetCatalog.h"

#include "jet/JetFormat.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr unsigned long kSystemObjectsPage = JetFormat::kSystemObjectsPage;

struct TableDefGuard {
    MdbTableDef *table;
    ~TableDefGuard()
    {
        if (table)
            mdb_free_tabledef(table);
    }
};

bool bind(MdbTableDef *table, const char *column, std::vector<char> &buffer)
{
    return mdb_bind_column_by_name(table, const_cast<char *>(column), buffer.data(), nullptr) != -1;
}

} // namespace

GPtrArray *readCatalogWithoutProperties(MdbHandle *mdb, int objectType)
{
    if (!mdb)
        return nullptr;
    if (mdb->catalog)
        mdb_free_catalog(mdb);
    mdb->catalog = g_ptr_array_new();
    mdb->num_catalog = 0;

    MdbCatalogEntry objects{};
    objects.mdb = mdb;
    objects.object_type = MDB_TABLE;
    objects.table_pg = kSystemObjectsPage;
    std::snprintf(objects.object_name, sizeof objects.object_name, "%s", "MSysObjects");

    const TableDefGuard table{mdb_read_table(&objects)};
    std::vector<char> id(mdb->bind_size), name(mdb->bind_size), type(mdb->bind_size),
        flags(mdb->bind_size);
    if (!table.table || !usageMapReadable(table.table) || !mdb_read_columns(table.table) ||
        !bind(table.table, "Id", id) || !bind(table.table, "Name", name) ||
        !bind(table.table, "Type", type) || !bind(table.table, "Flags", flags)) {
        mdb_free_catalog(mdb);
        return nullptr;
    }
    mdb_rewind_table(table.table);
    while (mdb_fetch_row(table.table)) {
        const int rowType = std::atoi(type.data());
        if (objectType != MDB_ANY && rowType != objectType)
            continue;
        auto *entry = static_cast<MdbCatalogEntry *>(g_malloc0(sizeof(MdbCatalogEntry)));
        entry->mdb = mdb;
        std::snprintf(entry->object_name, sizeof entry->object_name, "%s", name.data());
        entry->object_type = rowType & 0x7F;
        entry->table_pg = static_cast<unsigned long>(std::atol(id.data())) & 0x00FFFFFFul;
        entry->flags = int(std::atol(flags.data()));
        g_ptr_array_add(mdb->catalog, entry);
        ++mdb->num_catalog;
    }
    return mdb->catalog;
}

bool usageMapReadable(const MdbTableDef *table)
{
    return table->usage_map != nullptr && table->map_sz >= 1;
}
