// Where a schema rowset goes as it is made: first its column names, once, then each row in
// the rowset's order, none of them kept by the maker. A caller that reads a rowset once from
// start to end takes it this way, so that the whole rowset never sits in memory.
#ifndef SKARNVEL_DBACCESS_ADO_SCHEMA_ROW_SINK_H_
#define SKARNVEL_DBACCESS_ADO_SCHEMA_ROW_SINK_H_

#include <string>
#include <vector>

#include "dbaccess/base/variant.h"

namespace dbaccess {

class SchemaRowSink {
 public:
  virtual ~SchemaRowSink() = default;
  virtual void Columns(const std::vector<std::string>& names) = 0;
  virtual void Row(std::vector<Variant>&& row) = 0;  // one value per column
};

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_ADO_SCHEMA_ROW_SINK_H_
