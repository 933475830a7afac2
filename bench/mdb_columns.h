// For the benchmarks that generate .mdb files: a column of a new table, in one line.
#ifndef SKARNVEL_BENCH_MDB_COLUMNS_H_
#define SKARNVEL_BENCH_MDB_COLUMNS_H_

#include <cstdint>

#include "dbaccess/storage/mdb/table_description.h"

namespace bench {

inline dbaccess::mdb::ColumnDescription Column(const char* name, uint8_t type, uint16_t size = 0) {
  dbaccess::mdb::ColumnDescription column;
  column.name = name;
  column.type = type;
  column.size = size;
  return column;
}

}  // namespace bench

#endif  // SKARNVEL_BENCH_MDB_COLUMNS_H_
