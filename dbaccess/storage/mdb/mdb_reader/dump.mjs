// Prints an .mdb file as npm's mdb-reader reads it, for the tests that compare our reader
// with it (mdb_reader_testing.h):
//   node dump.mjs MODULES_FOLDER DATABASE [PASSWORD]
// MODULES_FOLDER is where mdb-reader was installed (its node_modules inside). The output is
// one JSON object: {"tables": [{"name", "columns": [{"name", "type", "size"}], "rows": [[...]]}]}
// with the user tables, each row's values in the order of its columns: null, booleans,
// numbers and texts as they are; a date and time as milliseconds since 1970 (null when it is
// no valid date); currency, decimal and GUID values as mdb-reader's texts; binary and OLE
// data as lower-case hex.
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

const [modules, database, password] = process.argv.slice(2);
if (!modules || !database) {
  process.stderr.write("usage: node dump.mjs MODULES_FOLDER DATABASE [PASSWORD]\n");
  process.exit(2);
}
const resolve = createRequire(join(modules, "package.json")).resolve;
const { default: MDBReader } = await import(pathToFileURL(resolve("mdb-reader")).href);

function dumpValue(value) {
  if (value === null || value === undefined) return null;
  if (value instanceof Date) {
    const ms = value.getTime();
    return Number.isNaN(ms) ? null : ms;
  }
  if (Buffer.isBuffer(value)) return value.toString("hex");
  if (typeof value === "bigint") return value.toString();
  if (["boolean", "number", "string"].includes(typeof value)) return value;
  return String(value);
}

const reader = new MDBReader(readFileSync(database), password ? { password } : {});
const tables = reader.getTableNames().map((name) => {
  const table = reader.getTable(name);
  const columns = table.getColumns();
  return {
    name,
    columns: columns.map(({ name, type, size }) => ({ name, type, size })),
    rows: table.getData().map((row) => columns.map((column) => dumpValue(row[column.name]))),
  };
});
process.stdout.write(JSON.stringify({ tables }));
