#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

struct JetColumn {
    QString name;
    int type; // libmdb type code: MDB_TEXT 10, MDB_MEMO 12, MDB_LONGINT 4 ...
    int size;
};

struct JetCell {
    bool isNull = true;
    QString text;
    QByteArray bytes; // OLE and binary values: the stored bytes, which are no text
};

using JetRow = QVector<JetCell>;

// Read-only access to a Jet 4 (Access 2000) database through libmdb. The file is checked before
// libmdb reads it, stays open for the life of the object, and values are decoded here rather
// than by libmdb, so memos come back whole and characters outside the BMP survive.
class JetDatabase {
public:
    // Throws AppError when the file is missing, is no Jet 4 database or is damaged.
    static std::unique_ptr<JetDatabase> open(const QString &path);
    // The same checks on bytes already in memory; the bytes must outlive the object.
    static std::unique_ptr<JetDatabase> openBytes(const char *data, qint64 size,
                                                  const QString &name = QStringLiteral("buffer"));
    ~JetDatabase();

    JetDatabase(const JetDatabase &) = delete;
    JetDatabase &operator=(const JetDatabase &) = delete;

    QString databasePassword() const;
    QStringList tableNames() const;                         // user tables
    QVector<JetColumn> columns(const QString &table) const; // throws AppError if missing
    QVector<JetRow> readRows(const QString &table) const;   // storage order, memos in full
    // Streams the rows in storage order, one at a time, cells in the order of columns(). Both
    // throw AppError when rows are missing or a memo's long-value rows are lost or cut short.
    void forEachRow(const QString &table, const std::function<void(const JetRow &)> &visit) const;
    bool hasTable(const QString &table) const;

private:
    JetDatabase() = default;
    void attach(const char *data, qint64 size, const QString &name);
    struct CatalogTable;
    CatalogTable findTable(const QString &table) const;

    QString m_name;
    QFile m_file;
    const char *m_data = nullptr;
    qint64 m_size = 0;
    // Whether m_data maps m_file, whose pages can be given back while the rows are read.
    bool m_mapped = false;
    QString m_password;
    void *m_mdb = nullptr; // MdbHandle; kept opaque so that glib stays out of every includer
};
