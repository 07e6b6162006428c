// Reads a Jet database with mdb-reader, an implementation independent of libmdb, and prints
// what it sees as JSON: the database password, the user tables, and the rows of one table in
// storage order with NULL as null.
'use strict';
const fs = require('fs');
const MDBReader = require('mdb-reader').default;

const [file, tableName = '问题'] = process.argv.slice(2);
if (!file) {
    console.error('usage: node read-bank.js FILE [TABLE]');
    process.exit(2);
}
try {
    const reader = new MDBReader(fs.readFileSync(file));
    const table = reader.getTable(tableName);
    const columns = table.getColumns().map((c) => ({ name: c.name, type: c.type }));
    const rows = table.getData().map((row) => {
        const out = {};
        for (const c of columns) {
            const v = row[c.name];
            out[c.name] = v === null || v === undefined ? null : String(v);
        }
        return out;
    });
    process.stdout.write(JSON.stringify({
        password: reader.getPassword(),
        tables: reader.getTableNames(),
        columns,
        rowCount: table.rowCount,
        rows,
    }));
} catch (e) {
    console.error(`${file}: ${e.message}`);
    process.exit(1);
}
